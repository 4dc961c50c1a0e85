#include "gui/plot/plot_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/plot/decimation.h"

namespace {

constexpr int kLeftMargin = 64;
constexpr int kBottomMargin = 22;
constexpr int kEdge = 6;
constexpr double kWheelStep = 1.25;  // zoom per wheel notch

// A tick step of 1, 2 or 5 times a power of ten giving about `count` ticks over `span`.
double TickStep(double span, int count) {
  const double raw = span / std::max(count, 1);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

QString AxisNumber(double v, double step) {
  const int decimals = step >= 1 ? 0 : std::min(9, static_cast<int>(std::ceil(-std::log10(step))));
  return QString::number(v, 'f', decimals);
}

}  // namespace

PlotView::PlotView(const SampleHistory& history, QWidget* parent) : QWidget(parent), history_(history) {
  shown_.fill(true);
  setMouseTracking(true);
  setMinimumSize(200, 120);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor PlotView::SeriesColor(int series) {
  static const QRgb colors[kMaxPlotSeries] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b,
                                              0xe377c2, 0x17becf, 0xbcbd22, 0x7f7f7f, 0x393b79, 0xad494a,
                                              0x637939, 0xe7969c, 0x3182bd, 0x000000};
  return QColor(colors[series % kMaxPlotSeries]);
}

void PlotView::SetTimeAxis(bool time) {
  if (time == timeAxis_) return;
  const auto [first, last] = SamplesInView();
  timeAxis_ = time;
  if (!live_) ShowSamples(first, last);
  update();
}

void PlotView::ShowLive(int64_t samples) {
  live_ = true;
  liveSamples_ = std::max<int64_t>(samples, 2);
  update();
}

void PlotView::ShowSamples(int64_t from, int64_t to) {
  if (!timeAxis_) return ShowSpan({static_cast<double>(from), static_cast<double>(to)});
  ShowSpan({XOf(from), XOf(std::max(from, to - 1))});
}

void PlotView::ShowSpan(Span x) {
  live_ = false;
  if (!(x.to > x.from)) x.to = x.from + (timeAxis_ ? 1e-3 : 2);
  fixedX_ = x;
  update();
}

double PlotView::XOf(int64_t sample) const {
  if (!timeAxis_) return static_cast<double>(sample);
  if (history_.End() == 0) return 0;
  sample = std::clamp(sample, history_.Begin(), history_.End() - 1);
  return history_.TimeUs(sample) / 1e6;
}

PlotView::Span PlotView::ShownX() const {
  if (!live_) return fixedX_;
  const int64_t end = history_.End();
  if (!timeAxis_) {
    const int64_t to = std::max(end, liveSamples_);
    return {static_cast<double>(to - liveSamples_), static_cast<double>(to)};
  }
  if (end == 0) return {0, 1};
  const Span x{XOf(std::max(history_.Begin(), end - liveSamples_)), XOf(end - 1)};
  return x.to > x.from ? x : Span{x.from, x.from + 1};
}

std::pair<int64_t, int64_t> PlotView::SamplesInView() const {
  const Span x = ShownX();
  int64_t first, last;
  if (!timeAxis_) {
    first = static_cast<int64_t>(std::floor(x.from));
    last = static_cast<int64_t>(std::ceil(x.to));
  } else {
    first = history_.FirstAtOrAfter(static_cast<int64_t>(std::floor(x.from * 1e6)));
    last = history_.FirstAtOrAfter(static_cast<int64_t>(std::floor(x.to * 1e6)) + 1);
  }
  return {std::max(first, history_.Begin()), std::clamp(last, history_.Begin(), history_.End())};
}

int64_t PlotView::SampleAt(double x) const {
  if (!timeAxis_) return std::llround(x);
  const int64_t after = history_.FirstAtOrAfter(static_cast<int64_t>(std::llround(x * 1e6)));
  if (after > history_.Begin() && (after == history_.End() || x - XOf(after - 1) < XOf(after) - x)) return after - 1;
  return after;
}

void PlotView::SetYRange(double min, double max) {
  if (!(max > min)) max = min + 1;
  fixedY_ = {min, max};
  update();
}

PlotView::Span PlotView::AutoY(std::pair<int64_t, int64_t> samples) const {
  ValueRange r;
  for (int s = 0; s < history_.SeriesCount(); ++s) {
    if (shown_[s]) r.Add(history_.Range(s, samples.first, samples.second));
  }
  if (r.Empty()) return {-1, 1};
  const double pad = r.max > r.min ? (r.max - r.min) * 0.05 : std::max(1.0, std::abs(r.max * 0.05));
  return {r.min - pad, r.max + pad};
}

PlotView::Span PlotView::ShownY() const { return autoY_ ? AutoY(SamplesInView()) : fixedY_; }

void PlotView::SetSeriesShown(int series, bool shown) {
  shown_[series] = shown;
  update();
}

QRect PlotView::PlotArea() const {
  return QRect(kLeftMargin, kEdge, std::max(10, width() - kLeftMargin - kEdge),
               std::max(10, height() - kEdge - kBottomMargin));
}

std::optional<int64_t> PlotView::CursorSample() const {
  if (!cursorX_ || history_.End() == 0) return std::nullopt;
  const QRect area = PlotArea();
  const Span x = ShownX();
  const int64_t sample = SampleAt(x.from + (x.to - x.from) * (*cursorX_ - area.left()) / area.width());
  if (sample < history_.Begin() || sample >= history_.End()) return std::nullopt;
  return sample;
}

void PlotView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QRect area = PlotArea();
  const Span x = ShownX();
  const auto samples = SamplesInView();
  const Span y = autoY_ ? AutoY(samples) : fixedY_;
  DrawGrid(p, area, x, y);
  p.setClipRect(area);
  for (int s = 0; s < history_.SeriesCount(); ++s) {
    if (shown_[s]) DrawSeries(p, area, s, x, y, samples);
  }
  p.setClipping(false);
  DrawCursor(p, area, y);
}

void PlotView::DrawGrid(QPainter& p, const QRect& area, Span x, Span y) const {
  p.setPen(palette().mid().color());
  p.drawRect(area.adjusted(0, 0, -1, -1));
  const QFontMetrics metrics(font());
  const double yStep = TickStep(y.to - y.from, std::max(2, area.height() / 40));
  QPen grid(QColor(225, 225, 225));
  for (double v = std::ceil(y.from / yStep) * yStep; v <= y.to; v += yStep) {
    const int py = area.bottom() - static_cast<int>((v - y.from) / (y.to - y.from) * area.height());
    p.setPen(grid);
    p.drawLine(area.left() + 1, py, area.right() - 1, py);
    p.setPen(palette().text().color());
    p.drawText(QRect(0, py - 8, kLeftMargin - 4, 16), Qt::AlignRight | Qt::AlignVCenter, AxisNumber(v, yStep));
  }
  const double xStep = TickStep(x.to - x.from, std::max(2, area.width() / 90));
  for (double v = std::ceil(x.from / xStep) * xStep; v <= x.to; v += xStep) {
    const int px = area.left() + static_cast<int>((v - x.from) / (x.to - x.from) * area.width());
    p.setPen(grid);
    p.drawLine(px, area.top() + 1, px, area.bottom() - 1);
    p.setPen(palette().text().color());
    const QString label = AxisNumber(v, xStep) + (timeAxis_ ? QString("s") : QString());
    // Kept inside the widget: the last label may stand at the right edge.
    const int labelWidth = metrics.horizontalAdvance(label) + 2;
    const int left = std::min(px - labelWidth / 2, width() - labelWidth);
    p.drawText(QRect(left, area.bottom() + 2, labelWidth, metrics.height()), Qt::AlignHCenter | Qt::AlignTop, label);
  }
}

void PlotView::DrawSeries(QPainter& p, const QRect& area, int series, Span x, Span y,
                          std::pair<int64_t, int64_t> samples) {
  p.setPen(QPen(SeriesColor(series), 1));
  const double yScale = area.height() / (y.to - y.from);
  const auto py = [&](double v) { return area.bottom() - (v - y.from) * yScale; };
  // A sample before and after the view as well, so that the line runs to the edges.
  const int64_t first = std::max(samples.first - 1, history_.Begin());
  const int64_t last = std::min(samples.second + 1, history_.End());
  if (last - first <= 2 * area.width()) {
    const double xScale = area.width() / (x.to - x.from);
    QPolygonF line;
    for (int64_t i = first; i < last; ++i) {
      const float v = history_.Value(series, i);
      if (std::isnan(v)) {
        if (line.size() == 1) p.drawPoint(line.front());
        if (line.size() > 1) p.drawPolyline(line);
        line.clear();
        continue;
      }
      line.append(QPointF(area.left() + (XOf(i) - x.from) * xScale, py(v)));
    }
    if (line.size() == 1) p.drawPoint(line.front());
    if (line.size() > 1) p.drawPolyline(line);
    return;
  }
  // Each pixel column from its smallest to its largest value, reaching to the column before
  // so that a step between columns stays joined.
  const int columns = area.width();
  if (timeAxis_) {
    TimeColumnBounds(history_, static_cast<int64_t>(std::floor(x.from * 1e6)),
                     static_cast<int64_t>(std::ceil(x.to * 1e6)), columns, bounds_);
  } else {
    SampleColumnBounds(static_cast<int64_t>(std::floor(x.from)), static_cast<int64_t>(std::ceil(x.to)), columns,
                       bounds_);
  }
  SnapToBlocks(bounds_, SampleHistory::kBlock);
  DecimateColumns(history_, series, bounds_, columns_);
  std::vector<QLineF> lines;
  lines.reserve(columns);
  const ValueRange* before = nullptr;
  for (int c = 0; c < columns; ++c) {
    const ValueRange& r = columns_[c];
    if (r.Empty()) {
      // A column without samples (time axis, sparse data) keeps the line joined; a gap breaks it.
      if (bounds_[c] != bounds_[c + 1]) before = nullptr;
      continue;
    }
    float lo = r.min, hi = r.max;
    if (before) {
      lo = std::min(lo, before->max);
      hi = std::max(hi, before->min);
    }
    const double px = area.left() + c + 0.5;
    lines.emplace_back(px, py(hi), px, py(lo));
    before = &r;
  }
  p.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void PlotView::DrawCursor(QPainter& p, const QRect& area, Span y) {
  const std::optional<int64_t> sample = CursorSample();
  if (!sample) return;
  const Span x = ShownX();
  const int px = area.left() + static_cast<int>((XOf(*sample) - x.from) / (x.to - x.from) * area.width());
  p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
  p.drawLine(px, area.top(), px, area.bottom());
  QStringList rows;
  rows << (timeAxis_ ? QString("#%1  %2 s").arg(*sample).arg(XOf(*sample), 0, 'f', 6) : QString("#%1").arg(*sample));
  std::vector<QColor> colors{palette().text().color()};
  for (int s = 0; s < history_.SeriesCount(); ++s) {
    if (!shown_[s]) continue;
    const float v = history_.Value(s, *sample);
    const QString name = history_.Name(s).empty() ? QString::number(s + 1) : QString::fromStdString(history_.Name(s));
    rows << name + ": " + (std::isnan(v) ? QString("—") : QString::number(v, 'g', 7));
    colors.push_back(SeriesColor(s));
    if (!std::isnan(v)) {
      const double vy = area.bottom() - (v - y.from) / (y.to - y.from) * area.height();
      p.setBrush(SeriesColor(s));
      p.drawEllipse(QPointF(px, vy), 3, 3);
    }
  }
  const QFontMetrics metrics(font());
  int boxWidth = 0;
  for (const QString& row : rows) boxWidth = std::max(boxWidth, metrics.horizontalAdvance(row));
  const QRect box(px + 8 + boxWidth + 16 > area.right() ? px - 8 - boxWidth - 12 : px + 8, area.top() + 8,
                  boxWidth + 12, static_cast<int>(rows.size()) * metrics.height() + 8);
  p.setPen(palette().mid().color());
  p.setBrush(QColor(255, 255, 255, 230));
  p.drawRect(box);
  for (int i = 0; i < rows.size(); ++i) {
    p.setPen(colors[i]);
    p.drawText(box.left() + 6, box.top() + 4 + metrics.ascent() + i * metrics.height(), rows[i]);
  }
}

void PlotView::wheelEvent(QWheelEvent* e) {
  const double notches = e->angleDelta().y() / 120.0;
  if (notches == 0) return;
  const double factor = std::pow(kWheelStep, -notches);
  const QRect area = PlotArea();
  if (e->modifiers() & Qt::ControlModifier) {
    const Span y = ShownY();
    const double at = y.from + (y.to - y.from) * (area.bottom() - e->position().y()) / area.height();
    SetYRange(at - (at - y.from) * factor, at + (y.to - at) * factor);
    autoY_ = false;
    emit YZoomed(fixedY_.from, fixedY_.to);
    return;
  }
  if (live_) {
    // The live view keeps following the end; only its width changes.
    liveSamples_ = std::clamp<int64_t>(std::llround(liveSamples_ * factor), 2, history_.Capacity());
    emit LiveWindowZoomed(liveSamples_);
    update();
    return;
  }
  const Span x = ShownX();
  const double at = x.from + (x.to - x.from) * (e->position().x() - area.left()) / area.width();
  ShowSpan({at - (at - x.from) * factor, at + (x.to - at) * factor});
}

void PlotView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragFrom_ = e->position().toPoint();
  dragSpan_ = ShownX();
}

void PlotView::mouseMoveEvent(QMouseEvent* e) {
  cursorX_ = e->position().toPoint().x();
  if (dragFrom_) {
    const double shift = (dragFrom_->x() - e->position().x()) * (dragSpan_.to - dragSpan_.from) / PlotArea().width();
    if (live_ && shift != 0) emit LeftLiveView();
    ShowSpan({dragSpan_.from + shift, dragSpan_.to + shift});
  }
  update();
}

void PlotView::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

void PlotView::leaveEvent(QEvent*) {
  cursorX_.reset();
  update();
}
