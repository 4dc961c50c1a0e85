#pragma once
// Bodies of the window's three worker threads (the receive one runs in ReceivePipeline). They never touch the window: they post
// messages to it and work on the shared state below.
#include <atomic>
#include <cstdint>

#include "core/module/module_protocol.h"  // the reply delays the delay loop serves

class ArrivalClock;
class CaptureRecorder;
class MessageTarget;
class ReceiveStore;
class ReceiveTap;
class SerialPort;
class SleepingWorker;

// Flags and counters the user-interface thread shares with the workers.
struct WorkerState {
  std::atomic<bool> StopWorkers{false};
  std::atomic<int32_t> CountdownSeconds{0};
  std::atomic<bool> ReadDelayRequest{false};
  std::atomic<bool> WriteDelayRequest{false};
};

inline constexpr uint32_t kReceiveChunkBytes = 256;

// Serves the read flag, then the write flag, each with its pause and one WM_MODULE_DELAYED.
void RunDelayLoop(SleepingWorker& self, WorkerState& state, MessageTarget& window);
// Counts CountdownSeconds down one second at a time; at 0 posts WM_MODULE_TIMEOUT and sleeps.
void RunCountdownLoop(SleepingWorker& self, WorkerState& state, MessageTarget& window);
// Reads the port in chunks into the store (and the capture), each with the time it was read,
// hands each chunk with its arrival time to the tap (when one is set), posts WM_RECEIVE_SHOW
// per chunk; sleeps when the port's queue is empty.
void RunReceiveLoop(SleepingWorker& self, const std::atomic<bool>& stop, SerialPort& port, ReceiveStore& store,
                    CaptureRecorder& capture, const ArrivalClock& clock, const std::atomic<ReceiveTap*>& tap,
                    MessageTarget& window);
