#include "devices/udev_device_events.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

DeviceRecord RecordOf(udev_device* device) {
  return DeviceRecord{TextOrEmpty(udev_device_get_action(device)), TextOrEmpty(udev_device_get_devpath(device)),
                      TextOrEmpty(udev_device_get_devnode(device))};
}

bool SetNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Serial ports, and whole disks so that a memory stick counts as a device too (its
// partitions would only repeat the same plug).
bool WatchPortsAndDisks(udev_monitor* monitor) {
  return udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) >= 0 &&
         udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", "disk") >= 0 &&
         udev_monitor_enable_receiving(monitor) >= 0;
}

}  // namespace

bool UdevDaemonRunning(const std::string& controlPath) { return ::access(controlPath.c_str(), F_OK) == 0; }

std::unique_ptr<UdevDeviceEvents> UdevDeviceEvents::Create() {
  if (!UdevDaemonRunning()) return nullptr;
  UdevPtr context(udev_new());
  if (!context) return nullptr;
  UdevMonitorPtr monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
  if (!monitor || !WatchPortsAndDisks(monitor.get())) return nullptr;
  if (!SetNonBlocking(udev_monitor_get_fd(monitor.get()))) return nullptr;
  return std::unique_ptr<UdevDeviceEvents>(new UdevDeviceEvents(std::move(context), std::move(monitor)));
}

UdevDeviceEvents::UdevDeviceEvents(UdevPtr context, UdevMonitorPtr monitor)
    : context_(std::move(context)), monitor_(std::move(monitor)) {}

int UdevDeviceEvents::fd() const { return udev_monitor_get_fd(monitor_.get()); }

std::vector<DeviceEvent> UdevDeviceEvents::ReadEvents() {
  std::vector<DeviceRecord> records;
  while (UdevDevicePtr device{udev_monitor_receive_device(monitor_.get())}) {
    records.push_back(RecordOf(device.get()));
  }
  return coalescer_.Feed(records);
}
