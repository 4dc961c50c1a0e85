#include "core/receive/line_stampers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

uint8_t Nibble(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  return 0;
}

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

void HexLineStamper::Add(const uint8_t* bytes, size_t count, int64_t ms, std::string& out) {
  if (count == 0) return;
  bool pause = lineOpen_ && ms - lastMs_ > gapMs_;
  for (size_t i = 0; i < count; ++i) {
    if (!lineOpen_ || pause || lineBytes_ == kHexBytesPerStampedLine) {
      if (lineOpen_) out.push_back('\n');
      stamps_.Append(ms, out);
      lineOpen_ = true;
      lineBytes_ = 0;
      pause = false;
    }
    const char pair[3] = {' ', kHexDigits[bytes[i] >> 4], kHexDigits[bytes[i] & 0x0F]};
    if (lineBytes_ == 0) {
      out.append(pair + 1, 2);
    } else {
      out.append(pair, 3);
    }
    ++lineBytes_;
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
      bytes_.clear();
      for (size_t i = begin; i + 1 < end; i += 3) bytes_.push_back(static_cast<uint8_t>(Nibble(piece[i]) << 4 | Nibble(piece[i + 1])));
      hexLines_.Add(bytes_.data(), bytes_.size(), ms, out);
    }
    begin = end;
  }
}
