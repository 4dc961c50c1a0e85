#include "gui/widgets/receive_view_cells.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// More distinct cells than this (every GBK character in two colour pairs would be ~90,000)
// and the cache starts again rather than grow without end.
constexpr size_t kMaxCells = 16384;

uint64_t CellKey(char16_t code, int cells, bool box, QRgb foreground, QRgb background) {
  // Colours enter the key by a cheap mix; a clash only costs a wrong cache hit between two
  // colour pairs, which the palette-change reset rules out (at most two pairs are in use).
  const uint64_t colours = (static_cast<uint64_t>(foreground) * 0x9E3779B1u) ^ background;
  return (colours << 24) ^ (static_cast<uint64_t>(code) | static_cast<uint64_t>(cells) << 16 |
                            static_cast<uint64_t>(box) << 20);
}

}  // namespace

void CellImageCache::Reset(const QFont& font, const CellMetrics& metrics) {
  font_ = font;
  rawFont_ = QRawFont::fromFont(font);
  metrics_ = metrics;
  deviceCellWidth_ = std::max(1, static_cast<int>(std::lround(metrics.cellWidth * metrics.devicePixelRatio)));
  deviceLineHeight_ = std::max(1, static_cast<int>(std::lround(metrics.lineHeight * metrics.devicePixelRatio)));
  cells_.clear();
}

const QImage& CellImageCache::Cell(char16_t code, int cells, bool box, QRgb foreground, QRgb background) {
  const uint64_t key = CellKey(code, cells, box, foreground, background);
  const auto known = cells_.find(key);
  if (known != cells_.end()) return known->second;
  if (cells_.size() >= kMaxCells) cells_.clear();
  return cells_.emplace(key, Render(code, cells, box, foreground, background)).first->second;
}

// Draws the character centred in its cells on its background: straight from the font's
// glyph (no text shaping: this runs once per new character and colour pair, and a screen of
// Chinese text brings hundreds), or through Qt's font fallback for a character the font
// lacks. A glyph wider than its cells is cut at the cell edges.
QImage CellImageCache::Render(char16_t code, int cells, bool box, QRgb foreground, QRgb background) const {
  QImage image(deviceCellWidth_ * cells, deviceLineHeight_, QImage::Format_RGB32);
  image.setDevicePixelRatio(metrics_.devicePixelRatio);
  image.fill(background);
  QPainter painter(&image);
  painter.setPen(QColor::fromRgb(foreground));
  const qreal width = static_cast<qreal>(cells) * metrics_.cellWidth;
  if (box) {
    painter.drawRect(QRectF(1.5, 3.5, width - 3, metrics_.lineHeight - 7));
    return image;
  }
  const QChar character(code);
  quint32 glyph = 0;
  int glyphs = 1;
  if (rawFont_.isValid() && rawFont_.glyphIndexesForChars(&character, 1, &glyph, &glyphs) && glyph != 0) {
    QPointF advance;
    rawFont_.advancesForGlyphIndexes(&glyph, &advance, 1);
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF((width - advance.x()) / 2, metrics_.ascent)});
    painter.drawGlyphRun(QPointF(0, 0), run);
    return image;
  }
  painter.setFont(font_);
  const QString text{character};
  painter.drawText(QPointF((width - QFontMetricsF(font_).horizontalAdvance(text)) / 2, metrics_.ascent), text);
  return image;
}

void CellLineImage::Begin(const CellImageCache& cache, int columns, QRgb background) {
  deviceCellWidth_ = cache.DeviceCellWidth();
  // Two cells to spare: a two-cell character still fits a line of one column.
  const QSize size(deviceCellWidth_ * (columns + 2), cache.DeviceLineHeight());
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  image_.setDevicePixelRatio(cache.Metrics().devicePixelRatio);
  image_.fill(background);
  pixels_ = reinterpret_cast<QRgb*>(image_.bits());
  stride_ = static_cast<size_t>(image_.bytesPerLine()) / sizeof(QRgb);
}

// Cells are a few pixels wide: a plain loop beats a memcpy call per row.
void CellLineImage::Put(int column, const QImage& cell) {
  const int x = column * deviceCellWidth_;
  const int width = std::min(cell.width(), image_.width() - x);
  const int height = std::min(cell.height(), image_.height());
  if (width <= 0) return;
  const auto* source = reinterpret_cast<const QRgb*>(cell.constBits());
  const size_t sourceStride = static_cast<size_t>(cell.bytesPerLine()) / sizeof(QRgb);
  QRgb* target = pixels_ + x;
  for (int y = 0; y < height; ++y, target += stride_, source += sourceStride) {
    for (int i = 0; i < width; ++i) target[i] = source[i];
  }
}

void CellLineImage::Fill(int column, int cells, QRgb colour) {
  const int x = column * deviceCellWidth_;
  const int width = std::min(cells * deviceCellWidth_, image_.width() - x);
  if (width <= 0) return;
  QRgb* row = pixels_ + x;
  for (int y = 0; y < image_.height(); ++y, row += stride_) std::fill_n(row, width, colour);
}
