#pragma once
// ModuleExchange for a caller that may wait: each call runs one whole exchange on the
// calling thread and returns its verdict. The port's event messages are queued here and
// handed to the exchange in the order they came; the reply delay is real time, counted from
// the exchange's last request, and ends the exchange with the events that came before it,
// exactly as the page's delay message does in the page's queue. Frames, pauses, the line,
// the dropped early input and the judgement are ModuleExchange's own.
//
// One object serves one thread; several objects may run at once on ports of their own.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "core/module/module_exchange.h"
#include "serial/comm_types.h"

struct ExchangeResult {
  ExchangeStart start = ExchangeStart::Started;
  // Judged only when start is Started.
  ExchangeVerdict verdict;
  // The reply began with '$': a module is there, whatever the verdict.
  bool answered = false;
  // How many reply bytes were gathered (0: nothing came back at all).
  uint32_t replyBytes = 0;

  bool ok() const { return start == ExchangeStart::Started && verdict.outcome != ReplyOutcome::Failed; }
};

class BlockingModuleExchange : private MessageTarget {
 public:
  BlockingModuleExchange();
  ~BlockingModuleExchange() override;

  // `port` as a port list names it (see DeviceNameForPort).
  ExchangeResult Read(const std::string& port);
  ExchangeResult Write(const std::string& port, const ModuleSettings& settings);

 private:
  class WallClock;
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  ExchangeResult Finish(ExchangeStart start);
  // The next event that comes before `deadline`; empty once the deadline has passed.
  std::optional<uintptr_t> NextEventBefore(std::chrono::steady_clock::time_point deadline);
  std::deque<uintptr_t> TakeQueuedEvents();

  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<uintptr_t> events_;
  std::chrono::steady_clock::time_point replyDeadline_;
  ModuleExchange exchange_;
};
