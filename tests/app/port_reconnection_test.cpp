// Reconnection of the terminal port without a window, on pseudo-terminals: a virtual port
// whose program ended comes back under its link, a USB-like device under another path with
// the same identity, and nothing is opened that only looks like the lost device.
#include "core/terminal/port_reconnection.h"

#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include "core/terminal/messages.h"
#include "core/terminal/terminal_session.h"
#include "serial/serial_port.h"
#include "support/fake_port_source.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

class NoWindow : public MessageTarget {
 public:
  void Post(uint32_t, uintptr_t, intptr_t) override {}
};

speed_t SpeedSeenBy(const PtyPair& device) {
  termios line{};
  tcgetattr(device.slave(), &line);
  return cfgetospeed(&line);
}

// What another program leaves on a terminal: it must still be there afterwards.
void SetSpeed(const PtyPair& device, speed_t speed) {
  termios line{};
  tcgetattr(device.slave(), &line);
  cfsetspeed(&line, speed);
  tcsetattr(device.slave(), TCSANOW, &line);
}

// Bytes get through both ways between the session and `device`.
void ExpectTalksTo(TerminalSession& session, const PtyPair& device) {
  uint32_t written = 0;
  ASSERT_EQ(session.Port().Write("ping", 4, &written, nullptr, 2000), 0u);
  EXPECT_EQ(device.Receive(4), (std::vector<uint8_t>{'p', 'i', 'n', 'g'}));
  ASSERT_TRUE(device.Send("pong"));
  char got[4] = {};
  uint32_t read = 0;
  session.Port().Read(got, 4, &read, nullptr, 2000);
  EXPECT_EQ(std::string(got, read), "pong");
}

class PortReconnectionTest : public ::testing::Test {
 protected:
  // Opens `name` with a line no device starts with, as the page would.
  void OpenWithLine(const std::string& name) {
    ASSERT_FALSE(session.SetBaudRate(57600));
    ASSERT_FALSE(session.SetDtr(true));
    ASSERT_FALSE(session.Switch(name));
    ASSERT_EQ(session.Open(), std::nullopt);
    reconnection.Opened();
  }
  void Lose() {
    ASSERT_TRUE(session.DeviceLost());
    ASSERT_TRUE(reconnection.Lost());
  }

  NoWindow window;
  TerminalSession session{window, win::WM_PORT_EVENT};
  std::shared_ptr<FakePortSource> ports = std::make_shared<FakePortSource>();
  PortReconnection reconnection{session, ports.get()};
  TempDir dir;
};

TEST_F(PortReconnectionTest, VirtualPortComesBackUnderItsLinkWithTheWholeLine) {
  const std::string link = dir.File("sim");
  auto first = std::make_unique<PtyPair>();
  ASSERT_TRUE(first->ok());
  ASSERT_EQ(::symlink(first->path().c_str(), link.c_str()), 0);
  OpenWithLine(link);

  // The program ends and takes its link along.
  first.reset();
  ::unlink(link.c_str());
  Lose();
  EXPECT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::StillAway);
  EXPECT_FALSE(session.IsOpen());
  EXPECT_FALSE(session.Port().IsOpen());

  // A new program announces its terminal under the same name.
  PtyPair second;
  ASSERT_TRUE(second.ok());
  ASSERT_EQ(::symlink(second.path().c_str(), link.c_str()), 0);
  ASSERT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::Reopened);
  EXPECT_TRUE(session.IsOpen());
  EXPECT_FALSE(reconnection.Waiting());
  EXPECT_EQ(session.PortName(), link);
  EXPECT_EQ(SpeedSeenBy(second), B57600);
  ExpectTalksTo(session, second);
  EXPECT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::NotWaiting);
}

TEST_F(PortReconnectionTest, OldLinkLeadingToALiveTerminalIsNotTakenForTheDevice) {
  // The kernel may give the lost terminal's number to a stranger while the old link stays:
  // only a link made anew announces the device again.
  const std::string link = dir.File("sim");
  PtyPair stranger;
  ASSERT_TRUE(stranger.ok());
  ASSERT_EQ(::symlink(stranger.path().c_str(), link.c_str()), 0);
  OpenWithLine(link);
  Lose();
  SetSpeed(stranger, B1200);
  EXPECT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::StillAway);
  EXPECT_FALSE(session.Port().IsOpen());
  EXPECT_EQ(SpeedSeenBy(stranger), B1200);

  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(stranger.path().c_str(), link.c_str()), 0);
  EXPECT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::Reopened);
}

TEST_F(PortReconnectionTest, IdentifiedDeviceIsFoundUnderAnotherPathAndNotByItsOldOne) {
  PtyPair adapter, other, renumbered;
  ASSERT_TRUE(adapter.ok() && other.ok() && renumbered.ok());
  ports->SetDetails(adapter.path(), {"10c4:ea60#0001", "CP2102 (0001)"});
  OpenWithLine(adapter.path());
  Lose();
  SetSpeed(adapter, B1200);

  // Another adapter took the old name; ours is not back yet.
  ports->SetPorts({adapter.path(), other.path()});
  ports->SetDetails(adapter.path(), {"0403:6001#A5", "FT232R (A5)"});
  ports->SetDetails(other.path(), {"0403:6001#A6", "FT232R (A6)"});
  EXPECT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::StillAway);
  EXPECT_FALSE(session.Port().IsOpen());

  ports->SetPorts({adapter.path(), other.path(), renumbered.path()});
  ports->SetDetails(renumbered.path(), {"10c4:ea60#0001", "CP2102 (0001)"});
  ASSERT_EQ(reconnection.TryReopen(), PortReconnection::Attempt::Reopened);
  EXPECT_EQ(session.PortName(), renumbered.path());
  EXPECT_EQ(SpeedSeenBy(renumbered), B57600);
  EXPECT_EQ(SpeedSeenBy(adapter), B1200);
  ExpectTalksTo(session, renumbered);
}

}  // namespace
