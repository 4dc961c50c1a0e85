#include "core/terminal/worker_loops.h"

#include "core/terminal/messages.h"
#include "core/terminal/sleeping_worker.h"
#include "serial/comm_types.h"

namespace {
bool Stopped(const WorkerState& state) { return state.StopWorkers.load(std::memory_order_acquire); }
}  // namespace

void RunDelayLoop(SleepingWorker& self, WorkerState& state, MessageTarget& window) {
  while (!Stopped(state)) {
    if (state.ReadDelayRequest.exchange(false)) {
      if (!self.PauseFor(kReadReplyDelayMs)) break;
      window.Post(win::WM_MODULE_DELAYED, 0, 0);
    }
    if (state.WriteDelayRequest.exchange(false)) {
      if (!self.PauseFor(kWriteReplyDelayMs)) break;
      window.Post(win::WM_MODULE_DELAYED, 0, 0);
    }
    if (!state.ReadDelayRequest.load() && !state.WriteDelayRequest.load()) self.SleepUntilWoken();
  }
}

void RunCountdownLoop(SleepingWorker& self, WorkerState& state, MessageTarget& window) {
  // One WM_MODULE_TIMEOUT per run-out: a wake-up left over from a second added while the
  // count was running must not post it twice.
  bool timeoutPosted = false;
  while (!Stopped(state)) {
    int32_t seconds = state.CountdownSeconds.load();
    if (seconds <= 0) {
      // Only a value still at or below 0 is reset: a second added meanwhile is kept.
      if (!state.CountdownSeconds.compare_exchange_strong(seconds, 0)) continue;
      if (!timeoutPosted) window.Post(win::WM_MODULE_TIMEOUT, 0, 0);
      timeoutPosted = true;
      self.SleepUntilWoken();
      continue;
    }
    timeoutPosted = false;
    while (state.CountdownSeconds.load() != 0) {
      if (!self.PauseFor(1000)) return;
      state.CountdownSeconds.fetch_sub(1);
    }
  }
}
