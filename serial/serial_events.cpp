// SerialPort: the comm event mask and the event wait that the monitor thread runs.
#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

uint32_t SerialPort::SetEventMask(uint32_t mask) {
  LastError = 0;
  if (!IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  // The mask is the driver's own (a terminal has none); what the platform does on a mask
  // change is to complete a pending event wait with no events, so that the waiter picks up
  // the new mask, or notices that it is being stopped.
  EventMask = mask;
  impl_->RequestWake();
  return 0;
}

uint32_t SerialPort::GetEventMask() {
  LastError = 0;
  if (!IsOpen()) {
    LastError = ERROR_INVALID_HANDLE;
    return 0;
  }
  return EventMask;
}

uint32_t SerialPort::WaitEvent(OVERLAPPED* record, uint32_t timeoutMs) {
  LastError = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail(ERROR_INVALID_HANDLE);
  if (!IoEvent && (record != nullptr || timeoutMs != INFINITE_TIMEOUT)) return Fail(ERROR_INVALID_FUNCTION);
  // With the caller's own record the wait completes before the call returns (see Transfer).
  const Deadline deadline(record != nullptr ? INFINITE_TIMEOUT : timeoutMs);
  uint32_t events = 0;
  const uint32_t code = impl_->AwaitEvents(use.fd, EventMask, deadline, &events);
  if (code == 0) PendingEvents.fetch_or(events);
  CompleteRecord(record, code, 0);
  return Fail(code);
}

uint16_t SerialPort::TakeEvents() {
  const uint32_t pending = PendingEvents.fetch_and(~0xFFFFu);
  return static_cast<uint16_t>(pending & EventMask.load() & 0xFFFFu);
}

uint32_t SerialPort::ClearCommError(uint32_t* errors) {
  *errors = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return ERROR_INVALID_HANDLE;
  return impl_->TakeLineErrors(use.fd, errors);
}
