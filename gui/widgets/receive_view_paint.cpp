// Painting of the receive window: only the lines in sight, decoded as they are painted,
// composed from pre-rendered character cells and drawn with one blit per line.
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "gui/widgets/receive_view.h"
#include "core/receive/receive_view_charmap.h"

void ReceiveView::ResetCells() {
  CellMetrics metrics;
  metrics.cellWidth = static_cast<int>(cellWidth_);
  metrics.lineHeight = lineHeight_;
  metrics.ascent = ascent_;
  metrics.devicePixelRatio = viewport()->devicePixelRatioF();
  cells_.Reset(font(), metrics);
}

void ReceiveView::paintEvent(QPaintEvent* e) {
  if (cells_.Metrics().devicePixelRatio != viewport()->devicePixelRatioF()) ResetCells();  // moved to another screen
  QPainter painter(viewport());
  painter.fillRect(e->rect(), palette().color(QPalette::Base));
  const int fromRow = std::max(0, (e->rect().top() - kReceiveViewMargin) / lineHeight_);
  const int toRow = std::max(0, (e->rect().bottom() - kReceiveViewMargin) / lineHeight_);
  for (int row = fromRow; row <= toRow; ++row) {
    const size_t line = firstLine_ + static_cast<size_t>(row);
    if (line >= lines_.LineCount()) break;
    PaintLine(painter, line, kReceiveViewMargin + row * lineHeight_);
  }
}

namespace {

const QRgb kMatchBackground = qRgb(255, 230, 110);
const QRgb kCurrentMatchBackground = qRgb(255, 150, 50);

}  // namespace

// Selected characters (and a selected line end, as one cell) take the highlight colours;
// search matches a marker colour of their own.
void ReceiveView::PaintLine(QPainter& painter, size_t line, int top) const {
  const QRgb text = palette().color(QPalette::Text).rgb();
  const QRgb base = palette().color(QPalette::Base).rgb();
  const QRgb selectedText = palette().color(QPalette::HighlightedText).rgb();
  const QRgb selected = palette().color(QPalette::Highlight).rgb();
  const size_t selectionStart = SelectionStart();
  const size_t selectionEnd = SelectionEnd();
  lineImage_.Begin(cells_, static_cast<int>(lines_.Columns()), base);
  size_t usedCells = 0;
  auto match = std::upper_bound(matches_.begin(), matches_.end(), lines_.LineStart(line),
                                [](size_t offset, const SearchMatch& m) { return offset < m.end; });
  LineCells walk(content_, lines_, line);
  while (walk.Next()) {
    const CellKind kind = walk.Kind();
    const bool isSelected = walk.Offset() >= selectionStart && walk.Offset() < selectionEnd;
    while (match != matches_.end() && match->end <= walk.Offset()) ++match;
    const bool isMatch = match != matches_.end() && match->begin <= walk.Offset();
    const QRgb matchBackground =
        static_cast<size_t>(match - matches_.begin()) == currentMatch_ ? kCurrentMatchBackground : kMatchBackground;
    const int column = static_cast<int>(walk.Column());
    const int width = static_cast<int>(walk.Width());
    if (kind == CellKind::JoinedLineEnd) continue;
    if (kind == CellKind::LineEnd || kind == CellKind::Tab) {
      const int shown = kind == CellKind::LineEnd ? 1 : width;
      if (isSelected) lineImage_.Fill(column, shown, selected);
      if (isSelected) usedCells = std::max<size_t>(usedCells, column + shown);
      continue;
    }
    if (width == 0) continue;  // a blank hanging past the end of the line
    const QRgb foreground = isSelected ? selectedText : text;
    const QRgb background = isSelected ? selected : isMatch ? matchBackground : base;
    const bool box = kind == CellKind::Control;
    const char16_t code = box ? 0 : CellCharCode(content_, walk.Offset(), {walk.Length(), kind});
    lineImage_.Put(column, cells_.Cell(code, width, box, foreground, background));
    usedCells = std::max<size_t>(usedCells, column + width);
  }
  if (usedCells == 0) return;
  const QRectF target(kReceiveViewMargin, top, static_cast<qreal>(usedCells) * cellWidth_, lineHeight_);
  const QRectF source(0, 0, static_cast<qreal>(usedCells) * cells_.DeviceCellWidth(), cells_.DeviceLineHeight());
  painter.drawImage(target, lineImage_.Image(), source);
}
