#include "gui/widgets/receive_view_accessible.h"

#include <algorithm>

#include "gui/widgets/receive_view.h"

namespace {

struct Span {
  int start = 0;
  int end = 0;
};

bool IsBlank(QChar c) { return c.isSpace(); }

// The span of `text` around `offset` for a boundary kind: one character, a run of word or
// blank characters, a line, or (for the larger kinds) the whole text.
Span SpanAt(const QString& text, int offset, QAccessible::TextBoundaryType boundary) {
  const int size = static_cast<int>(text.size());
  offset = std::clamp(offset, 0, size);
  switch (boundary) {
    case QAccessible::CharBoundary: return {offset, std::min(offset + 1, size)};
    case QAccessible::WordBoundary: {
      if (offset == size) return {size, size};
      const bool blank = IsBlank(text[offset]);
      Span span{offset, offset};
      while (span.start > 0 && IsBlank(text[span.start - 1]) == blank) --span.start;
      while (span.end < size && IsBlank(text[span.end]) == blank) ++span.end;
      return span;
    }
    case QAccessible::LineBoundary: {
      const int start = offset == 0 ? 0 : static_cast<int>(text.lastIndexOf(QLatin1Char('\n'), offset - 1)) + 1;
      const int newline = static_cast<int>(text.indexOf(QLatin1Char('\n'), offset));
      return {start, newline < 0 ? size : newline + 1};
    }
    default: return {0, size};
  }
}

QString Cut(const QString& text, Span span, int* startOffset, int* endOffset) {
  *startOffset = span.start;
  *endOffset = span.end;
  return text.mid(span.start, span.end - span.start);
}

// Index of the first unit of the visible text at or after a content offset. The break of a
// wrapped line shares its offset with the character after it; the character is meant.
int UnitAt(const ReceiveViewVisibleText& visible, size_t offset) {
  const auto at = std::lower_bound(visible.offsets.begin(), visible.offsets.end(), offset);
  const auto units = static_cast<size_t>(visible.text.size());
  size_t unit = std::min<size_t>(at - visible.offsets.begin(), units);
  while (unit < units && visible.offsets[unit + 1] == visible.offsets[unit]) ++unit;
  return static_cast<int>(unit);
}

size_t OffsetOfUnit(const ReceiveViewVisibleText& visible, int unit) {
  return visible.offsets[std::clamp<size_t>(unit, 0, visible.offsets.size() - 1)];
}

QAccessibleInterface* CreateForReceiveView(const QString& className, QObject* object) {
  if (className != QLatin1String("ReceiveView")) return nullptr;
  auto* view = qobject_cast<ReceiveView*>(object);
  return view ? new ReceiveViewAccessible(view) : nullptr;
}

}  // namespace

void InstallReceiveViewAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(CreateForReceiveView);
    return true;
  }();
  (void)installed;
}

ReceiveViewAccessible::ReceiveViewAccessible(ReceiveView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

ReceiveView* ReceiveViewAccessible::View() const { return static_cast<ReceiveView*>(widget()); }

QAccessible::State ReceiveViewAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = true;
  s.multiLine = true;
  s.selectableText = true;
  s.editable = false;
  return s;
}

QString ReceiveViewAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Value) return View()->VisibleText().text;
  return QAccessibleWidget::text(t);
}

void* ReceiveViewAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

void ReceiveViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
  *startOffset = *endOffset = 0;
  if (selectionIndex != 0 || selectionCount() == 0) return;
  const ReceiveViewVisibleText visible = View()->VisibleText();
  *startOffset = UnitAt(visible, View()->SelectionStart());
  *endOffset = UnitAt(visible, View()->SelectionEnd());
}

int ReceiveViewAccessible::selectionCount() const {
  if (!View()->HasSelection()) return 0;
  const ReceiveViewVisibleText visible = View()->VisibleText();
  const bool inSight = View()->SelectionStart() < visible.offsets.back() && View()->SelectionEnd() > visible.offsets.front();
  return inSight ? 1 : 0;
}

void ReceiveViewAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void ReceiveViewAccessible::removeSelection(int selectionIndex) {
  if (selectionIndex == 0) View()->ClearSelection();
}

void ReceiveViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
  if (selectionIndex != 0) return;
  const ReceiveViewVisibleText visible = View()->VisibleText();
  View()->SetSelection(OffsetOfUnit(visible, startOffset), OffsetOfUnit(visible, endOffset));
}

int ReceiveViewAccessible::cursorPosition() const { return UnitAt(View()->VisibleText(), View()->CursorPosition()); }

void ReceiveViewAccessible::setCursorPosition(int position) {
  const size_t offset = OffsetOfUnit(View()->VisibleText(), position);
  View()->SetSelection(offset, offset);
}

QString ReceiveViewAccessible::text(int startOffset, int endOffset) const {
  return View()->VisibleText().text.mid(startOffset, endOffset - startOffset);
}

QString ReceiveViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const {
  const QString visible = View()->VisibleText().text;
  return Cut(visible, SpanAt(visible, offset, boundaryType), startOffset, endOffset);
}

QString ReceiveViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                                int* endOffset) const {
  const QString visible = View()->VisibleText().text;
  const Span at = SpanAt(visible, offset, boundaryType);
  if (at.start == 0) return Cut(visible, {0, 0}, startOffset, endOffset);
  return Cut(visible, SpanAt(visible, at.start - 1, boundaryType), startOffset, endOffset);
}

QString ReceiveViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                               int* endOffset) const {
  const QString visible = View()->VisibleText().text;
  const Span at = SpanAt(visible, offset, boundaryType);
  const int size = static_cast<int>(visible.size());
  if (at.end >= size) return Cut(visible, {size, size}, startOffset, endOffset);
  return Cut(visible, SpanAt(visible, at.end, boundaryType), startOffset, endOffset);
}

int ReceiveViewAccessible::characterCount() const { return static_cast<int>(View()->VisibleText().text.size()); }

QRect ReceiveViewAccessible::characterRect(int offset) const {
  const QRect cells = View()->CharacterRect(OffsetOfUnit(View()->VisibleText(), offset));
  if (cells.isEmpty()) return {};
  return {View()->viewport()->mapToGlobal(cells.topLeft()), cells.size()};
}

int ReceiveViewAccessible::offsetAtPoint(const QPoint& point) const {
  const QPoint local = View()->viewport()->mapFromGlobal(point);
  if (!View()->viewport()->rect().contains(local)) return -1;
  return UnitAt(View()->VisibleText(), View()->OffsetAt(local));
}

// Only the lines in sight are exposed, so there is nothing to scroll to.
void ReceiveViewAccessible::scrollToSubstring(int, int) {}

QString ReceiveViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  *startOffset = 0;
  *endOffset = std::max(offset, characterCount());
  return {};
}
