#pragma once
// Virtual serial ports announced by symbolic links in one directory. A program that makes a
// pseudo-terminal pair (socat, a device simulator, the demo) puts a link to the terminal's
// device there, e.g.
//   socat pty,raw,echo=0,link="$XDG_RUNTIME_DIR/vornicspcomm/ports/echo" exec:cat
// and the port lists show the link's path, which opens the terminal. The directory is
//   $VORNICSPCOMM_PORTS_DIR                         when that is set and not empty, else
//   $XDG_RUNTIME_DIR/vornicspcomm/ports             when XDG_RUNTIME_DIR is set, else
//   /tmp/vornicspcomm-<uid>/ports
// Only a directory owned by the user and writable by nobody else is read: another user
// must not be able to slip a port into this user's list.
#include <optional>
#include <string>
#include <vector>

// The directory where virtual ports are announced (it need not exist).
std::string VirtualPortDirectory();

// Creates the directory (and its missing parents, private to the user) when it does not
// exist. False when it cannot be made or is not one that ListVirtualPorts would read.
bool EnsureVirtualPortDirectory(const std::string& dir);

// True when `dir` is a directory owned by this user that no one else can write to.
bool IsTrustedPortDirectory(const std::string& dir);

// The paths of the links in `dir` whose targets exist and are terminal devices (ptys are),
// in directory order. Dangling links, links to other files or devices (/dev/null) and
// anything that is not a link are left out. Empty optional when the directory does not exist, is not trusted or
// cannot be read.
std::optional<std::vector<std::string>> ListVirtualPorts(const std::string& dir);

// Which link `path` is, as it was made: a link made anew (a new program announcing its port
// under the old name) has another mark; a change of what it leads to does not show. Empty
// optional when `path` is no symbolic link.
struct LinkMark {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  long long changedNs = 0;
  bool operator==(const LinkMark&) const = default;
};
std::optional<LinkMark> MarkOfLink(const std::string& path);
