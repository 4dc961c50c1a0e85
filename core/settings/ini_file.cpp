#include "core/settings/ini_file.h"

#include <algorithm>
#include <climits>

#include "core/text/gbk_bytes.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NamesMatch(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != text.npos; }

bool IsStorableName(std::string_view name) {
  return !name.empty() && TrimBlanks(name).size() == name.size() && !HasLineBreakOrNul(name);
}

bool IsStorableSection(std::string_view section) {
  return IsStorableName(section) && section.find(']') == section.npos;
}

bool IsStorableKey(std::string_view key) {
  return IsStorableName(key) && key.find('=') == key.npos && key.front() != '[' && key.front() != ';' &&
         key.front() != '#';
}

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  return IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"' || value.back() == '"' ||
         value.find_first_of("=;") != value.npos;
}

// Reads an optional sign and decimal digits after leading blanks; nothing when no digit.
std::optional<int32_t> ParseLeadingInteger(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const size_t firstDigit = pos;
  constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;  // magnitude of INT32_MIN
  int64_t magnitude = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    magnitude = std::min(magnitude * 10 + (text[pos] - '0'), kLimit);
  }
  if (pos == firstDigit) return std::nullopt;
  if (negative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX));
}

}  // namespace

std::string QuoteIniValue(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.push_back('"');
  quoted.append(value);
  quoted.push_back('"');
  return quoted;
}

std::string_view UnquoteIniValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

IniDocument::Line IniDocument::Classify(std::string text) {
  Line line{std::move(text), LineKind::kOther, {}, 0};
  const std::string_view body = TrimBlanks(line.text);
  if (body.empty() || body.front() == ';' || body.front() == '#') return line;
  if (body.front() == '[') {
    const std::string_view inside = body.substr(1);
    line.kind = LineKind::kSection;
    line.name = TrimBlanks(inside.substr(0, inside.find(']')));
    return line;
  }
  const size_t equals = line.text.find('=');
  if (equals == std::string::npos) return line;
  line.name = TrimBlanks(std::string_view(line.text).substr(0, equals));
  if (line.name.empty()) return line;
  line.kind = LineKind::kKey;
  line.valueStart = equals + 1;
  return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument document;
  const size_t firstLf = bytes.find('\n');
  document.crlf_ = firstLf != bytes.npos && firstLf > 0 && bytes[firstLf - 1] == '\r';
  document.lines_.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  while (!bytes.empty()) {
    const size_t lf = bytes.find('\n');
    std::string_view text = bytes.substr(0, lf);
    bytes.remove_prefix(lf == bytes.npos ? bytes.size() : lf + 1);
    // Every CR at a line's end belongs to the line end, also on a last line without LF:
    // a save writes the line with its own line end, and a CR kept in the text would then
    // be read back as part of that line end instead of the value.
    while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    document.lines_.push_back(Classify(std::string(text)));
  }
  return document;
}

std::string IniDocument::Serialize() const {
  const std::string_view lineEnd = crlf_ ? "\r\n" : "\n";
  size_t size = 0;
  for (const Line& line : lines_) size += line.text.size() + lineEnd.size();
  std::string bytes;
  bytes.reserve(size);
  for (const Line& line : lines_) {
    bytes.append(line.text);
    bytes.append(lineEnd);
  }
  return bytes;
}

std::optional<size_t> IniDocument::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::kSection && NamesMatch(lines_[i].name, section)) return i;
  }
  return std::nullopt;
}

size_t IniDocument::SectionEnd(size_t sectionLine) const {
  size_t end = sectionLine + 1;
  while (end < lines_.size() && lines_[end].kind != LineKind::kSection) ++end;
  return end;
}

std::optional<size_t> IniDocument::FindKey(size_t sectionLine, std::string_view key) const {
  const size_t end = SectionEnd(sectionLine);
  for (size_t i = sectionLine + 1; i < end; ++i) {
    if (lines_[i].kind == LineKind::kKey && NamesMatch(lines_[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const std::optional<size_t> sectionLine = FindSection(section);
  if (!sectionLine) return std::nullopt;
  const std::optional<size_t> keyLine = FindKey(*sectionLine, key);
  if (!keyLine) return std::nullopt;
  const Line& line = lines_[*keyLine];
  return std::string(UnquoteIniValue(std::string_view(line.text).substr(line.valueStart)));
}

std::string IniDocument::ReadText(std::string_view section, std::string_view key, std::string_view defaultText,
                                  size_t maxBytes) const {
  std::optional<std::string> value = Find(section, key);
  if (!value) return std::string(defaultText);
  value->resize(GbkPrefixLength(*value, maxBytes));
  return std::move(*value);
}

int32_t IniDocument::ReadInt(std::string_view section, std::string_view key, int32_t defaultValue) const {
  const std::optional<std::string> value = Find(section, key);
  if (!value) return defaultValue;
  return ParseLeadingInteger(*value).value_or(defaultValue);
}

bool IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsStorableSection(section) || !IsStorableKey(key) || HasLineBreakOrNul(value)) return false;
  const std::string quoted = QuoteIniValue(value);
  const std::optional<size_t> sectionLine = FindSection(section);
  if (!sectionLine) {
    lines_.push_back(Classify("[" + std::string(section) + "]"));
    lines_.push_back(Classify(std::string(key) + "=" + quoted));
    return true;
  }
  if (const std::optional<size_t> keyLine = FindKey(*sectionLine, key)) {
    Line& line = lines_[*keyLine];
    line = Classify(line.name + "=" + quoted);
    return true;
  }
  size_t insertAt = SectionEnd(*sectionLine);
  while (insertAt > *sectionLine + 1 && TrimBlanks(lines_[insertAt - 1].text).empty()) --insertAt;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Classify(std::string(key) + "=" + quoted));
  return true;
}

bool IniDocument::WriteInt(std::string_view section, std::string_view key, int64_t value) {
  return Write(section, key, std::to_string(value));
}
