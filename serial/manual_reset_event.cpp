#include "serial/manual_reset_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "serial/comm_types.h"
#include "serial/deadline.h"

ManualResetEvent::ManualResetEvent() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ManualResetEvent::~ManualResetEvent() {
  if (fd_ >= 0) close(fd_);
}

void ManualResetEvent::Set() {
  // The counter only needs to be non-zero; a full counter (EAGAIN) is already signalled.
  const uint64_t one = 1;
  while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void ManualResetEvent::Reset() {
  uint64_t value = 0;
  while (read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
  }
}

bool ManualResetEvent::IsSet() const { return Wait(0); }

bool ManualResetEvent::Wait(uint32_t timeoutMs) const {
  Deadline deadline(timeoutMs);
  pollfd pfd{fd_, POLLIN, 0};
  for (;;) {
    const int rc = poll(&pfd, 1, deadline.RemainingMs());
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) return false;
  }
}
