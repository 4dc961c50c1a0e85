// Painting of the receive window: only the lines in sight, decoded as they are painted, with
// glyphs placed straight on the cell grid (no text shaping: a line is one glyph run).
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

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

ReceiveView::Glyph ReceiveView::LookUpGlyph(char16_t code) const {
  const QChar character(code);
  quint32 index = 0;
  int count = 1;
  if (!rawFont_.isValid() || !rawFont_.glyphIndexesForChars(&character, 1, &index, &count) || count != 1) return {};
  if (index == 0) return {};
  QPointF advance;
  rawFont_.advancesForGlyphIndexes(&index, &advance, 1);
  return {index, advance.x()};
}

ReceiveView::Glyph ReceiveView::GlyphOf(char16_t code) const {
  if (code < asciiGlyphs_.size()) return asciiGlyphs_[code];
  const auto known = glyphCache_.find(code);
  if (known != glyphCache_.end()) return known->second;
  return glyphCache_.emplace(code, LookUpGlyph(code)).first->second;
}

// Each glyph sits centred in its cells (exactly on them for a monospace CJK font). A
// character the font lacks is drawn alone through the font fallback; a control byte is a box.
void ReceiveView::PaintLine(QPainter& painter, size_t line, int top) const {
  const qreal baseline = top + ascent_;
  const auto x = [&](size_t column) { return kReceiveViewMargin + static_cast<qreal>(column) * cellWidth_; };
  glyphIndexes_.clear();
  glyphPositions_.clear();
  LineCells walk(content_, lines_.LineStart(line), lines_.LineEnd(line), lines_.Columns());
  while (walk.Next()) {
    const CellKind kind = walk.Kind();
    if (kind == CellKind::LineEnd || kind == CellKind::JoinedLineEnd || kind == CellKind::Tab) continue;
    const qreal cellsWidth = static_cast<qreal>(walk.Width()) * cellWidth_;
    if (kind == CellKind::Control) {
      painter.drawRect(QRectF(x(walk.Column()) + 1.5, top + 3.5, cellsWidth - 3, lineHeight_ - 7));
      continue;
    }
    const char16_t code = CellCharCode(content_, walk.Offset(), {walk.Length(), kind});
    const Glyph glyph = GlyphOf(code);
    if (glyph.index == 0) {
      painter.drawText(QRectF(x(walk.Column()), top, cellsWidth, lineHeight_), Qt::AlignCenter, QString(QChar(code)));
      continue;
    }
    glyphIndexes_.append(glyph.index);
    glyphPositions_.append(QPointF(x(walk.Column()) + (cellsWidth - glyph.advance) / 2, baseline));
  }
  if (glyphIndexes_.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(rawFont_);
  run.setGlyphIndexes(glyphIndexes_);
  run.setPositions(glyphPositions_);
  painter.drawGlyphRun(QPointF(0, 0), run);
}
