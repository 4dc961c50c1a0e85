#include "serial/flow_control.h"

using win::DCB;
using win::DTR_CONTROL_DISABLE;
using win::DTR_CONTROL_HANDSHAKE;
using win::RTS_CONTROL_DISABLE;
using win::RTS_CONTROL_HANDSHAKE;

bool WriteFlowControl(uint8_t mode, DCB* dcb) {
  if (mode > kSoftwareFlowControl) return false;
  const bool hardware = mode == kHardwareFlowControl;
  const bool software = mode == kSoftwareFlowControl;
  dcb->fOutxCtsFlow = hardware;
  dcb->fOutxDsrFlow = hardware;
  dcb->fDtrControl = hardware ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_DISABLE;
  dcb->fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
  dcb->fOutX = software;
  dcb->fInX = software;
  return true;
}

uint8_t FlowControlOf(const DCB& dcb) {
  if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE && dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) return kHardwareFlowControl;
  if (dcb.fOutX && dcb.fInX) return kSoftwareFlowControl;
  return kNoFlowControl;
}
