#pragma once
// Line speeds by number, through the kernel's termios2 interface. Its header cannot share a
// translation unit with the C library's <termios.h>, so this stays behind plain functions.
#include <cstdint>

namespace posix {

// Sets any positive rate (input and output alike) as a custom rate, leaving every other
// setting as it is. False with errno set on failure.
bool SetCustomBaud(int fd, uint32_t baud);
// The output rate in bits per second, standard or custom. False with errno set on failure.
bool ReadBaud(int fd, uint32_t* baud);

}  // namespace posix
