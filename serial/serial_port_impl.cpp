#include "serial/serial_port_impl.h"

#include <poll.h>

#include "serial/posix_device.h"

using win::EV_BREAK;
using win::EV_ERR;
using win::EV_RXCHAR;

namespace {

// While bytes sit unread the device is not polled for input; line errors and breaks are
// then looked for this often (only on devices that count them).
constexpr int kLineErrorPollMs = 100;

}  // namespace

PortFailure SerialPort::Impl::PrepareWakeups() {
  for (auto* event : {&cancel_, &wake_}) {
    if (*event) continue;
    auto created = std::make_unique<ManualResetEvent>();
    if (!created->valid()) return posix::LastSystemFailure();
    *event = std::move(created);
  }
  return {};
}

SerialPort::Impl::DeviceUse SerialPort::Impl::Use(const std::atomic<DeviceHandle>& handle) {
  DeviceUse use;
  // A close in progress must not wait behind new users (the lock favours readers).
  if (closing_.load() || handle.load() == kNoDevice) return use;
  use.lock = std::shared_lock(life_);
  if (!closing_.load()) {
    use.fd = handle.load();
    use.device = device_.get();
  }
  return use;
}

void SerialPort::Impl::Install(std::atomic<DeviceHandle>& handle, std::unique_ptr<PortDevice> device) {
  std::unique_lock guard(life_);
  cancel_->Reset();
  wake_->Reset();
  maskChanged_ = false;
  receiverArmed_ = true;
  {
    std::lock_guard block(controlBlockLock_);
    written_.reset();
  }
  {
    std::lock_guard counters(countersLock_);
    countersKept_ = device->ReadLineCounters(&eventBase_);
    errorBase_ = eventBase_;
  }
  handle = device->Fd();
  device_ = std::move(device);
}

void SerialPort::Impl::Uninstall(std::atomic<DeviceHandle>& handle, std::unique_ptr<ManualResetEvent>& ioEvent) {
  closing_ = true;
  cancel_->Set();
  std::unique_lock guard(life_);
  handle = kNoDevice;
  device_.reset();
  ioEvent.reset();
  cancel_->Reset();
  closing_ = false;
}

void SerialPort::Impl::RequestWake() {
  if (!wake_) return;
  maskChanged_ = true;
  wake_->Set();
}

void SerialPort::Impl::DiscardWake() {
  maskChanged_ = false;
  wake_->Reset();
}

void SerialPort::Impl::Rearm() {
  if (!receiverArmed_.exchange(true)) wake_->Set();
}

PortFailure SerialPort::Impl::AwaitEvents(const DeviceUse& use, const std::atomic<uint32_t>& mask,
                                          const Deadline& deadline, uint32_t* events) {
  *events = 0;
  for (;;) {
    const uint32_t watched = mask.load();
    const bool input = (watched & EV_RXCHAR) && receiverArmed_.load();
    const bool line = countersKept_ && (watched & (EV_BREAK | EV_ERR));
    const posix::Readiness ready = posix::WaitReady(use.fd, input ? POLLIN : 0, wake_->fd(), cancel_->fd(), deadline,
                                                    line && !input ? kLineErrorPollMs : -1);
    if (ready.failure.Failed()) return ready.failure;
    if (ready.cancel) return {PortError::NotOpen};
    if (ready.device & (POLLHUP | POLLERR | POLLNVAL)) return posix::SystemFailure(EIO);
    uint32_t found = line ? TakeLineEvents(*use.device, watched) : 0;
    if (input && (ready.device & POLLIN)) {
      receiverArmed_ = false;
      found |= EV_RXCHAR;
    }
    if (found != 0) {
      *events = found;
      return {};
    }
    if (ready.wake) {
      wake_->Reset();
      if (maskChanged_.exchange(false)) return {};  // a re-arm alone just widens the next wait
    }
    if (ready.timedOut && deadline.Expired()) return {PortError::TimedOut};
  }
}

uint32_t SerialPort::Impl::TakeLineEvents(PortDevice& device, uint32_t mask) {
  std::lock_guard guard(countersLock_);
  LineCounters now;
  if (!device.ReadLineCounters(&now)) return 0;
  const uint32_t events = LineEventBits(eventBase_, now) & mask;
  eventBase_ = now;
  return events;
}

PortFailure SerialPort::Impl::TakeLineErrors(const DeviceUse& use, uint32_t* errors) {
  *errors = 0;
  std::lock_guard guard(countersLock_);
  if (!countersKept_) return {};
  LineCounters now;
  if (!use.device->ReadLineCounters(&now)) return posix::LastSystemFailure();
  *errors = LineErrorBits(errorBase_, now);
  errorBase_ = now;
  return {};
}

PortFailure SerialPort::Impl::ReadControlBlock(const DeviceUse& use, win::DCB* dcb) const {
  return use.device->ReadCommState(written_ ? &*written_ : nullptr, dcb);
}

PortFailure SerialPort::Impl::WriteControlBlock(const DeviceUse& use, const win::DCB& dcb) {
  const PortFailure failure = use.device->WriteCommState(dcb);
  if (!failure.Failed()) written_ = dcb;
  return failure;
}

CommTimeouts SerialPort::Impl::Timeouts() {
  std::lock_guard guard(timeoutsLock_);
  return timeouts_;
}

void SerialPort::Impl::SetTimeouts(const CommTimeouts& timeouts) {
  std::lock_guard guard(timeoutsLock_);
  timeouts_ = timeouts;
}
