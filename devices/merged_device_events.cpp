#include "devices/merged_device_events.h"

#include <sys/epoll.h>

std::unique_ptr<MergedDeviceEvents> MergedDeviceEvents::Create(
    std::vector<std::unique_ptr<DeviceEventSource>> sources) {
  UniqueFd epoll(::epoll_create1(EPOLL_CLOEXEC));
  if (!epoll.valid()) return nullptr;
  for (const auto& source : sources) {
    epoll_event interest{};
    interest.events = EPOLLIN;
    interest.data.fd = source->fd();
    if (::epoll_ctl(epoll.get(), EPOLL_CTL_ADD, source->fd(), &interest) != 0) return nullptr;
  }
  return std::unique_ptr<MergedDeviceEvents>(new MergedDeviceEvents(std::move(epoll), std::move(sources)));
}

MergedDeviceEvents::MergedDeviceEvents(UniqueFd epoll, std::vector<std::unique_ptr<DeviceEventSource>> sources)
    : epoll_(std::move(epoll)), sources_(std::move(sources)) {}

std::vector<DeviceEvent> MergedDeviceEvents::ReadEvents() {
  std::vector<DeviceEvent> events;
  for (const auto& source : sources_) {
    std::vector<DeviceEvent> more = source->ReadEvents();
    events.insert(events.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  }
  return events;
}
