#pragma once
// One row of values as a parser reads it from the received bytes, and the receiver of rows.
#include <array>
#include <string_view>

inline constexpr int kMaxPlotSeries = 16;

struct ParsedRow {
  int count = 0;
  std::array<double, kMaxPlotSeries> values{};
  // Empty when the line had bare numbers; for `name:value` pairs the names, valid only during
  // the call that hands the row over.
  std::array<std::string_view, kMaxPlotSeries> names{};
};

class ParsedRowSink {
 public:
  virtual ~ParsedRowSink() = default;
  virtual void Row(const ParsedRow& row) = 0;
  // One line or frame (or one stretch of bytes between frames) that could not be read.
  virtual void Unreadable() = 0;
};

// Turns received bytes into rows. A stream cut anywhere gives the same rows as the stream whole.
class SampleParser {
 public:
  virtual ~SampleParser() = default;
  virtual void Feed(const unsigned char* bytes, size_t count, ParsedRowSink& sink) = 0;
};
