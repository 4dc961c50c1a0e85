// The window's worker threads: created suspended, woken without loss, the delay and
// countdown rules driven by an injected clock, and the receive loop against a real port.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/terminal/messages.h"
#include "core/receive/receive_store.h"
#include "core/terminal/receive_pipeline.h"
#include "core/terminal/sleeping_worker.h"
#include "core/terminal/worker_loops.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

// Collects posted messages; Next() waits for one.
class MessageQueue : public MessageTarget {
 public:
  void Post(uint32_t message, uintptr_t, intptr_t) override {
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(message);
    }
    arrived_.notify_all();
  }
  // The next message, or 0 when none comes within the time-out.
  uint32_t Next(int timeoutMs = 5000) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !messages_.empty(); })) return 0;
    const uint32_t message = messages_.front();
    messages_.pop_front();
    return message;
  }
  size_t Count() {
    std::lock_guard lock(mutex_);
    return messages_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<uint32_t> messages_;
};

// A clock the test moves by hand: each pause of the worker waits for one Tick().
class ManualClock {
 public:
  bool Pause(uint32_t ms, const std::atomic<bool>& stop) {
    std::unique_lock lock(mutex_);
    pauses_.push_back(ms);
    changed_.notify_all();
    changed_.wait(lock, [&] { return ticks_ > 0 || stop.load(); });
    if (ticks_ > 0) --ticks_;
    return !stop.load();
  }
  void Tick() {
    std::lock_guard lock(mutex_);
    ++ticks_;
    changed_.notify_all();
  }
  // Waits until the worker has entered its n-th pause; returns that pause's length.
  uint32_t WaitForPause(size_t n) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return pauses_.size() >= n; });
    return pauses_.size() >= n ? pauses_[n - 1] : 0;
  }
  void WakeAll() { changed_.notify_all(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint32_t> pauses_;
  int ticks_ = 0;
};

struct Worker {
  Worker(WorkerState& state, std::function<void(SleepingWorker&)> body) : state(state), thread(std::move(body), state.StopWorkers) {
    thread.SetPauseForTesting([this](uint32_t ms) { return clock.Pause(ms, this->state.StopWorkers); });
  }
  ~Worker() {
    state.StopWorkers = true;
    clock.WakeAll();
    thread.Resume();
    thread.Join();
  }
  WorkerState& state;
  ManualClock clock;
  SleepingWorker thread;
};

}  // namespace

TEST(WorkerLoops, NothingRunsBeforeTheFirstWakeUp) {
  WorkerState state;
  MessageQueue window;
  state.ReadDelayRequest = true;
  Worker delay(state, [&](SleepingWorker& self) { RunDelayLoop(self, state, window); });
  EXPECT_EQ(window.Next(100), 0u);
  EXPECT_TRUE(state.ReadDelayRequest.load());
}

TEST(WorkerLoops, DelayServesReadThenWriteEachWithItsPause) {
  WorkerState state;
  MessageQueue window;
  Worker delay(state, [&](SleepingWorker& self) { RunDelayLoop(self, state, window); });
  state.WriteDelayRequest = true;
  state.ReadDelayRequest = true;
  delay.thread.Resume();
  EXPECT_EQ(delay.clock.WaitForPause(1), kReadReplyDelayMs);
  EXPECT_EQ(window.Count(), 0u);
  delay.clock.Tick();
  EXPECT_EQ(window.Next(), win::WM_MODULE_DELAYED);
  EXPECT_EQ(delay.clock.WaitForPause(2), kWriteReplyDelayMs);
  delay.clock.Tick();
  EXPECT_EQ(window.Next(), win::WM_MODULE_DELAYED);
  // A request raised while the worker goes back to sleep is served, not lost.
  state.ReadDelayRequest = true;
  delay.thread.Resume();
  EXPECT_EQ(delay.clock.WaitForPause(3), kReadReplyDelayMs);
  delay.clock.Tick();
  EXPECT_EQ(window.Next(), win::WM_MODULE_DELAYED);
}

TEST(WorkerLoops, CountdownAddsASecondPerStatusText) {
  WorkerState state;
  MessageQueue window;
  Worker countdown(state, [&](SleepingWorker& self) { RunCountdownLoop(self, state, window); });
  state.CountdownSeconds += 1;
  countdown.thread.Resume();
  EXPECT_EQ(countdown.clock.WaitForPause(1), 1000u);
  state.CountdownSeconds += 1;  // a second status text within the first second
  countdown.thread.Resume();
  countdown.clock.Tick();
  EXPECT_EQ(countdown.clock.WaitForPause(2), 1000u);
  EXPECT_EQ(window.Count(), 0u);  // the base caption is not back after one second
  countdown.clock.Tick();
  EXPECT_EQ(window.Next(), win::WM_MODULE_TIMEOUT);
  EXPECT_EQ(state.CountdownSeconds.load(), 0);
}

// The receive worker inside its pipeline, against a real port: every byte in order, a
// wake-up after an idle spell, and the save of what was kept.
// The receive pipeline on a pseudo-terminal opened without a monitor: the test itself tells
// the pipeline that bytes arrived.
class PipelineOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(port.Open(pty.path().c_str(), 0, 0, false), 0u);
    ASSERT_TRUE(receive.Ready());
  }
  // Calls `wake` until the pipeline has counted `total` bytes (or 20 s passed).
  bool WakeUntilCounted(int64_t total, const std::function<void()>& wake) {
    for (int i = 0; i < 20000 && receive.ReceivedCount() < total; ++i) {
      wake();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return receive.ReceivedCount() == total;
  }
  // Sends `bytes` from another thread and wakes the worker until they are all counted.
  bool Arrive(const std::string& bytes) {
    const int64_t total = receive.ReceivedCount() + static_cast<int64_t>(bytes.size());
    std::thread sender([&] { pty.Send(bytes); });
    const bool counted = WakeUntilCounted(total, [this] { receive.BytesArrived(); });
    sender.join();
    return counted;
  }

  PtyPair pty;
  MessageQueue window;
  WindowSerialPort port;
  ReceivePipeline receive{port, window};
};

TEST_F(PipelineOnPty, ReadsEveryByteInOrderSleepsWhenIdleAndSavesWhatItKept) {
  ASSERT_TRUE(receive.Ready());
  std::string sent;
  for (int i = 0; i < 3000; ++i) sent += static_cast<char>('A' + i % 26);
  pty.Send(sent);
  receive.BytesArrived();
  std::string shown;
  while (shown.size() < sent.size()) {
    ASSERT_EQ(window.Next(), win::WM_RECEIVE_SHOW);
    const ReceiveUpdate& update = receive.TakePending(false);
    shown += update.Bytes;
    EXPECT_EQ(update.ReceivedCount, static_cast<int64_t>(shown.size()));
  }
  EXPECT_EQ(shown, sent);
  // Idle now; bytes that arrive later are read once the worker is woken again.
  pty.Send(std::string("!"));
  receive.BytesArrived();
  std::string later;
  while (later.empty()) {  // messages of chunks already shown may still be queued
    ASSERT_EQ(window.Next(), win::WM_RECEIVE_SHOW);
    later = receive.TakePending(false).Bytes;
  }
  EXPECT_EQ(later, "!");
  receive.Stop();
  receive.Stop();  // a second stop (the destructor's) finds nothing to do

  TempDir dir;
  const std::string path = dir.File("SAVE.txt");
  ASSERT_EQ(receive.Save(path, true), 0);
  EXPECT_EQ(ReadTestFile(path).substr(0, 9), "41 42 43 ");
  EXPECT_NE(receive.Save(dir.File("missing/SAVE.txt"), false), 0);  // the errno, no file
}

// A stream left untaken queues one message, and one more once the backlog is large: never
// a message per chunk. The take lets the next chunk post again. A window that looks on its
// own while bytes keep coming is not told of each chunk, and learns at its release of what
// came meanwhile; after that, chunks post again.
TEST_F(PipelineOnPty, OneMessageWaitsForTheTakeOneMoreForALargeBacklogNoneWhileTheWindowLooks) {
  const std::string sent(2 * ReceivePipeline::kLargeBacklogBytes, 'x');
  ASSERT_TRUE(Arrive(sent));
  EXPECT_TRUE(receive.LargeBacklog());
  EXPECT_EQ(window.Count(), 2u);

  EXPECT_EQ(receive.TakePending(false).Bytes.size(), sent.size());
  EXPECT_FALSE(receive.LargeBacklog());
  ASSERT_TRUE(Arrive("!"));
  EXPECT_EQ(window.Next(), win::WM_RECEIVE_SHOW);
  EXPECT_EQ(window.Next(), win::WM_RECEIVE_SHOW);
  EXPECT_EQ(window.Next(), win::WM_RECEIVE_SHOW);
  EXPECT_EQ(window.Count(), 0u);

  receive.TakePending(false);
  receive.ExpectLook();
  ASSERT_TRUE(Arrive("?"));
  EXPECT_EQ(window.Next(50), 0u);
  EXPECT_TRUE(receive.ReleaseLook());
  EXPECT_EQ(receive.TakePending(false).Bytes, "?");
  EXPECT_FALSE(receive.ReleaseLook());
  ASSERT_TRUE(Arrive("#"));
  EXPECT_EQ(window.Next(), win::WM_RECEIVE_SHOW);
}

// The monitor's thread reads what it reported, hands a queue that stays full to the worker,
// and the two never put chunks out of order.
TEST_F(PipelineOnPty, ReadsOnTheReportingThreadAndTheWorkerKeepEveryByteInOrder) {
  std::string sent;
  for (int i = 0; i < 200000; ++i) sent += static_cast<char>('a' + i % 23);
  std::thread sender([&] { pty.Send(sent); });
  int calls = 0;
  const bool counted = WakeUntilCounted(static_cast<int64_t>(sent.size()), [&] {
    receive.ReadArrived();
    if (++calls % 2) receive.BytesArrived();
  });
  sender.join();
  ASSERT_TRUE(counted);
  EXPECT_EQ(receive.TakePending(false).Bytes, sent);
}
