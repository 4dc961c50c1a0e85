#pragma once
// A manual-reset event: stays signalled until reset; waiters see every Set that happens
// before their wait, so a wake-up given early is never lost. Backed by an eventfd so that
// it can also be polled together with a device.
#include <cstdint>

class ManualResetEvent {
 public:
  ManualResetEvent();   // not signalled; valid() is false when the eventfd could not be made
  ~ManualResetEvent();
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  bool valid() const { return fd_ >= 0; }
  void Set();
  void Reset();
  bool IsSet() const;
  // Waits until signalled or the time-out (ms, INFINITE_TIMEOUT = no limit) passes; restarts
  // after EINTR with the remaining time. Returns true when signalled.
  bool Wait(uint32_t timeoutMs) const;
  int fd() const { return fd_; }

 private:
  int fd_;
};
