#include "core/terminal/sleeping_worker.h"

#include <chrono>

SleepingWorker::SleepingWorker(std::function<void(SleepingWorker&)> body, const std::atomic<bool>& stop)
    : stop_(stop), body_(std::move(body)) {
  thread_ = std::thread([this] {
    SleepUntilWoken();  // created suspended: nothing runs before the first Resume()
    if (!StopRaised()) body_(*this);
  });
}

SleepingWorker::~SleepingWorker() { Join(); }

void SleepingWorker::Resume() {
  {
    std::lock_guard lock(mutex_);
    wakePending_ = true;
  }
  wake_.notify_all();
}

void SleepingWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

void SleepingWorker::SleepUntilWoken() {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return wakePending_ || StopRaised(); });
  wakePending_ = false;
}

bool SleepingWorker::PauseFor(uint32_t ms) {
  if (pause_) return pause_(ms) && !StopRaised();
  std::unique_lock lock(mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return StopRaised(); });
  return !StopRaised();
}
