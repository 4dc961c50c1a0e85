#pragma once
// Hexadecimal byte text in both directions.
//
// ParseHexText reads the text a user types to send raw bytes ("12 00 FF 88"). It is
// deliberately forgiving: it never rejects a text. Only "0"-"9" and upper-case "A"-"F" are
// digits; everything else (blanks, commas, "x", lower-case letters, control characters and
// every byte of 0x80 or above) is passed over, and so is every GBK double-byte character as a
// whole: its trail byte may be 0x41-0x46 ("A"-"F", e.g. in 0xB0 0x41), which must not be taken
// for a digit. Digits pair up in the order they stand, whatever lies between them ("1 2" is
// 0x12), and a lone last digit is a byte of its own ("ABC" is AB 0C).
//
// AppendHexText / ToHexText produce the receive display's form: two upper-case digits and a
// space per byte ("%02X "), which ParseHexText reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/text/gbk_bytes.h"

// Value 0..15 of a hexadecimal digit, or -1 for any other character. The character is taken
// as signed 8-bit, so no byte with the high bit set can ever be a digit.
constexpr int HexDigitValue(char c) {
  const signed char s = static_cast<signed char>(c);
  if (s >= '0' && s <= '9') return s - '0';
  if (s >= 'A' && s <= 'F') return s - 'A' + 10;
  return -1;
}

// Hands each byte of `text` to `sink` the moment its digits have been read, in text order.
// `sink` is called as sink(uint8_t). If it returns bool, returning false stops the parse at
// once (e.g. when the port write failed); any other return type is ignored.
template <typename Sink>
void ParseHexText(std::string_view text, Sink&& sink) {
  constexpr bool kCanStop = std::is_same_v<std::invoke_result_t<Sink&, uint8_t>, bool>;
  const auto handOver = [&sink](uint8_t byte) -> bool {
    if constexpr (kCanStop) {
      return sink(byte);
    } else {
      sink(byte);
      return true;
    }
  };
  uint8_t accumulator = 0;
  int digits = 0;
  bool afterLeadByte = false;
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    if (afterLeadByte) {
      afterLeadByte = false;
      if (IsGbkTrailByte(byte)) continue;
    }
    if (IsGbkLeadByte(byte)) {
      afterLeadByte = true;
      continue;
    }
    const int value = HexDigitValue(c);
    if (value < 0) continue;
    accumulator = static_cast<uint8_t>(accumulator * 16 + value);
    if (++digits == 2) {
      if (!handOver(accumulator)) return;
      accumulator = 0;
      digits = 0;
    }
  }
  if (digits == 1) handOver(accumulator);
}

// All bytes of `text` at once, for callers that do not need them one by one.
std::vector<uint8_t> HexTextToBytes(std::string_view text);

// Appends "%02X " for every byte: three characters per byte, no line breaks.
void AppendHexText(std::string& out, std::span<const uint8_t> bytes);
std::string ToHexText(std::span<const uint8_t> bytes);
