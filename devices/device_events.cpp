#include "devices/device_events.h"

#include "devices/merged_device_events.h"
#include "devices/udev_device_events.h"
#include "devices/virtual_port_events.h"
#include "serial/virtual_ports.h"

namespace {

std::unique_ptr<DeviceEventSource> MakeVirtualPortEvents() {
  const std::string dir = VirtualPortDirectory();
  // Made here so that a tool started after the window can announce a port in it.
  if (!EnsureVirtualPortDirectory(dir)) return nullptr;
  return VirtualPortEvents::Create(dir);
}

}  // namespace

std::unique_ptr<DeviceEventSource> MakeSystemDeviceEventSource() {
  std::vector<std::unique_ptr<DeviceEventSource>> sources;
  if (auto udev = UdevDeviceEvents::Create()) sources.push_back(std::move(udev));
  if (auto virtualPorts = MakeVirtualPortEvents()) sources.push_back(std::move(virtualPorts));
  if (sources.empty()) return std::make_unique<NoDeviceEvents>();
  if (sources.size() == 1) return std::move(sources.front());
  if (auto merged = MergedDeviceEvents::Create(std::move(sources))) return merged;
  return std::make_unique<NoDeviceEvents>();
}
