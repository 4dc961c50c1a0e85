#pragma once
// Whether a path names a terminal device, told before it is opened. Only terminals are serial
// ports; opening anything else read-write would read a file's contents as received data and
// append sends to it, and opening some devices does something by itself (a tape rewinds).
// The kernel lists its tty drivers with the device numbers each one serves in
// /proc/tty/drivers, so a device number tells whether the device is a terminal.
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TtyDriverTable {
 public:
  // The table as /proc/tty/drivers shows it: one driver a line, ending in its device path,
  // major number, minor number or range ("64" or "0-1048575") and type. Lines that do not
  // read that way are skipped.
  static TtyDriverTable Parse(std::string_view text);
  // The running kernel's table; empty optional when it cannot be read.
  static std::optional<TtyDriverTable> Read(const std::string& path = "/proc/tty/drivers");

  // True when a tty driver serves the character device numbered `device`.
  bool Serves(dev_t device) const;

 private:
  struct Range {
    unsigned major = 0;
    unsigned firstMinor = 0;
    unsigned lastMinor = 0;
  };
  std::vector<Range> ranges_;
};

// What the file system tells about `path` (links followed) without opening it.
enum class TerminalVerdict {
  Terminal,     // a character device of a tty driver
  NotTerminal,  // something else: a regular file, a directory, /dev/null, a tape ...
  Unknown,      // a character device, but the table of tty drivers cannot be read
  Missing,      // stat failed; errno tells why
};

// `device` receives the device number of a character device (to check, once the path is
// open, that it still names the same device).
TerminalVerdict ClassifyPath(const char* path, const std::optional<TtyDriverTable>& drivers, dev_t* device);

// True when `path` may be offered as a port: a terminal device, or a character device when
// the table of tty drivers cannot be read (the open then decides).
bool MayBeTerminal(const std::string& path, const std::optional<TtyDriverTable>& drivers);
