#include "core/transmit/text_send.h"

#include "core/transmit/bounded_write.h"
#include "core/text/hex_codec.h"

namespace {

std::string_view LineEndBytes(LineEnd end) {
  switch (end) {
    case LineEnd::CrLf: return "\r\n";
    case LineEnd::Lf: return "\n";
    case LineEnd::None: break;
  }
  return {};
}

uint32_t WriteCounted(BoundedWriter& writer, std::string_view bytes) {
  return writer.Write(bytes.data(), bytes.size()) ? static_cast<uint32_t>(bytes.size()) : 0;
}

}  // namespace

LineEnd ChooseLineEnd(bool newLine, bool lineFeed) {
  if (newLine) return LineEnd::CrLf;
  return lineFeed ? LineEnd::Lf : LineEnd::None;
}

uint32_t SendBytesOneByOne(BoundedWriter& writer, std::string_view bytes) {
  uint32_t handed = 0;
  for (const char byte : bytes) {
    if (!writer.Write(&byte, 1)) break;
    ++handed;
  }
  return handed;
}

uint32_t SendText(BoundedWriter& writer, std::string_view gbk, bool hex, LineEnd end) {
  if (hex) {
    uint32_t handed = 0;
    ParseHexText(gbk, [&](uint8_t byte) {
      if (!writer.Write(&byte, 1)) return false;
      ++handed;
      return true;
    });
    return handed;
  }
  uint32_t handed = WriteCounted(writer, gbk);
  if (end != LineEnd::None) handed += WriteCounted(writer, LineEndBytes(end));
  return handed;
}
