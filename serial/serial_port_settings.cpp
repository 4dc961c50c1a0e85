// SerialPort: line settings, flow control, read time-outs and the getters, each a
// read-modify-write of the device's control block.
#include "serial/flow_control.h"
#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

uint32_t SerialPort::ReadControlBlock(DCB* dcb) {
  LastError = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail(ERROR_INVALID_HANDLE);
  if (!GetCommState(use.fd, dcb)) return Fail(posix::LastSystemError());
  return 0;
}

template <typename Edit>
uint32_t SerialPort::EditControlBlock(Edit edit) {
  LastError = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail(ERROR_INVALID_HANDLE);
  DCB dcb;
  if (!GetCommState(use.fd, &dcb)) return Fail(posix::LastSystemError());
  if (const uint32_t refused = edit(dcb)) return Fail(refused);
  if (!SetCommState(use.fd, &dcb)) return Fail(posix::LastSystemError());
  return Fail(0);
}

uint32_t SerialPort::SetLineSettings(uint32_t baudRate, uint8_t dataBits, uint8_t parity, uint8_t stopBits) {
  // Nothing is checked here: the device refuses what it cannot do, and leaves the line as it was.
  return EditControlBlock([&](DCB& dcb) -> uint32_t {
    dcb.BaudRate = baudRate;
    dcb.ByteSize = dataBits;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    dcb.fParity = parity != NOPARITY;
    return 0;
  });
}

uint32_t SerialPort::SetEventChar(uint8_t eventChar, bool watch) {
  uint32_t maskResult = 0;
  const uint32_t code = EditControlBlock([&](DCB& dcb) -> uint32_t {
    dcb.EvtChar = static_cast<char>(eventChar);
    if (watch) maskResult = SetEventMask(GetEventMask() | EV_RXFLAG);
    return 0;
  });
  // A failing mask step is what the call reports, but the control block is still written.
  return code != 0 ? code : Fail(maskResult);
}

uint32_t SerialPort::SetFlowControl(uint8_t mode) {
  return EditControlBlock([&](DCB& dcb) -> uint32_t {
    return WriteFlowControl(mode, &dcb) ? 0u : E_INVALIDARG;
  });
}

uint32_t SerialPort::SetReadTimeouts(uint8_t mode) {
  LastError = 0;
  if (!IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  if (mode > 1) return Fail(E_INVALIDARG);
  CommTimeouts timeouts = impl_->Timeouts();
  timeouts.ReadIntervalTimeout = mode == 0 ? 0xFFFFFFFFu : 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  impl_->SetTimeouts(timeouts);
  return 0;
}

int32_t SerialPort::GetBaudRate() {
  DCB dcb;
  return ReadControlBlock(&dcb) == 0 ? static_cast<int32_t>(dcb.BaudRate) : -1;
}

uint8_t SerialPort::GetDataBits() {
  DCB dcb;
  return ReadControlBlock(&dcb) == 0 ? dcb.ByteSize : 0xFF;
}

uint8_t SerialPort::GetParity() {
  DCB dcb;
  if (ReadControlBlock(&dcb) != 0) return 0xFF;
  return dcb.fParity ? dcb.Parity : NOPARITY;
}

uint8_t SerialPort::GetStopBits() {
  DCB dcb;
  return ReadControlBlock(&dcb) == 0 ? dcb.StopBits : 0xFF;
}

uint8_t SerialPort::GetFlowControl() {
  DCB dcb;
  return ReadControlBlock(&dcb) == 0 ? FlowControlOf(dcb) : 0xFF;
}

uint8_t SerialPort::GetEventChar() {
  DCB dcb;
  return ReadControlBlock(&dcb) == 0 ? static_cast<uint8_t>(dcb.EvtChar) : 0;
}
