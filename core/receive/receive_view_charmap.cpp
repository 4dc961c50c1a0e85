#include "core/receive/receive_view_charmap.h"

#include <array>
#include <cstdint>

#include "core/text/gbk_codec.h"

namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kLeadCount = 0xFE - kFirstLead + 1;
constexpr unsigned kTrailCount = 0xFE - kFirstTrail + 1;

// The BMP character one complete GBK character converts to, or U+FFFD. Straight through
// iconv into UTF-16, without allocating: the table has some 24,000 entries to fill.
char16_t DecodeOne(const IconvHandle& converter, const char* gbk, size_t length) {
  if (!converter.Valid()) return kReplacementChar;
  char* in = const_cast<char*>(gbk);  // iconv's signature; it never writes its input
  size_t inLeft = length;
  unsigned char utf16[4];
  char* out = reinterpret_cast<char*>(utf16);
  size_t outLeft = sizeof utf16;
  const size_t rc = iconv(converter.Get(), &in, &inLeft, &out, &outLeft);
  iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  if (rc == static_cast<size_t>(-1) || inLeft != 0 || sizeof utf16 - outLeft != 2) return kReplacementChar;
  return static_cast<char16_t>(utf16[0] | (utf16[1] << 8));
}

struct GbkTable {
  std::array<char16_t, kLeadCount * kTrailCount> pairs{};
  char16_t euro = kReplacementChar;  // the single byte 0x80

  GbkTable() {
    const IconvHandle converter("UTF-16LE", "GBK");
    euro = DecodeOne(converter, "\x80", 1);
    char pair[2];
    for (unsigned lead = kFirstLead; lead <= 0xFE; ++lead) {
      for (unsigned trail = kFirstTrail; trail <= 0xFE; ++trail) {
        pair[0] = static_cast<char>(lead);
        pair[1] = static_cast<char>(trail);
        pairs[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)] =
            IsGbkTrailByte(static_cast<uint8_t>(trail)) ? DecodeOne(converter, pair, 2) : kReplacementChar;
      }
    }
  }
};

const GbkTable& Table() {
  static const GbkTable table;
  return table;
}

}  // namespace

char16_t CellCharCode(std::string_view content, size_t pos, const CellChar& c) {
  const auto b = static_cast<uint8_t>(content[pos]);
  if (c.kind == CellKind::Pair && c.length == 2) {
    const auto trail = static_cast<uint8_t>(content[pos + 1]);
    return Table().pairs[(b - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
  }
  if (b < 0x80) return b;
  if (b == 0x80) return Table().euro;
  return kReplacementChar;
}
