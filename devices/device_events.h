#pragma once
// Notices of devices that arrive or go away while the program runs. The window watches
// fd() for readability (a socket notifier) and then calls ReadEvents(), which never blocks.
#include <memory>
#include <string>
#include <vector>

struct DeviceEvent {
  enum Kind { Arrival, RemoveComplete };
  Kind kind;
  std::string devnode;  // the device's path (a port's /dev path, a disk's, a virtual port's link)

  bool operator==(const DeviceEvent&) const = default;
};

class DeviceEventSource {
 public:
  virtual ~DeviceEventSource() = default;
  // A descriptor that becomes readable when events wait; -1 when the source never has any.
  virtual int fd() const = 0;
  // The events that came in since the last call, oldest first; empty when none waited.
  virtual std::vector<DeviceEvent> ReadEvents() = 0;
};

// A source that never reports anything: where the system gives no device notices.
class NoDeviceEvents : public DeviceEventSource {
 public:
  int fd() const override { return -1; }
  std::vector<DeviceEvent> ReadEvents() override { return {}; }
};

// The system's device notices: hardware arrivals and removals from the udev daemon (serial
// ports and disks, one event per plug or pull) together with virtual ports appearing in or
// leaving the virtual port directory. Parts that are not available (no udev daemon, as in
// containers; no usable directory) are left out without complaint; with neither, the
// result is a NoDeviceEvents.
std::unique_ptr<DeviceEventSource> MakeSystemDeviceEventSource();
