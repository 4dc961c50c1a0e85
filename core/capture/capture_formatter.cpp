#include "core/capture/capture_formatter.h"

#include "core/text/gbk_codec.h"

namespace {

const char* MarkText(PortMark mark) {
  switch (mark) {
    case PortMark::Opened: return "==== 串口已打开 ";
    case PortMark::Closed: return "==== 串口已关闭 ";
    case PortMark::Lost: return "==== 串口已断开 ";
    case PortMark::Back: return "==== 串口已恢复 ";
    case PortMark::CaptureStarted: return "==== 开始记录 ";
    case PortMark::CaptureStopped: return "==== 停止记录 ";
  }
  return "==== ";
}

}  // namespace

CaptureFormatter::CaptureFormatter(CaptureFormat format, int hexGapMs) : format_(format), hex_(hexGapMs) {}

void CaptureFormatter::AddBytes(const uint8_t* bytes, size_t count, int64_t ms) {
  switch (format_) {
    case CaptureFormat::Raw: out_.append(reinterpret_cast<const char*>(bytes), count); return;
    case CaptureFormat::HexLines: hex_.Add(bytes, count, ms, out_); return;
    case CaptureFormat::TextLines: break;
  }
  constexpr uint8_t kNul = 0x00;
  constexpr uint8_t kBackspace = 0x08;
  size_t i = 0;
  while (i < count) {
    size_t end = i;
    while (end < count && bytes[end] != kNul && bytes[end] != kBackspace) ++end;
    if (end > i) AddText(bytes + i, end - i, ms);
    if (end < count && bytes[end] == kBackspace && openLine_ != kNoLine && out_.size() > openLine_) out_.pop_back();
    i = end + 1;
  }
}

void CaptureFormatter::AddText(const uint8_t* bytes, size_t count, int64_t ms) {
  const size_t before = out_.size();
  const bool wasOpen = text_.LineOpen();
  text_.Add(std::string_view(reinterpret_cast<const char*>(bytes), count), ms, out_);
  if (!text_.LineOpen()) {
    openLine_ = kNoLine;
    return;
  }
  // The open line starts after the last line end this piece wrote, behind its stamp.
  for (size_t at = out_.size(); at > before; --at) {
    if (out_[at - 1] == '\r' || out_[at - 1] == '\n') {
      openLine_ = at + kTimeStampLength;
      return;
    }
  }
  if (!wasOpen) openLine_ = before + kTimeStampLength;
}

void CaptureFormatter::EndLine() {
  if (format_ == CaptureFormat::TextLines) text_.EndLine(out_);
  if (format_ == CaptureFormat::HexLines) hex_.EndLine(out_);
  openLine_ = kNoLine;
}

void CaptureFormatter::AddMark(PortMark mark, std::string_view port, int64_t ms) {
  if (format_ == CaptureFormat::Raw) return;
  EndLine();
  markStamps_.Append(ms, out_);
  out_ += EncodeGbk(MarkText(mark)).bytes;
  out_.append(port);
  if (!port.empty()) out_.push_back(' ');
  out_ += "====\n";
}

void CaptureFormatter::EndFile() { EndLine(); }

std::string_view CaptureFormatter::Ready(bool all) const {
  if (all || openLine_ == kNoLine) return out_;
  const size_t lineStart = openLine_ >= kTimeStampLength ? openLine_ - kTimeStampLength : 0;
  if (out_.size() - lineStart > kHeldLineLimit) return out_;
  return std::string_view(out_).substr(0, lineStart);
}

void CaptureFormatter::Consumed(size_t count) {
  out_.erase(0, count);
  if (openLine_ != kNoLine) openLine_ = openLine_ >= count ? openLine_ - count : 0;
}
