#pragma once
// Bodies of the window's delay and countdown workers (the receive worker is the
// ReceivePipeline's). They never touch the window: they post messages to it and work on the
// shared state below.
#include <atomic>
#include <cstdint>

#include "core/module/module_protocol.h"  // the reply delays the delay loop serves

class MessageTarget;
class SleepingWorker;

// Flags and counters the user-interface thread shares with the workers.
struct WorkerState {
  std::atomic<bool> StopWorkers{false};
  std::atomic<int32_t> CountdownSeconds{0};
  std::atomic<bool> ReadDelayRequest{false};
  std::atomic<bool> WriteDelayRequest{false};
};

// Serves the read flag, then the write flag, each with its pause and one WM_MODULE_DELAYED.
void RunDelayLoop(SleepingWorker& self, WorkerState& state, MessageTarget& window);
// Counts CountdownSeconds down one second at a time; at 0 posts WM_MODULE_TIMEOUT and sleeps.
void RunCountdownLoop(SleepingWorker& self, WorkerState& state, MessageTarget& window);
