#pragma once
// Turns the stream of udev device records into one notice per plug or pull. Plugging one
// USB serial adapter makes the kernel announce the USB device, each of its interfaces and,
// for multi-port adapters, several ttys; a memory stick announces a disk and its partitions.
// The user did one thing, so the window should say one thing.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "devices/device_events.h"

// One record as udev reports it.
struct DeviceRecord {
  std::string action;   // "add", "remove", "change", "bind", ...
  std::string devpath;  // below /sys, e.g. /devices/pci0000:00/.../usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0
  std::string devnode;  // e.g. /dev/ttyUSB0; empty for devices without a node
};

// The physical device a record belongs to: for anything on USB, the path of the innermost
// USB device (the adapter, not the hub it hangs on, nor its interfaces); otherwise the
// device's own path. Worked out from the path alone because at removal the device's sysfs
// entries are already gone.
std::string PhysicalDeviceKey(std::string_view devpath);

class EventCoalescer {
 public:
  // The notices for `records`, in order. Only "add" and "remove" of devices that have a
  // node and real hardware count; of those, a record is dropped when the last notice given
  // for its physical device was already of the same kind, so the further children of one
  // adapter (even when they come in a later batch) add nothing, while a re-plug after a
  // pull is reported again.
  std::vector<DeviceEvent> Feed(const std::vector<DeviceRecord>& records);

 private:
  std::map<std::string, DeviceEvent::Kind> lastKindByDevice_;
};
