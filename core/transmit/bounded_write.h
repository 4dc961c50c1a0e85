#pragma once
// Writes that never wait forever.
//
// A peer that holds the line (CTS low, XOFF received, a pseudo-terminal nobody reads) would
// keep a plain blocking write waiting for good, and the terminal page sends on the
// user-interface thread. So every write here is bounded by the time the line needs for its
// bytes at the current rate plus a margin; when that runs out the driver cancels the write.
// One action (a click, a timer tick, a pass over the presets, a typed key) uses one
// BoundedWriter: after one write has run out of time the line counts as blocked and the
// writer skips the rest of that action, so a pass of 32 presets on a blocked line costs one
// bound, not 32.
//
// A timer may tick every millisecond, far faster than a held line could ever time out. So a
// timer's action begins only on a line that has room: when it has none as the first bytes
// are due, the line counts as blocked at once and nothing is handed over. Once begun, the
// action goes on like any other (a moment without room does not tear a message), but each
// write waits no longer than its line time plus a short margin. Ticks into a line that does
// not drain are then skipped at the cost of a look at the line.
#include <cstddef>
#include <cstdint>

class SerialPort;

// How one byte is framed on the line.
struct LineFrame {
  uint32_t baudRate = 9600;
  uint8_t dataBits = 8;
  uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
};

// Margin on top of the line time: room for the driver, the kernel and a slow peer.
inline constexpr uint32_t kWriteMarginMs = 2000;
// The margin of a timer's writes: the window must keep answering while the timer runs.
inline constexpr uint32_t kTimerWriteMarginMs = 50;

// Who asked for the writes: a person waits for the answer of their own action; a timer
// must never keep the window waiting.
enum class SendTrigger { User, Timer };

// Milliseconds the line takes for `bytes` bytes (start bit, data bits, parity bit, stop
// bits), rounded up. A rate of 0 is taken as the slowest rate offered, 110 bit/s.
uint64_t LineTimeMs(uint64_t bytes, const LineFrame& frame);

// Time-out of one write of `bytes` bytes: line time + margin, kept below the driver's
// "infinite" value.
uint32_t WriteBoundMs(uint64_t bytes, const LineFrame& frame, uint32_t marginMs = kWriteMarginMs);

class BoundedWriter {
 public:
  BoundedWriter(SerialPort& port, const LineFrame& frame, SendTrigger trigger = SendTrigger::User)
      : port_(port), frame_(frame), trigger_(trigger) {}

  // Hands `count` bytes to the port with a bounded wait. False when nothing was handed
  // over because the line is blocked: an earlier write of this writer ran out of time, or
  // (for a timer's first bytes) the line had no room; the bytes are skipped and must not be
  // counted. A write that fails or runs out of time itself returns true: its bytes were
  // handed over and count as sent.
  bool Write(const void* data, size_t count);

  // The line is held by the peer: a write ran out of time, or a timer found no room.
  bool Blocked() const { return blocked_; }
  // Result code of the last write handed to the port (0 before any).
  uint32_t LastResult() const { return lastResult_; }

 private:
  SerialPort& port_;
  LineFrame frame_;
  SendTrigger trigger_;
  bool begun_ = false;  // bytes have been handed over
  bool blocked_ = false;
  uint32_t lastResult_ = 0;
};
