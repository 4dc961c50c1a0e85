#include "serial/comm_state_translation.h"

#include <iterator>

using win::DCB;
using win::DTR_CONTROL_ENABLE;
using win::DTR_CONTROL_HANDSHAKE;
using win::EVENPARITY;
using win::MARKPARITY;
using win::NOPARITY;
using win::ODDPARITY;
using win::ONE5STOPBITS;
using win::ONESTOPBIT;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;
using win::SPACEPARITY;
using win::TWOSTOPBITS;

namespace posix {
namespace {

struct SpeedEntry {
  uint32_t baud;
  speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

constexpr tcflag_t kLineBits = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;
constexpr tcflag_t kInputFlowBits = IXON | IXOFF | INPCK;

tcflag_t SizeBits(uint8_t byteSize) {
  switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
  }
}

tcflag_t ParityBits(uint8_t parity) {
  switch (parity) {
    case ODDPARITY: return PARENB | PARODD;
    case EVENPARITY: return PARENB;
    case MARKPARITY: return PARENB | CMSPAR | PARODD;
    case SPACEPARITY: return PARENB | CMSPAR;
    default: return 0;
  }
}

uint8_t ParityOf(tcflag_t cflag) {
  if (!(cflag & PARENB)) return NOPARITY;
  const bool odd = (cflag & PARODD) != 0;
  if (cflag & CMSPAR) return odd ? MARKPARITY : SPACEPARITY;
  return odd ? ODDPARITY : EVENPARITY;
}

bool HardwareHandshake(const DCB& dcb) {
  return dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
}

}  // namespace

bool ControlBlockIsValid(const DCB& dcb) {
  if (dcb.BaudRate == 0) return false;
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return false;
  if (dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS) return false;
  if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return false;
  if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return false;
  if (dcb.fDtrControl > DTR_CONTROL_HANDSHAKE || dcb.fRtsControl > RTS_CONTROL_HANDSHAKE) return false;
  if ((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar) return false;
  return true;
}

bool StandardSpeed(uint32_t baud, speed_t* speed) {
  for (const SpeedEntry& entry : kSpeeds) {
    if (entry.baud == baud) {
      *speed = entry.speed;
      return true;
    }
  }
  return false;
}

void ApplyControlBlock(const DCB& dcb, termios* t) {
  t->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXANY | IMAXBEL |
                  IGNPAR | kInputFlowBits);
  if (dcb.fParity) t->c_iflag |= INPCK;
  if (dcb.fOutX) t->c_iflag |= IXON;
  if (dcb.fInX) t->c_iflag |= IXOFF;
  t->c_oflag &= ~OPOST;
  t->c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  t->c_cflag &= ~kLineBits;
  t->c_cflag |= CREAD | CLOCAL | SizeBits(dcb.ByteSize) | ParityBits(dcb.Parity);
  if (dcb.StopBits != ONESTOPBIT) t->c_cflag |= CSTOPB;  // with 5 data bits: 1.5 stop bits
  if (HardwareHandshake(dcb)) t->c_cflag |= CRTSCTS;
  t->c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  t->c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  // One byte satisfies a read, none is waited for: with a non-blocking descriptor an empty
  // queue then reads as EAGAIN, and a read of 0 bytes can only mean a hang-up.
  t->c_cc[VMIN] = 1;
  t->c_cc[VTIME] = 0;
}

void ReadControlBlock(const termios& t, DCB* dcb) {
  dcb->DCBlength = sizeof(DCB);
  dcb->ByteSize = ByteSizeOf(t.c_cflag);
  dcb->Parity = ParityOf(t.c_cflag);
  dcb->fParity = (t.c_iflag & INPCK) ? 1 : 0;
  dcb->StopBits = !(t.c_cflag & CSTOPB) ? ONESTOPBIT : dcb->ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
  dcb->fOutX = (t.c_iflag & IXON) ? 1 : 0;
  dcb->fInX = (t.c_iflag & IXOFF) ? 1 : 0;
  dcb->XonChar = static_cast<char>(t.c_cc[VSTART]);
  dcb->XoffChar = static_cast<char>(t.c_cc[VSTOP]);
  const bool hardware = (t.c_cflag & CRTSCTS) != 0;
  if (hardware != HardwareHandshake(*dcb)) {
    dcb->fOutxCtsFlow = hardware ? 1 : 0;
    dcb->fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  }
}

void AsPseudoTerminalHoldsIt(termios* t) { t->c_cflag = (t->c_cflag & ~(CSIZE | PARENB)) | CS8; }

bool LineBitsMatch(const termios& wanted, const termios& got) {
  return (wanted.c_cflag & kLineBits) == (got.c_cflag & kLineBits) &&
         (wanted.c_iflag & kInputFlowBits) == (got.c_iflag & kInputFlowBits);
}

DCB DefaultControlBlock() {
  DCB dcb;
  dcb.BaudRate = 9600;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

}  // namespace posix
