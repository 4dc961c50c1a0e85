#include "core/receive/line_stampers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

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
template <typename PutPairs>
void HexLineStamper::AddLines(size_t count, int64_t ms, std::string& out, PutPairs put) {
  if (count == 0) return;
  char stamp[kTimeStampLength];
  {
    std::string text;
    text.reserve(kTimeStampLength);
    stamps_.Append(ms, text);
    text.copy(stamp, kTimeStampLength);
  }
  // Room for every line at once: a line's end and stamp per 16 bytes, three characters a byte.
  out.reserve(out.size() + 3 * count + (count / kHexBytesPerStampedLine + 2) * (kTimeStampLength + 1));
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
    const bool blankFirst = lineBytes_ > 0;
    out.resize(at + 3 * take - (blankFirst ? 0 : 1));
    char* to = out.data() + at;
    if (blankFirst) *to++ = ' ';
    put(i, take, to);
    i += take;
    lineBytes_ += take;
  }
  lastMs_ = ms;
}

void HexLineStamper::Add(const uint8_t* bytes, size_t count, int64_t ms, std::string& out) {
  AddLines(count, ms, out, [bytes](size_t first, size_t n, char* to) {
    for (size_t k = first; k < first + n; ++k) {
      if (k > first) *to++ = ' ';
      *to++ = kHexDigits[bytes[k] >> 4];
      *to++ = kHexDigits[bytes[k] & 0x0F];
    }
  });
}

void HexLineStamper::AddRendered(const char* hex, size_t count, int64_t ms, std::string& out) {
  AddLines(count, ms, out, [hex](size_t first, size_t n, char* to) {
    std::memcpy(to, hex + 3 * first, 3 * n - 1);  // the pairs with the blanks between them
  });
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
      // Whole pairs only: the rendering holds three characters a byte.
      hexLines_.AddRendered(piece.data() + begin, (end - begin + 1) / 3, ms, out);
    }
    begin = end;
  }
}
