#include "gui/widgets/message_box.h"

#include <QMessageBox>

namespace {
MessageObserver& Observer() {
  static MessageObserver observer;
  return observer;
}
}  // namespace

void SetMessageObserver(MessageObserver observer) { Observer() = std::move(observer); }

void ShowMessageBox(QWidget* parent, const QString& title, const QString& text) {
  if (Observer()) {
    Observer()(title, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
}
