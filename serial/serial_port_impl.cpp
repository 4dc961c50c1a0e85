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

PortFailure SerialPort::Impl::Install(std::atomic<DeviceHandle>& handle, std::unique_ptr<PortDevice> device) {
  auto watch = std::make_unique<posix::DeviceWatch>(device->Fd(), wake_->fd(), cancel_->fd());
  if (watch->failure().Failed()) return watch->failure();
  std::unique_lock guard(life_);
  cancel_->Reset();
  wake_->Reset();
  maskChanged_ = false;
  {
    std::lock_guard arm(armLock_);
    watch_ = std::move(watch);
    receiverArmed_ = true;
    maskWantsInput_ = inputWatched_ = false;
  }
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
  return {};
}

void SerialPort::Impl::Uninstall(std::atomic<DeviceHandle>& handle, std::unique_ptr<ManualResetEvent>& ioEvent) {
  closing_ = true;
  cancel_->Set();
  std::unique_lock guard(life_);
  handle = kNoDevice;
  {
    std::lock_guard arm(armLock_);
    watch_.reset();
  }
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
  std::lock_guard arm(armLock_);
  receiverArmed_ = true;
  WatchInputAsWanted();
}

void SerialPort::Impl::WatchInputAsWanted() {
  const bool wanted = maskWantsInput_ && receiverArmed_;
  if (!watch_ || wanted == inputWatched_) return;
  // A refusal leaves the watch as it was; the next pass of the wait tries again.
  if (!watch_->WatchInput(wanted).Failed()) inputWatched_ = wanted;
}

PortFailure SerialPort::Impl::AwaitEvents(const DeviceUse& use, const std::atomic<uint32_t>& mask,
                                          const Deadline& deadline, uint32_t* events) {
  *events = 0;
  for (;;) {
    const uint32_t watched = mask.load();
    bool input = false;
    {
      std::lock_guard arm(armLock_);
      maskWantsInput_ = (watched & EV_RXCHAR) != 0;
      WatchInputAsWanted();
      input = inputWatched_;
    }
    const bool line = countersKept_ && (watched & (EV_BREAK | EV_ERR));
    const posix::Readiness ready = watch_->Wait(deadline, line && !input ? kLineErrorPollMs : -1);
    if (ready.failure.Failed()) return ready.failure;
    if (ready.cancel) return {PortError::NotOpen};
    if (ready.device & (POLLHUP | POLLERR)) return posix::SystemFailure(EIO);
    uint32_t found = line ? TakeLineEvents(*use.device, watched) : 0;
    if (ready.device & POLLIN) {
      std::lock_guard arm(armLock_);
      // Input reported after a read re-armed it, and a mask that dropped received characters
      // meanwhile, both count: the bytes are there and were asked for when the wait began.
      receiverArmed_ = false;
      WatchInputAsWanted();
      found |= watched & EV_RXCHAR;
    }
    if (found != 0) {
      *events = found;
      return {};
    }
    if (ready.wake) {
      wake_->Reset();
      if (maskChanged_.exchange(false)) return {};
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
