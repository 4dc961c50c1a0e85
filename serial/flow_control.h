#pragma once
// The three flow-control modes of a serial line (none, RTS/CTS hardware handshake, XON/XOFF)
// as fields of the control block, for SetFlowControl and for owners that write a whole block
// at once.
#include <cstdint>

#include "serial/comm_types.h"

inline constexpr uint8_t kNoFlowControl = 0, kHardwareFlowControl = 1, kSoftwareFlowControl = 2;

// Writes the flow fields of `mode` into the block, the control lines' modes among them (the
// handshake for hardware, off otherwise). False, with the block untouched, for any other mode.
bool WriteFlowControl(uint8_t mode, win::DCB* dcb);

// The mode the block's fields make up; kNoFlowControl when they match neither handshake.
uint8_t FlowControlOf(const win::DCB& dcb);
