#include "app/receive_view_charmap.h"

#include <array>
#include <cstdint>
#include <string>

#include "app/gbk_codec.h"

namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kLeadCount = 0xFE - kFirstLead + 1;
constexpr unsigned kTrailCount = 0xFE - kFirstTrail + 1;

// The single BMP character a short UTF-8 text holds, or U+FFFD when it holds anything else.
char16_t SoleBmpCharacter(const std::string& utf8) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (utf8.size() == 1 && byte(0) < 0x80) return byte(0);
  if (utf8.size() == 2 && (byte(0) & 0xE0) == 0xC0) return static_cast<char16_t>(((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F));
  if (utf8.size() == 3 && (byte(0) & 0xF0) == 0xE0) {
    return static_cast<char16_t>(((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F));
  }
  return kReplacementChar;
}

struct GbkTable {
  std::array<char16_t, kLeadCount * kTrailCount> pairs{};
  char16_t euro = kReplacementChar;  // the single byte 0x80

  GbkTable() {
    GbkDecoder decoder;
    euro = Decode(decoder, "\x80");
    char pair[2];
    for (unsigned lead = kFirstLead; lead <= 0xFE; ++lead) {
      for (unsigned trail = kFirstTrail; trail <= 0xFE; ++trail) {
        pair[0] = static_cast<char>(lead);
        pair[1] = static_cast<char>(trail);
        pairs[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)] =
            IsGbkTrailByte(static_cast<uint8_t>(trail)) ? Decode(decoder, std::string_view(pair, 2)) : kReplacementChar;
      }
    }
  }

  static char16_t Decode(GbkDecoder& decoder, std::string_view gbk) {
    std::string utf8 = decoder.Decode(gbk);
    utf8 += decoder.Finish();
    return SoleBmpCharacter(utf8);
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
