#include "serial/device_watch.h"

#include <poll.h>
#include <sys/epoll.h>
#include <unistd.h>


namespace posix {

namespace {

enum Tag : uint32_t { kDevice, kWake, kCancel };

// epoll reports a device's hang-up and error without being asked.
short PollBits(uint32_t events) {
  short bits = 0;
  if (events & EPOLLIN) bits |= POLLIN;
  if (events & EPOLLHUP) bits |= POLLHUP;
  if (events & EPOLLERR) bits |= POLLERR;
  return bits;
}

}  // namespace

DeviceWatch::DeviceWatch(int deviceFd, int wakeFd, int cancelFd) : device_(deviceFd) {
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) {
    failure_ = LastSystemFailure();
    return;
  }
  for (const auto& [fd, tag] : {std::pair{deviceFd, kDevice}, {wakeFd, kWake}, {cancelFd, kCancel}}) {
    epoll_event watched{};
    watched.events = tag == kDevice ? 0u : static_cast<uint32_t>(EPOLLIN);
    watched.data.u32 = tag;
    if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &watched) != 0) {
      failure_ = LastSystemFailure();
      return;
    }
  }
}

DeviceWatch::~DeviceWatch() {
  if (epoll_ >= 0) close(epoll_);
}

PortFailure DeviceWatch::WatchInput(bool on) {
  epoll_event watched{};
  watched.events = on ? static_cast<uint32_t>(EPOLLIN) : 0u;
  watched.data.u32 = kDevice;
  if (epoll_ctl(epoll_, EPOLL_CTL_MOD, device_, &watched) != 0) return LastSystemFailure();
  return {};
}

Readiness DeviceWatch::Wait(const Deadline& deadline, int capMs) {
  Readiness result;
  epoll_event ready[3];
  const int count = WaitRestarting(deadline, capMs, &result, [&](int ms) { return epoll_wait(epoll_, ready, 3, ms); });
  for (int i = 0; i < count; ++i) {
    switch (ready[i].data.u32) {
      case kDevice: result.device = PollBits(ready[i].events); break;
      case kWake: result.wake = true; break;
      case kCancel: result.cancel = true; break;
      default: break;
    }
  }
  return result;
}

}  // namespace posix
