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

// The period as a whole number in the signed 32-bit range (blanks around it and a sign
// allowed), or nothing.
std::optional<int32_t> ParseInterval(const QString& text);

// Reads the field into the timer's interval. When the text is no such number the user gets
// the conversion error, the timer is left as it was, and the result is false.
bool TakeInterval(QWidget* window, const QLineEdit* field, QTimer* timer);

// Starts the timer if its interval lets it tick; otherwise makes sure it is stopped.
void StartIfTicking(QTimer* timer);

// Lets only digits and Backspace be typed, and runs `onExit` when the focus leaves the field.
void SetUpIntervalField(QLineEdit* field, std::function<void()> onExit);

// The focus-leave check of both fields: an empty field is refused with "请输入一个正整数！"
// and the focus goes back to it. Only emptiness is tested ("0" passes).
void RejectEmptyField(QWidget* window, QLineEdit* field);
