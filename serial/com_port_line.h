#pragma once
// The control block as com port commands: which commands take the far line from one block
// to another, whether the server's answer confirms a command, and the block as the server
// reports it.
#include <cstdint>
#include <vector>

#include "serial/comm_types.h"

namespace rfc2217 {

class ComPortClient;

struct LineCommand {
  uint8_t code = 0;
  uint32_t value = 0;
  // The rate, data size, parity and stop size must be confirmed; the control lines and flow
  // control need not be (a server in front of a device without modem lines leaves them
  // unanswered, and such a device simply has none).
  bool confirmed = false;
};

// The commands that take the far line from `before` to `after`, in the order the protocol
// recommends; with no `before` (nothing sent yet) every setting is sent.
std::vector<LineCommand> LineCommands(const win::DCB* before, const win::DCB& after);
// True when the server's answer is the value asked for (a rate within 3 %, as a UART's
// divisor allows).
bool Confirms(const LineCommand& command, uint32_t answer);
// The block with the line settings the server last reported written over it.
win::DCB AsReported(const ComPortClient& client, win::DCB dcb);

}  // namespace rfc2217
