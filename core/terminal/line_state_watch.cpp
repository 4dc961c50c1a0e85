#include "core/terminal/line_state_watch.h"

#include <system_error>

#include "serial/comm_types.h"

namespace {

LineCounters Since(const LineCounters& base, const LineCounters& now, const LineCounters& carried) {
  return {carried.frame + (now.frame - base.frame), carried.overrun + (now.overrun - base.overrun),
          carried.parity + (now.parity - base.parity), carried.brk + (now.brk - base.brk),
          carried.bufOverrun + (now.bufOverrun - base.bufOverrun)};
}

bool SameCounts(const LineCounters& a, const LineCounters& b) {
  return a.frame == b.frame && a.overrun == b.overrun && a.parity == b.parity && a.brk == b.brk &&
         a.bufOverrun == b.bufOverrun;
}

}  // namespace

bool LineState::operator==(const LineState& other) const {
  return available == other.available && modemStatus == other.modemStatus && SameCounts(errors, other.errors);
}

LineStateWatch::LineStateWatch(Reader read, MessageTarget& window, uint32_t message)
    : read_(std::move(read)), window_(window), message_(message) {}

LineStateWatch::~LineStateWatch() { Stop(); }

void LineStateWatch::Start() {
  Stop();
  if (!stop_.valid()) return;
  stop_.Reset();
  try {
    worker_ = std::make_unique<std::thread>([this] { Run(); });
  } catch (const std::system_error&) {
    Publish({false, 0, carried_});  // shown as unavailable rather than as lines that are off
  }
}

void LineStateWatch::Stop() {
  if (!worker_) return;
  stop_.Set();
  worker_->join();
  worker_.reset();
  std::lock_guard guard(lock_);
  carried_ = current_.errors;
  current_ = {false, 0, carried_};  // no device, no lines to show
}

LineState LineStateWatch::Current() const {
  std::lock_guard guard(lock_);
  return current_;
}

void LineStateWatch::Publish(const LineState& state) {
  {
    std::lock_guard guard(lock_);
    if (state == current_) return;
    current_ = state;
  }
  window_.Post(message_, 0, 0);
}

void LineStateWatch::Run() {
  LineCounters base;
  bool first = true;
  for (;;) {
    uint32_t status = 0;
    LineCounters now;
    if (!read_(&status, &now)) {
      Publish({false, 0, Current().errors});
      return;
    }
    if (first) base = now;
    first = false;
    Publish({true, status, Since(base, now, carried_)});
    if (stop_.Wait(kPollMs)) return;
  }
}
