// SerialPort: construction, open and close, and the result of an operation.
#include "serial/serial_port.h"

#include "serial/comm_state_translation.h"
#include "serial/posix_device.h"
#include "serial/serial_port_impl.h"

using win::EV_BREAK;
using win::EV_ERR;
using win::EV_RXCHAR;

namespace {

constexpr uint32_t kOpenEventMask = EV_RXCHAR | EV_BREAK | EV_ERR;

thread_local PortFailure lastFailure;

}  // namespace

PortFailure SerialPort::LastFailure() { return lastFailure; }

uint32_t SerialPort::Fail(PortFailure failure) {
  lastFailure = failure;
  return LastError = ResultCode(failure);
}

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
  if (IsOpen()) SerialPort::Close();
}

uint32_t SerialPort::Open(const char* name, uint32_t inQueue, uint32_t outQueue, bool overlapped) {
  Succeed();
  if (IsOpen()) return Fail({PortError::AlreadyOpen});
  if (const PortFailure failure = impl_->PrepareWakeups(); failure.Failed()) return Fail(failure);
  PortFailure failure;
  std::unique_ptr<PortDevice> device = OpenPortDevice(name, &failure);
  if (!device) return Fail(failure);
  if (overlapped) {
    auto event = std::make_unique<ManualResetEvent>();
    if (!event->valid()) return Fail(posix::LastSystemFailure());
    IoEvent = std::move(event);
  }
  if (const PortFailure installed = impl_->Install(Handle, std::move(device)); installed.Failed()) return Fail(installed);
  // Queue sizes: a terminal's queues are the kernel's own and cannot be sized, so the sizes
  // asked for are accepted and left at that.
  static_cast<void>(inQueue);
  static_cast<void>(outQueue);
  SetEventMask(kOpenEventMask);
  impl_->DiscardWake();  // no wait can be pending on a port that was closed until now
  SetReadTimeouts(0);
  const PortFailure result = LastFailure();
  // The default configuration; like the platform's own, its failure is not reported.
  if (Impl::DeviceUse use = impl_->Use(Handle); use.fd != kNoDevice) {
    const auto hold = impl_->HoldControlBlock();
    impl_->WriteControlBlock(use, posix::DefaultControlBlock());
  }
  return Fail(result);
}

NetworkStatus SerialPort::Network() {
  Impl::DeviceUse use = impl_->Use(Handle);
  return use.device != nullptr ? use.device->Network() : NetworkStatus{};
}

bool SerialPort::AwaitNetworkReady(uint32_t timeoutMs) {
  Impl::DeviceUse use = impl_->Use(Handle);
  return use.device != nullptr && use.device->AwaitReady(timeoutMs);
}

uint32_t SerialPort::Close() {
  Succeed();
  if (!IsOpen()) return 0;
  impl_->Uninstall(Handle, IoEvent);
  return 0;
}
