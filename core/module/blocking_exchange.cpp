#include "core/module/blocking_exchange.h"

#include <thread>
#include <utility>

namespace {
// Any number does: the queue serves this one port alone.
constexpr uint32_t kPortEventMessage = 1;
}  // namespace

// Pauses hold the calling thread; the reply delay becomes the deadline Finish waits for.
class BlockingModuleExchange::WallClock final : public ExchangeClock {
 public:
  explicit WallClock(std::chrono::steady_clock::time_point& deadline) : deadline_(deadline) {}
  void Pause(std::chrono::milliseconds length) override { std::this_thread::sleep_for(length); }
  void StartReplyDelay(ExchangeKind kind) override {
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyDelayMs(kind));
  }

 private:
  std::chrono::steady_clock::time_point& deadline_;
};

BlockingModuleExchange::BlockingModuleExchange()
    : exchange_(*this, kPortEventMessage, std::make_unique<WallClock>(replyDeadline_)) {}

BlockingModuleExchange::~BlockingModuleExchange() { exchange_.ClosePort(); }

void BlockingModuleExchange::Post(uint32_t message, uintptr_t wParam, intptr_t) {
  if (message != kPortEventMessage) return;
  {
    std::lock_guard lock(mutex_);
    events_.push_back(wParam);
  }
  posted_.notify_one();
}

std::optional<uintptr_t> BlockingModuleExchange::NextEventBefore(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
  if (!posted_.wait_until(lock, deadline, [&] { return !events_.empty(); })) return std::nullopt;
  const uintptr_t wParam = events_.front();
  events_.pop_front();
  return wParam;
}

std::deque<uintptr_t> BlockingModuleExchange::TakeQueuedEvents() {
  std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

ExchangeResult BlockingModuleExchange::Finish(ExchangeStart start) {
  ExchangeResult result;
  result.start = start;
  if (start != ExchangeStart::Started) return result;
  while (const auto wParam = NextEventBefore(replyDeadline_)) exchange_.OnPortEvent(*wParam);
  // The delay has run out: the events that came before it still count, later ones do not
  // (a module that never stops talking cannot hold the exchange open).
  for (const uintptr_t wParam : TakeQueuedEvents()) exchange_.OnPortEvent(wParam);
  if (const auto verdict = exchange_.DelayElapsed()) result.verdict = *verdict;
  // The port is closed now and posts nothing more; what came meanwhile would only meet a
  // closed port.
  TakeQueuedEvents();
  result.answered = ModuleAnswered(exchange_.Reply());
  result.replyBytes = exchange_.Reply().ReplyLength;
  return result;
}

ExchangeResult BlockingModuleExchange::Read(const std::string& port) { return Finish(exchange_.StartRead(port)); }

ExchangeResult BlockingModuleExchange::Write(const std::string& port, const ModuleSettings& settings) {
  return Finish(exchange_.StartWrite(port, settings));
}
