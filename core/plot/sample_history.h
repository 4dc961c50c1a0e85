#pragma once
// The kept samples: a ring of the last Capacity() samples, each with its arrival time and one
// value per series (NaN where a series has no value). Samples are numbered from 0 since the
// last Clear(); the ring holds [Begin(), End()). Besides the values it keeps, per block of
// kBlock samples, the smallest and largest value of each series, so that the range over a
// million samples reads a few thousand block summaries instead of every sample.
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct ValueRange {
  float min = std::numeric_limits<float>::infinity();
  float max = -std::numeric_limits<float>::infinity();
  bool Empty() const { return min > max; }
  void Add(float v) {  // NaN is ignored: both comparisons are false
    if (v < min) min = v;
    if (v > max) max = v;
  }
  void Add(const ValueRange& r) {
    if (r.min < min) min = r.min;
    if (r.max > max) max = r.max;
  }
};

class SampleHistory {
 public:
  static constexpr int64_t kBlock = 32;
  static constexpr int64_t kDefaultCapacity = int64_t{1} << 20;  // 1,048,576 samples per series

  // `capacity` is rounded up to whole blocks.
  explicit SampleHistory(int64_t capacity = kDefaultCapacity);

  int64_t Capacity() const { return capacity_; }
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  const std::string& Name(int series) const { return series_[series].name; }
  // Adds a series whose earlier samples are gaps; its index, or -1 when its memory could
  // not be had.
  int AddSeries(std::string name);

  // Appends one sample: its time and one value per series (missing ones are gaps).
  void Append(int64_t timeUs, std::span<const float> values);
  // Drops every sample and series.
  void Clear();

  int64_t Begin() const { return end_ > capacity_ ? end_ - capacity_ : 0; }
  int64_t End() const { return end_; }
  // Sample `index` in [Begin(), End()).
  float Value(int series, int64_t index) const { return series_[series].values[Slot(index)]; }
  int64_t TimeUs(int64_t index) const { return times_[Slot(index)]; }
  // The smallest and largest value of a series over [from, to), clamped to what is kept.
  ValueRange Range(int series, int64_t from, int64_t to) const;
  // The first kept sample at or after `timeUs` (End() when none); times never go back.
  int64_t FirstAtOrAfter(int64_t timeUs) const;

 private:
  struct Series {
    std::string name;
    std::unique_ptr<float[]> values;
    std::vector<ValueRange> blocks;
  };
  int64_t Slot(int64_t index) const { return index & (capacity_ - 1); }
  ValueRange RawRange(const Series& s, int64_t from, int64_t to) const;

  int64_t capacity_;  // a power of two, at least one block
  int64_t end_ = 0;
  std::unique_ptr<int64_t[]> times_;
  std::vector<Series> series_;
};
