#pragma once
// The few operating-system calls the serial classes make on a device, each over a plain file
// descriptor. Every failure is turned into a PortFailure by SystemFailure, right where errno
// was left; SystemFailure is the driver's only translation of errno.
#include <poll.h>

#include <cerrno>
#include <cstdint>

#include "serial/deadline.h"
#include "serial/line_errors.h"
#include "serial/port_error.h"

namespace posix {

// errno -> failure. 0 (no reason left) counts as EIO, so that a failure never reads as
// success.
PortFailure SystemFailure(int err);
// SystemFailure of the current errno; call it right after the failing call.
PortFailure LastSystemFailure();

// Opens a serial device for exclusive use: non-blocking, no controlling terminal, closed on
// exec. Returns the descriptor, or -1 with *failure set; nothing stays open on failure. A
// path that is no terminal device is refused before anything is read from or written to it
// (NotATerminal, returned with the code of a missing device, ENOENT).
int OpenExclusive(const char* name, PortFailure* failure);
// Gives up exclusive use and closes the descriptor.
void CloseDevice(int fd);

// True for a pseudo-terminal: it has no wire, and the kernel keeps it at 8 data bits
// without parity whatever it is told.
bool IsPseudoTerminal(int fd);

// Raises (high = true) or drops one modem-control line (TIOCM_DTR / TIOCM_RTS). A device
// without modem lines (pseudo-terminals, many virtual ports) counts as success.
bool SetModemLine(int fd, int line, bool high);
// The modem-control lines (TIOCM_ bits); false when the device has none or the call failed.
bool ReadModemLines(int fd, int* lines);

// Holds the line in the break state or lets it go (TIOCSBRK / TIOCCBRK).
bool SetBreakState(int fd, bool on);

// The kernel's line error counters; false when the device keeps none.
bool ReadLineCounters(int fd, LineCounters* counters);

// What a wait on a device (and up to two wake-up descriptors) ended with.
struct Readiness {
  PortFailure failure;   // poll itself failed
  short device = 0;      // revents of the device
  bool wake = false;     // wakeFd became readable
  bool cancel = false;   // cancelFd became readable
  bool timedOut = false; // nothing happened within the wait (capped or not)
};
// Waits for `events` on fd, or for wakeFd/cancelFd (-1: not watched) to become readable,
// until the deadline; capMs >= 0 shortens a single wait further. Restarts after EINTR.
Readiness WaitReady(int fd, short events, int wakeFd, int cancelFd, const Deadline& deadline, int capMs = -1);

// Calls wait(ms) (a poll or epoll_wait) until it reports something, and restarts it after
// EINTR with the time left: ms is what remains of the deadline, shortened to capMs >= 0.
// Returns wait's positive count; 0 when the time ran out (result->timedOut set), or -1
// with result->failure set.
template <typename Wait>
int WaitRestarting(const Deadline& deadline, int capMs, Readiness* result, Wait wait) {
  for (;;) {
    int waitMs = deadline.RemainingMs();
    if (capMs >= 0 && (waitMs < 0 || capMs < waitMs)) waitMs = capMs;
    const int rc = wait(waitMs);
    if (rc > 0) return rc;
    if (rc == 0) {
      result->timedOut = true;
      return 0;
    }
    if (errno != EINTR) {
      result->failure = LastSystemFailure();
      return -1;
    }
  }
}

// Outcome of a transfer: no failure, TimedOut, NotOpen (cancelled by a close) or a system
// failure; count is what moved in any case.
struct Transfer {
  PortFailure failure;
  uint32_t count = 0;
};
// Takes what is queued now, up to size bytes, without waiting (possibly nothing).
Transfer ReadAvailable(int fd, void* buffer, uint32_t size);
// Reads until size bytes came, the deadline passed or cancelFd was signalled.
Transfer ReadFull(int fd, void* buffer, uint32_t size, int cancelFd, const Deadline& deadline);
// Writes all bytes, waiting for room while flow control or a full queue holds them back.
Transfer WriteAll(int fd, const void* buffer, uint32_t size, int cancelFd, const Deadline& deadline);

}  // namespace posix
