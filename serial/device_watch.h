#pragma once
// The event wait's set of descriptors, kept for as long as the device is open: the device,
// the wake-up and the cancel event. Watching the device for input is switched on and off
// from any thread without waking the waiter, which is woken only when input is there: a
// reader that re-arms the report after each read costs the waiter nothing while the queue
// stays empty. A hang-up or error of the device is reported whether input is watched or not.
#include "serial/deadline.h"
#include "serial/posix_device.h"

namespace posix {

class DeviceWatch {
 public:
  // Watches deviceFd (input not yet), wakeFd and cancelFd. failure() tells whether it worked.
  DeviceWatch(int deviceFd, int wakeFd, int cancelFd);
  ~DeviceWatch();
  DeviceWatch(const DeviceWatch&) = delete;
  DeviceWatch& operator=(const DeviceWatch&) = delete;

  const PortFailure& failure() const { return failure_; }
  // Thread-safe; the descriptors must still be open.
  PortFailure WatchInput(bool on);
  // As WaitReady: until one of them is ready, the deadline or capMs (>= 0) has passed.
  Readiness Wait(const Deadline& deadline, int capMs = -1);

 private:
  int epoll_ = -1;
  int device_;
  PortFailure failure_;
};

}  // namespace posix
