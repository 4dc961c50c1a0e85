// From received chunks to kept samples (series layout, arrival times), and the kept samples
// through CSV and back.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

#include "core/plot/csv_export.h"
#include "core/plot/line_parser.h"
#include "core/plot/plot_recorder.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Recording {
  SampleHistory history{4096};
  PlotRecorder recorder{history, std::make_unique<LineParser>()};
  Clock::time_point now = Clock::now();

  void Feed(const std::string& bytes, std::chrono::microseconds later = {}) {
    now += later;
    recorder.Feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), now);
  }
  // Sample i as "a b -" (gaps as "-").
  std::string Sample(int64_t i) const {
    std::string text;
    for (int s = 0; s < history.SeriesCount(); ++s) {
      const float v = history.Value(s, i);
      text += (s ? " " : "") + (std::isnan(v) ? std::string("-") : std::to_string(static_cast<int>(v)));
    }
    return text;
  }
};

TEST(PlotRecorder, KeepsTheLayoutAgainstStrayRowsAndFollowsALastingChange) {
  Recording r;
  r.Feed("1,2\n3,4\n5\n6,7\n");
  EXPECT_EQ(r.history.End(), 3);
  EXPECT_EQ(r.recorder.UnreadableCount(), 1) << "one stray line of another count";
  // Three rows of three values in a row: the device changed; the third of them is kept.
  r.Feed("8,9,10\n11,12,13\n14,15,16\n17,18,19\n");
  ASSERT_EQ(r.history.SeriesCount(), 3);
  EXPECT_EQ(r.history.End(), 5);
  EXPECT_EQ(r.Sample(2), "6 7 -");
  EXPECT_EQ(r.Sample(3), "14 15 16");
  EXPECT_EQ(r.recorder.UnreadableCount(), 3);
  // Back to two values: the third series goes on with gaps.
  r.Feed("1,1\n2,2\n3,3\n");
  EXPECT_EQ(r.Sample(r.history.End() - 1), "3 3 -");
  // Named values find their series by name; new names add series.
  r.recorder.Clear();
  r.Feed("t:1,h:2\nt:3,h:4\nh:5\nh:6\nh:7\nt:8,h:9\np:0,t:1,h:1\n");
  ASSERT_EQ(r.history.SeriesCount(), 2);
  EXPECT_EQ(r.history.Name(0), "t");
  EXPECT_EQ(r.Sample(2), "- 7");
  EXPECT_EQ(r.recorder.UnreadableCount(), 4) << "h:5, h:6, then t and h against the new layout, and p";
  r.Feed("p:0,t:1,h:1\np:2,t:3,h:4\n");
  EXPECT_EQ(r.Sample(r.history.End() - 1), "3 4 2");
  // Values a float cannot hold are unreadable, not infinite.
  r.Feed("p:1e39,t:1,h:1\n");
  EXPECT_EQ(r.recorder.UnreadableCount(), 6);
}

TEST(PlotRecorder, StampsEachRowWithItsChunksArrivalSinceTheFirstRow) {
  Recording r;
  r.Feed("garbage\n");
  r.Feed("1\n2\n3", std::chrono::microseconds(1000));
  r.Feed("\n4\n", std::chrono::microseconds(2500));
  ASSERT_EQ(r.history.End(), 4);
  EXPECT_EQ(r.history.TimeUs(0), 0);
  EXPECT_EQ(r.history.TimeUs(1), 0);
  EXPECT_EQ(r.history.TimeUs(2), 2500) << "a line counts from the chunk that ends it";
  EXPECT_EQ(r.history.TimeUs(3), 2500);
  r.recorder.Clear();
  r.Feed("5\n", std::chrono::microseconds(7));
  EXPECT_EQ(r.history.TimeUs(0), 0);
  EXPECT_EQ(r.recorder.UnreadableCount(), 0);
}

// Reads CSV back: names of the header, and per line the sample number, the time in
// microseconds and the values (NaN for empty cells).
struct ReadBack {
  std::vector<std::string> names;
  std::vector<int64_t> samples, times;
  std::vector<std::vector<float>> values;
};

ReadBack ReadCsv(const std::string& text) {
  ReadBack out;
  std::istringstream lines(text);
  std::string line;
  bool header = true;
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream split(line);
    while (std::getline(split, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    if (header) {
      out.names.assign(cells.begin() + 2, cells.end());
      header = false;
      continue;
    }
    out.samples.push_back(std::stoll(cells[0]));
    const size_t dot = cells[1].find('.');
    out.times.push_back(std::stoll(cells[1].substr(0, dot)) * 1000000 + std::stoll(cells[1].substr(dot + 1)));
    std::vector<float> row;
    for (size_t k = 2; k < cells.size(); ++k) {
      float v = std::numeric_limits<float>::quiet_NaN();
      if (!cells[k].empty()) std::from_chars(cells[k].data(), cells[k].data() + cells[k].size(), v);
      row.push_back(v);
    }
    out.values.push_back(row);
  }
  return out;
}

TEST(PlotCsv, ReadsBackAsExactlyWhatWasKept) {
  SampleHistory history(256);
  history.AddSeries("temp");
  history.AddSeries("");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<std::vector<float>> rows = {
      {0.1f, 1e-7f}, {-3.4e38f, nan}, {nan, 123456.7f}, {21.5f, -0.f}, {1.f / 3, 16777217.f}};
  int64_t time = 0;
  for (int round = 0; round < 100; ++round) {  // 500 samples: the ring has wrapped
    for (const auto& row : rows) history.Append(time += 999'999, row);
  }
  TempDir dir;
  ASSERT_EQ(SavePlotCsv(dir.File("all.csv"), history, 0, history.End()), 0);
  const std::string all = ReadTestFile(dir.File("all.csv"));
  EXPECT_EQ(all.substr(0, all.find('\n')), "sample,time_s,temp,series2");
  for (const auto& [from, to] : {std::pair<int64_t, int64_t>{0, 1000}, {300, 303}}) {
    const ReadBack back = ReadCsv(from == 0 ? all : PlotCsv(history, from, to));
    const int64_t first = std::max(from, history.Begin()), last = std::min(to, history.End());
    ASSERT_EQ(static_cast<int64_t>(back.samples.size()), last - first);
    for (int64_t i = first; i < last; ++i) {
      const size_t k = i - first;
      ASSERT_EQ(back.samples[k], i);
      ASSERT_EQ(back.times[k], history.TimeUs(i));
      for (int s = 0; s < 2; ++s) {
        const float kept = history.Value(s, i);
        ASSERT_TRUE(std::isnan(kept) ? std::isnan(back.values[k][s]) : std::signbit(kept) == std::signbit(back.values[k][s]) && kept == back.values[k][s])
            << "sample " << i << " series " << s;
      }
    }
  }
  EXPECT_NE(SavePlotCsv(dir.File("no/such/dir.csv"), history, 0, 1), 0);
}

}  // namespace
