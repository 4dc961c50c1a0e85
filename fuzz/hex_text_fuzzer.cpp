// ParseHexText against a plain reading of the same rule: the input is the text.
//
// The reference first lists the digits of the text and only then pairs them, instead of
// building bytes on the fly, and it finds GBK characters by looking ahead one byte instead of
// remembering a lead byte. It also checks that a sink that stops the parse gets exactly the
// bytes up to where it stopped, and that the display's form of any bytes parses back to them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "reference_hex.h"
#include "require.h"
#include "core/text/hex_codec.h"

namespace {

// GBK lead bytes are 0x81-0xFE; a pair's trail byte is 0x40-0x7E or 0x80-0xFE.
bool IsLead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

std::vector<uint8_t> ReferenceParse(std::string_view text) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::vector<uint8_t> digits;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<uint8_t>(text[i]);
    if (IsLead(b)) {
      // A whole GBK character is passed over; a lead byte without a trail alone.
      if (i + 1 < text.size() && IsTrail(static_cast<uint8_t>(text[i + 1]))) ++i;
      continue;
    }
    const size_t value = kDigits.find(static_cast<char>(b));
    if (value != std::string_view::npos) digits.push_back(static_cast<uint8_t>(value));
  }
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) bytes.push_back(static_cast<uint8_t>(digits[i] * 16 + digits[i + 1]));
  if (digits.size() % 2 == 1) bytes.push_back(digits.back());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<uint8_t> expected = ReferenceParse(text);
  FUZZ_REQUIRE(HexTextToBytes(text) == expected);

  // A sink that refuses a byte stops the parse right there, also before a lone last digit.
  // The limit runs from 1 to one past the number of bytes (a sink that never refuses).
  const size_t limit = 1 + (size == 0 ? 0 : data[0] % (expected.size() + 1));
  std::vector<uint8_t> taken;
  ParseHexText(text, [&](uint8_t byte) {
    taken.push_back(byte);
    return taken.size() < limit;
  });
  FUZZ_REQUIRE(taken.size() == std::min(limit, expected.size()));
  FUZZ_REQUIRE(std::equal(taken.begin(), taken.end(), expected.begin()));

  // The display's form of any bytes reads back to the same bytes.
  const std::span<const uint8_t> bytes(data, size);
  const std::string shown = ToHexText(bytes);
  FUZZ_REQUIRE(shown == ReferenceHex(bytes));
  FUZZ_REQUIRE(HexTextToBytes(shown) == std::vector<uint8_t>(data, data + size));
  return 0;
}
