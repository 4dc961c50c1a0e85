// Keyboard, input-method and mouse handling of the receive window.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"

namespace {

bool IsCtrlLetter(const QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers();
  return (mods & Qt::ControlModifier) && !(mods & (Qt::AltModifier | Qt::MetaModifier)) && e->key() >= Qt::Key_A &&
         e->key() <= Qt::Key_Z;
}

// Keys the window wants to see even where an application shortcut would take them.
bool IsTypedKey(const QKeyEvent* e) {
  if (e->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: return true;
    default: return IsCtrlLetter(e) || !e->text().isEmpty();
  }
}

bool IsSpaceByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool ReceiveView::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && IsTypedKey(static_cast<QKeyEvent*>(e))) {
    e->accept();
    return true;
  }
  return QAbstractScrollArea::event(e);
}

// Tab is a key to send, not a way out of the window.
bool ReceiveView::focusNextPrevChild(bool) { return false; }

void ReceiveView::keyPressEvent(QKeyEvent* e) {
  e->accept();
  if (hooks_.KeyDown && hooks_.KeyDown(e->key(), e->modifiers())) return;
  HandleOwnKey(e);
  ReportTypedText(e);
}

void ReceiveView::HandleOwnKey(QKeyEvent* e) {
  QScrollBar* bar = verticalScrollBar();
  if (e->matches(QKeySequence::Copy)) {
    CopySelection();
  } else if (e->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (e->matches(QKeySequence::MoveToStartOfDocument)) {
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (e->matches(QKeySequence::MoveToEndOfDocument)) {
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
  } else if (e->key() == Qt::Key_PageUp) {
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  } else if (e->key() == Qt::Key_PageDown) {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  } else if (e->key() == Qt::Key_Up) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  } else if (e->key() == Qt::Key_Down) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  }
}

void ReceiveView::ReportTypedText(const QKeyEvent* e) {
  if (!hooks_.TextTyped) return;
  QString text = e->text();
  if (IsCtrlLetter(e)) text = QChar(e->key() - Qt::Key_A + 1);
  if (!text.isEmpty()) hooks_.TextTyped(text);
}

void ReceiveView::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty() && hooks_.TextTyped) hooks_.TextTyped(e->commitString());
  e->accept();
}

QVariant ReceiveView::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImHints: return static_cast<int>(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    case Qt::ImCursorRectangle: {
      // Candidates pop up under the last line, where typed text would appear if echoed.
      const QRect end = CharacterRect(content_.size());
      const QRect cell = end.isValid() ? end : QRect(kReceiveViewMargin, kReceiveViewMargin, 1, lineHeight_);
      return QRect(viewport()->mapTo(this, cell.topLeft()), cell.size());
    }
    default: return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void ReceiveView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const size_t at = OffsetAt(e->position().toPoint());
  if (!(e->modifiers() & Qt::ShiftModifier)) anchor_ = at;
  cursor_ = at;
  selecting_ = true;
  SelectionChanged();
  RepaintAll();
}

void ReceiveView::mouseMoveEvent(QMouseEvent* e) {
  if (selecting_ && (e->buttons() & Qt::LeftButton)) ExtendSelectionTo(e->position().toPoint());
}

// Dragging past the top or bottom edge scrolls a line per move.
void ReceiveView::ExtendSelectionTo(QPoint point) {
  QScrollBar* bar = verticalScrollBar();
  if (point.y() < 0) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.y() >= viewport()->height()) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  cursor_ = OffsetAt(point);
  SelectionChanged();
  RepaintAll();
}

void ReceiveView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  selecting_ = false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (HasSelection() && clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
}

// Selects the run of non-blank bytes under the pointer: a word, or a hex pair.
void ReceiveView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  size_t begin = OffsetAt(e->position().toPoint());
  size_t end = begin;
  while (begin > 0 && !IsSpaceByte(content_[begin - 1])) --begin;
  while (end < content_.size() && !IsSpaceByte(content_[end])) ++end;
  SetSelection(begin, end);
}

void ReceiveView::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  QAction* copy = menu.addAction(WindowText::tr("复制"), this, &ReceiveView::CopySelection);
  copy->setEnabled(HasSelection());
  menu.addAction(WindowText::tr("全选"), this, &ReceiveView::SelectAll);
  emit MenuOpening(&menu);
  menu.exec(e->globalPos());
}
