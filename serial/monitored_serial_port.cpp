// MonitoredSerialPort: the monitor thread that waits for comm events and hands each event
// set to OnCommEvent.
#include <system_error>

#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

using win::ERROR_INVALID_HANDLE;
using win::INFINITE_TIMEOUT;

MonitoredSerialPort::MonitoredSerialPort() = default;

MonitoredSerialPort::~MonitoredSerialPort() {
  if (MonitorThread) MonitoredSerialPort::Close();
}

uint32_t MonitoredSerialPort::Open(const char* name, uint32_t inQueue, uint32_t outQueue, bool startMonitor) {
  const uint32_t opened = SerialPort::Open(name, inQueue, outQueue, true);
  if (opened != 0) return opened;
  if (startMonitor) return StartMonitor();
  return Succeed();
}

uint32_t MonitoredSerialPort::Close() {
  StopMonitor(INFINITE_TIMEOUT);
  return SerialPort::Close();
}

uint32_t MonitoredSerialPort::StartMonitor() {
  if (MonitorThread) return Succeed();
  if (!monitorEnded_) {
    auto event = std::make_unique<ManualResetEvent>();
    if (!event->valid()) return Fail(posix::LastSystemFailure());
    monitorEnded_ = std::move(event);
  }
  monitorEnded_->Reset();
  try {
    MonitorThread = std::make_unique<std::thread>([this] {
      MonitorLoop();
      monitorEnded_->Set();
    });
  } catch (const std::system_error& error) {
    return Fail(posix::SystemFailure(error.code().value()));
  }
  return Succeed();
}

uint32_t MonitoredSerialPort::StopMonitor(uint32_t timeoutMs) {
  if (!MonitorThread) return Succeed();
  StopRequested = true;
  // Re-applying the mask completes the monitor's pending wait with no events. The wake-up
  // stays signalled until a wait consumes it, so a stop given while the monitor is between
  // two waits is not lost either. A port closed under the monitor has no mask to re-apply.
  if (SetEventMask(GetEventMask()) != 0) impl_->RequestWake();
  if (!monitorEnded_->Wait(timeoutMs)) {
    // The thread still runs and still uses this object: keep it, so that a later stop (or
    // the close) joins it, rather than let it outlive the port.
    return Fail({PortError::TimedOut});
  }
  MonitorThread->join();
  MonitorThread.reset();
  StopRequested = false;
  return Succeed();
}

uint32_t MonitoredSerialPort::AwaitMonitorEvents() {
  return ResultCode(AwaitEvents(nullptr, INFINITE_TIMEOUT));
}

uint32_t MonitoredSerialPort::MonitorLoop() {
  // Nothing here goes through Fail: LastError belongs to the owner's calls (see AwaitEvents).
  // The wait completes before it returns, so it needs no record or event of its own (and
  // costs no system calls for one). On a port that is not open (or no longer) it ends with
  // 6, which is no loss.
  for (;;) {
    const uint32_t waited = AwaitMonitorEvents();
    if (waited != 0) {
      // The device failed under the wait (hung up, unplugged): tell the owner once. A wait
      // ended by a stop or a close is no loss.
      if (!StopRequested && waited != ERROR_INVALID_HANDLE) OnDeviceLost(waited);
      return waited;
    }
    if (StopRequested) return 0;
    const uint16_t events = TakeEvents();
    uint32_t errors = 0;  // a port without line error counts reports none
    ClearCommError(&errors);
    if (events != 0) OnCommEvent(events, static_cast<uint16_t>(errors & 0xFFFFu));
  }
}
