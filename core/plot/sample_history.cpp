#include "core/plot/sample_history.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

SampleHistory::SampleHistory(int64_t capacity)
    : capacity_(static_cast<int64_t>(std::bit_ceil(static_cast<uint64_t>(std::max(capacity, kBlock))))),
      times_(new int64_t[capacity_]) {}

int SampleHistory::AddSeries(std::string name) {
  Series s;
  s.name = std::move(name);
  // Left uninitialised on purpose: pages are only taken as samples arrive.
  s.values.reset(new (std::nothrow) float[capacity_]);
  if (!s.values) return -1;
  for (int64_t i = Begin(); i < end_; ++i) s.values[Slot(i)] = std::numeric_limits<float>::quiet_NaN();
  s.blocks.assign(capacity_ / kBlock, ValueRange{});
  series_.push_back(std::move(s));
  return SeriesCount() - 1;
}

void SampleHistory::Append(int64_t timeUs, std::span<const float> values) {
  const int64_t slot = Slot(end_);
  const bool blockStarts = slot % kBlock == 0;
  times_[slot] = timeUs;
  for (size_t k = 0; k < series_.size(); ++k) {
    Series& s = series_[k];
    const float v = k < values.size() ? values[k] : std::numeric_limits<float>::quiet_NaN();
    s.values[slot] = v;
    ValueRange& block = s.blocks[slot / kBlock];
    if (blockStarts) block = ValueRange{};
    block.Add(v);
  }
  ++end_;
}

void SampleHistory::Clear() {
  series_.clear();
  end_ = 0;
}

ValueRange SampleHistory::RawRange(const Series& s, int64_t from, int64_t to) const {
  ValueRange r;
  for (int64_t i = from; i < to; ++i) r.Add(s.values[Slot(i)]);
  return r;
}

ValueRange SampleHistory::Range(int series, int64_t from, int64_t to) const {
  from = std::max(from, Begin());
  to = std::min(to, end_);
  if (from >= to) return {};
  const Series& s = series_[series];
  // A whole block inside [Begin(), End()) was started afresh at its first sample and has not
  // been overwritten since, so its summary holds exactly its samples.
  const int64_t firstBlock = (from + kBlock - 1) / kBlock;
  const int64_t lastBlock = to / kBlock;
  if (firstBlock >= lastBlock) return RawRange(s, from, to);
  ValueRange r = RawRange(s, from, firstBlock * kBlock);
  for (int64_t b = firstBlock; b < lastBlock; ++b) r.Add(s.blocks[Slot(b * kBlock) / kBlock]);
  r.Add(RawRange(s, lastBlock * kBlock, to));
  return r;
}

int64_t SampleHistory::FirstAtOrAfter(int64_t timeUs) const {
  int64_t lo = Begin(), hi = end_;
  while (lo < hi) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (TimeUs(mid) < timeUs) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}
