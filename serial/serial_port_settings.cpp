// SerialPort: the control block, line settings, flow control, read time-outs and the
// getters, each a read or a read-modify-write of the device's control block.
#include <cerrno>

#include "serial/flow_control.h"
#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

using win::DCB;
using win::EV_RXFLAG;
using win::NOPARITY;

uint32_t SerialPort::GetControlBlock(DCB* dcb) {
  Succeed();
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  if (dcb == nullptr) return Fail(posix::SystemFailure(EINVAL));
  const auto hold = impl_->HoldControlBlock();
  return Fail(impl_->ReadControlBlock(use, dcb));
}

uint32_t SerialPort::SetControlBlock(const DCB& dcb) {
  Succeed();
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  const auto hold = impl_->HoldControlBlock();
  return Fail(impl_->WriteControlBlock(use, dcb));
}

template <typename Edit>
uint32_t SerialPort::EditControlBlock(Edit edit) {
  Succeed();
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  const auto hold = impl_->HoldControlBlock();
  DCB dcb;
  if (const PortFailure failure = impl_->ReadControlBlock(use, &dcb); failure.Failed()) return Fail(failure);
  if (const PortFailure refused = edit(dcb); refused.Failed()) return Fail(refused);
  return Fail(impl_->WriteControlBlock(use, dcb));
}

uint32_t SerialPort::SetLineSettings(uint32_t baudRate, uint8_t dataBits, uint8_t parity, uint8_t stopBits) {
  // Nothing is checked here: the device refuses what it cannot do, and leaves the line as it was.
  return EditControlBlock([&](DCB& dcb) {
    dcb.BaudRate = baudRate;
    dcb.ByteSize = dataBits;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    dcb.fParity = parity != NOPARITY;
    return PortFailure{};
  });
}

uint32_t SerialPort::SetEventChar(uint8_t eventChar, bool watch) {
  PortFailure maskResult;
  const uint32_t code = EditControlBlock([&](DCB& dcb) {
    dcb.EvtChar = static_cast<char>(eventChar);
    if (watch && SetEventMask(GetEventMask() | EV_RXFLAG) != 0) maskResult = LastFailure();
    return PortFailure{};
  });
  // A failing mask step is what the call reports, but the control block is still written.
  return code != 0 ? code : Fail(maskResult);
}

uint32_t SerialPort::SetFlowControl(uint8_t mode) {
  return EditControlBlock([&](DCB& dcb) {
    return WriteFlowControl(mode, &dcb) ? PortFailure{} : PortFailure{PortError::UnknownMode};
  });
}

uint32_t SerialPort::SetReadTimeouts(uint8_t mode) {
  Succeed();
  if (!IsOpen()) return Fail({PortError::NotOpen});
  if (mode > 1) return Fail({PortError::UnknownMode});
  CommTimeouts timeouts = impl_->Timeouts();
  timeouts.ReadIntervalTimeout = mode == 0 ? 0xFFFFFFFFu : 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  impl_->SetTimeouts(timeouts);
  return 0;
}

int32_t SerialPort::GetBaudRate() {
  DCB dcb;
  return GetControlBlock(&dcb) == 0 ? static_cast<int32_t>(dcb.BaudRate) : -1;
}

uint8_t SerialPort::GetDataBits() {
  DCB dcb;
  return GetControlBlock(&dcb) == 0 ? dcb.ByteSize : 0xFF;
}

uint8_t SerialPort::GetParity() {
  DCB dcb;
  if (GetControlBlock(&dcb) != 0) return 0xFF;
  return dcb.fParity ? dcb.Parity : NOPARITY;
}

uint8_t SerialPort::GetStopBits() {
  DCB dcb;
  return GetControlBlock(&dcb) == 0 ? dcb.StopBits : 0xFF;
}

uint8_t SerialPort::GetFlowControl() {
  DCB dcb;
  return GetControlBlock(&dcb) == 0 ? FlowControlOf(dcb) : 0xFF;
}

uint8_t SerialPort::GetEventChar() {
  DCB dcb;
  return GetControlBlock(&dcb) == 0 ? static_cast<uint8_t>(dcb.EvtChar) : 0;
}
