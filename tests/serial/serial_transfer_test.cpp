// Reads and writes: the blocking forms with and without a time-out and the caller's-record
// form, against kernel pseudo-terminals.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "serial/port_test_doubles.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"

using win::ERROR_INVALID_FUNCTION;
using win::ERROR_INVALID_HANDLE;
using win::ERROR_TIMEOUT;
using win::EV_RXCHAR;
using win::INFINITE_TIMEOUT;
using win::OVERLAPPED;

namespace {

struct Outcome {
  uint32_t code = 0;
  uint32_t count = 0;
};

class Transfers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(port.Open(pty.path().c_str(), 20480, 20480, true), 0u);
  }

  // Writes until the device takes no more (nobody reads the far side); returns how much it
  // took. The kernel moves bytes between the pair's buffers in the background, so a write
  // counts as blocked only when no room comes up for a while.
  uint64_t FillUntilBlocked() {
    const std::vector<uint8_t> chunk(4096, 0x5A);
    uint64_t total = 0;
    for (;;) {
      uint32_t count = 0;
      const uint32_t code = port.Write(chunk.data(), uint32_t(chunk.size()), &count, nullptr, 200);
      total += count;
      if (code == ERROR_TIMEOUT) return total;
      EXPECT_EQ(code, 0u);
      if (code != 0) return total;
    }
  }

  Outcome ReadAll(std::string* into, uint32_t size, uint32_t timeoutMs = INFINITE_TIMEOUT) {
    std::string buffer(size, '\0');
    Outcome outcome;
    outcome.code = port.Read(buffer.data(), size, &outcome.count, nullptr, timeoutMs);
    into->append(buffer.data(), outcome.count);
    return outcome;
  }

  PtyPair pty;
  InspectedSerialPort port;
};

TEST_F(Transfers, EmptyReadReturnsNothingAtOnce) {
  char buffer[256];
  uint32_t count = 77;
  EXPECT_EQ(port.Read(buffer, sizeof buffer, &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(port.Read(buffer, sizeof buffer, nullptr, nullptr, INFINITE_TIMEOUT), 0u) << "no count asked for";
}

TEST_F(Transfers, ReadTakesWhatIsQueuedUpToTheBufferSize) {
  ASSERT_TRUE(pty.Send("0123456789"));
  std::string got;
  while (got.size() < 10) {
    const Outcome outcome = ReadAll(&got, 4);
    ASSERT_EQ(outcome.code, 0u);
    EXPECT_LE(outcome.count, 4u);
  }
  EXPECT_EQ(got, "0123456789");
}

TEST_F(Transfers, DiscardingDropsOnlyWhatCameBefore) {
  ASSERT_TRUE(pty.Send("stale"));
  pollfd queued{port.Handle.load(), POLLIN, 0};
  ASSERT_EQ(poll(&queued, 1, 10000), 1) << "the bytes never reached the port";
  ASSERT_EQ(port.DiscardInput(), 0u);
  ASSERT_TRUE(pty.Send("new"));
  std::string got;
  for (int tries = 0; got.size() < 3 && tries < 100; ++tries) {
    poll(&queued, 1, 1000);
    ASSERT_EQ(ReadAll(&got, 16).code, 0u);
  }
  EXPECT_EQ(got, "new");
  ASSERT_EQ(port.Close(), 0u);
  EXPECT_EQ(port.DiscardInput(), ERROR_INVALID_HANDLE);
}

TEST_F(Transfers, WriteReachesTheDevice) {
  uint32_t count = 0;
  EXPECT_EQ(port.Write("\x00\x01\xFF", 3, &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(pty.Receive(3), (std::vector<uint8_t>{0x00, 0x01, 0xFF}));
  EXPECT_EQ(port.WriteText("hello", &count, nullptr, 1000), 0u);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(pty.Receive(5), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
}

TEST_F(Transfers, EmptyTextWritesNothing) {
  uint32_t count = 9;
  EXPECT_EQ(port.WriteText("", &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(port.WriteText(nullptr, &count, nullptr, INFINITE_TIMEOUT), 0u);
  ASSERT_EQ(port.WriteText("!", &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(pty.Receive(2, 200), std::vector<uint8_t>{'!'}) << "only the one real byte came";
}

TEST_F(Transfers, BlockedWriteTimesOutWithNothingLeftPending) {
  const uint64_t taken = FillUntilBlocked();
  ASSERT_GT(taken, 0u);
  const char more[64] = {};
  uint32_t count = 99;
  EXPECT_EQ(port.Write(more, sizeof more, &count, nullptr, 30), ERROR_TIMEOUT);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(port.LastError, ERROR_TIMEOUT);
  // Exactly what was reported as written arrives; nothing of the timed-out call follows.
  EXPECT_EQ(pty.Receive(taken + 1, 300).size(), taken);
  EXPECT_EQ(port.Write("ok", 2, &count, nullptr, 1000), 0u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(pty.Receive(2), (std::vector<uint8_t>{'o', 'k'}));
}

TEST_F(Transfers, RoomToWriteIsSeenWithoutWriting) {
  EXPECT_EQ(port.WaitWriteRoom(0), 0u);
  const uint64_t taken = FillUntilBlocked();
  EXPECT_EQ(port.WaitWriteRoom(0), ERROR_TIMEOUT);
  EXPECT_EQ(port.LastError, ERROR_TIMEOUT);
  // Once the peer reads there is room again; the looks themselves sent nothing.
  EXPECT_EQ(pty.Receive(taken, 1000).size(), taken);
  EXPECT_EQ(port.WaitWriteRoom(5000), 0u);
  EXPECT_TRUE(pty.Drain(100).empty());
  ASSERT_EQ(port.Close(), 0u);
  EXPECT_EQ(port.WaitWriteRoom(0), ERROR_INVALID_HANDLE);
}

TEST_F(Transfers, CloseEndsAWaitForRoom) {
  FillUntilBlocked();
  auto waiter = std::async(std::launch::async, [&] { return port.WaitWriteRoom(INFINITE_TIMEOUT); });
  EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout) << "no room yet";
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_EQ(waiter.get(), ERROR_INVALID_HANDLE);
}

TEST_F(Transfers, ReadAndWriteOnTwoThreadsKeepTheirCompletionsApart) {
  FillUntilBlocked();
  const std::vector<uint8_t> outgoing(1000, 0x33);
  std::atomic<bool> writeDone{false};
  auto writer = std::async(std::launch::async, [&] {
    Outcome outcome;
    outcome.code = port.Write(outgoing.data(), uint32_t(outgoing.size()), &outcome.count, nullptr, INFINITE_TIMEOUT);
    writeDone = true;
    return outcome;
  });
  // The write cannot finish until the master reads; meanwhile a read completes on its own.
  ASSERT_TRUE(pty.Send("abc"));
  std::string got;
  while (got.size() < 3) ASSERT_EQ(ReadAll(&got, 16).code, 0u);
  EXPECT_EQ(got, "abc");
  EXPECT_FALSE(writeDone);
  pty.Drain();
  const Outcome written = writer.get();
  EXPECT_EQ(written.code, 0u);
  EXPECT_EQ(written.count, outgoing.size());
}

TEST_F(Transfers, CloseWakesAWriteHeldUpByTheDevice) {
  const std::vector<uint8_t> big(1 << 20, 0x44);
  auto writer = std::async(std::launch::async, [&] {
    Outcome outcome;
    outcome.code = port.Write(big.data(), uint32_t(big.size()), &outcome.count, nullptr, INFINITE_TIMEOUT);
    return outcome;
  });
  ASSERT_FALSE(pty.Receive(1).empty()) << "the write is under way";
  EXPECT_EQ(port.Close(), 0u);
  const Outcome outcome = writer.get();
  EXPECT_EQ(outcome.code, ERROR_INVALID_HANDLE);
  EXPECT_LT(outcome.count, big.size());
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(Transfers, FullCountModeWaitsForEveryByte) {
  ASSERT_EQ(port.SetReadTimeouts(1), 0u);
  auto reader = std::async(std::launch::async, [&] {
    std::string got;
    const Outcome outcome = ReadAll(&got, 6);
    return std::make_pair(outcome, got);
  });
  ASSERT_TRUE(pty.Send("ab"));
  ASSERT_TRUE(pty.Send("cdef"));
  const auto [outcome, got] = reader.get();
  EXPECT_EQ(outcome.code, 0u);
  EXPECT_EQ(got, "abcdef");
}

TEST_F(Transfers, FullCountReadThatTimesOutKeepsWhatCame) {
  ASSERT_EQ(port.SetReadTimeouts(1), 0u);
  ASSERT_TRUE(pty.Send("xyz"));
  std::string got;
  const Outcome outcome = ReadAll(&got, 6, 50);
  EXPECT_EQ(outcome.code, ERROR_TIMEOUT);
  EXPECT_EQ(got, "xyz") << "bytes taken from the device are handed over, not dropped";
  ASSERT_TRUE(pty.Send("123"));
  got.clear();
  EXPECT_EQ(ReadAll(&got, 3).code, 0u);
  EXPECT_EQ(got, "123");
}

TEST_F(Transfers, CloseWakesAReadWaitingForBytes) {
  ASSERT_EQ(port.SetReadTimeouts(1), 0u);
  auto reader = std::async(std::launch::async, [&] {
    std::string got;
    return ReadAll(&got, 10);
  });
  ASSERT_TRUE(pty.Send("12"));
  EXPECT_EQ(port.Close(), 0u);
  const Outcome outcome = reader.get();
  EXPECT_NE(outcome.code, 0u);
  EXPECT_LE(outcome.count, 2u);
}

TEST_F(Transfers, CallersRecordCompletesAndIsSignalled) {
  ManualResetEvent done;
  OVERLAPPED record{};
  record.hEvent = &done;
  uint32_t count = 0;
  EXPECT_EQ(port.Write("rec", 3, &count, &record, 0), 0u);
  EXPECT_TRUE(done.IsSet());
  EXPECT_EQ(record.Internal, 0u);
  EXPECT_EQ(record.InternalHigh, 3u);
  EXPECT_EQ(pty.Receive(3), (std::vector<uint8_t>{'r', 'e', 'c'}));

  done.Reset();
  ASSERT_TRUE(pty.Send("in"));
  char buffer[8];
  std::string got;
  while (got.size() < 2) {
    ASSERT_EQ(port.Read(buffer, sizeof buffer, &count, &record, 0), 0u);
    got.append(buffer, count);
  }
  EXPECT_EQ(got, "in");
  EXPECT_TRUE(done.IsSet());
  EXPECT_EQ(record.InternalHigh, count);
}

TEST_F(Transfers, EventWaitWithATimeOut) {
  EXPECT_EQ(port.WaitEvent(nullptr, 20), ERROR_TIMEOUT);
  ASSERT_TRUE(pty.Send("e"));
  EXPECT_EQ(port.WaitEvent(nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(port.TakeEvents(), EV_RXCHAR);
  EXPECT_EQ(port.TakeEvents(), 0) << "taking clears them";
}

TEST_F(Transfers, MaskChangeCompletesAPendingEventWaitEmpty) {
  auto waiter = std::async(std::launch::async, [&] { return port.WaitEvent(nullptr, INFINITE_TIMEOUT); });
  EXPECT_EQ(port.SetEventMask(EV_RXCHAR), 0u);
  EXPECT_EQ(waiter.get(), 0u);
  EXPECT_EQ(port.TakeEvents(), 0);
  EXPECT_EQ(port.WaitEvent(nullptr, 20), ERROR_TIMEOUT) << "the wake-up was used up";
}

TEST_F(Transfers, HangUpEndsAWaitingRead) {
  ASSERT_EQ(port.SetReadTimeouts(1), 0u);
  auto reader = std::async(std::launch::async, [&] {
    std::string got;
    return ReadAll(&got, 10);
  });
  pty.CloseMaster();
  const Outcome outcome = reader.get();
  EXPECT_NE(outcome.code, 0u);
  EXPECT_NE(outcome.code, ERROR_TIMEOUT);
  uint32_t count = 0;
  EXPECT_NE(port.Write("x", 1, &count, nullptr, 100), 0u);
  EXPECT_EQ(port.Close(), 0u);
}

TEST(SynchronousPort, OnlyTheBlockingFormWithoutLimitIsAccepted) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  InspectedSerialPort port;
  ASSERT_EQ(port.Open(pty.path().c_str(), 0, 0, false), 0u);
  EXPECT_EQ(port.IoEvent, nullptr);
  ManualResetEvent event;
  OVERLAPPED record{};
  record.hEvent = &event;
  uint32_t count = 5;
  char buffer[4];
  EXPECT_EQ(port.Write("ab", 2, &count, &record, INFINITE_TIMEOUT), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(port.Write("ab", 2, &count, nullptr, 100), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(port.Read(buffer, sizeof buffer, &count, &record, INFINITE_TIMEOUT), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(port.Read(buffer, sizeof buffer, &count, nullptr, 100), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(port.WaitEvent(&record, INFINITE_TIMEOUT), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(port.WaitEvent(nullptr, 100), ERROR_INVALID_FUNCTION);
  EXPECT_FALSE(event.IsSet());
  EXPECT_TRUE(pty.Receive(1, 100).empty()) << "nothing was transferred";
  EXPECT_EQ(port.Write("ab", 2, &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(pty.Receive(2).size(), 2u);
}

}  // namespace
