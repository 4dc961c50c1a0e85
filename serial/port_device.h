#pragma once
// An open device as the port drives it. Reads, writes and waits go through a plain
// descriptor (Fd) whatever the device is; what a descriptor cannot carry (the control block,
// dropping input, line error counts) goes through the device. A terminal device is the
// descriptor itself; a port on another machine hands out one end of a local socket pair and
// relays it to the network. Destroying the device closes it.
#include <cstdint>
#include <memory>
#include <optional>

#include "serial/comm_types.h"
#include "serial/line_errors.h"
#include "serial/port_error.h"

// What a port on another machine can do; every field false for a local device.
struct NetworkStatus {
  bool network = false;
  bool connecting = false;        // the connection or its negotiation is still under way
  bool lineSettingsApply = false; // the far line follows the control block
  bool bytesOnly = false;         // raw TCP, or a server that would not take line settings
  std::optional<uint8_t> modemState;  // the far modem lines as last reported
};

class PortDevice {
 public:
  virtual ~PortDevice() = default;
  virtual int Fd() const = 0;
  // `written` is the last block written to this device, or null when none was.
  virtual PortFailure ReadCommState(const win::DCB* written, win::DCB* dcb) = 0;
  // Applies a whole block; a block the line cannot take is refused and nothing changes.
  virtual PortFailure WriteCommState(const win::DCB& dcb) = 0;
  virtual PortFailure DiscardInput() = 0;
  // false when the device keeps no counts.
  virtual bool ReadLineCounters(LineCounters* counters) = 0;
  virtual NetworkStatus Network() const { return {}; }
  // Waits until a network connection is up and negotiated (true), lost, or the time-out
  // passed (false). A local device is ready at once.
  virtual bool AwaitReady(uint32_t timeoutMs) {
    static_cast<void>(timeoutMs);
    return true;
  }
};

// Opens the port called `name`: "rfc2217://HOST:PORT" and "tcp://HOST:PORT" name a port on
// another machine, anything else a terminal device. Null with *failure set when it cannot be
// opened.
std::unique_ptr<PortDevice> OpenPortDevice(const char* name, PortFailure* failure);
