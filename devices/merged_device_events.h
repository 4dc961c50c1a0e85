#pragma once
// Several device event sources behind one descriptor: an epoll set that is readable while
// any of theirs is, so the window needs a single socket notifier.
#include <memory>
#include <vector>

#include "devices/device_events.h"
#include "devices/unique_fd.h"

class MergedDeviceEvents : public DeviceEventSource {
 public:
  // Null when the epoll set cannot be made or a source's descriptor cannot join it.
  static std::unique_ptr<MergedDeviceEvents> Create(std::vector<std::unique_ptr<DeviceEventSource>> sources);

  int fd() const override { return epoll_.get(); }
  // The events of every source, source by source.
  std::vector<DeviceEvent> ReadEvents() override;

 private:
  MergedDeviceEvents(UniqueFd epoll, std::vector<std::unique_ptr<DeviceEventSource>> sources);

  UniqueFd epoll_;
  std::vector<std::unique_ptr<DeviceEventSource>> sources_;
};
