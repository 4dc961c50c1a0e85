#include "devices/virtual_port_events.h"

#include <sys/inotify.h>

#include <filesystem>

#include "devices/inotify_records.h"
#include "serial/virtual_ports.h"

namespace fs = std::filesystem;

namespace {

// Links made, removed or renamed in the directory, and links re-pointed by replacing them.
constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB | IN_ONLYDIR;
// Devices leaving a directory the links lead into. Added to, never replacing, what a watch
// on the same directory already asks for (the port directory itself, say).
constexpr uint32_t kDeviceWatchMask = IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR | IN_MASK_ADD;

// The directory's ports with the device each leads to (links resolved to the end).
std::map<std::string, std::string> ListPorts(const std::string& dir) {
  std::map<std::string, std::string> ports;
  auto listed = ListVirtualPorts(dir);
  if (!listed) return ports;
  for (std::string& link : *listed) {
    std::error_code ec;
    fs::path device = fs::canonical(link, ec);
    if (!ec) ports.emplace(std::move(link), device.string());  // not gone in the meantime
  }
  return ports;
}

}  // namespace

std::unique_ptr<VirtualPortEvents> VirtualPortEvents::Create(const std::string& dir) {
  if (!ListVirtualPorts(dir)) return nullptr;
  UniqueFd inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!inotify.valid()) return nullptr;
  const int dirWatch = ::inotify_add_watch(inotify.get(), dir.c_str(), kWatchMask);
  if (dirWatch < 0) return nullptr;
  auto events = std::unique_ptr<VirtualPortEvents>(
      new VirtualPortEvents(std::move(inotify), dirWatch, dir, ListPorts(dir)));
  events->WatchDeviceDirectories();
  return events;
}

VirtualPortEvents::VirtualPortEvents(UniqueFd inotify, int dirWatch, std::string dir, Ports known)
    : inotify_(std::move(inotify)), dirWatch_(dirWatch), dir_(std::move(dir)), known_(std::move(known)) {}

std::vector<DeviceEvent> VirtualPortEvents::ReadEvents() {
  const std::set<std::string> vanished = TakeVanishedDevices();
  Ports now = ListPorts(dir_);
  const auto stillThere = [&](const std::string& link, const std::string& device, const Ports& other) {
    const auto found = other.find(link);
    return found != other.end() && found->second == device && !vanished.contains(device);
  };
  std::vector<DeviceEvent> events;
  for (const auto& [link, device] : known_) {
    if (!stillThere(link, device, now)) events.push_back(DeviceEvent{DeviceEvent::RemoveComplete, link});
  }
  for (const auto& [link, device] : now) {
    if (!stillThere(link, device, known_)) events.push_back(DeviceEvent{DeviceEvent::Arrival, link});
  }
  known_ = std::move(now);
  WatchDeviceDirectories();
  return events;
}

std::set<std::string> VirtualPortEvents::TakeVanishedDevices() {
  std::set<std::string> vanished;
  ReadInotifyRecords(inotify_.get(), [&](const inotify_event& record, std::string_view name) {
    const auto watched = deviceDirs_.find(record.wd);
    if (watched == deviceDirs_.end()) return;  // the port directory: listing it tells the rest
    if (record.mask & IN_IGNORED) {
      deviceDirs_.erase(watched);  // the directory itself went
      return;
    }
    if ((record.mask & (IN_DELETE | IN_MOVED_FROM)) && !name.empty()) {
      vanished.insert((fs::path(watched->second) / name).string());
    }
  });
  return vanished;
}

void VirtualPortEvents::WatchDeviceDirectories() {
  std::set<std::string> wanted;
  for (const auto& [link, device] : known_) wanted.insert(fs::path(device).parent_path().string());
  for (auto it = deviceDirs_.begin(); it != deviceDirs_.end();) {
    if (wanted.erase(it->second) > 0) {
      ++it;
      continue;
    }
    ::inotify_rm_watch(inotify_.get(), it->first);
    it = deviceDirs_.erase(it);
  }
  for (const std::string& directory : wanted) {
    // A directory that cannot be watched only loses the early notice: the next look at the
    // port directory still finds the dangling link.
    const int watch = ::inotify_add_watch(inotify_.get(), directory.c_str(), kDeviceWatchMask);
    if (watch >= 0 && watch != dirWatch_) deviceDirs_[watch] = directory;
  }
}
