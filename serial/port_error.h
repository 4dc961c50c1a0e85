#pragma once
// Why a port operation failed, in a few words the program can act on, with the system's own
// error number behind it. The operations themselves return numeric result codes
// (comm_types.h); ResultCode gives the code a failure is returned as.
#include <cstdint>

enum class PortError : uint8_t {
  None,
  NotOpen,         // the port is not open, or is being closed
  AlreadyOpen,     // Open on an open port
  WrongMode,       // a record or finite time-out on a port opened without them
  UnknownMode,     // a flow-control or time-out mode the driver does not know
  TimedOut,        // a transfer or wait ran out of time
  NotFound,        // no such device
  NotATerminal,    // the path names something that is no serial port
  Busy,            // held by another program or another port object
  AccessDenied,    // the user may not open the device
  Gone,            // the device stopped answering: hung up, unplugged, I/O error
  InvalidSetting,  // the line cannot do what it was asked
  NoResources,     // out of descriptors, memory or threads
  Other,           // any other system failure
};

struct PortFailure {
  PortError error = PortError::None;
  int osError = 0;  // errno of the failing system call; 0 for the driver's own failures

  bool Failed() const { return error != PortError::None; }
  bool operator==(const PortFailure&) const = default;
};

// 0 for no failure; the driver's own code for its own failures; otherwise the system's error
// number, except the two that share a number with the driver's codes: EPERM (1) is returned
// as EACCES and ENXIO (6) as ENODEV.
uint32_t ResultCode(const PortFailure& failure);
