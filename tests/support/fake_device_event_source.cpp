#include "support/fake_device_event_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "support/drain_fd.h"

FakeDeviceEventSource::FakeDeviceEventSource() {
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return;
  readEnd_ = UniqueFd(ends[0]);
  writeEnd_ = UniqueFd(ends[1]);
}

void FakeDeviceEventSource::Push(DeviceEvent event) {
  queued_.push_back(std::move(event));
  const char wake = 1;
  // A full pipe is already readable: the wake-up is not needed then.
  while (::write(writeEnd_.get(), &wake, 1) < 0 && errno == EINTR) {
  }
}

std::vector<DeviceEvent> FakeDeviceEventSource::ReadEvents() {
  DrainFd(readEnd_.get());
  std::vector<DeviceEvent> events(queued_.begin(), queued_.end());
  queued_.clear();
  return events;
}
