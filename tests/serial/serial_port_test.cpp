// Opening, closing and configuring a port, against kernel pseudo-terminals.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "serial/port_test_doubles.h"
#include "serial/posix_comm_state.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

using win::DCB;
using win::DTR_CONTROL_DISABLE;
using win::DTR_CONTROL_ENABLE;
using win::DTR_CONTROL_HANDSHAKE;
using win::ERROR_ALREADY_INITIALIZED;
using win::ERROR_INVALID_HANDLE;
using win::EVENPARITY;
using win::E_INVALIDARG;
using win::INFINITE_TIMEOUT;
using win::NOPARITY;
using win::ODDPARITY;
using win::ONE5STOPBITS;
using win::ONESTOPBIT;
using win::RTS_CONTROL_DISABLE;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;
using win::SPACEPARITY;
using win::TWOSTOPBITS;

namespace {

int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (dir != nullptr && readdir(dir) != nullptr) ++count;
  if (dir != nullptr) closedir(dir);
  return count;
}

DCB ControlBlockOf(SerialPort& port) {
  DCB dcb;
  EXPECT_EQ(port.GetControlBlock(&dcb), 0u);
  return dcb;
}

bool SameControlBlock(const DCB& a, const DCB& b) { return std::memcmp(&a, &b, sizeof(DCB)) == 0; }

class OpenPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, 1025, 0, 20480, 20480), 0u);
  }
  PtyPair pty;
  MessageQueue window;
  ObservedPort port;
};

TEST_F(OpenPort, OpenTwiceGives1247AndLeavesTheOpenPortAlone) {
  const DeviceHandle handle = port.Handle;
  const std::thread* monitor = port.MonitorThread.get();
  EXPECT_EQ(port.OpenForWindow(pty.path().c_str(), &window, 1026, 7, 0, 0), ERROR_ALREADY_INITIALIZED);
  EXPECT_EQ(port.LastError, ERROR_ALREADY_INITIALIZED);
  EXPECT_EQ(port.Handle, handle);
  EXPECT_EQ(port.MonitorThread.get(), monitor);
  EXPECT_EQ(port.NotifyMessage, 1025u);
  EXPECT_EQ(port.GetEventMask(), 0xC1u);
  ASSERT_TRUE(pty.Send("x"));
  ASSERT_TRUE(window.WaitForCount(1));
  EXPECT_EQ(window.Messages()[0].number, 1025u) << "the monitor still reports, as before";
}

TEST_F(OpenPort, CloseIsHarmlessAnyNumberOfTimes) {
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.MonitorRunning());
  EXPECT_EQ(port.NotifyWindow.load(), nullptr);
  EXPECT_EQ(port.NotifyMessage, 0u);
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_EQ(port.LastError, 0u);
}

TEST(ClosedPort, EverySetterAndGetterSaysNotOpen) {
  WindowSerialPort port;
  const auto expectNotOpen = [&](uint32_t result) {
    EXPECT_EQ(result, ERROR_INVALID_HANDLE);
    EXPECT_EQ(port.LastError, ERROR_INVALID_HANDLE);
    port.LastError = 0;
  };
  expectNotOpen(port.SetLineSettings(9600, 8, 0, 0));
  expectNotOpen(port.SetEventChar('x', true));
  expectNotOpen(port.SetEventMask(0xC1));
  expectNotOpen(port.WaitEvent(nullptr, INFINITE_TIMEOUT));
  expectNotOpen(port.SetFlowControl(1));
  expectNotOpen(port.SetReadTimeouts(0));
  EXPECT_EQ(port.GetBaudRate(), -1);
  expectNotOpen(port.LastError);
  EXPECT_EQ(port.GetDataBits(), 0xFF);
  expectNotOpen(port.LastError);
  EXPECT_EQ(port.GetParity(), 0xFF);
  expectNotOpen(port.LastError);
  EXPECT_EQ(port.GetStopBits(), 0xFF);
  expectNotOpen(port.LastError);
  EXPECT_EQ(port.GetFlowControl(), 0xFF);
  expectNotOpen(port.LastError);
  EXPECT_EQ(port.GetEventMask(), 0u);
  expectNotOpen(port.LastError);
  EXPECT_EQ(port.GetEventChar(), 0);
  expectNotOpen(port.LastError);

  uint32_t count = 99;
  char buffer[4] = {};
  expectNotOpen(port.Write("ab", 2, &count, nullptr, INFINITE_TIMEOUT));
  EXPECT_EQ(count, 0u);
  count = 99;
  expectNotOpen(port.Read(buffer, sizeof buffer, &count, nullptr, INFINITE_TIMEOUT));
  EXPECT_EQ(count, 0u);
  DCB dcb;
  expectNotOpen(port.GetControlBlock(&dcb));
  expectNotOpen(port.SetControlBlock(dcb));
  expectNotOpen(port.DiscardInput());
  EXPECT_EQ(port.LastFailure(), (PortFailure{PortError::NotOpen, 0}));
  EXPECT_EQ(port.Close(), 0u);
}

// The control block is read and written under the port's hold on its device: a close on
// another thread waits for the call or makes it find the port closed, and the call never
// reaches a descriptor that was closed under it (or that meanwhile stands for another file).
TEST(ControlBlock, CallsRacingACloseSeeTheDeviceOrAClosedPort) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  SerialPort port;
  ASSERT_EQ(port.Open(pty.path().c_str(), 0, 0, true), 0u);
  std::atomic<bool> done{false};
  std::atomic<int> unexpected{0};
  std::thread user([&] {
    while (!done) {
      DCB dcb;
      uint32_t code = port.GetControlBlock(&dcb);
      if (code == 0) code = port.SetControlBlock(dcb);
      if (code == 0) code = port.DiscardInput();
      if (code != 0 && code != ERROR_INVALID_HANDLE) ++unexpected;
    }
  });
  for (int cycle = 0; cycle < 200; ++cycle) {
    ASSERT_EQ(port.Close(), 0u);
    ASSERT_EQ(port.Open(pty.path().c_str(), 0, 0, true), 0u);
  }
  done = true;
  user.join();
  EXPECT_EQ(unexpected, 0);
}

TEST(PortConstruction, StartsClosedAndEmpty) {
  ObservedPort port;
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Handle.load(), kNoDevice);
  EXPECT_EQ(port.LastError, 0u);
  EXPECT_EQ(port.IoEvent, nullptr);
  EXPECT_FALSE(port.MonitorRunning());
  EXPECT_EQ(port.NotifyWindow.load(), nullptr);
}

TEST_F(OpenPort, UnknownModesAreRefusedAndChangeNothing) {
  ASSERT_EQ(port.SetFlowControl(2), 0u);
  const DCB before = ControlBlockOf(port);
  EXPECT_EQ(port.SetFlowControl(3), E_INVALIDARG);
  EXPECT_EQ(port.LastError, E_INVALIDARG);
  EXPECT_EQ(port.SetReadTimeouts(2), E_INVALIDARG);
  EXPECT_TRUE(SameControlBlock(ControlBlockOf(port), before));
  EXPECT_EQ(port.GetFlowControl(), 2);
  // Still mode 0: an empty read comes back at once.
  uint32_t count = 99;
  char buffer[8];
  EXPECT_EQ(port.Read(buffer, sizeof buffer, &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(count, 0u);
}

// The failure is kept per thread: the monitor's own waits on the port, which succeed all the
// time, must not wipe out why the owner's call failed.
TEST_F(OpenPort, TheMonitorLeavesTheOwnersFailureAlone) {
  ASSERT_EQ(port.SetFlowControl(3), E_INVALIDARG);
  ASSERT_TRUE(pty.Send("x"));
  ASSERT_TRUE(window.WaitForCount(1));  // the monitor's wait has ended, and succeeded
  EXPECT_EQ(port.LastFailure().error, PortError::UnknownMode);
  EXPECT_EQ(port.LastError, E_INVALIDARG);
  ASSERT_EQ(port.SetFlowControl(0), 0u);
  EXPECT_FALSE(port.LastFailure().Failed());
}

TEST_F(OpenPort, EventMaskAfterOpenAndAfterWatchingTheEventCharacter) {
  EXPECT_EQ(port.GetEventMask(), 0xC1u);
  EXPECT_EQ(port.SetEventChar('\n', true), 0u);
  EXPECT_EQ(port.GetEventMask(), 0xC3u);
  EXPECT_EQ(port.GetEventChar(), '\n');
  EXPECT_EQ(port.SetEventChar('#', false), 0u);
  EXPECT_EQ(port.GetEventMask(), 0xC3u) << "not narrowed again";
  EXPECT_EQ(port.GetEventChar(), '#');
  EXPECT_EQ(port.SetEventMask(0x01), 0u);
  EXPECT_EQ(port.GetEventMask(), 0x01u);
  ASSERT_EQ(port.Close(), 0u);
  ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, 1025, 0, 0, 0), 0u);
  EXPECT_EQ(port.GetEventMask(), 0xC1u) << "every open sets the mask afresh";
  EXPECT_EQ(port.GetEventChar(), 0) << "the configuration kept for a descriptor goes with it";
}

TEST(HeldDevice, SecondPortObjectCannotOpenIt) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  WindowSerialPort first, second;
  MessageQueue window;
  ASSERT_EQ(first.OpenForWindow(pty.path().c_str(), &window, 0, 0, 0, 0), 0u);
  EXPECT_NE(second.OpenForWindow(pty.path().c_str(), &window, 0, 0, 0, 0), 0u);
  const int descriptors = OpenDescriptors();  // the port's own wake-ups live as long as it does
  for (int attempt = 0; attempt < 20; ++attempt) {
    const uint32_t code = second.OpenForWindow(pty.path().c_str(), &window, 0, 0, 0, 0);
    EXPECT_NE(code, 0u);
    EXPECT_NE(code, ERROR_ALREADY_INITIALIZED);
    EXPECT_EQ(second.LastError, code);
    EXPECT_FALSE(second.IsOpen());
  }
  EXPECT_EQ(OpenDescriptors(), descriptors) << "a refused open leaks nothing";
  ASSERT_EQ(first.Close(), 0u);
  EXPECT_EQ(second.OpenForWindow(pty.path().c_str(), &window, 0, 0, 0, 0), 0u) << "free again once closed";
}

TEST(HeldDevice, AnotherProgramsLockIsRespected) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const int other = open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  InspectedSerialPort port;
  EXPECT_EQ(port.Open(pty.path().c_str(), 0, 0, true), uint32_t(EWOULDBLOCK));
  EXPECT_EQ(port.LastFailure().error, PortError::Busy);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.IoEvent, nullptr);
  close(other);
  EXPECT_EQ(port.Open(pty.path().c_str(), 0, 0, true), 0u);
}

TEST(MissingDevice, FailsWithTheSystemsCodeAndStaysClosed) {
  ObservedPort port;
  MessageQueue window;
  EXPECT_EQ(port.OpenForWindow("/dev/no-such-serial-port", &window, 1025, 0, 0, 0), uint32_t(ENOENT));
  EXPECT_EQ(port.LastFailure(), (PortFailure{PortError::NotFound, ENOENT}));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.NotifyWindow.load(), nullptr) << "notify fields are only set by a successful open";
}

// Only terminals are ports. Anything else fails as a missing port does, before a byte is
// read from it or written to it, and leaves nothing open.
TEST(NotATerminal, IsRefusedAsMissingAndLeftAlone) {
  TempDir dir;
  const std::string file = dir.File("notes.txt");
  ASSERT_TRUE(WriteTestFile(file, "not a port\n"));
  const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), longAgo, 0), 0);
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0700), 0);
  // A virtual port's link is named by the user and may point anywhere.
  ASSERT_EQ(symlink(file.c_str(), dir.File("port-link").c_str()), 0);
  const int descriptors = OpenDescriptors();
  for (const std::string& path :
       {file, dir.File("port-link"), dir.File("fifo"), dir.File("folder"), std::string("/dev/null"),
        std::string("/dev/zero")}) {
    SCOPED_TRACE(path);
    ObservedPort port;
    MessageQueue window;
    EXPECT_EQ(port.OpenForWindow(path.c_str(), &window, 1025, 0, 20480, 20480), uint32_t(ENOENT));
    EXPECT_EQ(port.LastError, uint32_t(ENOENT));
    EXPECT_EQ(port.LastFailure().error, PortError::NotATerminal) << "told apart from a missing port";
    EXPECT_FALSE(port.IsOpen());
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(ReadTestFile(file), "not a port\n");
  struct stat st{};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, longAgo[1].tv_sec);

  // A link to a terminal is a port.
  PtyPair pty;
  ASSERT_EQ(symlink(pty.path().c_str(), dir.File("pty-link").c_str()), 0);
  ObservedPort port;
  MessageQueue window;
  EXPECT_EQ(port.OpenForWindow(dir.File("pty-link").c_str(), &window, 1025, 0, 20480, 20480), 0u);
}

TEST_F(OpenPort, DefaultConfigurationIsRaw9600EightNoneOne) {
  EXPECT_EQ(port.GetBaudRate(), 9600);
  EXPECT_EQ(port.GetDataBits(), 8);
  EXPECT_EQ(port.GetParity(), NOPARITY);
  EXPECT_EQ(port.GetStopBits(), ONESTOPBIT);
  EXPECT_EQ(port.GetFlowControl(), 0);
  termios t{};
  ASSERT_EQ(tcgetattr(port.Handle, &t), 0);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
  // No translation either way and no echo: bytes pass exactly.
  ASSERT_TRUE(pty.Send(std::string("a\r\n\x03\x7f", 5)));
  ASSERT_TRUE(port.WaitQueued(5));
  char got[8] = {};
  uint32_t count = 0;
  ASSERT_EQ(port.Read(got, sizeof got, &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(std::string(got, count), std::string("a\r\n\x03\x7f", 5));
  ASSERT_EQ(port.WriteText("\n", &count, nullptr, INFINITE_TIMEOUT), 0u);
  EXPECT_EQ(pty.Receive(1), std::vector<uint8_t>{'\n'});
  EXPECT_TRUE(pty.Drain(0).empty());
}

TEST_F(OpenPort, ReopenRestoresTheDefaultConfiguration) {
  ASSERT_EQ(port.SetLineSettings(57600, 7, EVENPARITY, TWOSTOPBITS), 0u);
  ASSERT_EQ(port.SetFlowControl(1), 0u);
  ASSERT_EQ(port.Close(), 0u);
  ASSERT_EQ(port.OpenForWindow(pty.path().c_str(), &window, 1025, 0, 0, 0), 0u);
  EXPECT_EQ(port.GetBaudRate(), 9600);
  EXPECT_EQ(port.GetDataBits(), 8);
  EXPECT_EQ(port.GetParity(), NOPARITY);
  EXPECT_EQ(port.GetStopBits(), ONESTOPBIT);
  EXPECT_EQ(port.GetFlowControl(), 0);
}

TEST_F(OpenPort, EveryRateTheTerminalPageOffersAndAnyOther) {
  for (uint32_t baud : {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 56000u, 57600u,
                        115200u, 128000u, 256000u, 31250u, 1u}) {
    EXPECT_EQ(port.SetLineSettings(baud, 8, NOPARITY, ONESTOPBIT), 0u) << baud;
    EXPECT_EQ(port.GetBaudRate(), int32_t(baud));
  }
}

TEST_F(OpenPort, LineFormatsReadBackAsWritten) {
  for (uint8_t bits = 5; bits <= 8; ++bits) {
    for (uint8_t parity = NOPARITY; parity <= SPACEPARITY; ++parity) {
      const uint8_t stop = bits == 5 ? ONE5STOPBITS : TWOSTOPBITS;
      ASSERT_EQ(port.SetLineSettings(19200, bits, parity, stop), 0u);
      EXPECT_EQ(port.GetDataBits(), bits);
      EXPECT_EQ(port.GetParity(), parity);
      EXPECT_EQ(port.GetStopBits(), stop);
      EXPECT_EQ(ControlBlockOf(port).fParity, parity != NOPARITY ? 1 : 0);
    }
  }
}

TEST_F(OpenPort, ImpossibleLinesAreRefusedAndLeaveTheDeviceAsItWas) {
  ASSERT_EQ(port.SetLineSettings(14400, 7, ODDPARITY, ONESTOPBIT), 0u);
  const DCB before = ControlBlockOf(port);
  termios termiosBefore{};
  ASSERT_EQ(tcgetattr(port.Handle, &termiosBefore), 0);
  const struct {
    uint32_t baud;
    uint8_t bits, parity, stop;
  } refused[] = {{9600, 9, 0, 0}, {9600, 4, 0, 0}, {9600, 8, 0, ONE5STOPBITS}, {9600, 6, 0, ONE5STOPBITS},
                 {9600, 5, 0, TWOSTOPBITS}, {0, 8, 0, 0}, {9600, 8, 5, 0}, {9600, 8, 0, 3}};
  for (const auto& line : refused) {
    EXPECT_EQ(port.SetLineSettings(line.baud, line.bits, line.parity, line.stop), uint32_t(EINVAL));
    EXPECT_EQ(port.LastError, uint32_t(EINVAL));
    EXPECT_TRUE(SameControlBlock(ControlBlockOf(port), before));
    termios now{};
    ASSERT_EQ(tcgetattr(port.Handle, &now), 0);
    EXPECT_EQ(std::memcmp(&now, &termiosBefore, sizeof now), 0);
  }
}

TEST_F(OpenPort, ParityIsOnlyReportedWhileCheckingIsOn) {
  DCB dcb = ControlBlockOf(port);
  dcb.Parity = EVENPARITY;
  dcb.fParity = 0;
  ASSERT_EQ(port.SetControlBlock(dcb), 0u);
  EXPECT_EQ(port.GetParity(), NOPARITY);
  EXPECT_EQ(ControlBlockOf(port).Parity, EVENPARITY);
  ASSERT_EQ(port.SetLineSettings(9600, 8, NOPARITY, ONESTOPBIT), 0u);
  EXPECT_EQ(ControlBlockOf(port).fParity, 0);
}

TEST_F(OpenPort, FlowControlModesWriteTheirFields) {
  ASSERT_EQ(port.SetFlowControl(1), 0u);
  DCB dcb = ControlBlockOf(port);
  EXPECT_EQ(dcb.fOutxCtsFlow, 1);
  EXPECT_EQ(dcb.fOutxDsrFlow, 1);
  EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_HANDSHAKE);
  EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
  EXPECT_EQ(dcb.fOutX | dcb.fInX, 0);
  EXPECT_EQ(port.GetFlowControl(), 1);
  termios t{};
  ASSERT_EQ(tcgetattr(port.Handle, &t), 0);
  EXPECT_EQ(t.c_cflag & CRTSCTS, tcflag_t(CRTSCTS));

  ASSERT_EQ(port.SetFlowControl(2), 0u);
  dcb = ControlBlockOf(port);
  EXPECT_EQ(dcb.fOutxCtsFlow | dcb.fOutxDsrFlow, 0);
  EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_DISABLE);
  EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_DISABLE);
  EXPECT_EQ(dcb.fOutX & dcb.fInX, 1);
  EXPECT_EQ(dcb.XonChar, 0x11) << "the XON/XOFF characters are not touched";
  EXPECT_EQ(dcb.XoffChar, 0x13);
  EXPECT_EQ(port.GetFlowControl(), 2);
  ASSERT_EQ(tcgetattr(port.Handle, &t), 0);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);

  ASSERT_EQ(port.SetFlowControl(0), 0u);
  EXPECT_EQ(port.GetFlowControl(), 0);
  ASSERT_EQ(tcgetattr(port.Handle, &t), 0);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(OpenPort, FlowControlModeIsReadFromTheHandshakeFields) {
  DCB dcb = ControlBlockOf(port);
  dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  ASSERT_EQ(port.SetControlBlock(dcb), 0u);
  EXPECT_EQ(port.GetFlowControl(), 0);
  dcb.fOutX = dcb.fInX = 1;
  ASSERT_EQ(port.SetControlBlock(dcb), 0u);
  EXPECT_EQ(port.GetFlowControl(), 2);
}

TEST_F(OpenPort, FieldsTermiosCannotHoldReadBackAsWritten) {
  DCB dcb = ControlBlockOf(port);
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fOutxDsrFlow = 1;
  dcb.fDsrSensitivity = 1;
  dcb.fAbortOnError = 1;
  dcb.XonLim = 1234;
  dcb.XoffLim = 321;
  dcb.ErrorChar = '?';
  dcb.EofChar = 0x1A;
  dcb.EvtChar = '\r';
  dcb.XonChar = 0x01;
  dcb.XoffChar = 0x02;
  ASSERT_EQ(port.SetControlBlock(dcb), 0u) << "a device without modem lines still takes DTR/RTS";
  EXPECT_TRUE(SameControlBlock(ControlBlockOf(port), dcb));
  EXPECT_EQ(port.GetEventChar(), '\r');
}

TEST_F(OpenPort, RefusedControlBlockKeepsTheOldOne) {
  DCB dcb = ControlBlockOf(port);
  const DCB before = dcb;
  dcb.EvtChar = 'z';
  dcb.ByteSize = 9;
  EXPECT_EQ(port.SetControlBlock(dcb), uint32_t(EINVAL));
  EXPECT_EQ(port.LastFailure(), (PortFailure{PortError::InvalidSetting, EINVAL}));
  EXPECT_TRUE(SameControlBlock(ControlBlockOf(port), before));
  EXPECT_EQ(port.GetControlBlock(nullptr), uint32_t(EINVAL));
}

TEST(ControlBlockOnForeignDescriptor, ReadsWhatTermiosHolds) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const int fd = open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(fd, &t), 0);
  cfsetspeed(&t, B19200);
  t.c_iflag |= IXON | IXOFF;
  ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
  DCB dcb;
  ASSERT_TRUE(posix::ReadCommState(fd, nullptr, &dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.fOutX & dcb.fInX, 1);
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  close(fd);
}

}  // namespace
