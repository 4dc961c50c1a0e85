// The monitor thread: event messages, their numbers and parameters, no flood while bytes sit
// unread, mask changes, stopping, a device that vanishes, and a 1 MB stream.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "serial/port_test_doubles.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"

using win::CE_IOE;
using win::ERROR_TIMEOUT;
using win::EV_ERR;
using win::EV_RXCHAR;
using win::INFINITE_TIMEOUT;

namespace {

constexpr uint32_t kPortEvent = 1025;

class Monitor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, kPortEvent, 0, 20480, 20480), 0u);
  }

  // Reads everything queued now.
  std::string DrainPort() {
    std::string got;
    char buffer[256];
    uint32_t count = 0;
    do {
      EXPECT_EQ(port.Read(buffer, sizeof buffer, &count, nullptr, INFINITE_TIMEOUT), 0u);
      got.append(buffer, count);
    } while (count > 0);
    return got;
  }

  PtyPair pty;
  MessageQueue window;
  ObservedPort port;
};

TEST_F(Monitor, ArrivingBytesPostOneEventMessage) {
  ASSERT_TRUE(port.MonitorRunning());
  ASSERT_TRUE(pty.Send("hello"));
  ASSERT_TRUE(window.WaitForCount(1));
  const PostedMessage message = window.Messages()[0];
  EXPECT_EQ(message.number, kPortEvent);
  EXPECT_EQ(message.wParam & 0xFFFF, EV_RXCHAR);
  EXPECT_EQ(message.wParam >> 16, 0u) << "a pseudo-terminal has no line errors";
  EXPECT_EQ(message.lParam, 0);
  EXPECT_EQ(DrainPort(), "hello");
}

TEST(MonitorMessages, MessageZeroPosts2023WithTheParameter) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  MessageQueue window;
  ObservedPort port;
  ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, 0, 77, 0, 0), 0u);
  EXPECT_EQ(port.NotifyMessage, 2023u);
  ASSERT_TRUE(pty.Send("x"));
  ASSERT_TRUE(window.WaitForCount(1));
  EXPECT_EQ(window.Messages()[0].number, 2023u);
  EXPECT_EQ(window.Messages()[0].lParam, 77);
}

TEST_F(Monitor, BytesLeftUnreadAreReportedOnceNotAgainAndAgain) {
  ASSERT_TRUE(pty.Send(std::string(100, 'a')));
  ASSERT_TRUE(window.WaitForCount(1));
  ASSERT_TRUE(pty.Send(std::string(2900, 'b')));  // stays within the terminal's 4 KB read buffer
  ASSERT_TRUE(port.WaitQueued(3000));
  ASSERT_TRUE(port.CyclePasses(3)) << "the monitor went round its loop with the bytes waiting";
  EXPECT_EQ(window.Count(), 1u);

  // Reading re-arms the report: the next arrival is news again.
  EXPECT_EQ(DrainPort().size(), 3000u);
  ASSERT_TRUE(pty.Send("c"));
  ASSERT_TRUE(window.WaitForCount(2));
  EXPECT_EQ(window.Messages()[1].wParam & 0xFFFF, EV_RXCHAR);
}

TEST_F(Monitor, AReaderIsToldAgainOnlyOnceItsReadCameBackShort) {
  ASSERT_TRUE(pty.Send(std::string(600, 'q')));
  ASSERT_TRUE(port.WaitQueued(600));
  ASSERT_TRUE(window.WaitForCount(1));
  char buffer[256];
  uint32_t count = 0;
  // A full read has not seen the queue's end: the reader goes on, the monitor keeps quiet,
  // even when more bytes come meanwhile.
  ASSERT_EQ(port.Read(buffer, sizeof buffer, &count, nullptr, INFINITE_TIMEOUT), 0u);
  ASSERT_EQ(count, 256u);
  ASSERT_TRUE(pty.Send("r"));
  ASSERT_TRUE(port.WaitQueued(345));
  ASSERT_TRUE(port.CyclePasses(2));
  EXPECT_EQ(window.Count(), 1u);
  // The short read that ends the draining re-arms it: the next arrival is news again.
  EXPECT_EQ(DrainPort().size(), 345u);
  ASSERT_TRUE(pty.Send("s"));
  ASSERT_TRUE(window.WaitForCount(2));
  EXPECT_EQ(DrainPort(), "s");
}

TEST_F(Monitor, MaskChangeWakesWithoutAMessageAndAppliesToTheNextEvent) {
  ASSERT_EQ(port.SetEventMask(EV_ERR), 0u);
  ASSERT_TRUE(port.CyclePasses(2));
  ASSERT_TRUE(pty.Send("masked"));
  ASSERT_TRUE(port.WaitQueued(6));
  ASSERT_TRUE(port.CyclePasses(2));
  EXPECT_EQ(window.Count(), 0u) << "neither the mask change nor masked bytes post anything";
  ASSERT_EQ(port.SetEventMask(EV_RXCHAR), 0u);
  ASSERT_TRUE(window.WaitForCount(1));
  EXPECT_EQ(window.Messages()[0].wParam, EV_RXCHAR);
}

TEST_F(Monitor, StartMonitorOnARunningMonitorStartsNothing) {
  const std::thread* running = port.MonitorThread.get();
  EXPECT_EQ(port.StartMonitor(), 0u);
  EXPECT_EQ(port.MonitorThread.get(), running);
}

TEST_F(Monitor, StopAndStartAgain) {
  EXPECT_EQ(port.StopMonitor(INFINITE_TIMEOUT), 0u);
  EXPECT_FALSE(port.MonitorRunning());
  EXPECT_FALSE(port.StopRequested);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.StopMonitor(INFINITE_TIMEOUT), 0u);
  ASSERT_EQ(port.StartMonitor(), 0u);
  ASSERT_TRUE(pty.Send("again"));
  ASSERT_TRUE(window.WaitForCount(1));
}

// A port whose event handler does not return until the test lets it.
class StallingPort : public WindowSerialPort {
 public:
  ~StallingPort() override {
    release.Set();
    Close();
  }
  void OnCommEvent(uint16_t, uint16_t) override {
    entered.Set();
    release.Wait(INFINITE_TIMEOUT);
  }
  ManualResetEvent entered;
  ManualResetEvent release;
};

TEST(MonitorStop, AStopThatTimesOutKeepsTheThreadUntilItEnds) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  MessageQueue window;
  StallingPort port;
  ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, kPortEvent, 0, 0, 0), 0u);
  ASSERT_TRUE(pty.Send("s"));
  ASSERT_TRUE(port.entered.Wait(10000));
  EXPECT_EQ(port.StopMonitor(20), ERROR_TIMEOUT);
  EXPECT_TRUE(port.MonitorRunning()) << "never let go of a thread that still uses the port";
  port.release.Set();
  EXPECT_EQ(port.StopMonitor(INFINITE_TIMEOUT), 0u);
  EXPECT_FALSE(port.MonitorRunning());
  EXPECT_EQ(port.Close(), 0u);
}

TEST(MonitorStop, StartingOnAClosedPortEndsAtOnce) {
  ObservedPort port;
  EXPECT_EQ(port.StartMonitor(), 0u);
  EXPECT_EQ(port.StopMonitor(INFINITE_TIMEOUT), 0u);
  EXPECT_FALSE(port.MonitorRunning());
}

TEST(MonitorStop, DestroyingAnOpenPortStopsAndClosesIt) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  MessageQueue window;
  {
    WindowSerialPort port;
    ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, kPortEvent, 0, 0, 0), 0u);
  }
  WindowSerialPort next;
  EXPECT_EQ(next.OpenForWindow(pty.path().c_str(), &window, kPortEvent, 0, 0, 0), 0u) << "the device was let go";
}

TEST_F(Monitor, CloseWithNothingReceivedReturnsAndTearsDown) {
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_FALSE(port.MonitorRunning());
  EXPECT_EQ(port.IoEvent, nullptr);
  EXPECT_EQ(window.Count(), 0u);
}

TEST_F(Monitor, RepeatedOpenAndCloseWhileBytesStreamIn) {
  std::atomic<bool> stop{false};
  std::thread sender([&] {
    while (!stop) pty.Send("z");
  });
  for (int round = 0; round < 100; ++round) {
    ASSERT_EQ(port.Close(), 0u);
    ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, kPortEvent, 0, 0, 0), 0u);
    DrainPort();
  }
  stop = true;
  sender.join();
}

TEST_F(Monitor, VanishedDeviceEndsTheMonitorAndIsReportedOnce) {
  pty.CloseMaster();
  ASSERT_TRUE(window.WaitForCount(1));
  const PostedMessage lost = window.Messages()[0];
  EXPECT_EQ(lost.number, kPortEvent);
  EXPECT_EQ(lost.wParam, uintptr_t(CE_IOE) << 16) << "no event bits, the device error in the high half";
  EXPECT_TRUE(port.MonitorRunning()) << "the thread has ended but is only joined by the close";
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_EQ(window.Count(), 1u);

  PtyPair fresh;
  ASSERT_TRUE(fresh.ok());
  ASSERT_EQ(port.OpenForWindow(fresh.path().c_str(), &window, kPortEvent, 0, 0, 0), 0u);
  ASSERT_TRUE(fresh.Send("new"));
  ASSERT_TRUE(window.WaitForCount(2));
  EXPECT_EQ(window.Messages()[1].wParam, EV_RXCHAR);
}

TEST_F(Monitor, VanishingWhileBytesSitUnreadIsReportedToo) {
  ASSERT_TRUE(pty.Send("unread"));
  ASSERT_TRUE(window.WaitForCount(1));
  pty.CloseMaster();
  ASSERT_TRUE(window.WaitForCount(2));
  EXPECT_EQ(window.Messages()[1].wParam, uintptr_t(CE_IOE) << 16);
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_EQ(window.Count(), 2u);
}

TEST_F(Monitor, StreamOfAMegabyteArrivesCompleteAndInOrder) {
  constexpr size_t kSize = 1048575;
  std::vector<uint8_t> sent(kSize);
  std::mt19937 random(20240611);
  for (uint8_t& byte : sent) byte = static_cast<uint8_t>(random());

  std::vector<uint8_t> received;
  received.reserve(kSize);
  std::thread reader([&] {
    ReceiveOnMessages(port, window, kSize,
                      [&](const uint8_t* bytes, uint32_t count) { received.insert(received.end(), bytes, bytes + count); });
  });
  ASSERT_TRUE(pty.Send(sent));
  reader.join();
  ASSERT_EQ(received.size(), kSize);
  EXPECT_TRUE(received == sent);
  EXPECT_LT(window.Count(), kSize / 16) << "one message per burst, not per byte";
}

}  // namespace
