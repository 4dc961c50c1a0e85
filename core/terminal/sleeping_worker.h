#pragma once
// A worker thread that is created suspended and sleeps without using the processor until
// woken. A wake-up given while the worker is still busy is remembered, so it is never lost
// (the bytes that arrive between an empty read and the sleep, a flag raised just before the
// worker suspends itself).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class SleepingWorker {
 public:
  // The body runs once the worker is first resumed; it loops until `stop` is raised and uses
  // SleepUntilWoken / PauseFor to wait.
  SleepingWorker(std::function<void(SleepingWorker&)> body, const std::atomic<bool>& stop);
  ~SleepingWorker();  // raises nothing itself: the owner raises `stop`, then Resume()s and Join()s
  SleepingWorker(const SleepingWorker&) = delete;
  SleepingWorker& operator=(const SleepingWorker&) = delete;

  void Resume();
  void Join();

  // For the body: sleep until Resume() (returns at once if a wake-up is pending) or stop.
  void SleepUntilWoken();
  // For the body: pause for ms unless stop is raised first. False when stopped. A Resume()
  // during the pause does not shorten it; it stays pending for the next SleepUntilWoken.
  bool PauseFor(uint32_t ms);

  // Tests replace the clock: the function is called instead of the timed wait and returns
  // false to report a stop.
  void SetPauseForTesting(std::function<bool(uint32_t)> pause) { pause_ = std::move(pause); }

 private:
  bool StopRaised() const { return stop_.load(std::memory_order_acquire); }

  const std::atomic<bool>& stop_;
  std::function<void(SleepingWorker&)> body_;
  std::function<bool(uint32_t)> pause_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool wakePending_ = false;
  std::thread thread_;
};
