#include "core/text/hex_codec.h"

std::vector<uint8_t> HexTextToBytes(std::string_view text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 2 + 1);
  ParseHexText(text, [&bytes](uint8_t byte) { bytes.push_back(byte); });
  return bytes;
}

void AppendHexText(std::string& out, std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.reserve(out.size() + bytes.size() * 3);
  for (const uint8_t byte : bytes) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
    out.push_back(' ');
  }
}

std::string ToHexText(std::span<const uint8_t> bytes) {
  std::string text;
  AppendHexText(text, bytes);
  return text;
}
