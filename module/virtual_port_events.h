#pragma once
// Notices of virtual ports: links appearing in or leaving the virtual port directory (see
// serial/virtual_ports.h). inotify only wakes the reader; what changed is found by comparing
// the directory's port list with the one seen before, so a lost or overflowing inotify
// queue, or a link whose target turns up later, never leaves the notices out of step.
#include <memory>
#include <set>
#include <string>

#include "module/device_events.h"
#include "module/unique_fd.h"

class VirtualPortEvents : public DeviceEventSource {
 public:
  // Null when `dir` is not a trusted directory or cannot be watched.
  static std::unique_ptr<VirtualPortEvents> Create(const std::string& dir);

  int fd() const override { return inotify_.get(); }
  // A removal for each port that left the list, then an arrival for each new one.
  std::vector<DeviceEvent> ReadEvents() override;

 private:
  VirtualPortEvents(UniqueFd inotify, std::string dir, std::set<std::string> known);

  UniqueFd inotify_;
  std::string dir_;
  std::set<std::string> known_;  // the ports listed at the last look
};
