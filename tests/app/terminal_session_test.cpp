// The terminal session against pseudo-terminals, without a window: the line reaches every
// device it opens, refusals close the session, a lost device is let go, and received bytes
// wake the reader without the window.
#include "core/terminal/terminal_session.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/terminal/messages.h"
#include "serial/port_test_doubles.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"

namespace {

class NoWindow : public MessageTarget {
 public:
  void Post(uint32_t, uintptr_t, intptr_t) override {}
};

// 115200 baud, 7 data bits, even parity, 2 stop bits, hardware flow control.
void SetUncommonLine(TerminalSession& s) {
  ASSERT_FALSE(s.SetBaudRate(115200));
  ASSERT_FALSE(s.SetDataBits(7));
  ASSERT_FALSE(s.SetParity(2));
  ASSERT_FALSE(s.SetStopBits(2));
  ASSERT_FALSE(s.SetFlowControl(1));
}

// A pseudo-terminal always reports 8 data bits without parity, so those two are read back
// through the port; speed, stop bits and handshake as the device side sees them.
bool HasUncommonLine(TerminalSession& s, const PtyPair& pty) {
  termios line{};
  tcgetattr(pty.slave(), &line);
  return cfgetospeed(&line) == B115200 && (line.c_cflag & CSTOPB) && (line.c_cflag & CRTSCTS) &&
         s.Port().GetDataBits() == 7 && s.Port().GetParity() == 2 && s.Port().GetFlowControl() == 1;
}

class TerminalSessionTest : public ::testing::Test {
 protected:
  NoWindow window;
  TerminalSession session{window, win::WM_PORT_EVENT};
};

TEST_F(TerminalSessionTest, LineChosenWhileClosedIsStoredAndAppliedByOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  SetUncommonLine(session);
  EXPECT_FALSE(session.Port().IsOpen());
  EXPECT_FALSE(session.Switch(pty.path()));
  EXPECT_FALSE(session.IsOpen());
  ASSERT_EQ(session.Open(), std::nullopt);
  EXPECT_TRUE(session.IsOpen());
  EXPECT_TRUE(HasUncommonLine(session, pty));
}

TEST_F(TerminalSessionTest, SwitchWhileOpenGivesTheNewDeviceTheWholeLine) {
  PtyPair first, second;
  ASSERT_TRUE(first.ok() && second.ok());
  SetUncommonLine(session);
  ASSERT_FALSE(session.Switch(first.path()));
  ASSERT_FALSE(session.Open());
  ASSERT_EQ(session.Switch(second.path()), std::nullopt);
  EXPECT_TRUE(session.IsOpen());
  EXPECT_EQ(session.PortName(), second.path());
  EXPECT_TRUE(HasUncommonLine(session, second));
}

TEST_F(TerminalSessionTest, RefusalsSayWhichStepFailedAndCloseTheSessionButNotTheDevice) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_FALSE(session.Switch(pty.path()));
  ASSERT_FALSE(session.Open());
  // 1.5 stop bits with 8 data bits: no line can do it.
  const TerminalOutcome refused = session.SetStopBits(1);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->step, PortStep::WriteSettings);
  EXPECT_TRUE(refused->failure.Failed());
  EXPECT_FALSE(session.IsOpen());
  EXPECT_TRUE(session.Port().IsOpen());
  // Open takes the device afresh and still meets the stored refused line.
  EXPECT_EQ(session.Open().value_or(TerminalFault{}).step, PortStep::WriteSettings);
  EXPECT_FALSE(session.IsOpen());
  ASSERT_FALSE(session.SetStopBits(0));
  EXPECT_EQ(session.Open(), std::nullopt);
}

TEST_F(TerminalSessionTest, MissingDeviceFailsAtOpenAndClosingTwiceIsHarmless) {
  ASSERT_FALSE(session.Switch("/dev/nonexistent-port"));
  const TerminalOutcome missing = session.Open();
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->step, PortStep::Open);
  EXPECT_FALSE(session.IsOpen());
  session.Close();
  session.Close();
  EXPECT_FALSE(session.IsOpen());
  EXPECT_FALSE(session.Port().IsOpen());
  EXPECT_FALSE(session.DeviceLost());
}

TEST_F(TerminalSessionTest, LostDeviceIsReleasedAndReopensWithTheLine) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  SetUncommonLine(session);
  ASSERT_FALSE(session.Switch(pty.path()));
  ASSERT_FALSE(session.Open());
  EXPECT_TRUE(session.DeviceLost());
  EXPECT_FALSE(session.IsOpen());
  EXPECT_FALSE(session.Port().IsOpen());
  EXPECT_FALSE(session.DeviceLost());
  ASSERT_FALSE(session.Open());
  EXPECT_TRUE(HasUncommonLine(session, pty));
}

TEST_F(TerminalSessionTest, ControlLinesAreStoredWhileClosedAndAppliedWhileOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_FALSE(session.SetDtr(true));
  ASSERT_FALSE(session.SetRts(true));
  EXPECT_TRUE(session.Line().Dtr && session.Line().Rts);
  ASSERT_FALSE(session.Switch(pty.path()));
  ASSERT_FALSE(session.Open());
  EXPECT_EQ(session.SetDtr(false), std::nullopt);
  EXPECT_EQ(session.SetRts(false), std::nullopt);
  EXPECT_TRUE(session.IsOpen());
}


// A device that stops answering refuses control-line changes: a refused DTR gives the
// session up, a refused RTS leaves it open (the port itself may still carry data).
TEST_F(TerminalSessionTest, RefusedDtrClosesTheSessionRefusedRtsDoesNot) {
  auto pty = std::make_unique<PtyPair>();
  ASSERT_TRUE(pty->ok());
  ASSERT_FALSE(session.Switch(pty->path()));
  ASSERT_FALSE(session.Open());
  pty->CloseSlave();
  pty->CloseMaster();
  const TerminalOutcome rts = session.SetRts(true);
  ASSERT_TRUE(rts);
  EXPECT_TRUE(session.IsOpen());
  EXPECT_TRUE(session.Line().Rts);
  const TerminalOutcome dtr = session.SetDtr(true);
  ASSERT_TRUE(dtr);
  EXPECT_EQ(dtr->step, rts->step);
  EXPECT_FALSE(session.IsOpen());
  EXPECT_TRUE(session.Line().Dtr);
}

}  // namespace

// Received bytes wake the reader straight from the monitor, with no message to the window;
// everything else, and bytes while no reader is set, still reach the window.
TEST(TerminalSessionEvents, BytesWakeTheReaderOtherReportsStillGoToTheWindow) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  MessageQueue window;
  TerminalSession session{window, win::WM_PORT_EVENT};
  std::atomic<int> wakes{0};
  session.SetReader([&] { ++wakes; });
  ASSERT_FALSE(session.Switch(pty.path()));
  ASSERT_FALSE(session.Open());
  const auto drain = [&] {
    char buffer[256];
    uint32_t count = 0;
    do session.Port().Read(buffer, sizeof buffer, &count, nullptr, win::INFINITE_TIMEOUT);
    while (count > 0);
  };
  ASSERT_TRUE(pty.Send("a"));
  for (int i = 0; i < 2000 && wakes == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(wakes, 1);
  EXPECT_EQ(window.Count(), 0u);

  drain();
  session.SetReader({});
  ASSERT_TRUE(pty.Send("b"));
  ASSERT_TRUE(window.WaitForCount(1));
  EXPECT_EQ(window.Messages()[0].wParam, win::EV_RXCHAR);

  drain();
  session.SetReader([&] { ++wakes; });
  pty.CloseMaster();  // the device hangs up: the loss is the window's to handle
  ASSERT_TRUE(window.WaitForCount(2));
  EXPECT_EQ(window.Messages()[1].wParam >> 16, win::CE_IOE);
  EXPECT_EQ(wakes, 1);
}
