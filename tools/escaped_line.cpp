#include "tools/escaped_line.h"

#include <cstdio>

namespace {

// How many bytes the UTF-8 sequence started by `lead` has, and the range its second byte
// must fall in; length 0 when `lead` starts no sequence of two bytes or more.
struct Utf8Lead {
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
};

Utf8Lead LeadOf(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};  // no overlong forms
  if (lead == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (lead >= 0xE1 && lead <= 0xEF) return {3};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};  // nothing beyond U+10FFFF
  if (lead >= 0xF1 && lead <= 0xF3) return {4};
  return {};
}

// Length of the well-formed multi-byte sequence at `pos`, 0 when there is none.
size_t Utf8SequenceLength(std::string_view text, size_t pos) {
  const Utf8Lead lead = LeadOf(static_cast<unsigned char>(text[pos]));
  if (lead.length == 0 || pos + lead.length > text.size()) return 0;
  const auto second = static_cast<unsigned char>(text[pos + 1]);
  if (second < lead.low || second > lead.high) return 0;
  for (size_t i = 2; i < lead.length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if (next < 0x80 || next > 0xBF) return 0;
  }
  return lead.length;
}

void AppendEscaped(std::string& line, unsigned char byte) {
  switch (byte) {
    case '\\': line += "\\\\"; return;
    case '\n': line += "\\n"; return;
    case '\t': line += "\\t"; return;
    default: break;
  }
  if (byte >= 0x20 && byte < 0x7F) {
    line += static_cast<char>(byte);
    return;
  }
  char hex[5];
  std::snprintf(hex, sizeof hex, "\\x%02X", byte);
  line += hex;
}

}  // namespace

std::string EscapedForLine(std::string_view path) {
  std::string line;
  for (size_t pos = 0; pos < path.size();) {
    if (const size_t length = Utf8SequenceLength(path, pos)) {
      line.append(path.substr(pos, length));
      pos += length;
    } else {
      AppendEscaped(line, static_cast<unsigned char>(path[pos++]));
    }
  }
  return line;
}
