// SerialPort: Read, Write, WriteText and the wait for room to write.
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

#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

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
  LastError = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail(ERROR_INVALID_HANDLE);
  const posix::Readiness ready = posix::WaitReady(use.fd, POLLOUT, -1, impl_->CancelFd(), Deadline(timeoutMs));
  if (ready.code != 0) return Fail(ready.code);
  if (ready.cancel) return Fail(ERROR_INVALID_HANDLE);
  if (ready.timedOut) return Fail(ERROR_TIMEOUT);
  if (!(ready.device & POLLOUT)) return Fail(posix::SystemErrorCode(EIO));  // hung up or failed
  return 0;
}

uint32_t SerialPort::Transfer(bool reading, void* buffer, uint32_t size, uint32_t* count, OVERLAPPED* record,
                              uint32_t timeoutMs) {
  LastError = 0;
  uint32_t local = 0;
  uint32_t& moved = count != nullptr ? *count : local;
  moved = 0;
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail(ERROR_INVALID_HANDLE);
  if (!IoEvent && (record != nullptr || timeoutMs != INFINITE_TIMEOUT)) return Fail(ERROR_INVALID_FUNCTION);
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
  // The owner has looked at the queue: bytes that come from now on are news again.
  if (reading && (done.code == 0 || done.code == ERROR_TIMEOUT)) impl_->Rearm();
  CompleteRecord(record, done.code, done.count);
  return Fail(done.code);
}
