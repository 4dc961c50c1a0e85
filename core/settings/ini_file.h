#pragma once
// The settings file's format: an initialisation file of "[section]" lines and "key=value"
// lines, kept as a document of lines so that a rewrite changes only the keys written.
//
// Reading:
//  - Lines end at LF; CRs before the LF belong to the line end (files from the other OS), and
//    so do CRs that end the file.
//  - Blanks are spaces and tabs. A line whose first non-blank is '[' starts a section named by
//    the text up to ']' (or the line's end), blanks trimmed. A line whose first non-blank is ';'
//    or '#' is a comment. A line with '=' is a key: the name before the first '=', the value
//    after it, both blank-trimmed; then one pair of double quotes around the value is removed.
//    Anything else is kept as it stands. Keys before the first section belong to no section.
//  - Section and key names match without regard to ASCII case; other bytes match exactly.
//    The first matching section and, inside it, the first matching key count.
//  - Values are bytes (GBK here) and are never transcoded.
//
// Writing:
//  - A value with a blank at either end, a double quote at either end, '=' or ';' is written in
//    double quotes, so every value reads back exactly as written; other values (the empty one
//    included) are written bare, as the other OS's version of this program writes them.
//  - CR, LF and NUL cannot be stored in a line: Write refuses such a value (and names that are
//    empty, blank-padded, or would read back as something else) and changes nothing.
//  - An existing key's line is replaced in place (keeping the file's spelling of the name); a
//    new key goes after the last non-blank line of its section; a missing section is appended
//    at the end. Every other line, known or not, stays as it was and where it was.
//  - The document is written with the line end of the file it was read from (CRLF when its
//    first line ended in CRLF, else LF), and ends with a line end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes);
  std::string Serialize() const;

  // The key's value with its quotes removed, or nothing when the section or key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // The value cut to at most maxBytes bytes (never in the middle of a GBK character), or
  // `defaultText` when the key is missing.
  std::string ReadText(std::string_view section, std::string_view key, std::string_view defaultText,
                       size_t maxBytes) const;

  // Leading blanks, an optional sign and decimal digits; whatever follows the digits is
  // ignored. A missing key or a value without digits gives `defaultValue`. Values beyond the
  // 32-bit range saturate at INT32_MIN / INT32_MAX. Cutting to 8 bits is the caller's job.
  int32_t ReadInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

  // Sets the key, creating it and its section when needed. False (nothing changed) when the
  // section, key or value cannot be stored, see above.
  [[nodiscard]] bool Write(std::string_view section, std::string_view key, std::string_view value);
  // Writes the number as plain decimal text.
  [[nodiscard]] bool WriteInt(std::string_view section, std::string_view key, int64_t value);

  bool UsesCrLf() const { return crlf_; }
  bool Empty() const { return lines_.empty(); }

 private:
  enum class LineKind { kOther, kSection, kKey };
  struct Line {
    std::string text;   // as in the file, without the line end
    LineKind kind;
    std::string name;   // section or key name, blanks trimmed
    size_t valueStart;  // kKey: offset of the text after the first '='
  };
  static Line Classify(std::string text);
  std::optional<size_t> FindSection(std::string_view section) const;
  size_t SectionEnd(size_t sectionLine) const;
  std::optional<size_t> FindKey(size_t sectionLine, std::string_view key) const;

  std::vector<Line> lines_;
  bool crlf_ = false;
};

// Value as written on a key line: quoted when it would otherwise not read back unchanged.
std::string QuoteIniValue(std::string_view value);
// The reverse, for the raw text after '=': blanks trimmed, one pair of quotes removed.
std::string_view UnquoteIniValue(std::string_view raw);
