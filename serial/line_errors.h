#pragma once
// Line errors and breaks as the kernel counts them, and the event and error bits that a rise
// of each counter stands for.
#include <cstdint>

struct LineCounters {
  uint32_t frame = 0;
  uint32_t overrun = 0;      // the UART's own receive overrun
  uint32_t parity = 0;
  uint32_t brk = 0;
  uint32_t bufOverrun = 0;   // the kernel's receive buffer was full
};

// CE_ bits for the counters that rose between two readings.
uint16_t LineErrorBits(const LineCounters& before, const LineCounters& now);
// EV_BREAK / EV_ERR for the counters that rose between two readings.
uint16_t LineEventBits(const LineCounters& before, const LineCounters& now);
