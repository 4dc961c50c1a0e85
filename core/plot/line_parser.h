#pragma once
// Text lines of numbers: a line ends at CR, LF or CRLF and holds up to kMaxPlotSeries numbers
// separated by commas, blanks, tabs or semicolons, either bare (`1.5, -2, 3e4`) or as
// `name:value` pairs (`temp:21.5,hum:40`, also `temp: 21.5`). Blank lines are ignored; a
// line with anything else (words, NaN, infinity, too many values, a mix of named and bare
// values, control bytes) is unreadable, as is a line longer than kMaxLineBytes, which counts
// once and is skipped up to its end.
#include <string>

#include "core/plot/parsed_row.h"

// Reads one line's text (without its end) into `row`; false when it is not a row of numbers.
// A line of nothing but separators gives a row of count 0.
bool ParseNumberLine(std::string_view line, ParsedRow& row);

class LineParser final : public SampleParser {
 public:
  static constexpr size_t kMaxLineBytes = 4096;
  static constexpr size_t kMaxNameBytes = 32;

  LineParser() { line_.reserve(kMaxLineBytes); }
  void Feed(const unsigned char* bytes, size_t count, ParsedRowSink& sink) override;

 private:
  void EndLine(ParsedRowSink& sink);

  std::string line_;
  bool overlong_ = false;  // the current line passed the limit: skipped up to its end
  bool afterCr_ = false;   // an LF right after a CR ends no second line
  ParsedRow row_;
};
