#pragma once
// Every modal message of the program goes through here: a box with a title, a text and one
// OK button. Tests install an observer instead of a person.
#include <QString>
#include <functional>

class QWidget;

void ShowMessageBox(QWidget* parent, const QString& title, const QString& text);

// While an observer is installed, boxes are not shown; the observer gets (title, text).
using MessageObserver = std::function<void(const QString& title, const QString& text)>;
void SetMessageObserver(MessageObserver observer);

// Titles and texts shared by several pages.
inline const char* const kWarningTitle = QT_TRANSLATE_NOOP("WindowText", "警告");
inline const char* const kNoticeTitle = QT_TRANSLATE_NOOP("WindowText", "提示");
inline const char* const kPortMissingOrBusy = QT_TRANSLATE_NOOP("WindowText", "该串口不存在或串口被占用！");
inline const char* const kPortSettingsReadFailed = QT_TRANSLATE_NOOP("WindowText", "串口参数读取失败，请检查并重新设置！");
inline const char* const kPortSettingsWrong = QT_TRANSLATE_NOOP("WindowText", "串口参数设置有误，请检查并重新设置！");
inline const char* const kPortNotOpen = QT_TRANSLATE_NOOP("WindowText", "串口还未打开！");
inline const char* const kEnterPositiveInteger = QT_TRANSLATE_NOOP("WindowText", "请输入一个正整数！");
