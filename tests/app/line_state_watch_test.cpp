// The watch of the modem lines and error counts, over a device played by hand (a pseudo-
// terminal has no modem lines): every change reaches the window, counts run on across
// reopened devices, and a device without lines shows as unavailable.
#include "core/terminal/line_state_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "serial/comm_types.h"
#include "serial/modem_status.h"

namespace {

// The device's lines and counters as the test sets them, and the window's posts.
class PlayedDevice : public MessageTarget {
 public:
  bool Read(uint32_t* status, LineCounters* counters) {
    std::lock_guard guard(lock_);
    *status = status_;
    *counters = counters_;
    return present_;
  }
  void Set(uint32_t status, LineCounters counters, bool present = true) {
    std::lock_guard guard(lock_);
    status_ = status;
    counters_ = counters;
    present_ = present;
  }
  void Post(uint32_t message, uintptr_t, intptr_t) override {
    std::lock_guard guard(lock_);
    if (message == kMessage) ++posts_;
    changed_.notify_all();
  }
  // Waits (with a generous guard) until `done` holds of the watch's state.
  bool WaitFor(const LineStateWatch& watch, const std::function<bool(const LineState&)>& done) {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
      lock.unlock();
      const bool met = done(watch.Current());
      lock.lock();
      return met;
    });
  }
  static constexpr uint32_t kMessage = 7;

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  uint32_t status_ = 0;
  LineCounters counters_;
  bool present_ = true;
  int posts_ = 0;
};

TEST(LineStateWatch, ChangesOfLinesAndCountsReachTheWindowAndCountsRunOnAcrossDevices) {
  PlayedDevice device;
  LineStateWatch watch([&](uint32_t* s, LineCounters* c) { return device.Read(s, c); }, device,
                       PlayedDevice::kMessage);
  // A device that has counted since long before it was opened: only what comes now counts.
  device.Set(win::MS_CTS_ON, {.frame = 40, .brk = 3});
  watch.Start();
  ASSERT_TRUE(device.WaitFor(watch, [](const LineState& s) { return s.available && s.modemStatus == win::MS_CTS_ON; }));
  EXPECT_EQ(watch.Current().errors.frame, 0u);

  device.Set(win::MS_CTS_ON | win::MS_RLSD_ON, {.frame = 42, .brk = 4});
  ASSERT_TRUE(device.WaitFor(watch, [](const LineState& s) { return s.errors.frame == 2 && s.errors.brk == 1; }));
  EXPECT_EQ(watch.Current().modemStatus, win::MS_CTS_ON | win::MS_RLSD_ON);

  watch.Stop();
  EXPECT_FALSE(watch.Current().available);
  // The device comes back with its counters at zero: the counts go on from where they were.
  device.Set(win::MS_DSR_ON, {.parity = 0});
  watch.Start();
  ASSERT_TRUE(device.WaitFor(watch, [](const LineState& s) { return s.available; }));  // the first reading
  device.Set(win::MS_DSR_ON, {.frame = 1, .parity = 5});
  ASSERT_TRUE(device.WaitFor(watch, [](const LineState& s) { return s.errors.parity == 5; }));
  EXPECT_EQ(watch.Current().errors.frame, 3u);
  EXPECT_EQ(watch.Current().errors.brk, 1u);
}

TEST(LineStateWatch, DeviceWithoutModemLinesIsUnavailableAndTheWorkerEnds) {
  PlayedDevice device;
  LineStateWatch watch([&](uint32_t* s, LineCounters* c) { return device.Read(s, c); }, device,
                       PlayedDevice::kMessage);
  device.Set(win::MS_CTS_ON, {});
  watch.Start();
  ASSERT_TRUE(device.WaitFor(watch, [](const LineState& s) { return s.available; }));
  device.Set(0, {}, false);  // gone, or never had lines
  ASSERT_TRUE(device.WaitFor(watch, [](const LineState& s) { return !s.available; }));
  EXPECT_EQ(watch.Current().modemStatus, 0u);
  watch.Stop();  // joins a worker that has ended by itself
}

}  // namespace
