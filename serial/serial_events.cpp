// SerialPort: the comm event mask and the event wait that the monitor thread runs.
#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

using win::INFINITE_TIMEOUT;
using win::OVERLAPPED;

uint32_t SerialPort::SetEventMask(uint32_t mask) {
  Succeed();
  if (!IsOpen()) return Fail({PortError::NotOpen});
  // The mask is the driver's own (a terminal has none); what the platform does on a mask
  // change is to complete a pending event wait with no events, so that the waiter picks up
  // the new mask, or notices that it is being stopped.
  EventMask = mask;
  impl_->RequestWake();
  return 0;
}

uint32_t SerialPort::GetEventMask() {
  Succeed();
  if (!IsOpen()) {
    Fail({PortError::NotOpen});
    return 0;
  }
  return EventMask;
}

uint32_t SerialPort::WaitEvent(OVERLAPPED* record, uint32_t timeoutMs) {
  Succeed();
  return Fail(AwaitEvents(record, timeoutMs));
}

PortFailure SerialPort::AwaitEvents(OVERLAPPED* record, uint32_t timeoutMs) {
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return {PortError::NotOpen};
  if (!IoEvent && (record != nullptr || timeoutMs != INFINITE_TIMEOUT)) return {PortError::WrongMode};
  // With the caller's own record the wait completes before the call returns (see Transfer).
  const Deadline deadline(record != nullptr ? INFINITE_TIMEOUT : timeoutMs);
  uint32_t events = 0;
  const PortFailure failure = impl_->AwaitEvents(use, EventMask, deadline, &events);
  if (!failure.Failed()) PendingEvents.fetch_or(events);
  CompleteRecord(record, failure, 0);
  return failure;
}

uint16_t SerialPort::TakeEvents() {
  const uint32_t pending = PendingEvents.fetch_and(~0xFFFFu);
  return static_cast<uint16_t>(pending & EventMask.load() & 0xFFFFu);
}

PortFailure SerialPort::ClearCommError(uint32_t* errors) {
  *errors = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return {PortError::NotOpen};
  return impl_->TakeLineErrors(use, errors);
}
