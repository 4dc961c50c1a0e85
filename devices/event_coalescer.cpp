#include "devices/event_coalescer.h"

#include <algorithm>
#include <optional>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

// USB devices are named bus-port[.port...], e.g. "1-2" or "3-1.4.2"; interfaces add
// ":config.interface" and root hubs are "usbN", so neither matches.
bool IsUsbDeviceName(std::string_view name) {
  size_t dash = name.find('-');
  if (dash == std::string_view::npos || !IsDigits(name.substr(0, dash))) return false;
  std::string_view ports = name.substr(dash + 1);
  while (true) {
    size_t dot = ports.find('.');
    if (!IsDigits(ports.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    ports.remove_prefix(dot + 1);
  }
}

std::optional<DeviceEvent::Kind> KindOfAction(std::string_view action) {
  if (action == "add") return DeviceEvent::Arrival;
  if (action == "remove") return DeviceEvent::RemoveComplete;
  return std::nullopt;
}

bool IsHardware(std::string_view devpath) { return !devpath.starts_with("/devices/virtual/"); }

}  // namespace

std::string PhysicalDeviceKey(std::string_view devpath) {
  size_t keyEnd = std::string_view::npos;
  size_t start = 0;
  while (start < devpath.size()) {
    size_t end = devpath.find('/', start);
    if (end == std::string_view::npos) end = devpath.size();
    if (IsUsbDeviceName(devpath.substr(start, end - start))) keyEnd = end;
    start = end + 1;
  }
  return std::string(devpath.substr(0, keyEnd));
}

std::vector<DeviceEvent> EventCoalescer::Feed(const std::vector<DeviceRecord>& records) {
  std::vector<DeviceEvent> events;
  for (const DeviceRecord& record : records) {
    auto kind = KindOfAction(record.action);
    if (!kind || record.devnode.empty() || !IsHardware(record.devpath)) continue;
    auto [it, inserted] = lastKindByDevice_.try_emplace(PhysicalDeviceKey(record.devpath), *kind);
    if (!inserted && it->second == *kind) continue;
    it->second = *kind;
    events.push_back(DeviceEvent{*kind, record.devnode});
  }
  return events;
}
