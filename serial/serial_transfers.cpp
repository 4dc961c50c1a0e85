// SerialPort: Read, Write, WriteText, the wait for room to write and dropping unread input.
//
// The descriptor is non-blocking and every transfer is a loop of read()/write() and poll(),
// bounded by the caller's time-out and woken by a close. Each call waits on its own poll, so
// a read and a write running at the same time on two threads never see each other's
// completion. With the caller's own record the transfer also completes before the call
// returns (the time-out is not used then): the record then holds the result and the count
// and its event is signalled, and the call returns 0, as for a transfer that was done at
// once.
#include <cerrno>
#include <cstring>

#include "serial/posix_comm_state.h"
#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

using win::INFINITE_TIMEOUT;
using win::OVERLAPPED;

uint32_t SerialPort::Write(const void* buffer, uint32_t count, uint32_t* written, OVERLAPPED* record,
                           uint32_t timeoutMs) {
  return Transfer(false, const_cast<void*>(buffer), count, written, record, timeoutMs);
}

uint32_t SerialPort::WriteText(const char* text, uint32_t* written, OVERLAPPED* record, uint32_t timeoutMs) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  return Write(text, static_cast<uint32_t>(length), written, record, timeoutMs);
}

uint32_t SerialPort::Read(void* buffer, uint32_t size, uint32_t* read, OVERLAPPED* record, uint32_t timeoutMs) {
  return Transfer(true, buffer, size, read, record, timeoutMs);
}

uint32_t SerialPort::WaitWriteRoom(uint32_t timeoutMs) {
  Succeed();
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  const posix::Readiness ready = posix::WaitReady(use.fd, POLLOUT, -1, impl_->CancelFd(), Deadline(timeoutMs));
  if (ready.failure.Failed()) return Fail(ready.failure);
  if (ready.cancel) return Fail({PortError::NotOpen});
  if (ready.timedOut) return Fail({PortError::TimedOut});
  if (!(ready.device & POLLOUT)) return Fail({PortError::Gone, EIO});  // hung up or failed
  return 0;
}

uint32_t SerialPort::Transfer(bool reading, void* buffer, uint32_t size, uint32_t* count, OVERLAPPED* record,
                              uint32_t timeoutMs) {
  Succeed();
  uint32_t local = 0;
  uint32_t& moved = count != nullptr ? *count : local;
  moved = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  if (!IoEvent && (record != nullptr || timeoutMs != INFINITE_TIMEOUT)) return Fail({PortError::WrongMode});
  const Deadline deadline(record != nullptr ? INFINITE_TIMEOUT : timeoutMs);
  posix::Transfer done;
  if (!reading) {
    done = posix::WriteAll(use.fd, buffer, size, impl_->CancelFd(), deadline);
  } else if (impl_->Timeouts().ReadReturnsAtOnce()) {
    done = posix::ReadAvailable(use.fd, buffer, size);
  } else {
    done = posix::ReadFull(use.fd, buffer, size, impl_->CancelFd(), deadline);
  }
  // Bytes that moved are reported even when the time-out or a close ended the transfer:
  // they have left the device's queue (or entered it) and would otherwise be lost unseen.
  moved = done.count;
  // The owner has looked at the queue: bytes that come from now on are news again. A read
  // at once that filled the whole buffer has not seen the queue's end: its caller reads on
  // until a read comes back short, and until then the monitor need not watch for input. A
  // stream being drained therefore costs no monitor wake-up per chunk.
  const bool sawQueueEnd = !(impl_->Timeouts().ReadReturnsAtOnce() && size > 0 && done.count == size);
  if (reading && sawQueueEnd && (!done.failure.Failed() || done.failure.error == PortError::TimedOut)) impl_->Rearm();
  CompleteRecord(record, done.failure, done.count);
  return Fail(done.failure);
}

uint32_t SerialPort::DiscardInput() {
  Succeed();
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  if (const PortFailure failure = use.device->DiscardInput(); failure.Failed()) return Fail(failure);
  // The queue is empty now: whatever comes next is news, even if what was dropped had
  // already been reported and never read.
  impl_->Rearm();
  return 0;
}
