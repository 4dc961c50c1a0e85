#include "core/plot/plot_recorder.h"

#include <cmath>
#include <limits>

PlotRecorder::PlotRecorder(SampleHistory& history, std::unique_ptr<SampleParser> parser)
    : history_(history), parser_(std::move(parser)) {}

void PlotRecorder::SetParser(std::unique_ptr<SampleParser> parser) { parser_ = std::move(parser); }

void PlotRecorder::Feed(const unsigned char* bytes, size_t count, Clock::time_point arrival) {
  arrival_ = arrival;
  parser_->Feed(bytes, count, *this);
}

void PlotRecorder::Clear() {
  history_.Clear();
  origin_.reset();
  layout_.clear();
  columns_.clear();
  candidate_.clear();
  candidateRows_ = 0;
  unreadable_ = 0;
  lost_ = 0;
}

PlotRecorder::Layout PlotRecorder::LayoutOf(const ParsedRow& row) {
  Layout layout(row.count);
  for (int i = 0; i < row.count; ++i) layout[i] = std::string(row.names[i]);
  return layout;
}

bool PlotRecorder::Adopt(const Layout& layout) {
  std::vector<int> columns;
  for (size_t i = 0; i < layout.size(); ++i) {
    int column = -1;
    if (layout[i].empty()) {
      // Bare numbers go by position, over the unnamed series in their order.
      int seen = 0;
      for (int s = 0; s < history_.SeriesCount() && column < 0; ++s) {
        if (history_.Name(s).empty() && seen++ == static_cast<int>(i)) column = s;
      }
    } else {
      for (int s = 0; s < history_.SeriesCount() && column < 0; ++s) {
        if (history_.Name(s) == layout[i]) column = s;
      }
    }
    if (column < 0) {
      if (history_.SeriesCount() == kMaxPlotSeries) return false;
      column = history_.AddSeries(layout[i]);
      if (column < 0) return false;
    }
    columns.push_back(column);
  }
  layout_ = layout;
  columns_ = std::move(columns);
  return true;
}

void PlotRecorder::Row(const ParsedRow& row) {
  for (int i = 0; i < row.count; ++i) {
    if (!std::isfinite(static_cast<float>(row.values[i]))) {
      ++unreadable_;
      return;
    }
  }
  const bool sameLayout = [&] {
    if (static_cast<int>(layout_.size()) != row.count) return false;
    for (int i = 0; i < row.count; ++i) {
      if (layout_[i] != row.names[i]) return false;
    }
    return true;
  }();
  if (!sameLayout) {
    Layout layout = LayoutOf(row);
    if (!layout_.empty()) {
      candidateRows_ = layout == candidate_ ? candidateRows_ + 1 : 1;
      candidate_ = layout;
      if (candidateRows_ < kLayoutSwitchRows) {
        ++unreadable_;
        return;
      }
    }
    candidate_.clear();
    candidateRows_ = 0;
    if (!Adopt(layout)) {
      ++lost_;
      return;
    }
  } else {
    candidate_.clear();
    candidateRows_ = 0;
  }
  if (!origin_) origin_ = arrival_;
  values_.assign(history_.SeriesCount(), std::numeric_limits<float>::quiet_NaN());
  for (int i = 0; i < row.count; ++i) values_[columns_[i]] = static_cast<float>(row.values[i]);
  const int64_t timeUs = std::chrono::duration_cast<std::chrono::microseconds>(arrival_ - *origin_).count();
  history_.Append(timeUs, values_);
}
