// The event wait's descriptor set on a real pseudo-terminal: switching input on wakes the
// waiter only when bytes are there, and a hang-up ends the wait even with input unwatched.
#include "serial/device_watch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "serial/manual_reset_event.h"
#include "support/pty_pair.h"

namespace {

constexpr uint32_t kNoLimit = 0xFFFFFFFFu;

class DeviceWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    device = open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(device, 0);
    termios raw{};
    tcgetattr(device, &raw);
    cfmakeraw(&raw);
    tcsetattr(device, TCSANOW, &raw);
    pty.CloseSlave();  // only the port's descriptor stays: the master's close hangs it up
    watch = std::make_unique<posix::DeviceWatch>(device, wake.fd(), cancel.fd());
    ASSERT_FALSE(watch->failure().Failed());
  }
  void TearDown() override {
    watch.reset();
    if (device >= 0) close(device);
  }

  // Starts a wait without limit on another thread.
  std::future<posix::Readiness> WaitInBackground() {
    return std::async(std::launch::async, [this] { return watch->Wait(Deadline(kNoLimit)); });
  }
  static bool Ends(std::future<posix::Readiness>& wait, int ms) {
    return wait.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
  }

  PtyPair pty;
  int device = -1;
  ManualResetEvent wake, cancel;
  std::unique_ptr<posix::DeviceWatch> watch;
};

TEST_F(DeviceWatchTest, InputSwitchedOnWakesTheWaiterOnlyWhenBytesAreThere) {
  ASSERT_TRUE(pty.Send("x"));
  auto wait = WaitInBackground();
  EXPECT_FALSE(Ends(wait, 100)) << "bytes that are not watched for do not end the wait";
  char byte = 0;
  ASSERT_EQ(read(device, &byte, 1), 1);
  ASSERT_FALSE(watch->WatchInput(true).Failed());
  EXPECT_FALSE(Ends(wait, 100)) << "switched on over an empty queue, the waiter sleeps on";
  ASSERT_TRUE(pty.Send("y"));
  ASSERT_TRUE(Ends(wait, 2000));
  EXPECT_TRUE(wait.get().device & POLLIN);

  ASSERT_FALSE(watch->WatchInput(false).Failed());
  wait = WaitInBackground();
  EXPECT_FALSE(Ends(wait, 100)) << "switched off, the byte still queued no longer ends a wait";
  wake.Set();
  ASSERT_TRUE(Ends(wait, 2000));
  const posix::Readiness woken = wait.get();
  EXPECT_TRUE(woken.wake);
  EXPECT_FALSE(woken.device & POLLIN);
}

TEST_F(DeviceWatchTest, AHangUpEndsTheWaitWithInputUnwatched) {
  auto wait = WaitInBackground();
  pty.CloseMaster();
  ASSERT_TRUE(Ends(wait, 2000));
  EXPECT_TRUE(wait.get().device & (POLLHUP | POLLERR));
}

}  // namespace
