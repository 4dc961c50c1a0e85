#pragma once
// A slow reading of the settings file format, written from its documented rules rather than
// from the reader's code: lines end at LF (CRs before the LF, or ending the file, belong to
// the line end); a line whose first non-blank is '[' names a section up to ']', one whose first
// non-blank is ';' or '#' is a comment, one with '=' and a non-blank name before it is a key.
// Names match without regard to ASCII case; the first matching section and its first matching
// key count.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RefLine {
  enum class Kind { kOther, kSection, kKey };
  std::string text;
  Kind kind = Kind::kOther;
  std::string name;      // section or key name, blanks trimmed
  std::string rawValue;  // key: everything after the first '='
};

// The lines of a file as the reader sees them.
std::vector<RefLine> RefParse(std::string_view bytes);
// The line texts of a serialized document, which ends every line with `crlf` or LF.
std::vector<std::string> RefSplitSerialized(std::string_view bytes, bool crlf);

bool RefNamesMatch(std::string_view a, std::string_view b);
// Index of the line that holds the key's value, if any.
std::optional<size_t> RefFindKeyLine(const std::vector<RefLine>& lines, std::string_view section,
                                     std::string_view key);
std::optional<std::string> RefFind(const std::vector<RefLine>& lines, std::string_view section,
                                   std::string_view key);
// Leading blanks, a sign and decimal digits, saturated to 32 bits; nothing without a digit.
std::optional<int32_t> RefLeadingInteger(std::string_view value);
// Length of the longest prefix of at most `maxBytes` bytes that does not split a GBK pair.
size_t RefGbkPrefix(std::string_view value, size_t maxBytes);
