#include "serial/com_port_line.h"

#include <cstdlib>

#include "serial/com_port_client.h"
#include "serial/flow_control.h"

namespace rfc2217 {
namespace {

using win::DCB;
using win::DTR_CONTROL_DISABLE;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;

// Parity: none, odd, even, mark, space are 0-4 in the block and 1-5 on the wire.
uint32_t ParityCode(uint8_t parity) { return parity + 1u; }
// Stop bits: one, one and a half, two are 0-2 in the block and 1, 3, 2 on the wire.
uint32_t StopCode(uint8_t stopBits) {
  static constexpr uint8_t kCodes[] = {1, 3, 2};
  return stopBits < 3 ? kCodes[stopBits] : 1;
}
uint8_t StopBitsOf(uint32_t code) { return code == 3 ? win::ONE5STOPBITS : code == 2 ? win::TWOSTOPBITS : win::ONESTOPBIT; }

uint32_t FlowCode(const DCB& dcb) {
  switch (FlowControlOf(dcb)) {
    case kHardwareFlowControl: return kControlFlowHardware;
    case kSoftwareFlowControl: return kControlFlowXonXoff;
    default: return kControlFlowNone;
  }
}

uint8_t EffectiveParity(const DCB& dcb) { return dcb.fParity ? dcb.Parity : win::NOPARITY; }

}  // namespace

std::vector<LineCommand> LineCommands(const DCB* before, const DCB& after) {
  std::vector<LineCommand> commands;
  auto add = [&](bool changed, uint8_t code, uint32_t value, bool confirmed) {
    if (before == nullptr || changed) commands.push_back({code, value, confirmed});
  };
  add(before && before->BaudRate != after.BaudRate, kSetBaudRate, after.BaudRate, true);
  add(before && before->ByteSize != after.ByteSize, kSetDataSize, after.ByteSize, true);
  add(before && EffectiveParity(*before) != EffectiveParity(after), kSetParity, ParityCode(EffectiveParity(after)),
      true);
  add(before && before->StopBits != after.StopBits, kSetStopSize, StopCode(after.StopBits), true);
  add(before && FlowCode(*before) != FlowCode(after), kSetControl, FlowCode(after), false);
  const bool dtr = after.fDtrControl != DTR_CONTROL_DISABLE;
  add(before && (before->fDtrControl != DTR_CONTROL_DISABLE) != dtr, kSetControl,
      dtr ? kControlDtrOn : kControlDtrOff, false);
  // Under the hardware handshake the server drives RTS itself.
  if (after.fRtsControl != RTS_CONTROL_HANDSHAKE) {
    const bool rts = after.fRtsControl == RTS_CONTROL_ENABLE;
    add(before && (before->fRtsControl == RTS_CONTROL_HANDSHAKE || (before->fRtsControl == RTS_CONTROL_ENABLE) != rts),
        kSetControl, rts ? kControlRtsOn : kControlRtsOff, false);
  }
  return commands;
}

bool Confirms(const LineCommand& command, uint32_t answer) {
  if (command.code != kSetBaudRate) return answer == command.value;
  const long difference = std::labs(static_cast<long>(answer) - static_cast<long>(command.value));
  return difference * 100 <= static_cast<long>(command.value) * 3;
}

DCB AsReported(const ComPortClient& client, DCB dcb) {
  if (auto rate = client.Reply(kSetBaudRate); rate && *rate != 0) dcb.BaudRate = *rate;
  if (auto size = client.Reply(kSetDataSize); size && *size >= 5 && *size <= 8) dcb.ByteSize = static_cast<uint8_t>(*size);
  if (auto parity = client.Reply(kSetParity); parity && *parity >= 1 && *parity <= 5) {
    dcb.Parity = static_cast<uint8_t>(*parity - 1);
    dcb.fParity = dcb.Parity != win::NOPARITY;
  }
  if (auto stop = client.Reply(kSetStopSize); stop && *stop >= 1 && *stop <= 3) dcb.StopBits = StopBitsOf(*stop);
  return dcb;
}

}  // namespace rfc2217
