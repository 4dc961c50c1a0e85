// Receive throughput of the serial driver next to a plain read() loop on the same
// pseudo-terminal, and the number of event messages a 1 MB burst produces.
//
// Both receivers read in pieces of 256 bytes, as the terminal page's receive thread does;
// the driver's receiver reads only when a received-character message tells it to. The 1 MB
// burst is also received over ser2net (telnet with com port control, and raw TCP) in front
// of the same pseudo-terminal, next to the local figure.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "serial/port_test_doubles.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/ser2net_process.h"

namespace {

constexpr size_t kThroughputBytes = 64u << 20;
constexpr size_t kBurstBytes = 1u << 20;

using Clock = std::chrono::steady_clock;

double MegabytesPerSecond(size_t bytes, Clock::duration elapsed) {
  return double(bytes) / (1024.0 * 1024.0) / std::chrono::duration<double>(elapsed).count();
}

// Sends `bytes` into the far side on a thread of its own while `receive` runs; returns the
// time from the first byte sent until `receive` returned.
template <typename Receive>
Clock::duration Timed(const PtyPair& pty, size_t bytes, Receive receive) {
  const std::vector<uint8_t> data(bytes, 0xA5);
  const auto start = Clock::now();
  std::thread sender([&] { pty.Send(data); });
  receive();
  const auto elapsed = Clock::now() - start;
  sender.join();
  return elapsed;
}

double PlainReadLoop(const PtyPair& pty) {
  const int fd = open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return 0;
  termios raw{};
  tcgetattr(fd, &raw);
  cfmakeraw(&raw);
  tcsetattr(fd, TCSANOW, &raw);
  const auto elapsed = Timed(pty, kThroughputBytes, [&] {
    uint8_t buffer[256];
    for (size_t got = 0; got < kThroughputBytes;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      got += size_t(n);
    }
  });
  close(fd);
  return MegabytesPerSecond(kThroughputBytes, elapsed);
}

struct DriverFigures {
  double megabytesPerSecond = 0;
  size_t messages = 0;
};

DriverFigures DriverReceive(const PtyPair& pty, const std::string& name, size_t bytes) {
  MessageQueue window;
  WindowSerialPort port;
  DriverFigures figures;
  if (port.OpenForWindow(name.c_str(), &window, 1025, 0, 20480, 20480) != 0) return figures;
  if (!port.AwaitNetworkReady(30000)) return figures;
  bool complete = false;
  const auto elapsed = Timed(pty, bytes, [&] {
    complete = ReceiveOnMessages(port, window, bytes, [](const uint8_t*, uint32_t) {});
  });
  port.Close();
  if (!complete) return figures;
  figures.megabytesPerSecond = MegabytesPerSecond(bytes, elapsed);
  figures.messages = window.Count();
  return figures;
}

}  // namespace

int main() {
  PtyPair pty;
  if (!pty.ok()) {
    std::fprintf(stderr, "no pseudo-terminal\n");
    return 1;
  }
  const double plain = PlainReadLoop(pty);
  const DriverFigures driver = DriverReceive(pty, pty.path(), kThroughputBytes);
  const DriverFigures burst = DriverReceive(pty, pty.path(), kBurstBytes);
  // One server per run: a server lets go of the device only some time after its client.
  auto overSer2net = [&](bool telnet) {
    Ser2netProcess server({{pty.path(), telnet}});
    return server.WaitListening() ? DriverReceive(pty, server.link(0).Name(), kBurstBytes) : DriverFigures{};
  };
  const DriverFigures telnet = overSer2net(true);
  const DriverFigures raw = overSer2net(false);
  std::printf("receive %zu MB through a pseudo-terminal, 256-byte reads\n", kThroughputBytes >> 20);
  std::printf("  plain read() loop : %8.1f MB/s\n", plain);
  std::printf("  driver (messages) : %8.1f MB/s  (%zu messages)\n", driver.megabytesPerSecond, driver.messages);
  std::printf("  ratio driver/plain: %8.2f\n", plain > 0 ? driver.megabytesPerSecond / plain : 0.0);
  std::printf("1 MB burst: %zu event messages (%.0f bytes per message)\n", burst.messages,
              burst.messages ? double(kBurstBytes) / double(burst.messages) : 0.0);
  std::printf("receive 1 MB, driver (messages):\n");
  std::printf("  local pseudo-terminal   : %8.1f MB/s\n", burst.megabytesPerSecond);
  std::printf("  ser2net, rfc2217 telnet : %8.1f MB/s\n", telnet.megabytesPerSecond);
  std::printf("  ser2net, raw tcp        : %8.1f MB/s\n", raw.megabytesPerSecond);
  return driver.megabytesPerSecond > 0 && burst.messages > 0 && telnet.messages > 0 && raw.messages > 0 ? 0 : 1;
}
