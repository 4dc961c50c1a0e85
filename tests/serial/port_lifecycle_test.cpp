// Many open/close cycles of one port object: whatever a cycle takes (descriptors, the monitor
// thread, memory) it must give back, also when the device hangs up while the port is open.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "serial/serial_port.h"
#include "support/process_resources.h"
#include "support/pty_pair.h"

using win::CE_IOE;

namespace {

constexpr uint32_t kPortEvent = 1025;
constexpr std::chrono::seconds kPatience{10};  // only reached when something is broken

// Counts what the monitor posts without keeping it, so that the count does not use memory.
class CountingTarget : public MessageTarget {
 public:
  void Post(uint32_t, uintptr_t wParam, intptr_t) override {
    {
      std::lock_guard guard(lock_);
      ++posted_;
      if ((wParam >> 16) & CE_IOE) ++lost_;
    }
    changed_.notify_all();
  }
  bool WaitFor(uint64_t posted, uint64_t lost = 0) {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, kPatience, [&] { return posted_ >= posted && lost_ >= lost; });
  }
  uint64_t Posted() {
    std::lock_guard guard(lock_);
    return posted_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  uint64_t posted_ = 0;
  uint64_t lost_ = 0;
};

// One cycle as the window makes it: open with the monitor, line settings, close. Every
// `echoEvery`-th cycle a byte also comes in and is read, so the monitor has posted and the
// read path has run before the close.
void Cycle(WindowSerialPort& port, CountingTarget& target, const PtyPair& pty, int n, int echoEvery) {
  ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &target, kPortEvent, 0, 20480, 20480), 0u) << "cycle " << n;
  ASSERT_EQ(port.SetLineSettings(256000, 8, 0, 0), 0u);
  if (n % echoEvery == 0) {
    const uint64_t before = target.Posted();
    ASSERT_TRUE(pty.Send("x"));
    ASSERT_TRUE(target.WaitFor(before + 1));
    char byte = 0;
    uint32_t count = 0;
    ASSERT_EQ(port.Read(&byte, 1, &count, nullptr, 1000), 0u);
    ASSERT_EQ(count, 1u);
  }
  ASSERT_EQ(port.Close(), 0u);
}

void ExpectNothingLeftBehind(const ProcessResources& before, const ProcessResources& after) {
  EXPECT_EQ(after.descriptors, before.descriptors);
  EXPECT_EQ(after.threads, before.threads);
  if (before.heap && after.heap) {
    // A few allocator pages may stay cached; a leak of even 8 bytes per cycle would show.
    EXPECT_LT(static_cast<long long>(*after.heap) - static_cast<long long>(*before.heap), 64 * 1024);
  }
}

TEST(PortLifecycle, TenThousandOpenCloseCyclesLeaveNothingBehind) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CountingTarget target;
  WindowSerialPort port;
  Cycle(port, target, pty, 0, 1);  // first use sets up what stays for the process's life
  const ProcessResources before;
  for (int n = 1; n <= 10000 && !testing::Test::HasFatalFailure(); ++n) Cycle(port, target, pty, n, 10);
  ExpectNothingLeftBehind(before, ProcessResources());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.MonitorRunning());
}

// Each device hangs up while the port is open: the monitor ends by itself and reports the
// loss; the close that follows still releases everything, and a fresh port object each time
// leaves nothing either.
TEST(PortLifecycle, DevicesThatHangUpWhileOpenLeaveNothingBehind) {
  const bool mayHangUp = [] {
    PtyPair probe;
    return ioctl(probe.slave(), TIOCVHANGUP) == 0;
  }();
  CountingTarget target;
  const auto cycle = [&](int n) {
    auto pty = std::make_unique<PtyPair>();
    auto port = std::make_unique<WindowSerialPort>();
    ASSERT_EQ(port->OpenForWindow(pty->path().c_str(), &target, kPortEvent, 0, 0, 0), 0u);
    // Hung up by the kernel (needs the right to), or the far side simply closed.
    if (mayHangUp && n % 2 == 0) {
      ASSERT_EQ(ioctl(pty->slave(), TIOCVHANGUP), 0);
    } else {
      pty->CloseSlave();
      pty->CloseMaster();
    }
    ASSERT_TRUE(target.WaitFor(0, static_cast<uint64_t>(n) + 1)) << "no loss reported in cycle " << n;
    port->Close();
    EXPECT_FALSE(port->MonitorRunning());
  };
  cycle(0);  // the first thread may start a helper thread that stays (a sanitizer's, say)
  const ProcessResources before;
  for (int n = 1; n <= 300 && !testing::Test::HasFatalFailure(); ++n) cycle(n);
  ExpectNothingLeftBehind(before, ProcessResources());
}

}  // namespace
