#pragma once
// Pure translation between the control block and termios: what a serial line can be set to,
// and which termios bits stand for which control-block fields. No device is touched here.
#include <termios.h>

#include "serial/comm_types.h"

namespace posix {

// False for what no serial line can do: rate 0, data bits outside 5..8, a parity or
// stop-bits code out of range, 1.5 stop bits with 6-8 data bits, 2 stop bits with 5 data
// bits, an unknown DTR/RTS control, or equal XON and XOFF characters with XON/XOFF on.
bool ControlBlockIsValid(const win::DCB& dcb);

// The termios speed constant of a standard rate; false when the rate has none.
bool StandardSpeed(uint32_t baud, speed_t* speed);

// Writes the line and flow settings of a valid block into t and puts the line in raw mode
// (no echo, no line editing, no translation, receiver on, modem lines ignored for open).
// The speed is not touched.
void ApplyControlBlock(const win::DCB& dcb, termios* t);

// Reads the line and flow settings from t into dcb; the fields termios cannot hold keep
// what dcb brought in. The hardware handshake fields are kept as well while they agree
// with CRTSCTS.
void ReadControlBlock(const termios& t, win::DCB* dcb);

// A pseudo-terminal always holds 8 data bits without parity (the kernel rewrites both);
// asking it for anything else would read as a refused change.
void AsPseudoTerminalHoldsIt(termios* t);

// True when the line bits of `got` are those asked for in `wanted` (a driver that cannot do
// a setting may quietly drop it).
bool LineBitsMatch(const termios& wanted, const termios& got);

// The configuration a device gets at open: 9600 8N1, no flow control, DTR and RTS on.
win::DCB DefaultControlBlock();

}  // namespace posix
