// SerialPort: the modem status lines, the kernel's error counts and the break state.
#include <sys/ioctl.h>

#include "serial/modem_status.h"
#include "serial/posix_device.h"
#include "serial/serial_port.h"
#include "serial/serial_port_impl.h"

uint32_t SerialPort::GetLineState(uint32_t* modemStatus, LineCounters* counters) {
  *modemStatus = 0;
  *counters = {};
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  int lines = 0;
  if (!posix::ReadModemLines(use.fd, &lines) || !posix::ReadLineCounters(use.fd, counters))
    return Fail(posix::LastSystemFailure());
  *modemStatus = ((lines & TIOCM_CTS) ? win::MS_CTS_ON : 0u) | ((lines & TIOCM_DSR) ? win::MS_DSR_ON : 0u) |
                 ((lines & TIOCM_RI) ? win::MS_RING_ON : 0u) | ((lines & TIOCM_CD) ? win::MS_RLSD_ON : 0u);
  return Succeed();
}

uint32_t SerialPort::SetBreak(bool on) {
  Impl::DeviceUse use = impl_->Use(Handle);
  if (use.fd == kNoDevice) return Fail({PortError::NotOpen});
  if (!posix::SetBreakState(use.fd, on)) return Fail(posix::LastSystemFailure());
  return Succeed();
}
