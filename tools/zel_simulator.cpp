// zel_simulator: plays a ZEL radio module on a new pseudo-terminal, for tests and demos.
// Prints the slave device path as its first line; SIGINT, SIGTERM or SIGHUP end it.
// See kSimulatorUsage for the options.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/module/module_responder.h"
#include "devices/unique_fd.h"
#include "tools/device_start.h"
#include "tools/simulator_options.h"
#include "core/text/hex_codec.h"

namespace {

// How often a hung-up master is looked at again while the port is closed on the other side.
constexpr int kReopenPollMs = 20;

class Simulator {
 public:
  Simulator(const SimulatorOptions& options, const SimulatorPty& pty, int stopFd)
      : options_(options), pty_(pty), stopFd_(stopFd), responder_(options.identity, options.block) {}

  // Serves requests until a stop signal comes.
  void Run() {
    bool slavePresent = true;
    while (!stopped_) {
      if (!slavePresent) {
        WaitForStop(kReopenPollMs);
        slavePresent = pty_.SlavePresent();
      } else {
        slavePresent = ServeOnce();
      }
    }
  }

 private:
  // Waits for input or a stop; handles what came. False when the other side hung up.
  bool ServeOnce() {
    pollfd fds[2] = {{pty_.master(), POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) return errno == EINTR;
    if (fds[1].revents != 0) {
      stopped_ = true;
      return true;
    }
    if ((fds[0].revents & POLLIN) == 0) return HungUp();
    uint8_t buffer[256];
    const ssize_t n = read(pty_.master(), buffer, sizeof buffer);
    if (n <= 0) return n < 0 && errno == EINTR ? true : HungUp();
    for (std::vector<uint8_t>& reply : responder_.Receive({buffer, static_cast<size_t>(n)})) Answer(std::move(reply));
    return true;
  }

  bool HungUp() {
    responder_.Reset();
    return false;
  }

  void Answer(std::vector<uint8_t> reply) {
    if (options_.verbose) Log(reply);
    if (options_.silent || !WaitForStop(static_cast<int>(options_.delayMs))) return;
    if (options_.garbage) reply[0] = 0x00;
    const size_t burst = options_.splitBytes == 0 ? reply.size() : options_.splitBytes;
    for (size_t at = 0; at < reply.size(); at += burst) {
      if (at > 0 && !WaitForStop(static_cast<int>(options_.burstGapMs))) return;
      // A real module's bytes are lost while the port is closed; do not let them pile up
      // in the pty for the next open to find.
      if (!pty_.SlavePresent()) return;
      WriteAll(reply.data() + at, std::min(burst, reply.size() - at));
    }
  }

  void WriteAll(const uint8_t* data, size_t size) {
    while (size > 0) {
      const ssize_t n = write(pty_.master(), data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // the other side went away: the reply is lost, as on a real line
      data += n;
      size -= static_cast<size_t>(n);
    }
  }

  // Sleeps `ms` unless a stop signal comes first; false (and stopped) when it came.
  bool WaitForStop(int ms) {
    if (ms <= 0) return !stopped_;
    pollfd stop{stopFd_, POLLIN, 0};
    if (poll(&stop, 1, ms) > 0) stopped_ = true;
    return !stopped_;
  }

  void Log(const std::vector<uint8_t>& reply) const {
    std::fprintf(stderr, "zel_simulator: answer %s\n", ToHexText(reply).c_str());
  }

  const SimulatorOptions& options_;
  const SimulatorPty& pty_;
  const int stopFd_;
  ModuleResponder responder_;
  bool stopped_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const SimulatorCommandLine line = ParseSimulatorCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.showHelp || !line.error.empty()) {
    if (!line.error.empty()) std::fprintf(stderr, "zel_simulator: %s\n", line.error.c_str());
    std::fputs(kSimulatorUsage, line.showHelp ? stdout : stderr);
    return line.showHelp ? 0 : 2;
  }
  const DeviceStart start("zel_simulator", line.options.linkPath);
  if (!start.ok()) return 1;
  Simulator(line.options, start.pty(), start.stopFd()).Run();
  return 0;
}
