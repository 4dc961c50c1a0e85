// list_ports: prints the serial ports the program's port lists offer (hardware ports and
// the virtual ports announced in the virtual port directory), one device path a line, in
// the lists' order. The run script asks it whether this machine has a port to work with.
// Each path is escaped so that it stays one line (escaped_line.h). The window's lists leave
// out the names with control characters or bytes that are not UTF-8; this lists them all.
//   --usable   only the ports this user may open for reading and writing (the others fail
//              to open with "permission denied", e.g. without the dialout group)
// Exit status 0 with the list (possibly empty), 1 when no list can be read, 2 on a bad
// command line.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "serial/port_naming.h"
#include "serial/port_source.h"
#include "tools/escaped_line.h"

namespace {

// Asks for the permission only: opening the device to find out would toggle DTR and RTS,
// which resets many boards on a USB serial adapter.
bool MayOpen(const std::string& path) { return access(path.c_str(), R_OK | W_OK) == 0; }

}  // namespace

int main(int argc, char** argv) {
  bool usableOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--usable") == 0) {
      usableOnly = true;
    } else {
      std::fprintf(stderr, "usage: list_ports [--usable]\n");
      return 2;
    }
  }
  std::optional<std::vector<std::string>> ports = SystemPortSource().ListPorts();
  if (!ports) {
    std::fprintf(stderr, "list_ports: the serial ports cannot be listed\n");
    return 1;
  }
  SortPortNames(*ports);
  for (const std::string& port : *ports) {
    if (!usableOnly || MayOpen(port)) std::printf("%s\n", EscapedForLine(port).c_str());
  }
  return 0;
}
