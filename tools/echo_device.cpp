// echo_device: a loop-back plug on a new pseudo-terminal. Every byte the program sends to
// the port comes back to it, as from a serial line whose RX and TX are wired together; the
// demo and the terminal page's manual tests use it. Prints the slave device path as its
// first line; SIGINT, SIGTERM or SIGHUP end it.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/device_start.h"

namespace {

const char* const kUsage =
    "usage: echo_device [--link PATH]\n"
    "Sends back every byte it receives, on a new pseudo-terminal; prints the device path first.\n"
    "  --link PATH   also make PATH a symbolic link to the device (removed at exit)\n";

// How often a hung-up master is looked at again while the port is closed on the other side.
constexpr int kReopenPollMs = 20;

class EchoDevice {
 public:
  // The master is switched to non-blocking: a blocking write waits inside the kernel until
  // all of it fits, even after poll() reported room for some, and no stop gets through then.
  EchoDevice(const SimulatorPty& pty, int stopFd) : pty_(pty), stopFd_(stopFd) {
    const int flags = fcntl(pty_.master(), F_GETFL);
    if (flags >= 0) fcntl(pty_.master(), F_SETFL, flags | O_NONBLOCK);
  }

  void Run() {
    bool slavePresent = true;
    while (!stopped_) {
      if (slavePresent) {
        slavePresent = EchoOnce();
      } else {
        SleepUnlessStopped(kReopenPollMs);
        slavePresent = pty_.SlavePresent();
      }
    }
  }

 private:
  // Waits for bytes or a stop and sends the bytes back. False when the other side hung up.
  bool EchoOnce() {
    if (!WaitForMaster(POLLIN)) return true;
    char buffer[4096];
    const ssize_t n = read(pty_.master(), buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) return false;
    SendBack(buffer, static_cast<size_t>(n));
    return true;
  }

  // A program that stops reading must not keep the device from ending: each write waits
  // for room together with the stop signal.
  void SendBack(const char* data, size_t size) {
    while (size > 0 && !stopped_) {
      if (!WaitForMaster(POLLOUT)) continue;
      const ssize_t n = write(pty_.master(), data, size);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return;  // the other side went away: the bytes are lost, as on a real line
      data += n;
      size -= static_cast<size_t>(n);
    }
  }

  // Waits until the master shows `events` (or a hang-up) or a stop signal comes. True when
  // the master is ready; false after a stop or an interrupted wait.
  bool WaitForMaster(short events) {
    pollfd fds[2] = {{stopFd_, POLLIN, 0}, {pty_.master(), events, 0}};
    if (poll(fds, 2, -1) <= 0) return false;
    if (fds[0].revents != 0) {
      stopped_ = true;
      return false;
    }
    return fds[1].revents != 0;
  }

  void SleepUnlessStopped(int ms) {
    pollfd stop{stopFd_, POLLIN, 0};
    if (poll(&stop, 1, ms) > 0) stopped_ = true;
  }

  const SimulatorPty& pty_;
  const int stopFd_;
  bool stopped_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::string linkPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--link") == 0 && i + 1 < argc) {
      linkPath = argv[++i];
      continue;
    }
    std::fprintf(stderr, "echo_device: unknown argument: %s\n%s", argv[i], kUsage);
    return 2;
  }
  const DeviceStart start("echo_device", linkPath);
  if (!start.ok()) return 1;
  EchoDevice(start.pty(), start.stopFd()).Run();
  return 0;
}
