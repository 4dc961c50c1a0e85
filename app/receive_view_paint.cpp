// Painting of the receive window: only the lines in sight, decoded as they are painted.
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/receive_view.h"
#include "app/receive_view_charmap.h"

void ReceiveView::paintEvent(QPaintEvent* e) {
  QPainter painter(viewport());
  painter.fillRect(e->rect(), palette().color(QPalette::Base));
  painter.setFont(font());
  const size_t first = FirstVisibleLine();
  const int fromRow = std::max(0, (e->rect().top() - kReceiveViewMargin) / lineHeight_);
  const int toRow = std::max(0, (e->rect().bottom() - kReceiveViewMargin) / lineHeight_);
  for (int row = fromRow; row <= toRow; ++row) {
    const size_t line = first + static_cast<size_t>(row);
    if (line >= lines_.LineCount()) break;
    const int top = kReceiveViewMargin + row * lineHeight_;
    painter.setPen(palette().color(QPalette::Text));
    PaintLine(painter, line, top);
    PaintSelection(painter, line, top);
  }
}

// The selected cells get the highlight, with the line painted again over it in the
// highlighted text colour.
void ReceiveView::PaintSelection(QPainter& painter, size_t line, int top) const {
  if (!HasSelection() || SelectionEnd() <= lines_.LineStart(line) || SelectionStart() >= lines_.LineEnd(line)) return;
  const QRect cells = LineCellsRect(line, top, SelectionStart(), SelectionEnd());
  if (cells.isEmpty()) return;
  painter.save();
  painter.setClipRect(cells);
  painter.fillRect(cells, palette().color(QPalette::Highlight));
  painter.setPen(palette().color(QPalette::HighlightedText));
  PaintLine(painter, line, top);
  painter.restore();
}

// Characters whose glyph advance is exactly their cells are drawn together in one run; any
// other (a character the font lacks, say) is drawn alone, centred in its cells.
bool ReceiveView::DrawsInRun(const QFontMetricsF& metrics, char16_t code, size_t width) const {
  if (code < 0x80) return true;
  if (!metrics.inFont(QChar(code))) return false;
  if (width == 2 && wideCharsAligned_) return true;
  return std::abs(metrics.horizontalAdvance(QChar(code)) - static_cast<qreal>(width) * cellWidth_) < 0.01;
}

void ReceiveView::PaintLine(QPainter& painter, size_t line, int top) const {
  const QFontMetricsF metrics(font());
  const int baseline = top + ascent_;
  const auto x = [&](size_t column) { return kReceiveViewMargin + static_cast<qreal>(column) * cellWidth_; };
  QString run;
  size_t runColumn = 0;
  size_t runEnd = 0;
  const auto flush = [&] {
    if (run.isEmpty()) return;
    painter.drawText(QPointF(x(runColumn), baseline), run);
    run.clear();
  };
  LineCells walk(content_, lines_.LineStart(line), lines_.LineEnd(line), lines_.Columns());
  while (walk.Next()) {
    const CellKind kind = walk.Kind();
    if (kind == CellKind::LineEnd || kind == CellKind::JoinedLineEnd || kind == CellKind::Tab) continue;
    if (kind == CellKind::Control) {
      flush();
      painter.drawRect(QRectF(x(walk.Column()) + 1.5, top + 3.5, cellWidth_ - 3, lineHeight_ - 7));
      continue;
    }
    const char16_t code = CellCharCode(content_, walk.Offset(), {walk.Length(), kind});
    if (!DrawsInRun(metrics, code, walk.Width())) {
      flush();
      const QRectF cells(x(walk.Column()), top, walk.Width() * cellWidth_, lineHeight_);
      painter.drawText(cells, Qt::AlignCenter, QString(QChar(code)));
      continue;
    }
    if (!run.isEmpty() && walk.Column() != runEnd) flush();
    if (run.isEmpty()) runColumn = walk.Column();
    run += QChar(code);
    runEnd = walk.Column() + walk.Width();
  }
  flush();
}
