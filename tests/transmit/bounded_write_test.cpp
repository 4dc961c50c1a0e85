// Bounded writes and the text sender over a real pseudo-terminal: the port is the slave,
// the test is the device on the master side.
#include "core/transmit/bounded_write.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "serial/comm_types.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "core/transmit/text_send.h"

using win::ERROR_INVALID_HANDLE;
using win::ERROR_TIMEOUT;
using win::EVENPARITY;
using win::INFINITE_TIMEOUT;
using win::MARKPARITY;
using win::NOPARITY;
using win::ONE5STOPBITS;
using win::ONESTOPBIT;
using win::TWOSTOPBITS;

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr uint8_t XON = 0x11, XOFF = 0x13;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(LineTime, CountsStartDataParityAndStopBits) {
  // 8N1: 10 bits a byte; 1000 bytes at 9600 bit/s take 1041.7 ms, rounded up.
  EXPECT_EQ(LineTimeMs(1000, {9600, 8, NOPARITY, ONESTOPBIT}), 1042u);
  // 8E2: 12 bits a byte.
  EXPECT_EQ(LineTimeMs(1000, {9600, 8, EVENPARITY, TWOSTOPBITS}), 1250u);
  // 5 data bits with one and a half stop bits: 7.5 bits a byte.
  EXPECT_EQ(LineTimeMs(1280, {9600, 5, NOPARITY, ONE5STOPBITS}), 1000u);
  EXPECT_EQ(LineTimeMs(32000, {256000, 8, NOPARITY, ONESTOPBIT}), 1250u);
  EXPECT_EQ(LineTimeMs(0, {9600, 8, NOPARITY, ONESTOPBIT}), 0u);
  EXPECT_EQ(LineTimeMs(1, {115200, 8, NOPARITY, ONESTOPBIT}), 1u);  // never rounds down to 0
}

TEST(LineTime, AnUnknownRateCountsAsTheSlowest) {
  EXPECT_EQ(LineTimeMs(11, {0, 8, NOPARITY, ONESTOPBIT}), LineTimeMs(11, {110, 8, NOPARITY, ONESTOPBIT}));
  EXPECT_EQ(LineTimeMs(11, {110, 8, NOPARITY, ONESTOPBIT}), 1000u);
}

TEST(WriteBound, IsLineTimePlusMarginAndNeverInfinite) {
  EXPECT_EQ(WriteBoundMs(1000, {9600, 8, NOPARITY, ONESTOPBIT}), 1042u + kWriteMarginMs);
  EXPECT_EQ(WriteBoundMs(0, {9600, 8, NOPARITY, ONESTOPBIT}), kWriteMarginMs);
  EXPECT_LT(WriteBoundMs(UINT32_MAX, {110, 8, MARKPARITY, TWOSTOPBITS}), INFINITE_TIMEOUT);
}

TEST(LineEndChoice, NewLineWinsOverLineFeed) {
  EXPECT_EQ(ChooseLineEnd(false, false), LineEnd::None);
  EXPECT_EQ(ChooseLineEnd(true, false), LineEnd::CrLf);
  EXPECT_EQ(ChooseLineEnd(false, true), LineEnd::Lf);
  EXPECT_EQ(ChooseLineEnd(true, true), LineEnd::CrLf);
}

class PtyPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(port.Open(pty.path().c_str(), 20480, 20480, true), 0u);
    ASSERT_EQ(port.SetLineSettings(115200, 8, NOPARITY, ONESTOPBIT), 0u);
  }

  // Makes the port's line stop as a peer's XOFF does, and waits until the port has taken
  // it in: the marker byte behind the XOFF is readable only after the XOFF was processed.
  void HoldLine() {
    ASSERT_EQ(port.SetFlowControl(2), 0u);
    ASSERT_TRUE(pty.Send(Bytes{XOFF, 'M'}));
    ASSERT_EQ(port.SetReadTimeouts(1), 0u);  // the read waits for the marker
    char marker = 0;
    uint32_t got = 0;
    ASSERT_EQ(port.Read(&marker, 1, &got, nullptr, 5000), 0u);
    ASSERT_EQ(marker, 'M');
    ASSERT_EQ(port.SetReadTimeouts(0), 0u);
  }

  PtyPair pty;
  SerialPort port;
  const LineFrame frame{115200, 8, NOPARITY, ONESTOPBIT};
};

TEST_F(PtyPortTest, TextGoesOutWithTheChosenLineEnd) {
  BoundedWriter writer(port, frame);
  EXPECT_EQ(SendText(writer, "AB", false, LineEnd::CrLf), 4u);
  EXPECT_EQ(SendText(writer, "", false, LineEnd::CrLf), 2u);
  EXPECT_EQ(SendText(writer, "x", false, LineEnd::Lf), 2u);
  EXPECT_EQ(SendText(writer, "\xd6\xd0", false, LineEnd::None), 2u);
  EXPECT_EQ(pty.Receive(10), (Bytes{0x41, 0x42, 0x0D, 0x0A, 0x0D, 0x0A, 'x', 0x0A, 0xD6, 0xD0}));
  EXPECT_FALSE(writer.Blocked());
}

TEST_F(PtyPortTest, HexTextGoesOutByteByByteWithoutLineEnd) {
  BoundedWriter writer(port, frame);
  EXPECT_EQ(SendText(writer, "12 00 FF 88", true, LineEnd::CrLf), 4u);
  EXPECT_EQ(SendText(writer, "ff", true, LineEnd::CrLf), 0u);
  EXPECT_EQ(SendText(writer, "ABC", true, LineEnd::Lf), 2u);
  EXPECT_EQ(pty.Receive(6), (Bytes{0x12, 0x00, 0xFF, 0x88, 0xAB, 0x0C}));
  EXPECT_TRUE(pty.Drain().empty());
}

TEST_F(PtyPortTest, TypedBytesGoOutOneByOne) {
  BoundedWriter writer(port, frame);
  EXPECT_EQ(SendBytesOneByOne(writer, std::string("\r\x01\xd6\xd0", 4)), 4u);
  EXPECT_EQ(pty.Receive(4), (Bytes{0x0D, 0x01, 0xD6, 0xD0}));
}

TEST_F(PtyPortTest, AHeldLineEndsTheWriteAtItsBoundAndSkipsTheRest) {
  HoldLine();
  BoundedWriter writer(port, frame);
  const uint32_t bound = WriteBoundMs(5, frame);
  const auto start = Clock::now();
  // The first byte is handed over (and counted) but cannot leave; the rest are skipped.
  EXPECT_EQ(SendText(writer, "01 02 03 04 05", true, LineEnd::None), 1u);
  const long long took = MsSince(start);
  EXPECT_TRUE(writer.Blocked());
  EXPECT_EQ(writer.LastResult(), ERROR_TIMEOUT);
  EXPECT_GE(took, WriteBoundMs(1, frame) - 50);
  EXPECT_LT(took, bound + 1000);

  // Once blocked, the writer does not wait again: later writes of the action are skipped.
  const auto again = Clock::now();
  EXPECT_EQ(SendText(writer, "more text", false, LineEnd::CrLf), 0u);
  EXPECT_FALSE(writer.Write("x", 1));
  EXPECT_LT(MsSince(again), 100);

  // The cancelled write left nothing behind: releasing the line sends nothing.
  ASSERT_TRUE(pty.Send(Bytes{XON}));
  EXPECT_TRUE(pty.Drain(200).empty());
}

TEST_F(PtyPortTest, ANewWriterTriesTheLineAgain) {
  HoldLine();
  {
    BoundedWriter blocked(port, frame);
    EXPECT_EQ(SendText(blocked, "A", false, LineEnd::None), 1u);
    ASSERT_TRUE(blocked.Blocked());
  }
  ASSERT_TRUE(pty.Send(Bytes{XON}));
  BoundedWriter next(port, frame);
  EXPECT_EQ(SendText(next, "B", false, LineEnd::None), 1u);
  EXPECT_FALSE(next.Blocked());
  EXPECT_EQ(pty.Receive(1), Bytes{'B'});
}

TEST_F(PtyPortTest, ATimersWriterSkipsAHeldLineAndOnceBegunWaitsOnlyBriefly) {
  HoldLine();
  {
    BoundedWriter writer(port, frame, SendTrigger::Timer);
    const auto start = Clock::now();
    EXPECT_EQ(SendText(writer, "01 02", true, LineEnd::None), 0u);
    EXPECT_TRUE(writer.Blocked());
    EXPECT_LT(MsSince(start), WriteBoundMs(1, frame) / 2);  // a guard: a user's write waits the whole bound
  }
  ASSERT_TRUE(pty.Send(Bytes{XON}));
  ASSERT_EQ(port.WaitWriteRoom(5000), 0u);
  EXPECT_TRUE(pty.Drain(200).empty());  // nothing was handed over

  // Begun on a free line, the action goes on when the line stops, for a short bound only.
  BoundedWriter writer(port, frame, SendTrigger::Timer);
  EXPECT_EQ(SendText(writer, "A", false, LineEnd::None), 1u);
  HoldLine();
  const auto start = Clock::now();
  EXPECT_EQ(SendText(writer, "B", false, LineEnd::None), 1u);
  const long long took = MsSince(start);
  EXPECT_TRUE(writer.Blocked());
  EXPECT_EQ(writer.LastResult(), ERROR_TIMEOUT);
  EXPECT_GE(took, WriteBoundMs(1, frame, kTimerWriteMarginMs) - 5);
  EXPECT_LT(took, WriteBoundMs(1, frame) / 2);
}

TEST(BoundedWriterClosedPort, FailsAtOnceAndCountsAsHandedOver) {
  SerialPort port;
  for (const SendTrigger trigger : {SendTrigger::User, SendTrigger::Timer}) {
    BoundedWriter writer(port, {9600, 8, NOPARITY, ONESTOPBIT}, trigger);
    EXPECT_TRUE(writer.Write("A", 1));
    EXPECT_EQ(writer.LastResult(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(writer.Blocked());
  }
}

}  // namespace
