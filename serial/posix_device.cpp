#include "serial/posix_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "serial/terminal_device.h"

namespace posix {
namespace {

// The kernel's "no such ioctl for this driver"; normally turned into ENOTTY before it reaches
// us, but some drivers have let it through.
constexpr int kNoIoctlCommand = 515;

bool NotSupported(int err) { return err == ENOTTY || err == EINVAL || err == kNoIoctlCommand; }

// Closes a freshly opened descriptor unless the open went through to the end.
class OpenedFd {
 public:
  explicit OpenedFd(int fd) : fd_(fd) {}
  ~OpenedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenedFd(const OpenedFd&) = delete;
  OpenedFd& operator=(const OpenedFd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Keep() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace

PortFailure SystemFailure(int err) {
  if (err == 0) err = EIO;
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return {PortError::NotFound, err};
    case ENOTTY: return {PortError::NotATerminal, err};
    case EBUSY:
    case EWOULDBLOCK: return {PortError::Busy, err};
    case EACCES:
    case EPERM:
    case EROFS: return {PortError::AccessDenied, err};
    case EIO:
    case EPIPE:
    case EBADF: return {PortError::Gone, err};
    case EINVAL:
    case ERANGE:
    case EOPNOTSUPP: return {PortError::InvalidSetting, err};
    case ETIMEDOUT: return {PortError::TimedOut, err};
    case EMFILE:
    case ENFILE:
    case ENOMEM:
    case ENOSPC: return {PortError::NoResources, err};
    default: return {PortError::Other, err};
  }
}

PortFailure LastSystemFailure() { return SystemFailure(errno); }

int OpenExclusive(const char* name, PortFailure* failure) {
  // Only a terminal is a port. Anything else is refused as no port at all, and before it is
  // opened where the path tells: a file must not be touched, and opening some devices does
  // something by itself. It is reported with the code of a missing port.
  const PortFailure notAPort{PortError::NotATerminal, ENOENT};
  dev_t device = 0;
  switch (ClassifyPath(name, TtyDriverTable::Read(), &device)) {
    case TerminalVerdict::Missing: *failure = LastSystemFailure(); return -1;
    case TerminalVerdict::NotTerminal: *failure = notAPort; return -1;
    case TerminalVerdict::Terminal:
    case TerminalVerdict::Unknown: break;
  }
  OpenedFd fd(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    *failure = LastSystemFailure();
    return -1;
  }
  // What was opened must be the device looked at (the path may have been replaced
  // meanwhile) and must answer as a terminal.
  struct stat opened{};
  termios settings{};
  if (::fstat(fd.get(), &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != device ||
      ::tcgetattr(fd.get(), &settings) != 0) {
    *failure = notAPort;
    return -1;
  }
  // Two locks, because neither is enough alone: TIOCEXCL makes the kernel refuse further
  // opens of the terminal, but not to root (CAP_SYS_ADMIN); the advisory flock holds
  // against root too, for our own second port object and every program that locks serial
  // devices the same way.
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    *failure = LastSystemFailure();
    return -1;
  }
  if (::ioctl(fd.get(), TIOCEXCL) != 0 && !NotSupported(errno)) {
    *failure = LastSystemFailure();
    return -1;
  }
  return fd.Keep();
}

void CloseDevice(int fd) {
  if (fd < 0) return;
  // The exclusive flag belongs to the terminal, not to our descriptor: drop it so that the
  // next open (ours or another program's) is not refused while the terminal lives on.
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);
}

bool IsPseudoTerminal(int fd) {
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned int major = ::major(st.st_rdev);
  // Unix98 slaves (136-143) and the old BSD-style slaves (3).
  return (major >= 136 && major <= 143) || major == 3;
}

bool SetModemLine(int fd, int line, bool high) {
  if (::ioctl(fd, high ? TIOCMBIS : TIOCMBIC, &line) == 0) return true;
  return NotSupported(errno);
}

bool ReadModemLines(int fd, int* lines) { return ::ioctl(fd, TIOCMGET, lines) == 0; }

bool SetBreakState(int fd, bool on) { return ::ioctl(fd, on ? TIOCSBRK : TIOCCBRK) == 0; }

bool ReadLineCounters(int fd, LineCounters* counters) {
  serial_icounter_struct raw{};
  if (::ioctl(fd, TIOCGICOUNT, &raw) != 0) return false;
  counters->frame = static_cast<uint32_t>(raw.frame);
  counters->overrun = static_cast<uint32_t>(raw.overrun);
  counters->parity = static_cast<uint32_t>(raw.parity);
  counters->brk = static_cast<uint32_t>(raw.brk);
  counters->bufOverrun = static_cast<uint32_t>(raw.buf_overrun);
  return true;
}

Readiness WaitReady(int fd, short events, int wakeFd, int cancelFd, const Deadline& deadline, int capMs) {
  pollfd fds[3] = {{fd, events, 0}, {wakeFd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
  Readiness result;
  if (WaitRestarting(deadline, capMs, &result, [&fds](int ms) { return ::poll(fds, 3, ms); }) <= 0) return result;
  result.device = fds[0].revents;
  result.wake = (fds[1].revents & POLLIN) != 0;
  result.cancel = (fds[2].revents & POLLIN) != 0;
  return result;
}

namespace {

constexpr short kGone = POLLHUP | POLLERR | POLLNVAL;

// One non-blocking read or write step. Returns the bytes moved (>= 0), or -1 when the
// device has nothing (read) or no room (write) right now; other failures end the transfer
// with *failure set. A read of 0 bytes from a terminal in raw mode means it hung up.
template <typename Call>
long Step(Call call, bool reading, PortFailure* failure) {
  for (;;) {
    const ssize_t n = call();
    if (n > 0) return n;
    if (n == 0) {
      if (reading) *failure = SystemFailure(EIO);
      return 0;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
    *failure = LastSystemFailure();
    return 0;
  }
}

// Waits until the device can go on; false (with t->failure set) when the transfer must end.
bool AwaitDevice(int fd, short events, int cancelFd, const Deadline& deadline, Transfer* t) {
  const Readiness ready = WaitReady(fd, events, -1, cancelFd, deadline);
  if (ready.failure.Failed()) t->failure = ready.failure;
  else if (ready.cancel) t->failure = {PortError::NotOpen};
  else if (ready.timedOut) t->failure = {PortError::TimedOut};
  else if ((ready.device & kGone) && !(ready.device & events)) t->failure = SystemFailure(EIO);
  return !t->failure.Failed();
}

template <typename Call>
Transfer Pump(int fd, uint32_t size, short events, int cancelFd, const Deadline& deadline, Call call) {
  Transfer t;
  while (t.count < size) {
    const long n = Step([&] { return call(t.count); }, events == POLLIN, &t.failure);
    if (t.failure.Failed()) break;
    if (n > 0) {
      t.count += static_cast<uint32_t>(n);
      continue;
    }
    if (n == 0) break;  // a zero-byte write: nothing more will move
    if (!AwaitDevice(fd, events, cancelFd, deadline, &t)) break;
  }
  return t;
}

}  // namespace

Transfer ReadAvailable(int fd, void* buffer, uint32_t size) {
  Transfer t;
  if (size == 0) return t;
  const long n = Step([&] { return ::read(fd, buffer, size); }, true, &t.failure);
  if (n > 0) t.count = static_cast<uint32_t>(n);
  return t;
}

Transfer ReadFull(int fd, void* buffer, uint32_t size, int cancelFd, const Deadline& deadline) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  return Pump(fd, size, POLLIN, cancelFd, deadline,
              [&](uint32_t done) { return ::read(fd, bytes + done, size - done); });
}

Transfer WriteAll(int fd, const void* buffer, uint32_t size, int cancelFd, const Deadline& deadline) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  return Pump(fd, size, POLLOUT, cancelFd, deadline,
              [&](uint32_t done) { return ::write(fd, bytes + done, size - done); });
}

}  // namespace posix
