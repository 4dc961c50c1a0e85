// Ports on other machines against a real ser2net 4 serving the far side of a pseudo-terminal
// pair on 127.0.0.1, through telnet with com port control and through raw TCP.
//
// A pseudo-terminal has no modem lines and no wire: DTR, RTS and a break cannot be seen on
// its far side, so these tests check only that switching them is taken (ser2net leaves the
// control lines unconfirmed there) and does not fail the port.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "serial/posix_termios2.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/ser2net_process.h"

namespace {

using win::CE_IOE;
using win::INFINITE_TIMEOUT;

constexpr uint32_t kGuardMs = 30000;  // failure guard only
constexpr uint32_t kPortEvent = 1026;
constexpr size_t kStreamBytes = 1048575;

// The port's messages, waited for by the test thread.
class Messages : public MessageTarget {
 public:
  void Post(uint32_t message, uintptr_t wParam, intptr_t) override {
    std::lock_guard lock(mutex_);
    if (message == kPortEvent && ((wParam >> 16) & CE_IOE)) lost_ = true;
    changed_.notify_all();
  }
  bool WaitLost() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(kGuardMs), [&] { return lost_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool lost_ = false;
};

std::vector<uint8_t> RandomBytes(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(count);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  bytes[count / 2] = 0xFF;  // whatever the seed, the telnet escape byte is in there
  bytes[count / 2 + 1] = 0xFF;
  return bytes;
}

// One pty, one ser2net with an rfc2217 and a raw accepter in front of its far side.
struct Bench {
  Bench() : server({{pty.path(), true}, {pty.path(), false}}) {}
  PtyPair pty;
  Ser2netProcess server;
  Messages messages;
  WindowSerialPort port;

  bool Open(size_t link) {
    if (!pty.ok() || !server.WaitListening()) return false;
    return port.OpenForWindow(server.link(link).Name().c_str(), &messages, kPortEvent, 0, 4096, 4096) == 0 &&
           port.AwaitNetworkReady(kGuardMs);
  }
};

TEST(NetworkPort, LineSettingsReachTheFarDeviceAndControlLinesAreTaken) {
  Bench bench;
  ASSERT_TRUE(bench.Open(0));
  EXPECT_TRUE(bench.port.Network().lineSettingsApply);
  EXPECT_FALSE(bench.port.Network().bytesOnly);
  ASSERT_EQ(bench.port.SetLineSettings(57600, 7, win::EVENPARITY, win::TWOSTOPBITS), 0u);
  uint32_t rate = 0;
  ASSERT_TRUE(posix::ReadBaud(bench.pty.slave(), &rate));
  EXPECT_EQ(rate, 57600u);
  EXPECT_EQ(bench.port.GetBaudRate(), 57600);
  EXPECT_EQ(bench.port.GetDataBits(), 7);
  EXPECT_EQ(bench.port.GetParity(), win::EVENPARITY);

  win::DCB dcb;
  ASSERT_EQ(bench.port.GetControlBlock(&dcb), 0u);
  dcb.fDtrControl = win::DTR_CONTROL_DISABLE;
  dcb.fRtsControl = win::RTS_CONTROL_DISABLE;
  EXPECT_EQ(bench.port.SetControlBlock(dcb), 0u);
  EXPECT_EQ(bench.port.SetFlowControl(2), 0u);
  EXPECT_EQ(bench.port.SetFlowControl(0), 0u);
  EXPECT_EQ(bench.port.DiscardInput(), 0u);
}

TEST(NetworkPort, RawTcpTakesLineSettingsWithoutEffect) {
  Bench bench;
  ASSERT_TRUE(bench.Open(1));
  EXPECT_TRUE(bench.port.Network().bytesOnly);
  EXPECT_FALSE(bench.port.Network().lineSettingsApply);
  EXPECT_EQ(bench.port.SetLineSettings(57600, 8, win::NOPARITY, win::ONESTOPBIT), 0u);
  uint32_t rate = 0;
  ASSERT_TRUE(posix::ReadBaud(bench.pty.slave(), &rate));
  EXPECT_NE(rate, 57600u);  // as ser2net (or the kernel) left it
}

TEST(NetworkPort, AMegabyteArrivesExactlyBothWays) {
  for (size_t link : {0u, 1u}) {
    SCOPED_TRACE(link == 0 ? "rfc2217" : "tcp");
    Bench bench;
    ASSERT_TRUE(bench.Open(link));
    const std::vector<uint8_t> out = RandomBytes(kStreamBytes, 7);
    std::thread writer([&] {
      uint32_t written = 0;
      EXPECT_EQ(bench.port.Write(out.data(), static_cast<uint32_t>(out.size()), &written, nullptr, INFINITE_TIMEOUT), 0u);
      EXPECT_EQ(written, out.size());
    });
    const std::vector<uint8_t> arrived = bench.pty.Receive(out.size(), kGuardMs);
    writer.join();
    EXPECT_TRUE(arrived == out) << arrived.size() << " of " << out.size() << " bytes";

    const std::vector<uint8_t> in = RandomBytes(kStreamBytes, 11);
    std::thread sender([&] { EXPECT_TRUE(bench.pty.Send(in)); });
    std::vector<uint8_t> got(in.size());
    uint32_t read = 0;
    ASSERT_EQ(bench.port.SetReadTimeouts(1), 0u);
    EXPECT_EQ(bench.port.Read(got.data(), static_cast<uint32_t>(got.size()), &read, nullptr, kGuardMs), 0u);
    sender.join();
    got.resize(read);
    EXPECT_TRUE(got == in) << read << " of " << in.size() << " bytes";
  }
}

TEST(NetworkPort, AServerKilledMidStreamIsALostPort) {
  Bench bench;
  ASSERT_TRUE(bench.Open(0));
  ASSERT_TRUE(bench.pty.Send(std::string("first bytes")));
  std::vector<uint8_t> got(5);
  uint32_t read = 0;
  ASSERT_EQ(bench.port.SetReadTimeouts(1), 0u);
  ASSERT_EQ(bench.port.Read(got.data(), 5, &read, nullptr, kGuardMs), 0u);
  bench.server.Kill();
  EXPECT_TRUE(bench.messages.WaitLost());
  // What had come before the loss can still be read; after it the port is gone.
  got.resize(64);
  EXPECT_NE(bench.port.Read(got.data(), 64, &read, nullptr, kGuardMs), 0u);
  EXPECT_EQ(std::string(got.begin(), got.begin() + read), " bytes");
  EXPECT_NE(bench.port.SetLineSettings(9600, 8, win::NOPARITY, win::ONESTOPBIT), 0u);
}

TEST(NetworkPort, ARefusedConnectionIsReportedAsALostPortWithoutAWaitingOpen) {
  Messages messages;
  WindowSerialPort port;
  const std::string name = "rfc2217://127.0.0.1:" + std::to_string(FreeLocalPort());
  ASSERT_EQ(port.OpenForWindow(name.c_str(), &messages, kPortEvent, 0, 4096, 4096), 0u);
  EXPECT_TRUE(port.Network().network);
  EXPECT_TRUE(messages.WaitLost());
  EXPECT_FALSE(port.AwaitNetworkReady(kGuardMs));
  // A name that is no address opens nothing.
  port.Close();
  EXPECT_NE(port.OpenForWindow("tcp://127.0.0.1:0", &messages, kPortEvent, 0, 4096, 4096), 0u);
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
