#pragma once
// Device notices from the udev daemon, read from its netlink socket.
#include <memory>
#include <string>

#include "devices/device_events.h"
#include "devices/event_coalescer.h"
#include "serial/udev_handles.h"

// True when a udev daemon runs on this system (it keeps its control socket at
// `controlPath`). Without one, as in most containers, the netlink socket stays silent.
bool UdevDaemonRunning(const std::string& controlPath = "/run/udev/control");

// Serial ports (tty) and disks (a memory stick, a card) arriving and leaving, one event per
// plug or pull.
class UdevDeviceEvents : public DeviceEventSource {
 public:
  // Null when no udev daemon runs or the monitor cannot be set up.
  static std::unique_ptr<UdevDeviceEvents> Create();

  int fd() const override;
  std::vector<DeviceEvent> ReadEvents() override;

 private:
  UdevDeviceEvents(UdevPtr context, UdevMonitorPtr monitor);

  UdevPtr context_;
  UdevMonitorPtr monitor_;
  EventCoalescer coalescer_;
};
