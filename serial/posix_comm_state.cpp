#include "serial/posix_comm_state.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>

#include "serial/comm_state_translation.h"
#include "serial/posix_device.h"
#include "serial/posix_termios2.h"

namespace posix {
namespace {

using win::DCB;
using win::DTR_CONTROL_DISABLE;
using win::DTR_CONTROL_ENABLE;
using win::RTS_CONTROL_DISABLE;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;

// The device's settings before a change, so that a refused change can be taken back.
struct LineSnapshot {
  termios settings{};
  uint32_t baud = 0;
};

bool TakeSnapshot(int fd, LineSnapshot* snapshot) {
  return ::tcgetattr(fd, &snapshot->settings) == 0 && ReadBaud(fd, &snapshot->baud);
}

void Restore(int fd, const LineSnapshot& snapshot) {
  const int kept = errno;
  ::tcsetattr(fd, TCSANOW, &snapshot.settings);
  uint32_t baud = 0;
  if (ReadBaud(fd, &baud) && baud != snapshot.baud) SetCustomBaud(fd, snapshot.baud);
  errno = kept;
}

bool ApplyLine(int fd, termios settings, uint32_t baud) {
  speed_t speed = 0;
  const bool standard = StandardSpeed(baud, &speed);
  if (standard) ::cfsetspeed(&settings, speed);
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) return false;
  return standard || SetCustomBaud(fd, baud);
}

// A driver may accept tcsetattr yet quietly keep what it cannot do; that is a refusal too.
// The rate may come out slightly different from the one asked for (a UART's divisor), but
// not by more than a receiver tolerates.
bool TookEffect(int fd, const termios& wanted, uint32_t baud) {
  termios now{};
  uint32_t rate = 0;
  if (::tcgetattr(fd, &now) != 0 || !ReadBaud(fd, &rate)) return false;
  const long difference = std::labs(static_cast<long>(rate) - static_cast<long>(baud));
  return LineBitsMatch(wanted, now) && difference * 100 <= static_cast<long>(baud) * 3;
}

bool ApplyModemLines(int fd, const DCB& dcb) {
  if (!SetModemLine(fd, TIOCM_DTR, dcb.fDtrControl != DTR_CONTROL_DISABLE)) return false;
  if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) return true;  // the kernel drives RTS
  return SetModemLine(fd, TIOCM_RTS, dcb.fRtsControl == RTS_CONTROL_ENABLE);
}

// What a descriptor that the driver never configured is taken to hold besides termios:
// the control lines as they stand, or on as a terminal raises them at open.
DCB UnrecordedControlBlock(int fd) {
  DCB dcb = DefaultControlBlock();
  int lines = 0;
  if (ReadModemLines(fd, &lines)) {
    dcb.fDtrControl = (lines & TIOCM_DTR) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = (lines & TIOCM_RTS) ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  }
  return dcb;
}

// A pseudo-terminal reports 8 data bits without parity whatever it was set to; what the
// owner asked for is what it would have on a wire.
void KeepLineFormat(const DCB& written, DCB* dcb) {
  dcb->ByteSize = written.ByteSize;
  dcb->Parity = written.Parity;
  dcb->StopBits = written.StopBits;
}

}  // namespace

bool ReadCommState(int fd, const DCB* written, DCB* dcb) {
  LineSnapshot line;
  if (!TakeSnapshot(fd, &line)) return false;
  DCB result = written != nullptr ? *written : UnrecordedControlBlock(fd);
  ReadControlBlock(line.settings, &result);
  result.BaudRate = line.baud;
  if (written != nullptr && IsPseudoTerminal(fd)) KeepLineFormat(*written, &result);
  *dcb = result;
  return true;
}

bool WriteCommState(int fd, const DCB& dcb) {
  if (!ControlBlockIsValid(dcb)) {
    errno = EINVAL;
    return false;
  }
  LineSnapshot before;
  if (!TakeSnapshot(fd, &before)) return false;
  termios wanted = before.settings;
  ApplyControlBlock(dcb, &wanted);
  if (IsPseudoTerminal(fd)) AsPseudoTerminalHoldsIt(&wanted);
  if (!ApplyLine(fd, wanted, dcb.BaudRate)) {
    Restore(fd, before);
    return false;
  }
  if (!TookEffect(fd, wanted, dcb.BaudRate)) {
    Restore(fd, before);
    errno = EINVAL;
    return false;
  }
  if (!ApplyModemLines(fd, dcb)) {
    Restore(fd, before);
    return false;
  }
  return true;
}

bool DiscardInput(int fd) { return ::tcflush(fd, TCIFLUSH) == 0; }

}  // namespace posix
