#pragma once
// Notices of virtual ports: links appearing in or leaving the virtual port directory (see
// serial/virtual_ports.h), and links left behind when the device they lead to goes. A
// program that made a pseudo-terminal and dies takes its /dev/pts entry with it while its
// link stays, so the directories the links lead into are watched as well.
//
// inotify only wakes the reader and names the devices that left; what changed is found by
// comparing the directory's ports with the ones seen before, so a lost or overflowing
// inotify queue, or a link whose target turns up later, never leaves the notices out of
// step. A link counts as the same port only while it leads to the same device and that
// device has not gone in between: the kernel soon gives a freed pseudo-terminal's number
// to the next one, and a stranger's terminal behind an old link is a new device.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "devices/device_events.h"
#include "devices/unique_fd.h"

class VirtualPortEvents : public DeviceEventSource {
 public:
  // Null when `dir` is not a trusted directory or cannot be watched.
  static std::unique_ptr<VirtualPortEvents> Create(const std::string& dir);

  int fd() const override { return inotify_.get(); }
  // A removal for each port that left the list or whose device went, then an arrival for
  // each new one (a link to a device that came in place of a gone one among them).
  std::vector<DeviceEvent> ReadEvents() override;

 private:
  using Ports = std::map<std::string, std::string>;  // link -> the device node it leads to

  VirtualPortEvents(UniqueFd inotify, int dirWatch, std::string dir, Ports known);
  // The device nodes that left the watched device directories since the last look.
  std::set<std::string> TakeVanishedDevices();
  // Watches the directories the known links lead into, and only those.
  void WatchDeviceDirectories();

  UniqueFd inotify_;
  int dirWatch_;  // the port directory's own watch
  std::string dir_;
  Ports known_;  // the ports listed at the last look
  std::map<int, std::string> deviceDirs_;  // watch -> directory of devices the known links lead to
};
