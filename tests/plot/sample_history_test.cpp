// The sample ring, its block summaries and the decimation against a brute-force reference
// that keeps every sample ever appended.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/plot/decimation.h"
#include "core/plot/sample_history.h"

namespace {

constexpr float kGap = std::numeric_limits<float>::quiet_NaN();

struct Reference {
  std::vector<std::vector<float>> values;  // [series][absolute sample]
  std::vector<int64_t> times;

  ValueRange Range(int s, int64_t from, int64_t to, int64_t begin) const {
    ValueRange r;
    for (int64_t i = std::max(from, begin); i < std::min<int64_t>(to, times.size()); ++i) {
      const float v = values[s][i];
      if (std::isnan(v)) continue;
      r.min = std::min(r.min, v);
      r.max = std::max(r.max, v);
    }
    return r;
  }
};

void ExpectSameRange(const ValueRange& got, const ValueRange& want, const std::string& where) {
  ASSERT_EQ(got.Empty(), want.Empty()) << where;
  if (want.Empty()) return;
  ASSERT_EQ(got.min, want.min) << where;
  ASSERT_EQ(got.max, want.max) << where;
}

// Samples arrive in chunks that share a time; a second series starts halfway; gaps here and
// there; the ring wraps about three times.
TEST(SampleHistory, RangesAndDecimationMatchEverySampleKept) {
  SampleHistory history(1000);  // rounded up to 1024
  ASSERT_EQ(history.Capacity(), 1024);
  Reference ref;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-1000, 1000);
  history.AddSeries("a");
  ref.values.resize(1);
  int64_t time = 0;
  std::vector<int64_t> bounds;
  std::vector<ValueRange> columns;
  for (int64_t n = 0; n < 3500; ++n) {
    if (n == 1500) {
      ASSERT_EQ(history.AddSeries("b"), 1);
      ref.values.emplace_back(n, kGap);
    }
    if (random() % 5 == 0) time += random() % 3000;
    std::vector<float> row;
    for (size_t s = 0; s < ref.values.size(); ++s) row.push_back(random() % 17 == 0 ? kGap : value(random));
    history.Append(time, row);
    for (size_t s = 0; s < row.size(); ++s) ref.values[s].push_back(row[s]);
    ref.times.push_back(time);
    if (n % 89 != 0 && n != 3499) continue;

    const int64_t end = n + 1;
    const int64_t begin = std::max<int64_t>(0, end - 1024);
    ASSERT_EQ(history.Begin(), begin);
    ASSERT_EQ(history.End(), end);
    for (int s = 0; s < history.SeriesCount(); ++s) {
      for (int k = 0; k < 40; ++k) {
        int64_t from = static_cast<int64_t>(random() % (end + 300)) - 300;
        int64_t to = from + static_cast<int64_t>(random() % 1500);
        ExpectSameRange(history.Range(s, from, to), ref.Range(s, from, to, begin),
                        "n " + std::to_string(n) + " [" + std::to_string(from) + "," + std::to_string(to) + ")");
      }
      for (int width : {1, 7, 20, 300, 2000}) {
        SampleColumnBounds(begin, end, width, bounds);
        ASSERT_EQ(bounds.front(), begin);
        ASSERT_EQ(bounds.back(), end);
        DecimateColumns(history, s, bounds, columns);
        for (int c = 0; c < width; ++c) {
          ExpectSameRange(columns[c], ref.Range(s, bounds[c], bounds[c + 1], begin), "column " + std::to_string(c));
        }
        // Snapped to blocks, the columns still cover every sample once; none moves more than
        // half a block.
        std::vector<int64_t> snapped = bounds;
        SnapToBlocks(snapped, SampleHistory::kBlock);
        ASSERT_EQ(snapped.front(), begin);
        ASSERT_EQ(snapped.back(), end);
        for (int c = 1; c <= width; ++c) {
          ASSERT_LE(snapped[c - 1], snapped[c]);
          ASSERT_LE(std::abs(snapped[c] - bounds[c]), SampleHistory::kBlock / 2);
        }
      }
    }
    for (int64_t i = begin; i < end; i += 13) {
      ASSERT_EQ(history.TimeUs(i), ref.times[i]);
      ASSERT_TRUE(std::isnan(ref.values[0][i]) ? std::isnan(history.Value(0, i)) : history.Value(0, i) == ref.values[0][i]);
    }
    // By time: each boundary is the first kept sample at or after its moment.
    const int64_t t0 = ref.times[begin] - 500, t1 = time + 500;
    TimeColumnBounds(history, t0, t1, 50, bounds);
    for (int c = 0; c <= 50; ++c) {
      const int64_t moment = t0 + (t1 - t0) * c / 50;
      int64_t first = begin;
      while (first < end && ref.times[first] < moment) ++first;
      ASSERT_EQ(bounds[c], first) << "time column " << c;
    }
  }
  history.Clear();
  EXPECT_EQ(history.End(), 0);
  EXPECT_EQ(history.SeriesCount(), 0);
}

}  // namespace
