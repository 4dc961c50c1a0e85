#pragma once
// Private state of SerialPort: what guards the device against a close while it is in use,
// the wake-ups of blocked transfers and of the event wait, the control block last written,
// read time-outs and line counters.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>

#include "serial/deadline.h"
#include "serial/device_watch.h"
#include "serial/line_errors.h"
#include "serial/manual_reset_event.h"
#include "serial/port_device.h"
#include "serial/serial_port.h"

// The device's time-out record, kept by the driver (a terminal has no such record).
struct CommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;

  // Interval "all ones" with no total time-out: a read takes what is there and returns.
  bool ReadReturnsAtOnce() const {
    return ReadIntervalTimeout == 0xFFFFFFFFu && ReadTotalTimeoutMultiplier == 0 && ReadTotalTimeoutConstant == 0;
  }
};

// Fills in the caller's record of a transfer or wait that completed before the call
// returned, and signals its event on success.
inline void CompleteRecord(win::OVERLAPPED* record, const PortFailure& failure, uint32_t count) {
  if (record == nullptr) return;
  record->Internal = ResultCode(failure);
  record->InternalHigh = count;
  if (!failure.Failed() && record->hEvent != nullptr) record->hEvent->Set();
}

struct SerialPort::Impl {
  // The descriptor while it is being used: transfers, settings and waits hold the lock
  // shared, Open and Close exclusive, so that a close never pulls the descriptor from under
  // a call on another thread. fd is kNoDevice when the port is closed or closing.
  struct DeviceUse {
    std::shared_lock<std::shared_mutex> lock;
    int fd = kNoDevice;
    PortDevice* device = nullptr;
  };

  // Creates the wake-up descriptors on first use (a fresh object makes no system call).
  PortFailure PrepareWakeups();
  DeviceUse Use(const std::atomic<DeviceHandle>& handle);
  // Installs a freshly opened device: nothing pending, receiver armed, counters zeroed, no
  // control block written yet. Fails (and closes the device) when its event wait cannot be
  // prepared.
  [[nodiscard]] PortFailure Install(std::atomic<DeviceHandle>& handle, std::unique_ptr<PortDevice> device);
  // Wakes blocked transfers and waits, then closes the device once nobody uses it.
  void Uninstall(std::atomic<DeviceHandle>& handle, std::unique_ptr<ManualResetEvent>& ioEvent);

  // Completes a pending event wait with an empty event set (mask change, stop). The wake-up
  // stays until a wait takes it, so one given just before a wait begins is not lost.
  void RequestWake();
  // Drops a wake-up nobody can be waiting for (the mask set by Open itself).
  void DiscardWake();
  // Called after the owner read from the device (which it holds in use): new bytes are to be
  // reported again. The wait is not woken unless bytes are there.
  void Rearm();
  // Waits for an event set within the mask (0 and an empty set after RequestWake).
  PortFailure AwaitEvents(const DeviceUse& use, const std::atomic<uint32_t>& mask, const Deadline& deadline,
                          uint32_t* events);
  PortFailure TakeLineErrors(const DeviceUse& use, uint32_t* errors);

  // Serialises reads and writes of the control block, so that a read-modify-write is whole.
  std::unique_lock<std::mutex> HoldControlBlock() { return std::unique_lock(controlBlockLock_); }
  // The two below need HoldControlBlock held (and the device in use).
  PortFailure ReadControlBlock(const DeviceUse& use, win::DCB* dcb) const;
  PortFailure WriteControlBlock(const DeviceUse& use, const win::DCB& dcb);

  int CancelFd() const { return cancel_->fd(); }
  CommTimeouts Timeouts();
  void SetTimeouts(const CommTimeouts& timeouts);

 private:
  uint32_t TakeLineEvents(PortDevice& device, uint32_t mask);

  std::shared_mutex life_;
  std::atomic<bool> closing_{false};
  std::unique_ptr<PortDevice> device_;  // changed only with life_ held exclusive
  std::unique_ptr<ManualResetEvent> cancel_;  // set while a close waits for the device
  std::unique_ptr<ManualResetEvent> wake_;    // mask change, stop
  std::atomic<bool> maskChanged_{false};
  std::unique_ptr<posix::DeviceWatch> watch_;  // the event wait's descriptors, while open

  // Whether the wait watches the device for input: only while the mask asks for received
  // characters and the receiver is armed. The receiver is disarmed once new bytes were
  // reported and until the owner reads: bytes that sit unread are reported once, not on
  // every pass of the monitor.
  void WatchInputAsWanted();  // armLock_ held
  std::mutex armLock_;
  bool receiverArmed_ = true;
  bool maskWantsInput_ = false;
  bool inputWatched_ = false;

  std::mutex controlBlockLock_;
  // The last block written since the device was opened. termios has no place for several of
  // its fields (DTR handshake, DSR flow, the event, error and end-of-file characters, ...);
  // kept here, they read back as they were written.
  std::optional<win::DCB> written_;

  std::mutex timeoutsLock_;
  CommTimeouts timeouts_;

  std::mutex countersLock_;
  bool countersKept_ = false;
  LineCounters eventBase_;  // last reading seen by the event wait
  LineCounters errorBase_;  // last reading seen by ClearCommError
};
