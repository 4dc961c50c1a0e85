#include "gui/widgets/field_hooks.h"

#include <QEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Tab, Shift+Tab and Enter carry a character but are no input of any field: they move the
// focus on or press the default button, as in every dialog.
bool MovesOrConfirms(int key) {
  return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter;
}

class KeyFilterHook : public QObject {
 public:
  KeyFilterHook(QLineEdit* edit, KeyFilter filter) : QObject(edit), edit_(edit), filter_(std::move(filter)) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) return FilterKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::InputMethod) return FilterCommit(static_cast<QInputMethodEvent*>(event));
    return false;
  }

 private:
  bool FilterKey(QKeyEvent* key) {
    if (MovesOrConfirms(key->key())) return false;
    const QString text = key->text();
    if (text.size() != 1) return false;
    const std::optional<QChar> passed = filter_(text.at(0));
    if (!passed) return true;
    if (*passed == text.at(0)) return false;
    edit_->insert(QString(*passed));
    return true;
  }

  bool FilterCommit(QInputMethodEvent* im) {
    const QString commit = im->commitString();
    if (commit.isEmpty()) return false;
    QString passed;
    for (QChar c : commit) {
      if (const std::optional<QChar> p = filter_(c)) passed.append(*p);
    }
    if (passed == commit) return false;
    QInputMethodEvent replacement(im->preeditString(), im->attributes());
    replacement.setCommitString(passed, im->replacementStart(), im->replacementLength());
    return edit_->event(&replacement) || true;
  }

  QLineEdit* edit_;
  KeyFilter filter_;
};

class ExitHook : public QObject {
 public:
  ExitHook(QLineEdit* edit, std::function<void()> onExit) : QObject(edit), onExit_(std::move(onExit)) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::FocusOut || running_) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    running_ = true;
    onExit_();
    running_ = false;
    return false;
  }

 private:
  std::function<void()> onExit_;
  bool running_ = false;
};

}  // namespace

void InstallKeyFilter(QLineEdit* edit, KeyFilter filter) {
  edit->installEventFilter(new KeyFilterHook(edit, std::move(filter)));
}

void InstallExitHandler(QLineEdit* edit, std::function<void()> onExit) {
  edit->installEventFilter(new ExitHook(edit, std::move(onExit)));
}

std::optional<QChar> DigitsAndBackspace(QChar typed) {
  if ((typed >= QChar('0') && typed <= QChar('9')) || typed == QChar(8)) return typed;
  return std::nullopt;
}
