#include "core/transmit/bounded_write.h"

#include <algorithm>

#include "serial/comm_types.h"
#include "serial/serial_port.h"

using win::ERROR_TIMEOUT;
using win::INFINITE_TIMEOUT;
using win::NOPARITY;
using win::ONE5STOPBITS;
using win::TWOSTOPBITS;

namespace {

constexpr uint32_t kSlowestRate = 110;

// Bits of one framed byte, doubled so that one and a half stop bits stay whole.
uint64_t HalfBitsPerByte(const LineFrame& frame) {
  const uint64_t parityBits = frame.parity == NOPARITY ? 0 : 1;
  const uint64_t stopHalfBits = frame.stopBits == ONE5STOPBITS ? 3 : frame.stopBits == TWOSTOPBITS ? 4 : 2;
  return 2 * (1 + frame.dataBits + parityBits) + stopHalfBits;
}

}  // namespace

uint64_t LineTimeMs(uint64_t bytes, const LineFrame& frame) {
  const uint64_t rate = frame.baudRate == 0 ? kSlowestRate : frame.baudRate;
  // ms = half-bits * 1000 / (2 * rate); no count a write can take overflows 64 bits here.
  const uint64_t halfBits = bytes * HalfBitsPerByte(frame);
  const uint64_t halfBitsPerSecond = 2 * rate;
  return (halfBits * 1000 + halfBitsPerSecond - 1) / halfBitsPerSecond;
}

uint32_t WriteBoundMs(uint64_t bytes, const LineFrame& frame, uint32_t marginMs) {
  constexpr uint64_t kLongest = INFINITE_TIMEOUT - 1;
  const uint64_t bound = LineTimeMs(bytes, frame) + marginMs;
  return static_cast<uint32_t>(std::min(bound, kLongest));
}

bool BoundedWriter::Write(const void* data, size_t count) {
  if (blocked_) return false;
  const bool timer = trigger_ == SendTrigger::Timer;
  // Only a look: any other answer than "no room" (a closed or vanished port) is left to the
  // write itself, which reports it as it always does.
  if (timer && !begun_ && count > 0 && port_.WaitWriteRoom(0) == ERROR_TIMEOUT) {
    blocked_ = true;
    return false;
  }
  begun_ = begun_ || count > 0;
  const auto bytes = static_cast<uint32_t>(std::min<size_t>(count, UINT32_MAX));
  const uint32_t bound = WriteBoundMs(bytes, frame_, timer ? kTimerWriteMarginMs : kWriteMarginMs);
  lastResult_ = port_.Write(data, bytes, nullptr, nullptr, bound);
  if (lastResult_ == ERROR_TIMEOUT) blocked_ = true;
  return true;
}
