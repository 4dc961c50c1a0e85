#include "core/plot/line_parser.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace {

bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == ';'; }

// A finite decimal number and nothing else; a leading '+' is allowed, as printf may write it.
std::optional<double> ParseNumber(std::string_view text) {
  const bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool IsName(std::string_view name) {
  if (name.empty() || name.size() > LineParser::kMaxNameBytes) return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  return true;
}

}  // namespace

bool ParseNumberLine(std::string_view line, ParsedRow& row) {
  row.count = 0;
  int named = 0;
  std::string_view pendingName;  // a `name:` whose value is the next token
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSeparator(line[i])) ++i;
    if (i == line.size()) break;
    const size_t start = i;
    while (i < line.size() && !IsSeparator(line[i])) ++i;
    std::string_view token = line.substr(start, i - start);
    std::string_view name;
    if (!pendingName.empty()) {
      name = pendingName;
      pendingName = {};
    } else if (const size_t colon = token.rfind(':'); colon != std::string_view::npos) {
      name = token.substr(0, colon);
      token.remove_prefix(colon + 1);
      if (!IsName(name)) return false;
      if (token.empty()) {
        pendingName = name;
        continue;
      }
    }
    const std::optional<double> value = ParseNumber(token);
    if (!value || row.count == kMaxPlotSeries) return false;
    for (int k = 0; k < row.count && !name.empty(); ++k) {
      if (row.names[k] == name) return false;  // one name twice: which one is meant?
    }
    named += name.empty() ? 0 : 1;
    row.names[row.count] = name;
    row.values[row.count++] = *value;
  }
  return pendingName.empty() && (named == 0 || named == row.count);
}

void LineParser::Feed(const unsigned char* bytes, size_t count, ParsedRowSink& sink) {
  for (size_t i = 0; i < count; ++i) {
    const char c = static_cast<char>(bytes[i]);
    const bool lf = c == '\n';
    if (lf && afterCr_) {
      afterCr_ = false;
      continue;
    }
    afterCr_ = c == '\r';
    if (lf || afterCr_) {
      EndLine(sink);
    } else if (overlong_) {
      continue;
    } else if (line_.size() == kMaxLineBytes) {
      overlong_ = true;
      line_.clear();
      sink.Unreadable();
    } else {
      line_.push_back(c);
    }
  }
}

void LineParser::EndLine(ParsedRowSink& sink) {
  if (overlong_) {
    overlong_ = false;
    return;
  }
  if (line_.empty()) return;
  if (!ParseNumberLine(line_, row_)) {
    sink.Unreadable();
  } else if (row_.count > 0) {
    sink.Row(row_);
  }
  line_.clear();
}
