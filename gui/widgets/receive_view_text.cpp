// Positions, selection and text of the receive window.
#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

#include "gui/widgets/receive_view.h"
#include "core/receive/receive_view_charmap.h"

// ---- positions ----

size_t ReceiveView::OffsetAt(QPoint point) const {
  if (point.y() < kReceiveViewMargin && FirstVisibleLine() == 0) return 0;
  const long row = static_cast<long>(std::floor(static_cast<double>(point.y() - kReceiveViewMargin) / lineHeight_));
  const long line = static_cast<long>(FirstVisibleLine()) + row;
  if (line < 0) return 0;
  if (static_cast<size_t>(line) >= lines_.LineCount()) return content_.size();
  const double cells = (point.x() - kReceiveViewMargin) / cellWidth_;
  LineCells walk(content_, lines_, line);
  while (walk.Next()) {
    const bool lineEnd = walk.Kind() == CellKind::LineEnd || walk.Kind() == CellKind::JoinedLineEnd;
    if (lineEnd || cells < walk.Column() + walk.Width() / 2.0) return walk.Offset();
  }
  return lines_.LineEnd(line);
}

QRect ReceiveView::CharacterRect(size_t offset) const {
  const size_t line = lines_.LineOf(offset);
  const size_t first = FirstVisibleLine();
  if (line < first || line > first + VisibleLineCount()) return {};
  const int top = kReceiveViewMargin + static_cast<int>(line - first) * lineHeight_;
  return LineCellsRect(line, top, offset, offset + 1);
}

// The rectangle over the cells of the characters of `line` that start in [begin, end).
QRect ReceiveView::LineCellsRect(size_t line, int top, size_t begin, size_t end) const {
  LineCells walk(content_, lines_, line);
  size_t from = 0;
  size_t to = 0;
  bool any = false;
  while (walk.Next()) {
    if (walk.Offset() < begin || walk.Offset() >= end) continue;
    if (!any) from = walk.Column();
    any = true;
    to = walk.Column() + std::max<size_t>(walk.Width(), 1);  // a selected line end shows as a cell
  }
  if (!any) return {};
  const int left = kReceiveViewMargin + static_cast<int>(std::floor(from * cellWidth_));
  const int right = kReceiveViewMargin + static_cast<int>(std::ceil(to * cellWidth_));
  return {left, top, right - left, lineHeight_};
}

size_t ReceiveView::CharBoundaryAtOrBefore(size_t offset) const {
  offset = std::min(offset, content_.size());
  size_t pos = lines_.LineStart(lines_.LineOf(offset));
  while (pos < offset) {
    const CellChar c = lines_.CharAt(content_, pos);
    if (c.length == 0 || pos + c.length > offset) break;
    pos += c.length;
  }
  return pos;
}

// ---- selection and text ----

void ReceiveView::SetSelection(size_t anchor, size_t position) {
  anchor_ = CharBoundaryAtOrBefore(anchor);
  cursor_ = CharBoundaryAtOrBefore(position);
  SelectionChanged();
  RepaintAll();
}

void ReceiveView::SelectAll() {
  anchor_ = 0;
  cursor_ = content_.size();
  SelectionChanged();
  RepaintAll();
}

// A selection holds the view where it is; once it is gone, a view at the end follows again.
void ReceiveView::SelectionChanged() { followEnd_ = HasSelection() ? false : followEnd_ || IsAtBottom(); }

size_t ReceiveView::SelectionStart() const { return std::min(anchor_, cursor_); }
size_t ReceiveView::SelectionEnd() const { return std::max(anchor_, cursor_); }
QString ReceiveView::SelectedText() const { return TextOfRange(SelectionStart(), SelectionEnd()); }

void ReceiveView::CopySelection() const {
  if (HasSelection()) QGuiApplication::clipboard()->setText(SelectedText());
}

QString ReceiveView::TextOfRange(size_t begin, size_t end) const {
  end = std::min(end, content_.size());
  QString text;
  if (begin >= end) return text;
  text.reserve(static_cast<qsizetype>(end - begin));
  for (size_t pos = CharBoundaryAtOrBefore(begin); pos < end;) {
    const CellChar c = lines_.CharAt(content_, pos);
    if (c.length == 0) break;
    if (c.kind == CellKind::LineEnd) {
      text += QLatin1Char('\n');
    } else if (c.kind != CellKind::JoinedLineEnd && content_[pos] != '\0') {
      text += QChar(CellCharCode(content_, pos, c));
    }
    pos += c.length;
  }
  return text;
}

ReceiveViewVisibleText ReceiveView::VisibleText() const {
  ReceiveViewVisibleText visible;
  const size_t first = FirstVisibleLine();
  const size_t last = std::min(lines_.LineCount(), first + VisibleLineCount());
  const auto add = [&](QChar c, size_t offset) {
    visible.text += c;
    visible.offsets.push_back(offset);
  };
  for (size_t line = first; line < last; ++line) {
    bool endedByLineEnd = false;
    LineCells walk(content_, lines_, line);
    while (walk.Next()) {
      endedByLineEnd = walk.Kind() == CellKind::LineEnd;
      if (endedByLineEnd) {
        add(QLatin1Char('\n'), walk.Offset());
      } else if (walk.Kind() != CellKind::JoinedLineEnd && content_[walk.Offset()] != '\0') {
        add(QChar(CellCharCode(content_, walk.Offset(), {walk.Length(), walk.Kind()})), walk.Offset());
      }
    }
    // A wrapped line is still a line of its own for a reader; its break has no byte.
    if (!endedByLineEnd && line + 1 < last) add(QLatin1Char('\n'), lines_.LineEnd(line));
  }
  visible.offsets.push_back(last > first ? lines_.LineEnd(last - 1) : content_.size());
  return visible;
}
