// Only the kernel's terminal header here: see posix_termios2.h.
#include "serial/posix_termios2.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace posix {

bool SetCustomBaud(int fd, uint32_t baud) {
  termios2 settings{};
  if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
  settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = baud;
  settings.c_ospeed = baud;
  return ::ioctl(fd, TCSETS2, &settings) == 0;
}

bool ReadBaud(int fd, uint32_t* baud) {
  termios2 settings{};
  if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
  *baud = settings.c_ospeed;
  return true;
}

}  // namespace posix
