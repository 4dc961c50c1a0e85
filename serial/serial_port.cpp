// SerialPort: construction, open and close.
#include "serial/serial_port.h"

#include "serial/comm_state_translation.h"
#include "serial/posix_device.h"
#include "serial/serial_port_impl.h"

namespace {

constexpr uint32_t kOpenEventMask = EV_RXCHAR | EV_BREAK | EV_ERR;

}  // namespace

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
  if (IsOpen()) SerialPort::Close();
}

uint32_t SerialPort::Open(const char* name, uint32_t inQueue, uint32_t outQueue, bool overlapped) {
  LastError = 0;
  if (IsOpen()) return Fail(ERROR_ALREADY_INITIALIZED);
  if (const uint32_t code = impl_->PrepareWakeups()) return Fail(code);
  uint32_t code = 0;
  const int fd = posix::OpenExclusive(name, &code);
  if (fd < 0) return Fail(code);
  if (overlapped) {
    auto event = std::make_unique<ManualResetEvent>();
    if (!event->valid()) {
      code = posix::LastSystemError();
      posix::CloseDevice(fd);
      return Fail(code);
    }
    IoEvent = std::move(event);
  }
  impl_->Install(Handle, fd);
  // Queue sizes: a terminal's queues are the kernel's own and cannot be sized, so the sizes
  // asked for are accepted and left at that.
  static_cast<void>(inQueue);
  static_cast<void>(outQueue);
  SetEventMask(kOpenEventMask);
  impl_->DiscardWake();  // no wait can be pending on a port that was closed until now
  const uint32_t result = SetReadTimeouts(0);
  // The default configuration; like the platform's own, its failure is not reported.
  const DCB defaults = posix::DefaultControlBlock();
  SetCommState(fd, &defaults);
  return Fail(result);
}

uint32_t SerialPort::Close() {
  LastError = 0;
  if (!IsOpen()) return 0;
  impl_->Uninstall(Handle, IoEvent);
  return 0;
}
