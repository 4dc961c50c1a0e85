#include "core/plot/csv_export.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>

#include "core/plot/sample_history.h"
#include "core/settings/file_io.h"

namespace {

void AppendHeading(std::string& out, const std::string& name, int series) {
  if (name.empty()) {
    out += "series" + std::to_string(series + 1);
  } else if (name.find_first_of("\",\r\n") == std::string::npos) {
    out += name;
  } else {
    out += '"';
    for (const char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    out += '"';
  }
}

void AppendTime(std::string& out, int64_t us) {
  char text[32];
  const bool negative = us < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(us) : static_cast<uint64_t>(us);
  const int n = std::snprintf(text, sizeof text, "%s%llu.%06llu", negative ? "-" : "",
                              static_cast<unsigned long long>(magnitude / 1000000),
                              static_cast<unsigned long long>(magnitude % 1000000));
  out.append(text, n);
}

}  // namespace

std::string PlotCsv(const SampleHistory& history, int64_t from, int64_t to) {
  from = std::max(from, history.Begin());
  to = std::min(to, history.End());
  const int series = history.SeriesCount();
  std::string out = "sample,time_s";
  for (int s = 0; s < series; ++s) {
    out += ',';
    AppendHeading(out, history.Name(s), s);
  }
  out += '\n';
  if (from < to) out.reserve(out.size() + static_cast<size_t>(to - from) * (24 + 12 * series));
  char number[32];
  for (int64_t i = from; i < to; ++i) {
    out.append(number, std::to_chars(number, number + sizeof number, i).ptr);
    out += ',';
    AppendTime(out, history.TimeUs(i));
    for (int s = 0; s < series; ++s) {
      out += ',';
      const float v = history.Value(s, i);
      if (!std::isnan(v)) out.append(number, std::to_chars(number, number + sizeof number, v).ptr);
    }
    out += '\n';
  }
  return out;
}

int SavePlotCsv(const std::string& path, const SampleHistory& history, int64_t from, int64_t to) {
  return WriteFileAtomically(path, PlotCsv(history, from, to), 0666);
}
