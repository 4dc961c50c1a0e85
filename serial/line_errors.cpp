#include "serial/line_errors.h"

#include "serial/comm_types.h"

using win::CE_BREAK;
using win::CE_FRAME;
using win::CE_OVERRUN;
using win::CE_RXOVER;
using win::CE_RXPARITY;
using win::EV_BREAK;
using win::EV_ERR;

uint16_t LineErrorBits(const LineCounters& before, const LineCounters& now) {
  uint16_t bits = 0;
  if (now.bufOverrun != before.bufOverrun) bits |= CE_RXOVER;
  if (now.overrun != before.overrun) bits |= CE_OVERRUN;
  if (now.parity != before.parity) bits |= CE_RXPARITY;
  if (now.frame != before.frame) bits |= CE_FRAME;
  if (now.brk != before.brk) bits |= CE_BREAK;
  return bits;
}

uint16_t LineEventBits(const LineCounters& before, const LineCounters& now) {
  const uint16_t errors = LineErrorBits(before, now);
  uint16_t bits = 0;
  if (errors & CE_BREAK) bits |= EV_BREAK;
  if (errors & (CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME)) bits |= EV_ERR;
  return bits;
}
