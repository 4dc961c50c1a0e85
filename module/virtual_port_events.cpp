#include "module/virtual_port_events.h"

#include <sys/inotify.h>

#include <algorithm>
#include <iterator>

#include "module/drain_fd.h"
#include "serial/virtual_ports.h"

namespace {

// Links made, removed or renamed in the directory, and links re-pointed by replacing them.
constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB | IN_ONLYDIR;

std::set<std::string> ListAsSet(const std::string& dir) {
  auto listed = ListVirtualPorts(dir);
  if (!listed) return {};
  return std::set<std::string>(listed->begin(), listed->end());
}

void AppendDifference(const std::set<std::string>& from, const std::set<std::string>& without,
                      DeviceEvent::Kind kind, std::vector<DeviceEvent>& events) {
  std::vector<std::string> paths;
  std::set_difference(from.begin(), from.end(), without.begin(), without.end(), std::back_inserter(paths));
  for (std::string& path : paths) events.push_back(DeviceEvent{kind, std::move(path)});
}

}  // namespace

std::unique_ptr<VirtualPortEvents> VirtualPortEvents::Create(const std::string& dir) {
  auto listed = ListVirtualPorts(dir);
  if (!listed) return nullptr;
  UniqueFd inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!inotify.valid()) return nullptr;
  if (::inotify_add_watch(inotify.get(), dir.c_str(), kWatchMask) < 0) return nullptr;
  std::set<std::string> known(listed->begin(), listed->end());
  return std::unique_ptr<VirtualPortEvents>(new VirtualPortEvents(std::move(inotify), dir, std::move(known)));
}

VirtualPortEvents::VirtualPortEvents(UniqueFd inotify, std::string dir, std::set<std::string> known)
    : inotify_(std::move(inotify)), dir_(std::move(dir)), known_(std::move(known)) {}

std::vector<DeviceEvent> VirtualPortEvents::ReadEvents() {
  DrainFd(inotify_.get());
  std::set<std::string> now = ListAsSet(dir_);
  std::vector<DeviceEvent> events;
  AppendDifference(known_, now, DeviceEvent::RemoveComplete, events);
  AppendDifference(now, known_, DeviceEvent::Arrival, events);
  known_ = std::move(now);
  return events;
}
