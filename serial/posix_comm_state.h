#pragma once
// The control block of a terminal device, read and written over termios and the
// modem-control lines. termios has no place for several of the block's fields (DTR
// handshake, DSR flow, the event, error and end-of-file characters, the XON/XOFF limits,
// ...); the port keeps the last block it wrote and hands it in, so that they read back as
// they were written.
#include "serial/comm_types.h"

namespace posix {

// Reads the device's current control block. `written` is the last block written through
// this descriptor, or null when none was. False on failure, with errno set.
bool ReadCommState(int fd, const win::DCB* written, win::DCB* dcb);
// Applies a control block: line settings, flow control, DTR/RTS. False on failure (errno
// set); a setting the line cannot do (9 data bits, 1.5 stop bits with 6-8 data bits, ...)
// fails with EINVAL and leaves the device as it was.
bool WriteCommState(int fd, const win::DCB& dcb);
// Drops the bytes the device has received that nobody has read yet. False on failure (errno
// set).
bool DiscardInput(int fd);

}  // namespace posix
