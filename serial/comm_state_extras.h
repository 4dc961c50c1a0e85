#pragma once
// The last control block written to each open descriptor. termios has no place for several
// of its fields (DTR handshake, DSR flow, the event, error and end-of-file characters, the
// XON/XOFF limits, ...); keeping the block lets them read back as they were written. An
// entry is dropped when the descriptor is closed through the driver, and is ignored if the
// descriptor number has meanwhile come to stand for another device.
#include "serial/comm_types.h"

void RememberControlBlock(int fd, const DCB& dcb);
// False when nothing was written through this descriptor.
bool RecallControlBlock(int fd, DCB* dcb);
void ForgetExtras(int fd);
