#include "core/receive/line_stampers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hex digit (0 for any other character), looked up: the digits of arbitrary
// data come in no order a branch could predict.
struct NibbleTable {
  uint8_t values[256] = {};
  constexpr NibbleTable() {
    for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) values[c] = static_cast<uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) values[c] = static_cast<uint8_t>(c - 'a' + 10);
  }
};
constexpr NibbleTable kNibbles;

uint8_t Nibble(char c) { return kNibbles.values[static_cast<uint8_t>(c)]; }

}  // namespace

void TextLineStamper::Add(std::string_view text, int64_t ms, std::string& out) {
  size_t i = 0;
  while (i < text.size()) {
    if (afterCr_ && text[i] == '\n') {
      out.push_back('\n');
      afterCr_ = false;
      ++i;
      continue;
    }
    afterCr_ = false;
    if (!lineOpen_) {
      stamps_.Append(ms, out);
      lineOpen_ = true;
    }
    // The rest of this line, its line end included.
    size_t end = i;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end < text.size()) {
      afterCr_ = text[end] == '\r';
      lineOpen_ = false;
      ++end;
    }
    out.append(text.data() + i, end - i);
    i = end;
  }
}

void TextLineStamper::EndLine(std::string& out) {
  if (lineOpen_) out.push_back('\n');
  lineOpen_ = afterCr_ = false;
}

void HexLineStamper::SetGap(int gapMs) { gapMs_ = std::clamp(gapMs, kMinHexGapMs, kMaxHexGapMs); }

// All bytes of one call arrived at the same time: one stamp text serves each line begun
// here, and the pairs of a line are written into place, not appended one by one (a full
// window is stamped again whenever its oldest data is dropped).
void HexLineStamper::Add(const uint8_t* bytes, size_t count, int64_t ms, std::string& out) {
  if (count == 0) return;
  char stamp[kTimeStampLength];
  {
    std::string text;
    text.reserve(kTimeStampLength);
    stamps_.Append(ms, text);
    text.copy(stamp, kTimeStampLength);
  }
  bool pause = lineOpen_ && ms - lastMs_ > gapMs_;
  for (size_t i = 0; i < count;) {
    if (!lineOpen_ || pause || lineBytes_ == kHexBytesPerStampedLine) {
      if (lineOpen_) out.push_back('\n');
      out.append(stamp, kTimeStampLength);
      lineOpen_ = true;
      lineBytes_ = 0;
      pause = false;
    }
    const size_t take = std::min(count - i, kHexBytesPerStampedLine - lineBytes_);
    const size_t at = out.size();
    out.resize(at + 3 * take - (lineBytes_ == 0 ? 1 : 0));
    char* to = out.data() + at;
    for (size_t k = 0; k < take; ++k, ++i) {
      if (lineBytes_ + k > 0) *to++ = ' ';
      *to++ = kHexDigits[bytes[i] >> 4];
      *to++ = kHexDigits[bytes[i] & 0x0F];
    }
    lineBytes_ += take;
  }
  lastMs_ = ms;
}

void HexLineStamper::EndLine(std::string& out) {
  if (lineOpen_) out.push_back('\n');
  lineOpen_ = false;
  lineBytes_ = 0;
}

void StampedRendering::Restart(bool hex, int gapMs) {
  hex_ = hex;
  text_.Restart();
  hexLines_.Restart();
  hexLines_.SetGap(gapMs);
}

void StampedRendering::Add(std::string_view piece, const ArrivalMarks& marks, std::string& out) {
  size_t mark = 0;
  size_t begin = 0;
  while (begin < piece.size()) {
    while (mark + 1 < marks.size() && marks[mark + 1].offset <= begin) ++mark;
    const int64_t ms = marks.empty() ? 0 : marks[mark].ms;
    const size_t end = mark + 1 < marks.size() ? std::min(piece.size(), marks[mark + 1].offset) : piece.size();
    if (!hex_) {
      text_.Add(piece.substr(begin, end - begin), ms, out);
    } else {
      bytes_.resize((end - begin + 1) / 3);
      size_t n = 0;
      for (size_t i = begin; i + 1 < end; i += 3) bytes_[n++] = static_cast<uint8_t>(Nibble(piece[i]) << 4 | Nibble(piece[i + 1]));
      hexLines_.Add(bytes_.data(), n, ms, out);
    }
    begin = end;
  }
}
