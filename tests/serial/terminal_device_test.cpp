// Telling terminal devices from other files before anything is opened.
#include "serial/terminal_device.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

TEST(TtyDriverTable, ReadsNumberRangesAndSkipsWhatItCannotRead) {
  const TtyDriverTable table = TtyDriverTable::Parse(
      "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
      "serial               /dev/ttyS       4 64-111 serial\n"
      "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
      "odd driver name      /dev/ttyX     200      7 serial\n"
      "garbage line\n"
      "broken               /dev/ttyB     201   9-3 serial\n"
      "usbserial            /dev/ttyUSB   188 0-511 serial");  // no line end after the last
  EXPECT_TRUE(table.Serves(makedev(5, 0)));
  EXPECT_FALSE(table.Serves(makedev(5, 1)));
  EXPECT_TRUE(table.Serves(makedev(4, 64)));
  EXPECT_TRUE(table.Serves(makedev(4, 111)));
  EXPECT_FALSE(table.Serves(makedev(4, 112)));
  EXPECT_FALSE(table.Serves(makedev(4, 63)));
  EXPECT_TRUE(table.Serves(makedev(136, 70000)));
  EXPECT_TRUE(table.Serves(makedev(200, 7)));
  EXPECT_FALSE(table.Serves(makedev(201, 5)));
  EXPECT_TRUE(table.Serves(makedev(188, 511)));
  EXPECT_FALSE(table.Serves(makedev(1, 3)));  // /dev/null
}

// Which files are refused is the driver's open test; here: the device number handed on,
// and what counts when the kernel's table cannot be read.
TEST(ClassifyPath, FollowsLinksAndFallsBackToCharacterDevices) {
  TempDir dir;
  PtyPair pty;
  ASSERT_EQ(::symlink(pty.path().c_str(), dir.File("link").c_str()), 0);
  dev_t device = 0;
  EXPECT_EQ(ClassifyPath(dir.File("link").c_str(), TtyDriverTable::Read(), &device), TerminalVerdict::Terminal);
  struct stat st{};
  ASSERT_EQ(::stat(pty.path().c_str(), &st), 0);
  EXPECT_EQ(device, st.st_rdev);
  EXPECT_FALSE(TtyDriverTable::Read(dir.File("missing")).has_value());
  // Without the table a character device may be a terminal; only opening it can tell.
  EXPECT_EQ(ClassifyPath("/dev/null", std::nullopt, &device), TerminalVerdict::Unknown);
  EXPECT_FALSE(MayBeTerminal(dir.path(), std::nullopt));
}

}  // namespace
