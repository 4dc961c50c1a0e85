#pragma once
// The millisecond period fields of the timed send and of the preset cycle, and the timers
// they drive. A toolkit timer of interval 0 would fire continuously; here a period of 0 (or
// below) means the timer does not tick at all.
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QLineEdit;
class QTimer;
class QWidget;
struct TimerState;

// The period as a whole number in the signed 32-bit range (blanks around it and a sign
// allowed), or nothing.
std::optional<int32_t> ParseInterval(const QString& text);

// Tells the user that the field's text is no such number.
void ShowIntervalRefused(QWidget* window, const QLineEdit* field);

// Gives the timer the state's interval and starts or stops it.
void FollowTimerState(QTimer* timer, const TimerState& state);

// Lets only digits and Backspace be typed, and runs `onExit` when the focus leaves the field.
void SetUpIntervalField(QLineEdit* field, std::function<void()> onExit);

// The focus-leave check of both fields: an empty field is refused with "请输入一个正整数！"
// and the focus goes back to it. Only emptiness is tested ("0" passes).
void RejectEmptyField(QWidget* window, QLineEdit* field);
