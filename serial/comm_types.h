#pragma once
// Names, codes and records of the serial interface as the rest of the program sees it.
// The program was first written against another system's serial calls; these keep that
// vocabulary so that callers read the same on Linux, while the platform layer
// (serial/posix_*.cpp) gives each of them its termios/ioctl meaning. The other system's
// names live in namespace win, so that they cannot collide with anything of this program's
// or of the libraries it uses.
#include <cstdint>

namespace win {

// Result codes the driver produces itself. Every other non-zero code is the errno value
// that the failing system call left, except the two that share a number with the driver's
// own codes: EPERM (1) is reported as EACCES and ENXIO (6) as ENODEV.
inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_INVALID_FUNCTION = 1;     // record or finite time-out on a non-overlapped port
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;       // the port is not open
inline constexpr uint32_t ERROR_ALREADY_INITIALIZED = 1247;
inline constexpr uint32_t ERROR_TIMEOUT = 1460;           // a transfer or wait ran out of time and was cancelled
inline constexpr uint32_t E_INVALIDARG = 0x80070057u;     // unknown flow-control or time-out mode

inline constexpr uint32_t INFINITE_TIMEOUT = 0xFFFFFFFFu;

// Comm event bits (low 16 bits of a port event message's first parameter).
inline constexpr uint32_t EV_RXCHAR = 0x0001;
inline constexpr uint32_t EV_RXFLAG = 0x0002;
inline constexpr uint32_t EV_BREAK = 0x0040;
inline constexpr uint32_t EV_ERR = 0x0080;

// Line error bits (high 16 bits of a port event message's first parameter).
inline constexpr uint32_t CE_RXOVER = 0x0001;
inline constexpr uint32_t CE_OVERRUN = 0x0002;
inline constexpr uint32_t CE_RXPARITY = 0x0004;
inline constexpr uint32_t CE_FRAME = 0x0008;
inline constexpr uint32_t CE_BREAK = 0x0010;
// The device stopped answering (hung up, unplugged). Posted once, with no event bits,
// when the monitor ends because the device is gone; lets the owner turn its page closed.
inline constexpr uint32_t CE_IOE = 0x0400;

// Control-line modes of fDtrControl / fRtsControl.
inline constexpr uint8_t DTR_CONTROL_DISABLE = 0;
inline constexpr uint8_t DTR_CONTROL_ENABLE = 1;
inline constexpr uint8_t DTR_CONTROL_HANDSHAKE = 2;
inline constexpr uint8_t RTS_CONTROL_DISABLE = 0;
inline constexpr uint8_t RTS_CONTROL_ENABLE = 1;
inline constexpr uint8_t RTS_CONTROL_HANDSHAKE = 2;

// Parity and stop-bit codes as stored in the control block.
inline constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
inline constexpr uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

// Device control block. Flags are plain bytes (0/1, or 0..2 for the line controls).
struct DCB {
  uint32_t DCBlength = sizeof(DCB);
  uint32_t BaudRate = 0;
  uint8_t fBinary = 1;
  uint8_t fParity = 0;
  uint8_t fOutxCtsFlow = 0;
  uint8_t fOutxDsrFlow = 0;
  uint8_t fDtrControl = 0;
  uint8_t fDsrSensitivity = 0;
  uint8_t fTXContinueOnXoff = 0;
  uint8_t fOutX = 0;
  uint8_t fInX = 0;
  uint8_t fErrorChar = 0;
  uint8_t fNull = 0;
  uint8_t fRtsControl = 0;
  uint8_t fAbortOnError = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 8;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  char XonChar = 0x11;
  char XoffChar = 0x13;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
};

}  // namespace win

class ManualResetEvent;

namespace win {

// Record of a transfer or event wait that the caller completes itself. Only hEvent is
// looked at by callers; Internal holds the result code and InternalHigh the byte count
// once hEvent is signalled.
struct OVERLAPPED {
  uint32_t Internal = 0;
  uint32_t InternalHigh = 0;
  ManualResetEvent* hEvent = nullptr;
};

}  // namespace win

// Device handle: a file descriptor; kNoDevice while closed. Only the driver holds one.
using DeviceHandle = int;
inline constexpr DeviceHandle kNoDevice = -1;

// Where a port posts its event messages: (message number, first parameter, second parameter).
// Implementations must be safe to call from any thread and must not block.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};
