#include "serial/port_source.h"

#include <gtest/gtest.h>
#include <sys/stat.h>


#include "support/fake_port_source.h"
#include "serial/network_port_book.h"
#include "serial/port_naming.h"
#include "serial/terminal_device.h"
#include "serial/tty_ports.h"
#include "serial/virtual_ports.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

using Names = std::vector<std::string>;

// /dev/tty, /dev/ttyN (virtual consoles), /dev/console, /dev/ptmx and /dev/pts/*.
bool IsConsoleOrPty(const std::string& port) {
  if (port == "/dev/console" || port == "/dev/ptmx" || port.starts_with("/dev/pts/")) return true;
  if (!port.starts_with("/dev/tty")) return false;
  const std::string rest = port.substr(8);
  return rest.find_first_not_of("0123456789") == std::string::npos;
}

Names SortedOrEmpty(std::optional<Names> names) {
  if (!names) return {};
  SortPortNames(*names);
  return *names;
}

TEST(DirectoryPortSource, ListsLinksToPseudoTerminalsOnly) {
  TempDir dir;
  PtyPair first, second;
  ASSERT_TRUE(first.ok() && second.ok());
  ASSERT_EQ(::symlink(first.path().c_str(), (dir.File("echo")).c_str()), 0);
  ASSERT_EQ(::symlink(second.path().c_str(), (dir.File("module10")).c_str()), 0);
  ASSERT_EQ(::symlink(second.path().c_str(), (dir.File("module9")).c_str()), 0);
  ASSERT_EQ(::symlink((dir.File("gone")).c_str(), (dir.File("dangling")).c_str()), 0);
  WriteTestFile(dir.File("plain"), "not a port");
  ASSERT_EQ(::symlink((dir.File("plain")).c_str(), (dir.File("to-file")).c_str()), 0);
  ASSERT_EQ(::mkdir((dir.File("subdir")).c_str(), 0700), 0);
  ASSERT_EQ(::symlink("/dev/null", (dir.File("null")).c_str()), 0);  // a device, but no terminal

  DirectoryPortSource source(dir.path());
  EXPECT_EQ(SortedOrEmpty(source.ListPorts()), (Names{dir.File("echo"), dir.File("module9"), dir.File("module10")}));
}

TEST(DirectoryPortSource, TellsUnreadableFromEmpty) {
  TempDir dir;
  EXPECT_EQ(DirectoryPortSource(dir.path()).ListPorts(), Names{});
  EXPECT_EQ(DirectoryPortSource(dir.File("missing")).ListPorts(), std::nullopt);

  // A directory others may write to could carry ports planted by another user.
  PtyPair pty;
  ASSERT_EQ(::symlink(pty.path().c_str(), (dir.File("planted")).c_str()), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  EXPECT_EQ(DirectoryPortSource(dir.path()).ListPorts(), std::nullopt);
}

TEST(VirtualPortDirectory, EnsureMakesPrivateDirectories) {
  TempDir dir;
  const std::string nested = dir.File("a/b/ports");
  EXPECT_TRUE(EnsureVirtualPortDirectory(nested));
  EXPECT_TRUE(IsTrustedPortDirectory(nested));
  EXPECT_TRUE(EnsureVirtualPortDirectory(nested));  // already there
  WriteTestFile(dir.File("file"), "");
  EXPECT_FALSE(EnsureVirtualPortDirectory(dir.File("file")));
}

TEST(VirtualPortDirectory, EnvironmentOverrideWins) {
  const char* old = std::getenv("VORNICSPCOMM_PORTS_DIR");
  std::string saved = old ? old : "";
  ::setenv("VORNICSPCOMM_PORTS_DIR", "/some/where", 1);
  EXPECT_EQ(VirtualPortDirectory(), "/some/where");
  ::setenv("VORNICSPCOMM_PORTS_DIR", "", 1);
  EXPECT_NE(VirtualPortDirectory(), "");
  EXPECT_TRUE(VirtualPortDirectory().ends_with("/ports"));
  if (old) {
    ::setenv("VORNICSPCOMM_PORTS_DIR", saved.c_str(), 1);
  } else {
    ::unsetenv("VORNICSPCOMM_PORTS_DIR");
  }
}

TEST(SerialPortRecord, KeepsOnlyPortsWithHardwareBehindThem) {
  auto record = [](std::string name, bool parent, std::optional<long> type, bool node = true) {
    return TtyRecord{name, "/dev/" + name, node, parent, type};
  };
  EXPECT_TRUE(IsSerialPortRecord(record("ttyUSB0", true, std::nullopt)));
  EXPECT_TRUE(IsSerialPortRecord(record("ttyS0", true, 4)));
  EXPECT_FALSE(IsSerialPortRecord(record("ttyS1", true, 0)));  // reserved slot, no UART
  EXPECT_FALSE(IsSerialPortRecord(record("tty1", false, std::nullopt)));
  EXPECT_FALSE(IsSerialPortRecord(record("ptmx", false, std::nullopt)));
  EXPECT_TRUE(IsSerialPortRecord(record("rfcomm0", false, std::nullopt)));
  EXPECT_FALSE(IsSerialPortRecord(record("ttyACM0", true, std::nullopt, false)));  // node missing here
  EXPECT_FALSE(IsSerialPortRecord(TtyRecord{"ttyUSB1", "", false, true, std::nullopt}));
}

// A sysfs-like class directory: one folder per tty, with a "device" link where hardware is
// behind it, the serial core's "type" and the uevent's DEVNAME; device nodes are links to
// pseudo-terminals (character devices) in a separate folder.
class SysfsScan : public ::testing::Test {
 protected:
  void AddTty(const std::string& name, bool hardware, std::optional<std::string> type, bool node,
              const std::string& devName = "") {
    const std::string tty = classDir.File(name);
    ASSERT_EQ(::mkdir(tty.c_str(), 0755), 0);
    if (hardware) {
      ASSERT_EQ(::symlink(classDir.path().c_str(), (tty + "/device").c_str()), 0);
    }
    if (type) WriteTestFile(tty + "/type", *type + "\n");
    const std::string nodeName = devName.empty() ? name : devName;
    WriteTestFile(tty + "/uevent", "MAJOR=4\nMINOR=64\nDEVNAME=" + nodeName + "\n");
    if (node) {
      ASSERT_EQ(::symlink(pty.path().c_str(), (devDir.File(nodeName)).c_str()), 0);
    }
  }

  TempDir classDir, devDir;
  PtyPair pty;
};

TEST_F(SysfsScan, FindsSerialPortsAsTheClassDescribesThem) {
  AddTty("ttyUSB10", true, std::nullopt, true);
  AddTty("ttyUSB2", true, std::nullopt, true);
  AddTty("ttyS0", true, "4", true);
  AddTty("ttyS1", true, "0", true);
  AddTty("tty0", false, std::nullopt, true);
  AddTty("ttyACM0", true, std::nullopt, false);
  AddTty("ttyXR0", true, std::nullopt, true, "xr0");

  auto records = ScanTtysInSysfs(classDir.path(), devDir.path());
  ASSERT_TRUE(records);
  EXPECT_EQ(records->size(), 7u);
  Names ports = SerialPortPaths(*records);
  SortPortNames(ports);
  EXPECT_EQ(ports, (Names{devDir.File("ttyS0"), devDir.File("ttyUSB2"), devDir.File("ttyUSB10"), devDir.File("xr0")}));
}

TEST_F(SysfsScan, UnreadableClassDirectoryIsNoList) {
  EXPECT_EQ(ScanTtysInSysfs(classDir.File("missing"), devDir.path()), std::nullopt);
  auto empty = ScanTtysInSysfs(classDir.path(), devDir.path());
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

// On this machine, whatever hardware it has: every listed hardware port must be a device
// node that exists, never a console or a pty, and the two scanners must agree.
TEST(SystemPortSource, ListsSaneHardwareAndTheVirtualPorts) {
  TempDir dir;
  PtyPair pty;
  ASSERT_EQ(::symlink(pty.path().c_str(), (dir.File("sim")).c_str()), 0);
  SystemPortSource source(dir.path());
  auto ports = source.ListPorts();
  ASSERT_TRUE(ports);
  ASSERT_FALSE(ports->empty());
  EXPECT_EQ(ports->back(), dir.File("sim"));

  for (size_t i = 0; i + 1 < ports->size(); ++i) {
    const std::string& port = (*ports)[i];
    SCOPED_TRACE(port);
    EXPECT_TRUE(port.starts_with("/dev/"));
    EXPECT_TRUE(MayBeTerminal(port, TtyDriverTable::Read()));
    EXPECT_FALSE(IsConsoleOrPty(port));
  }

  auto viaUdev = ScanTtysWithUdev();
  auto viaSysfs = ScanTtysInSysfs("/sys/class/tty", "/dev");
  ASSERT_TRUE(viaSysfs);
  if (viaUdev) {
    EXPECT_EQ(SortedOrEmpty(SerialPortPaths(*viaUdev)), SortedOrEmpty(SerialPortPaths(*viaSysfs)));
  }
  EXPECT_EQ(SortedOrEmpty(SerialPortPaths(*viaSysfs)), SortedOrEmpty(Names(ports->begin(), ports->end() - 1)));
}

TEST(SystemPortSource, MissingVirtualDirectoryStillListsHardware) {
  TempDir dir;
  auto ports = SystemPortSource(dir.File("missing")).ListPorts();
  ASSERT_TRUE(ports);  // /sys/class/tty is readable here
  for (const std::string& port : *ports) EXPECT_TRUE(port.starts_with("/dev/")) << port;
}

TEST(PortPresent, ComparesExactlyAndKnowsWhenItCannotTell) {
  FakePortSource source({"COM3", "/dev/ttyUSB0"});
  EXPECT_EQ(PortPresent(source, "COM3"), true);
  EXPECT_EQ(PortPresent(source, "com3"), false);
  EXPECT_EQ(PortPresent(source, "COM"), false);
  EXPECT_EQ(PortPresent(source, "/dev/ttyUSB0"), true);
  source.SetUnreadable();
  EXPECT_EQ(PortPresent(source, "COM3"), std::nullopt);
  EXPECT_EQ(source.listCount(), 5);
}

// The added network ports come after the machine's own, whether or not those can be read;
// what the settings file hands in is taken only as far as it names network ports, once each.
TEST(NetworkPortBook, ListsNetworkPortsAfterTheMachinesAndKeepsOnlyValidOnes) {
  auto local = std::make_shared<FakePortSource>(std::vector<std::string>{"/dev/ttyUSB0"});
  NetworkPortBook book(local);
  EXPECT_EQ(book.ListPorts(), std::vector<std::string>{"/dev/ttyUSB0"});
  std::vector<std::string> saved = {"rfc2217://lab:2000", "", "/dev/ttyS0", "tcp://10.0.0.1:0",
                                    "tcp://10.0.0.1:4001", "rfc2217://lab:2000"};
  for (int i = 0; i < 20; ++i) saved.push_back("tcp://host" + std::to_string(i) + ":1");
  book.SetNames(saved);
  ASSERT_EQ(book.Names().size(), NetworkPortBook::kMaxPorts);
  EXPECT_EQ(book.Names()[0], "rfc2217://lab:2000");
  EXPECT_EQ(book.Names()[1], "tcp://10.0.0.1:4001");
  EXPECT_FALSE(book.Add("tcp://another:1"));  // full
  book.Remove("tcp://10.0.0.1:4001");
  EXPECT_TRUE(book.Add("tcp://another:1"));
  EXPECT_EQ(PortPresent(book, "rfc2217://lab:2000"), true);
  local->SetUnreadable();
  const auto listed = book.ListPorts();
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->front(), "rfc2217://lab:2000");
  EXPECT_EQ(listed->size(), NetworkPortBook::kMaxPorts);
  book.SetNames({});
  EXPECT_EQ(book.ListPorts(), std::nullopt);  // nothing known at all
}

// The saved path is taken when its device shows the identity; another path only when not.
TEST(FindPortByIdentity, PrefersThePathItWasSavedUnder) {
  FakePortSource source({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"});
  source.SetDetails("/dev/ttyUSB0", {"other", ""});
  source.SetDetails("/dev/ttyUSB1", {"10c4:ea60#0001", ""});
  source.SetDetails("/dev/ttyUSB2", {"10c4:ea60#0001", ""});
  EXPECT_EQ(FindPortByIdentity(source, "10c4:ea60#0001", "/dev/ttyUSB2"), "/dev/ttyUSB2");
  EXPECT_EQ(FindPortByIdentity(source, "10c4:ea60#0001", "/dev/ttyUSB0"), "/dev/ttyUSB1");
  EXPECT_EQ(FindPortByIdentity(source, "gone", "/dev/ttyUSB0"), std::nullopt);
  EXPECT_EQ(FindPortByIdentity(source, "", "/dev/ttyUSB0"), std::nullopt);  // no identity saved
}

}  // namespace
