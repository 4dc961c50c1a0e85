#pragma once
// The plot itself, drawn with QPainter over the kept samples: grid and axes, one line per
// shown series (min/max per pixel column when the view holds more samples than pixels), and
// a cursor that reads every shown series at the sample under the mouse. The wheel zooms the X
// axis around the mouse (with Ctrl: the Y axis), a drag pans; both leave the live view.
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/plot/parsed_row.h"
#include "core/plot/sample_history.h"

class PlotView : public QWidget {
  Q_OBJECT

 public:
  struct Span {
    double from = 0, to = 1;  // sample numbers, or seconds on the time axis
  };

  explicit PlotView(const SampleHistory& history, QWidget* parent = nullptr);

  static QColor SeriesColor(int series);

  void SetTimeAxis(bool time);
  bool TimeAxis() const { return timeAxis_; }
  // Follows the newest `samples` samples.
  void ShowLive(int64_t samples);
  // Shows a fixed stretch: samples [from, to) (converted to the axis in use).
  void ShowSamples(int64_t from, int64_t to);
  void ShowSpan(Span x);
  bool Live() const { return live_; }
  Span ShownX() const;
  // The kept samples in view, [first, last).
  std::pair<int64_t, int64_t> SamplesInView() const;

  void SetAutoScale(bool on) { autoY_ = on; update(); }
  void SetYRange(double min, double max);
  Span ShownY() const;
  void SetSeriesShown(int series, bool shown);
  bool SeriesShown(int series) const { return shown_[series]; }

  // The sample under the cursor, while the mouse is over the plot.
  std::optional<int64_t> CursorSample() const;
  // Places the cursor as the mouse at widget x would (for pictures and tests).
  void SetCursorX(int x) { cursorX_ = x; update(); }

 signals:
  void LeftLiveView();                 // a drag or zoom froze the view
  void LiveWindowZoomed(int64_t samples);  // the wheel changed the live view's width
  void YZoomed(double min, double max);    // Ctrl+wheel fixed the Y range

 protected:
  void paintEvent(QPaintEvent*) override;
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent*) override;

 private:
  QRect PlotArea() const;
  double XOf(int64_t sample) const;  // the axis value of a sample
  int64_t SampleAt(double x) const;  // the kept sample nearest to an axis value
  Span AutoY(std::pair<int64_t, int64_t> samples) const;
  void DrawGrid(class QPainter& p, const QRect& area, Span x, Span y) const;
  void DrawSeries(QPainter& p, const QRect& area, int series, Span x, Span y,
                  std::pair<int64_t, int64_t> samples);
  void DrawCursor(QPainter& p, const QRect& area, Span y);

  const SampleHistory& history_;
  bool timeAxis_ = false;
  bool live_ = true;
  int64_t liveSamples_ = 1000;
  Span fixedX_;
  bool autoY_ = true;
  Span fixedY_{-100, 100};
  std::array<bool, kMaxPlotSeries> shown_;
  std::optional<int> cursorX_;
  std::optional<QPoint> dragFrom_;
  Span dragSpan_;
  // Reused from paint to paint.
  std::vector<int64_t> bounds_;
  std::vector<ValueRange> columns_;
};
