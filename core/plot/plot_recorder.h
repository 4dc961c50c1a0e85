#pragma once
// From received chunks to kept samples: the chosen parser reads the bytes, and each row it
// gives becomes one sample of the history, stamped with its chunk's arrival time.
//
// Rows are put into series by their layout: by name for `name:value` rows (new names add a
// series), by position for bare numbers. The first row after a clear sets the layout. A row
// of another layout is skipped and counted, since a line that lost its end or a garbled
// line looks just like that; but when kLayoutSwitchRows rows in a row agree on a new layout,
// the device did change what it prints, and the last of them sets the new layout (new series
// added, series the new rows lack get gaps). Values kept are 32-bit floats (about seven
// significant digits); a value beyond their range makes the row unreadable.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/plot/parsed_row.h"
#include "core/plot/sample_history.h"

class PlotRecorder final : private ParsedRowSink {
 public:
  static constexpr int kLayoutSwitchRows = 3;
  using Clock = std::chrono::steady_clock;

  // `history` outlives the recorder.
  PlotRecorder(SampleHistory& history, std::unique_ptr<SampleParser> parser);
  void SetParser(std::unique_ptr<SampleParser> parser);  // a fresh parser: any half line is dropped

  void Feed(const unsigned char* bytes, size_t count, Clock::time_point arrival);
  // Empties the history and the counts; the next row sets the layout and time 0.
  void Clear();

  int64_t UnreadableCount() const { return unreadable_; }
  // Samples that could not be kept (a series whose memory could not be had).
  int64_t LostCount() const { return lost_; }

 private:
  using Layout = std::vector<std::string>;  // one name per value, empty names for bare numbers

  void Row(const ParsedRow& row) override;
  void Unreadable() override { ++unreadable_; }
  static Layout LayoutOf(const ParsedRow& row);
  bool Adopt(const Layout& layout);

  SampleHistory& history_;
  std::unique_ptr<SampleParser> parser_;
  Clock::time_point arrival_{};
  std::optional<Clock::time_point> origin_;
  Layout layout_;
  std::vector<int> columns_;  // the series of each value of the current layout
  Layout candidate_;
  int candidateRows_ = 0;
  std::vector<float> values_;
  int64_t unreadable_ = 0;
  int64_t lost_ = 0;
};
