#pragma once
// The byte structure of GBK text, for code that walks GBK bytes without converting them
// (hex parsing, the receive view, cutting settings values). A character is either one byte
// (0x00-0x80: ASCII, and 0x80 for the euro sign) or two: a lead byte 0x81-0xFE followed by a
// trail byte 0x40-0x7E or 0x80-0xFE. 0xFF never occurs. These tests are structural only:
// a well-formed pair may still be unassigned (the decoder then shows U+FFFD).
#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr bool IsGbkLeadByte(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsGbkTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
constexpr bool IsGbkPair(uint8_t lead, uint8_t trail) { return IsGbkLeadByte(lead) && IsGbkTrailByte(trail); }

// Length in bytes of the character that starts at `pos`: 2 for a well-formed pair, 1 for a
// single byte (including a stray byte that cannot start a pair), 0 when `pos` holds a lead
// byte that is the last byte of `bytes` (its trail is still to come) or `pos` is past the end.
// A character's width on a fixed-pitch display equals this length: one cell per byte.
constexpr size_t GbkCharLength(std::string_view bytes, size_t pos) {
  if (pos >= bytes.size()) return 0;
  const auto lead = static_cast<uint8_t>(bytes[pos]);
  if (!IsGbkLeadByte(lead)) return 1;
  if (pos + 1 == bytes.size()) return 0;
  return IsGbkTrailByte(static_cast<uint8_t>(bytes[pos + 1])) ? 2 : 1;
}

// The longest prefix of `bytes` of at most `maxBytes` bytes that does not end in the middle
// of a two-byte character.
constexpr size_t GbkPrefixLength(std::string_view bytes, size_t maxBytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t length = GbkCharLength(bytes, pos);
    if (length == 0) length = 1;  // a lone lead byte at the very end stands alone
    if (pos + length > maxBytes) break;
    pos += length;
  }
  return pos;
}
