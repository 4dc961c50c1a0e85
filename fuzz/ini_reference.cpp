#include "ini_reference.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

RefLine Classify(std::string text) {
  RefLine line;
  line.text = std::move(text);
  const std::string body = Trim(line.text);
  if (body.empty() || body[0] == ';' || body[0] == '#') return line;
  if (body[0] == '[') {
    const size_t close = body.find(']', 1);
    line.kind = RefLine::Kind::kSection;
    line.name = Trim(std::string_view(body).substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  const size_t equals = line.text.find('=');
  if (equals == std::string::npos || Trim(line.text.substr(0, equals)).empty()) return line;
  line.kind = RefLine::Kind::kKey;
  line.name = Trim(line.text.substr(0, equals));
  line.rawValue = line.text.substr(equals + 1);
  return line;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

std::vector<RefLine> RefParse(std::string_view bytes) {
  std::vector<RefLine> lines;
  std::string current;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n') {
      current.push_back(bytes[i]);
      continue;
    }
    while (!current.empty() && current.back() == '\r') current.pop_back();
    lines.push_back(Classify(current));
    current.clear();
  }
  if (!current.empty()) {
    while (!current.empty() && current.back() == '\r') current.pop_back();  // CRs ending the file end its line
    lines.push_back(Classify(current));
  }
  return lines;
}

std::vector<std::string> RefSplitSerialized(std::string_view bytes, bool crlf) {
  const std::string_view end = crlf ? "\r\n" : "\n";
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos = bytes.find(end); pos != std::string_view::npos; pos = bytes.find(end, start)) {
    lines.emplace_back(bytes.substr(start, pos - start));
    start = pos + end.size();
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));  // would be a missing line end
  return lines;
}

bool RefNamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::optional<size_t> RefFindKeyLine(const std::vector<RefLine>& lines, std::string_view section,
                                     std::string_view key) {
  size_t i = 0;
  while (i < lines.size() && !(lines[i].kind == RefLine::Kind::kSection && RefNamesMatch(lines[i].name, section))) ++i;
  for (++i; i < lines.size() && lines[i].kind != RefLine::Kind::kSection; ++i) {
    if (lines[i].kind == RefLine::Kind::kKey && RefNamesMatch(lines[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> RefFind(const std::vector<RefLine>& lines, std::string_view section,
                                   std::string_view key) {
  const std::optional<size_t> line = RefFindKeyLine(lines, section, key);
  if (!line) return std::nullopt;
  std::string value = Trim(lines[*line].rawValue);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

std::optional<int32_t> RefLeadingInteger(std::string_view value) {
  size_t pos = 0;
  while (pos < value.size() && IsBlank(value[pos])) ++pos;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) negative = value[pos++] == '-';
  if (pos == value.size() || value[pos] < '0' || value[pos] > '9') return std::nullopt;
  long double magnitude = 0;
  for (; pos < value.size() && value[pos] >= '0' && value[pos] <= '9'; ++pos) {
    if (magnitude < 1e12L) magnitude = magnitude * 10 + (value[pos] - '0');
  }
  const long double signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX) return INT32_MAX;
  if (signedValue < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(signedValue);
}

size_t RefGbkPrefix(std::string_view value, size_t maxBytes) {
  size_t fitted = 0;
  size_t pos = 0;
  while (pos < value.size()) {
    const auto lead = static_cast<uint8_t>(value[pos]);
    const bool pair = lead >= 0x81 && lead <= 0xFE && pos + 1 < value.size() &&
                      static_cast<uint8_t>(value[pos + 1]) >= 0x40 && static_cast<uint8_t>(value[pos + 1]) != 0x7F &&
                      static_cast<uint8_t>(value[pos + 1]) != 0xFF;
    pos += pair ? 2 : 1;
    if (pos > maxBytes) break;
    fitted = pos;
  }
  return fitted;
}
