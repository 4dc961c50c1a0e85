#pragma once
// What a capture file gets from the received runs and the port's events, in the capture's
// format. Raw: the bytes, nothing else. Text lines: the text rendering as the receive window
// shows it (NULs left out), every line stamped; a backspace takes back the last character of
// the line not yet written (a written line is final). Hex lines: stamped hex lines. The two
// line formats also get a marker line for each port event.
//
// Output collects here until the writer takes it: Ready() is what may be written now. In the
// text format the open line is held back (so that a backspace can still reach it) until it
// ends or grows past kHeldLineLimit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/capture/capture_options.h"
#include "core/receive/line_stampers.h"

enum class PortMark : uint8_t { Opened, Closed, Lost, Back, CaptureStarted, CaptureStopped };

class CaptureFormatter {
 public:
  static constexpr size_t kHeldLineLimit = 64 * 1024;

  CaptureFormatter(CaptureFormat format, int hexGapMs);
  void AddBytes(const uint8_t* bytes, size_t count, int64_t ms);
  void AddMark(PortMark mark, std::string_view port, int64_t ms);
  // Ends an open line, before the file is closed.
  void EndFile();

  // What may be written now (`all`: the held line too), and taking it away once written.
  std::string_view Ready(bool all) const;
  void Consumed(size_t count);
  size_t Pending() const { return out_.size(); }

 private:
  void AddText(const uint8_t* bytes, size_t count, int64_t ms);
  void EndLine();

  static constexpr size_t kNoLine = static_cast<size_t>(-1);
  const CaptureFormat format_;
  std::string out_;
  size_t openLine_ = kNoLine;  // text: where the unwritten part of the open line starts
  TextLineStamper text_;
  HexLineStamper hex_;
  TimeStampFormatter markStamps_;
};
