#include "gui/widgets/default_button.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

bool IsPlainEnter(const QKeyEvent* key) {
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  return mods == Qt::NoModifier;
}

// Sees the key presses that the page's controls passed on to their parents unused.
class DefaultButtonHook : public QObject {
 public:
  DefaultButtonHook(QWidget* page, DefaultButtonChoice choose) : QObject(page), page_(page), choose_(std::move(choose)) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !IsPlainEnter(static_cast<QKeyEvent*>(event))) return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || !page_->isAncestorOf(focus)) return false;
    QAbstractButton* button = qobject_cast<QPushButton*>(focus);
    if (button == nullptr) button = choose_(focus);
    if (button == nullptr || !button->isEnabled()) return false;
    button->click();
    return true;
  }

 private:
  QWidget* page_;
  DefaultButtonChoice choose_;
};

}  // namespace

void InstallDefaultButton(QWidget* page, DefaultButtonChoice choose) {
  page->installEventFilter(new DefaultButtonHook(page, std::move(choose)));
}
