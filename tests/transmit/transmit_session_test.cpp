// The transmit session over a real pseudo-terminal, without a window: the session writes to
// a port opened on the slave, the test is the device on the master side and records what
// the session asks the user to see.
#include "core/transmit/transmit_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "serial/comm_types.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

Bytes Ascii(const char* text) { return Bytes(text, text + std::strlen(text)); }

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The window's presets at creation: "12 00 FF 88" (hex), "output string", the rest empty.
Preset DefaultPreset(int row) {
  if (row == 1) return {"12 00 FF 88", true};
  if (row == 2) return {"output string", false};
  return {};
}

const Bytes kDefaultPass = Concat({0x12, 0x00, 0xFF, 0x88}, Ascii("output string"));

class TransmitSessionTest : public ::testing::Test, public TransmitLine, public TransmitListener {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(port.Open(pty.path().c_str(), 20480, 20480, true), 0u);
    ASSERT_EQ(port.SetLineSettings(frame.baudRate, frame.dataBits, frame.parity, frame.stopBits), 0u);
  }

  SerialPort& Port() override { return port; }
  LineFrame Frame() const override { return frame; }
  void PortNotOpen() override {
    ++notices;
    if (onNotice) onNotice();
  }
  void CountChanged(const CountNote& note) override { notes.push_back(note); }

  const CountNote& Last() const { return notes.back(); }

  // Makes the peer hold the line with XOFF and waits until the port has taken it in: the
  // marker byte behind the XOFF is readable only then.
  void HoldLine() {
    ASSERT_EQ(port.SetFlowControl(2), 0u);
    ASSERT_TRUE(pty.Send(Bytes{0x13, 'M'}));
    char marker = 0;
    uint32_t got = 0;
    for (int i = 0; i < 500 && got == 0; ++i) {
      ASSERT_EQ(port.Read(&marker, 1, &got, nullptr, 0), 0u);
      if (got == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(marker, 'M');
  }

  // Fills the line as a peer that never reads leaves it: writes into the test's own end of
  // the port until the kernel takes nothing more.
  bool FillLine() const {
    const int fd = pty.slave();
    if (fd < 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) return false;
    const std::vector<uint8_t> block(4096, 'f');
    for (int i = 0; i < 1024; ++i) {
      if (write(fd, block.data(), block.size()) >= 0) continue;
      if (errno != EAGAIN) return false;
      pollfd room{fd, POLLOUT, 0};
      if (poll(&room, 1, 200) == 0) return true;
    }
    return false;
  }

  PtyPair pty;
  SerialPort port;
  LineFrame frame{115200, 8, win::NOPARITY, win::ONESTOPBIT};
  TransmitSession session{*this, *this};
  int notices = 0;
  std::function<void()> onNotice;
  std::vector<CountNote> notes;
};

TEST_F(TransmitSessionTest, HexFieldSendsEachByteAndCountsIt) {
  ASSERT_NE(port.GetEventMask(), win::EV_RXCHAR);
  session.SetLineEnds(true, false);  // never appended in hex mode
  session.SendField("12 00 FF 88");
  EXPECT_EQ(pty.Receive(4), (Bytes{0x12, 0x00, 0xFF, 0x88}));
  EXPECT_EQ(port.GetEventMask(), win::EV_RXCHAR);  // a send narrows the events to received bytes
  EXPECT_EQ(session.TransmittedCount(), 4);
  EXPECT_EQ(Last().count, 4);
  EXPECT_TRUE(Last().withColon);
  session.SendField("1");
  EXPECT_EQ(pty.Receive(1), Bytes{0x01});
  session.SendField("xyz \xe4\xb8\xad");  // no digit at all: nothing sent, the count shown again
  EXPECT_TRUE(pty.Drain(100).empty());
  EXPECT_EQ(notes.size(), 3u);
  EXPECT_EQ(Last().count, 5);
}

TEST_F(TransmitSessionTest, CharacterFieldGetsTheChosenLineEnd) {
  session.SetHex(false);
  session.SetLineEnds(true, false);
  session.SendField("AB");
  session.SetLineEnds(false, true);
  session.SendField("x");
  session.SetLineEnds(false, false);
  session.SendField("\xe4\xb8\xad");  // sent as its GBK bytes
  session.SetLineEnds(true, true);    // both, as only the settings file sets them: CR LF alone
  session.SendField("");
  EXPECT_EQ(pty.Receive(10), (Bytes{'A', 'B', 0x0D, 0x0A, 'x', 0x0A, 0xD6, 0xD0, 0x0D, 0x0A}));
  EXPECT_TRUE(pty.Drain(100).empty());
  EXPECT_EQ(session.TransmittedCount(), 10);
}

TEST_F(TransmitSessionTest, LineEndBoxesFollowTheModeAndTheMarks) {
  const auto usable = [this](bool newLine, bool lineFeed) {
    session.SetLineEnds(newLine, lineFeed);
    const LineEndBoxes boxes = session.UsableLineEnds();
    return std::pair{boxes.newLine, boxes.lineFeed};
  };
  session.SetHex(false);
  EXPECT_EQ(usable(false, false), std::pair(true, true));
  EXPECT_EQ(usable(true, false), std::pair(true, false));
  EXPECT_EQ(usable(false, true), std::pair(false, true));
  EXPECT_EQ(usable(true, true), std::pair(true, false));
  session.SetHex(true);
  EXPECT_EQ(usable(false, false), std::pair(false, false));
  EXPECT_EQ(usable(true, true), std::pair(false, false));
}

TEST_F(TransmitSessionTest, EachModeKeepsItsOwnTextExactly) {
  session.TransmitDataChar = "abc\xff";  // not GBK: shown as U+FFFD, kept while nobody edits it
  session.TransmitDataHex = "12 FF";
  session.SetHex(false);
  const std::string shown = session.FieldText();
  session.StoreField(shown);
  EXPECT_EQ(session.TransmitDataChar, "abc\xff");
  session.SetHex(true);
  EXPECT_EQ(session.FieldText(), "12 FF");
  session.StoreField("0A 0b ,, 7");
  session.SetHex(false);
  session.StoreField("  Hello, \xe4\xb8\x96\xe7\x95\x8c ");
  EXPECT_EQ(session.FieldText(), "  Hello, \xe4\xb8\x96\xe7\x95\x8c ");
  session.SetHex(true);
  EXPECT_EQ(session.FieldText(), "0A 0b ,, 7");
}

TEST_F(TransmitSessionTest, AClosedPortGivesOneNoticeAndSendsNothing) {
  port.Close();
  session.SendField("12");
  EXPECT_EQ(notices, 1);
  EXPECT_TRUE(notes.empty());  // the status text stays as it was
  EXPECT_EQ(session.TransmittedCount(), 0);
  // Ticks and typed keys on a closed port do nothing and say nothing.
  session.TimedTick("12");
  EXPECT_FALSE(session.KeyDown(ArrowKey::Left));
  session.KeysTyped("ab\r");
  EXPECT_EQ(notices, 1);
  EXPECT_TRUE(notes.empty());
}

TEST_F(TransmitSessionTest, UnencodableCharactersGoOutAsQuestionMarksAndAreNoted) {
  session.SetHex(false);
  session.SendField("A\xf0\x9f\x98\x80" "B");
  EXPECT_EQ(pty.Receive(3), (Bytes{'A', '?', 'B'}));
  EXPECT_EQ(Last().substituted, 1u);
  session.SendField("C");  // the note goes with the next clean send
  EXPECT_EQ(Last().substituted, 0u);
  EXPECT_EQ(Last().count, 4);
}

TEST_F(TransmitSessionTest, AHeldLineEndsTheSendAtItsBoundAndIsNoted) {
  HoldLine();
  const auto start = Clock::now();
  session.SendField("01 02 03 04 05 06 07 08");
  EXPECT_LT(MsSince(start), WriteBoundMs(1, frame) + 1000);
  // The byte handed over stays counted; the bytes after the blocked write were not sent.
  EXPECT_EQ(session.TransmittedCount(), 1);
  EXPECT_TRUE(Last().blocked);
}

TEST_F(TransmitSessionTest, TimedSendRules) {
  // 0 never ticks, but the send is on: its period is locked.
  EXPECT_TRUE(session.SwitchTimedSend(true, 0));
  EXPECT_FALSE(session.TimedSend().ticking);
  EXPECT_FALSE(session.TimedPeriodEditable());
  EXPECT_TRUE(session.SwitchTimedSend(false, std::nullopt));
  EXPECT_TRUE(session.TimedPeriodEditable());
  EXPECT_TRUE(session.SwitchTimedSend(true, 250));
  EXPECT_TRUE(session.TimedSend().ticking);
  EXPECT_EQ(session.TimedSend().interval, 250);
  session.SwitchTimedSend(false, std::nullopt);
  // No number: refused, and nothing changes.
  EXPECT_FALSE(session.SwitchTimedSend(true, std::nullopt));
  EXPECT_FALSE(session.TimedSend().ticking);
  EXPECT_EQ(session.TimedSend().interval, 250);
  EXPECT_TRUE(session.TimedPeriodEditable());
}

TEST_F(TransmitSessionTest, TheCycleHoldsTheTimedSendAndBringsItBack) {
  session.SwitchTimedSend(true, 500);
  EXPECT_TRUE(session.SwitchCycle(true, 300));
  EXPECT_FALSE(session.TimedSend().ticking);
  EXPECT_FALSE(session.TimedPeriodEditable());
  EXPECT_TRUE(session.Cycle().ticking);
  EXPECT_EQ(session.Cycle().interval, 300);
  session.SwitchCycle(false, std::nullopt);
  EXPECT_TRUE(session.TimedSend().ticking);  // back, with its own period
  EXPECT_EQ(session.TimedSend().interval, 500);
  EXPECT_FALSE(session.TimedPeriodEditable());
  EXPECT_FALSE(session.Cycle().ticking);

  // With the timed send off, the cycle's end leaves it off and its period free.
  session.SwitchTimedSend(false, std::nullopt);
  session.SwitchCycle(true, 300);
  session.SwitchCycle(false, std::nullopt);
  EXPECT_FALSE(session.TimedSend().ticking);
  EXPECT_TRUE(session.TimedPeriodEditable());

  // A refused period leaves the cycle on and holding, without ticks.
  EXPECT_FALSE(session.SwitchCycle(true, std::nullopt));
  EXPECT_TRUE(session.CycleOn());
  EXPECT_FALSE(session.Cycle().ticking);
  EXPECT_FALSE(session.TimedPeriodEditable());
  // A port given up stops the timed send and keeps it checked: the cycle's end restarts it.
  session.SwitchCycle(false, std::nullopt);
  session.SwitchTimedSend(true, 400);
  session.StopTimedSend();
  EXPECT_FALSE(session.TimedSend().ticking);
  session.SwitchCycle(true, 300);
  session.SwitchCycle(false, std::nullopt);
  EXPECT_TRUE(session.TimedSend().ticking);
}

TEST_F(TransmitSessionTest, ATimedTickSendsTheFieldAsItStandsOnlyOnAnOpenPort) {
  session.SetHex(false);
  session.TimedTick("T");
  EXPECT_EQ(pty.Receive(1), Bytes{'T'});
  port.Close();
  session.TimedTick("U");
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(session.TransmittedCount(), 1);
  ASSERT_EQ(port.Open(pty.path().c_str(), 20480, 20480, true), 0u);
  session.TimedTick("V");
  EXPECT_EQ(pty.Receive(1), Bytes{'V'});
}

TEST_F(TransmitSessionTest, TicksIntoAFullLineReturnAtOnceAndCountNothing) {
  session.SetHex(true);
  session.SwitchCycle(true, 1);
  ASSERT_TRUE(FillLine());
  // A tick that waited for the full line would hold the window for a user's write bound.
  const auto start = Clock::now();
  for (int i = 0; i < 20; ++i) {
    session.TimedTick("12 FF 00 30");
    session.CycleTick(DefaultPreset);
  }
  EXPECT_LT(MsSince(start), WriteBoundMs(1, frame));  // a guard for a busy machine
  EXPECT_TRUE(Last().blocked);
  const int32_t held = session.TransmittedCount();

  // Once the peer reads, the ticks send again, whole and counted.
  EXPECT_FALSE(pty.Drain(200).empty());
  session.TimedTick("12 FF 00 30");
  session.CycleTick(DefaultPreset);
  EXPECT_FALSE(Last().blocked);
  EXPECT_EQ(session.TransmittedCount(), held + 4 + 17);
  const Bytes tail = pty.Drain(200);
  ASSERT_GE(tail.size(), 21u);
  EXPECT_EQ(Bytes(tail.end() - 21, tail.end()), Concat({0x12, 0xFF, 0x00, 0x30}, kDefaultPass));
}

TEST_F(TransmitSessionTest, APassSendsEveryPresetWithTheFieldsLineEnd) {
  session.CycleTick(DefaultPreset);  // the cycle is off: nothing
  EXPECT_TRUE(pty.Drain(100).empty());
  session.SwitchCycle(true, 0);
  session.CycleTick(DefaultPreset);
  EXPECT_EQ(pty.Receive(17), kDefaultPass);
  EXPECT_EQ(Last().count, 17);
  // The new line counts for character presets even in the field's hex mode.
  session.SetHex(true);
  session.SetLineEnds(true, false);
  session.CycleTick(DefaultPreset);
  EXPECT_EQ(pty.Receive(19), Concat(kDefaultPass, {0x0D, 0x0A}));
  EXPECT_TRUE(pty.Drain(100).empty());
  EXPECT_EQ(session.TransmittedCount(), 36);
}

TEST_F(TransmitSessionTest, OnePresetSendsItsOwnText) {
  session.SendPreset({"", true});  // empty: returns before anything else
  EXPECT_NE(port.GetEventMask(), win::EV_RXCHAR);
  EXPECT_TRUE(notes.empty());
  session.SendPreset({"ABC", true});
  session.SendPreset({"ff", true});  // lower case is no hex digit
  EXPECT_EQ(port.GetEventMask(), win::EV_RXCHAR);
  session.SendPreset({"\xe6\x9c\xab\xe8\xa1\x8c", false});
  EXPECT_EQ(pty.Receive(6), (Bytes{0xAB, 0x0C, 0xC4, 0xA9, 0xD0, 0xD0}));
  EXPECT_EQ(session.TransmittedCount(), 6);
  port.Close();
  session.SendPreset({"", false});
  EXPECT_EQ(notices, 0);
  session.SendPreset({"x", false});
  EXPECT_EQ(notices, 1);
}

TEST_F(TransmitSessionTest, AClosedPortPassGivesOneNoticePerPresetWithoutNesting) {
  port.Close();
  session.SwitchCycle(true, 0);
  // Ticks of both timers that come while a notice is up are skipped.
  onNotice = [this] {
    session.CycleTick(DefaultPreset);
    session.TimedTick("12");
  };
  session.CycleTick(DefaultPreset);
  EXPECT_EQ(notices, 2);  // the two non-empty default presets
  EXPECT_TRUE(notes.empty());
  // All presets empty: nothing to report.
  session.CycleTick([](int) { return Preset{}; });
  EXPECT_EQ(notices, 2);
  // The guard ends with the pass: the next tick reports again.
  onNotice = {};
  session.CycleTick(DefaultPreset);
  EXPECT_EQ(notices, 4);
}

TEST_F(TransmitSessionTest, APassOnAHeldLineSendsNothingAndTheNextTriesAgain) {
  const auto numbered = [](int row) { return Preset{"preset " + std::to_string(row), false}; };
  session.SwitchCycle(true, 0);
  HoldLine();
  const auto start = Clock::now();
  session.CycleTick(numbered);
  EXPECT_LT(MsSince(start), WriteBoundMs(1, frame));  // no write's bound waited
  EXPECT_EQ(session.TransmittedCount(), 0);
  EXPECT_TRUE(Last().blocked);

  ASSERT_TRUE(pty.Send(Bytes{0x11}));
  ASSERT_EQ(port.WaitWriteRoom(5000), 0u);
  session.CycleTick(numbered);
  Bytes all;
  for (int row = 1; row <= 32; ++row) all = Concat(all, Ascii(("preset " + std::to_string(row)).c_str()));
  EXPECT_EQ(pty.Receive(all.size()), all);
  EXPECT_EQ(Last().count, static_cast<int32_t>(all.size()));
}

TEST_F(TransmitSessionTest, ArrowKeysSendEscapeSequencesAndOtherKeysOnlyShowTheCount) {
  EXPECT_TRUE(session.KeyDown(ArrowKey::Left));
  EXPECT_TRUE(session.KeyDown(ArrowKey::Up));
  EXPECT_TRUE(session.KeyDown(ArrowKey::Right));
  EXPECT_TRUE(session.KeyDown(ArrowKey::Down));
  EXPECT_EQ(pty.Receive(12), (Bytes{0x1B, '[', 'D', 0x1B, '[', 'A', 0x1B, '[', 'C', 0x1B, '[', 'B'}));
  EXPECT_FALSE(session.KeyDown(std::nullopt));
  EXPECT_TRUE(pty.Drain(100).empty());
  EXPECT_EQ(notes.size(), 5u);
  EXPECT_EQ(Last().count, 12);
  EXPECT_FALSE(Last().withColon);
  EXPECT_NE(port.GetEventMask(), win::EV_RXCHAR);  // typed keys leave the events alone
}

TEST_F(TransmitSessionTest, TypedCharactersGoOutAsTheirBytes) {
  session.KeysTyped("\r");
  session.KeysTyped("\t\b\x01\x1a" "x ~");
  session.KeysTyped("\xe4\xb8\xad\xe6\x96\x87");  // input-method text, as GBK
  session.KeysTyped("");
  EXPECT_EQ(pty.Receive(12), (Bytes{0x0D, 0x09, 0x08, 0x01, 0x1A, 'x', ' ', '~', 0xD6, 0xD0, 0xCE, 0xC4}));
  EXPECT_EQ(notes.size(), 3u);
  EXPECT_EQ(Last().count, 12);
  EXPECT_FALSE(Last().withColon);
}

TEST_F(TransmitSessionTest, ClearingTheCountShowsZeroWithoutAnOldNote) {
  session.SetHex(false);
  session.SendField("\xf0\x9f\x98\x80");
  ASSERT_EQ(Last().substituted, 1u);
  session.ClearCount();
  EXPECT_EQ(session.TransmittedCount(), 0);
  EXPECT_EQ(Last().count, 0);
  EXPECT_TRUE(Last().withColon);
  EXPECT_EQ(Last().substituted, 0u);
}

}  // namespace
