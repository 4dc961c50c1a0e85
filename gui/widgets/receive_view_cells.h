#pragma once
// Pre-rendered character cells for the receive window. Qt draws text glyph by glyph with a
// blend each (about 0.4 us a glyph); a stream of hex text would spend most of its processor
// time there. Here each character is drawn once per colour pair into a small opaque cell
// image, and a line is composed by copying cell pixels into one line image, which is then
// drawn with a single opaque blit.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRawFont>
#include <cstdint>
#include <unordered_map>

struct CellMetrics {
  int cellWidth = 6;   // logical pixels, whole
  int lineHeight = 14;
  int ascent = 11;
  qreal devicePixelRatio = 1;
};

class CellImageCache {
 public:
  // Forgets every cell: for a new font, size, pixel ratio or palette.
  void Reset(const QFont& font, const CellMetrics& metrics);
  const CellMetrics& Metrics() const { return metrics_; }
  int DeviceCellWidth() const { return deviceCellWidth_; }
  int DeviceLineHeight() const { return deviceLineHeight_; }

  // The cell image of a character of `cells` cells (a `box` for a control byte).
  const QImage& Cell(char16_t code, int cells, bool box, QRgb foreground, QRgb background);

 private:
  QImage Render(char16_t code, int cells, bool box, QRgb foreground, QRgb background) const;

  QFont font_;
  QRawFont rawFont_;
  CellMetrics metrics_;
  int deviceCellWidth_ = 6;
  int deviceLineHeight_ = 14;
  std::unordered_map<uint64_t, QImage> cells_;
};

// Composes one line of cells into an opaque image of the device size of `columns` cells.
class CellLineImage {
 public:
  void Begin(const CellImageCache& cache, int columns, QRgb background);
  // Copies `cell` to the cells starting at `column` (clipped at the right edge).
  void Put(int column, const QImage& cell);
  // Fills `cells` cells from `column` with a colour (a selected line end).
  void Fill(int column, int cells, QRgb colour);
  const QImage& Image() const { return image_; }

 private:
  QImage image_;
  QRgb* pixels_ = nullptr;  // image_'s pixels and row length, taken once per line
  size_t stride_ = 0;
  int deviceCellWidth_ = 6;
};
