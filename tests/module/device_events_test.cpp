#include "devices/device_events.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "devices/event_coalescer.h"
#include "support/fake_device_event_source.h"
#include "devices/merged_device_events.h"
#include "devices/udev_device_events.h"
#include "devices/virtual_port_events.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

using Events = std::vector<DeviceEvent>;

constexpr char kAdapter[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1.4";
const std::string kAdapterPath = kAdapter;

// The records one four-port USB serial adapter produces, as udev reports them: the USB
// device, its interfaces and usb-serial ports (no device node), and a tty per port.
std::vector<DeviceRecord> QuadAdapter(const std::string& action, int firstTty) {
  std::vector<DeviceRecord> records{{action, kAdapterPath, "/dev/bus/usb/001/007"}};
  for (int i = 0; i < 4; ++i) {
    const std::string iface = kAdapterPath + "/1-1.4:1." + std::to_string(i);
    const std::string tty = "ttyUSB" + std::to_string(firstTty + i);
    records.push_back({action, iface, ""});
    records.push_back({action, iface + "/" + tty, ""});
    records.push_back({action, iface + "/" + tty + "/tty/" + tty, "/dev/" + tty});
  }
  return records;
}

bool Readable(int fd) {
  pollfd pfd{fd, POLLIN, 0};
  return ::poll(&pfd, 1, 0) == 1;
}

TEST(PhysicalDeviceKey, IsTheInnermostUsbDevice) {
  EXPECT_EQ(PhysicalDeviceKey(kAdapterPath + "/1-1.4:1.0/ttyUSB0/tty/ttyUSB0"), kAdapterPath);
  EXPECT_EQ(PhysicalDeviceKey(kAdapterPath + "/1-1.4:1.2"), kAdapterPath);
  EXPECT_EQ(PhysicalDeviceKey(kAdapterPath), kAdapterPath);
  EXPECT_EQ(PhysicalDeviceKey("/devices/pci0000:00/0000:00:14.0/usb2/2-3/2-3:1.0/host6/target6:0:0/6:0:0:0/block/sdb"),
            "/devices/pci0000:00/0000:00:14.0/usb2/2-3");
  // Not on USB: the device itself.
  EXPECT_EQ(PhysicalDeviceKey("/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttyS0"),
            "/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttyS0");
  EXPECT_EQ(PhysicalDeviceKey("/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda"),
            "/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda");
}

TEST(EventCoalescer, OnePlugOrPullIsOneEvent) {
  EventCoalescer coalescer;
  EXPECT_EQ(coalescer.Feed(QuadAdapter("add", 0)), (Events{{DeviceEvent::Arrival, "/dev/bus/usb/001/007"}}));
  EXPECT_EQ(coalescer.Feed(QuadAdapter("remove", 0)),
            (Events{{DeviceEvent::RemoveComplete, "/dev/bus/usb/001/007"}}));
  // Plugged in again: reported again.
  EXPECT_EQ(coalescer.Feed(QuadAdapter("add", 0)).size(), 1u);
}

TEST(EventCoalescer, ChildrenInLaterBatchesAddNothing) {
  EventCoalescer coalescer;
  auto records = QuadAdapter("add", 0);
  Events events;
  for (const DeviceRecord& record : records) {
    for (DeviceEvent& e : coalescer.Feed({record})) events.push_back(e);
  }
  EXPECT_EQ(events.size(), 1u);
}

TEST(EventCoalescer, SeparateDevicesAreSeparateEvents) {
  EventCoalescer coalescer;
  const std::string other = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1.3";
  std::vector<DeviceRecord> records{
      {"add", kAdapterPath + "/1-1.4:1.0/ttyUSB0/tty/ttyUSB0", "/dev/ttyUSB0"},
      {"add", other + "/1-1.3:1.0/tty/ttyACM0", "/dev/ttyACM0"},
      {"add", "/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttyS0", "/dev/ttyS0"},
      {"remove", other + "/1-1.3:1.0/tty/ttyACM0", "/dev/ttyACM0"},
  };
  EXPECT_EQ(coalescer.Feed(records), (Events{{DeviceEvent::Arrival, "/dev/ttyUSB0"},
                                             {DeviceEvent::Arrival, "/dev/ttyACM0"},
                                             {DeviceEvent::Arrival, "/dev/ttyS0"},
                                             {DeviceEvent::RemoveComplete, "/dev/ttyACM0"}}));
}

TEST(EventCoalescer, IgnoresOtherActionsNodelessAndVirtualDevices) {
  EventCoalescer coalescer;
  std::vector<DeviceRecord> records{
      {"change", "/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttyS0", "/dev/ttyS0"},
      {"bind", kAdapterPath, "/dev/bus/usb/001/007"},
      {"add", kAdapterPath + "/1-1.4:1.0", ""},
      {"add", "/devices/virtual/block/loop7", "/dev/loop7"},
      {"add", "/devices/virtual/tty/ttyp0", "/dev/ttyp0"},
  };
  EXPECT_TRUE(coalescer.Feed(records).empty());
  // The ignored records left no trace: the adapter's first real arrival still counts.
  EXPECT_EQ(coalescer.Feed(QuadAdapter("add", 0)).size(), 1u);
}

TEST(EventCoalescer, MemoryStickDiskAndPartitionsAreOneEvent) {
  EventCoalescer coalescer;
  const std::string disk = "/devices/pci0000:00/0000:00:14.0/usb2/2-3/2-3:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
  std::vector<DeviceRecord> records{{"add", disk, "/dev/sdb"}, {"add", disk + "/sdb1", "/dev/sdb1"}};
  EXPECT_EQ(coalescer.Feed(records), (Events{{DeviceEvent::Arrival, "/dev/sdb"}}));
}

TEST(UdevDeviceEvents, ExistsExactlyWhereTheDaemonRuns) {
  TempDir dir;
  EXPECT_FALSE(UdevDaemonRunning(dir.File("control")));
  ASSERT_TRUE(WriteTestFile(dir.File("control"), ""));
  EXPECT_TRUE(UdevDaemonRunning(dir.File("control")));

  auto events = UdevDeviceEvents::Create();
  ASSERT_EQ(events != nullptr, UdevDaemonRunning());
  if (events) {
    EXPECT_GE(events->fd(), 0);
    events->ReadEvents();  // returns at once, whatever is waiting
  }
}

TEST(FakeDeviceEventSource, PushMakesItReadableUntilRead) {
  FakeDeviceEventSource source;
  ASSERT_TRUE(source.valid());
  EXPECT_FALSE(Readable(source.fd()));
  source.Push({DeviceEvent::Arrival, "/dev/ttyUSB0"});
  source.Push({DeviceEvent::RemoveComplete, "/dev/ttyUSB0"});
  EXPECT_TRUE(Readable(source.fd()));
  EXPECT_EQ(source.ReadEvents(), (Events{{DeviceEvent::Arrival, "/dev/ttyUSB0"},
                                         {DeviceEvent::RemoveComplete, "/dev/ttyUSB0"}}));
  EXPECT_FALSE(Readable(source.fd()));
  EXPECT_TRUE(source.ReadEvents().empty());
}

TEST(MergedDeviceEvents, OneDescriptorForAllSources) {
  auto first = std::make_unique<FakeDeviceEventSource>();
  auto second = std::make_unique<FakeDeviceEventSource>();
  FakeDeviceEventSource* a = first.get();
  FakeDeviceEventSource* b = second.get();
  std::vector<std::unique_ptr<DeviceEventSource>> sources;
  sources.push_back(std::move(first));
  sources.push_back(std::move(second));
  auto merged = MergedDeviceEvents::Create(std::move(sources));
  ASSERT_TRUE(merged);

  EXPECT_FALSE(Readable(merged->fd()));
  b->Push({DeviceEvent::Arrival, "/dev/sdb"});
  EXPECT_TRUE(Readable(merged->fd()));
  a->Push({DeviceEvent::RemoveComplete, "/dev/ttyACM0"});
  EXPECT_EQ(merged->ReadEvents(), (Events{{DeviceEvent::RemoveComplete, "/dev/ttyACM0"},
                                          {DeviceEvent::Arrival, "/dev/sdb"}}));
  EXPECT_FALSE(Readable(merged->fd()));
}

class VirtualPortEventsTest : public ::testing::Test {
 protected:
  void Link(const std::string& target, const std::string& name) {
    ASSERT_EQ(::symlink(target.c_str(), dir.File(name).c_str()), 0);
  }
  Events ReadWhenReady(DeviceEventSource& source) {
    EXPECT_TRUE(Readable(source.fd()));  // inotify queues the change before symlink() returns
    return source.ReadEvents();
  }

  TempDir dir;
  PtyPair echo, module;
};

TEST_F(VirtualPortEventsTest, LinksComingAndGoingAreArrivalsAndRemovals) {
  Link(echo.path(), "echo");
  auto events = VirtualPortEvents::Create(dir.path());
  ASSERT_TRUE(events);
  EXPECT_TRUE(events->ReadEvents().empty());  // what was there at the start is no news

  Link(module.path(), "module");
  EXPECT_EQ(ReadWhenReady(*events), (Events{{DeviceEvent::Arrival, dir.File("module")}}));

  Link(dir.File("nothing"), "dangling");
  EXPECT_TRUE(ReadWhenReady(*events).empty());

  ASSERT_EQ(std::rename((dir.File("module")).c_str(), (dir.File("renamed")).c_str()), 0);
  ASSERT_EQ(::unlink((dir.File("echo")).c_str()), 0);
  EXPECT_EQ(ReadWhenReady(*events), (Events{{DeviceEvent::RemoveComplete, dir.File("echo")},
                                            {DeviceEvent::RemoveComplete, dir.File("module")},
                                            {DeviceEvent::Arrival, dir.File("renamed")}}));
  EXPECT_TRUE(events->ReadEvents().empty());
}

// The program behind a virtual port ends: its pseudo-terminal goes, the link stays.
TEST_F(VirtualPortEventsTest, ALinkWhoseTerminalClosedIsRemoved) {
  Link(echo.path(), "echo");
  Link(module.path(), "module");
  auto events = VirtualPortEvents::Create(dir.path());
  ASSERT_TRUE(events);
  // The test still holds the terminal open, as a program using the port would; meanwhile
  // its number is not given to another terminal.
  echo.CloseMaster();
  EXPECT_EQ(ReadWhenReady(*events), (Events{{DeviceEvent::RemoveComplete, dir.File("echo")}}));
}

// The kernel gives the next pseudo-terminal the lowest free number, so a dead port's link
// soon leads to a stranger's terminal: still the old device went and a new one came.
TEST_F(VirtualPortEventsTest, ATerminalNumberGivenOutAgainIsANewDevice) {
  Link(echo.path(), "echo");
  auto events = VirtualPortEvents::Create(dir.path());
  ASSERT_TRUE(events);
  const std::string freed = echo.path();
  echo.CloseMaster();
  echo.CloseSlave();
  std::vector<std::unique_ptr<PtyPair>> taken;
  while (taken.size() < 64) {
    taken.push_back(std::make_unique<PtyPair>());
    if (!taken.back()->ok() || taken.back()->path() == freed) break;
  }
  if (taken.back()->path() != freed) GTEST_SKIP() << "another program took " << freed << " first";
  EXPECT_EQ(events->ReadEvents(), (Events{{DeviceEvent::RemoveComplete, dir.File("echo")},
                                          {DeviceEvent::Arrival, dir.File("echo")}}));
}

TEST_F(VirtualPortEventsTest, OnlyTrustedDirectoriesAreWatched) {
  EXPECT_EQ(VirtualPortEvents::Create(dir.File("missing")), nullptr);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  EXPECT_EQ(VirtualPortEvents::Create(dir.path()), nullptr);
}

// The system source built on a scratch virtual port directory (set through the variable
// the demo and users set); it must never fail, only leave out what it cannot watch.
class SystemDeviceEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("VORNICSPCOMM_PORTS_DIR");
    if (old) saved_ = old;
    hadOld_ = old != nullptr;
  }
  void TearDown() override {
    if (hadOld_) {
      ::setenv("VORNICSPCOMM_PORTS_DIR", saved_.c_str(), 1);
    } else {
      ::unsetenv("VORNICSPCOMM_PORTS_DIR");
    }
  }

  TempDir dir;
  std::string saved_;
  bool hadOld_ = false;
};

TEST_F(SystemDeviceEvents, ReportsVirtualPortsFromItsDirectory) {
  const std::string ports = dir.File("run/ports");
  ::setenv("VORNICSPCOMM_PORTS_DIR", ports.c_str(), 1);
  auto source = MakeSystemDeviceEventSource();
  ASSERT_GE(source->fd(), 0);
  struct stat st {};
  ASSERT_EQ(::stat(ports.c_str(), &st), 0);  // made so that tools can announce ports
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  PtyPair pty;
  ASSERT_EQ(::symlink(pty.path().c_str(), (ports + "/sim").c_str()), 0);
  ASSERT_TRUE(Readable(source->fd()));
  Events events = source->ReadEvents();
  EXPECT_NE(std::find(events.begin(), events.end(), DeviceEvent{DeviceEvent::Arrival, ports + "/sim"}),
            events.end());
}

TEST_F(SystemDeviceEvents, WithoutUdevOrDirectoryIsSilent) {
  if (UdevDaemonRunning()) GTEST_SKIP() << "a udev daemon runs here";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);  // not a directory to trust
  ::setenv("VORNICSPCOMM_PORTS_DIR", dir.path().c_str(), 1);
  auto source = MakeSystemDeviceEventSource();
  EXPECT_EQ(source->fd(), -1);
  EXPECT_TRUE(source->ReadEvents().empty());
}

}  // namespace
