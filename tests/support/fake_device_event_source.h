#pragma once
// A device event source fed by hand: Push() queues an event and makes fd() readable, just
// as a real device notice would, so window tests can drive the whole notifier path.
#include <deque>

#include "devices/device_events.h"
#include "devices/unique_fd.h"

class FakeDeviceEventSource : public DeviceEventSource {
 public:
  FakeDeviceEventSource();  // valid() is false when the pipe cannot be made

  bool valid() const { return readEnd_.valid() && writeEnd_.valid(); }
  void Push(DeviceEvent event);

  int fd() const override { return readEnd_.get(); }
  std::vector<DeviceEvent> ReadEvents() override;

 private:
  UniqueFd readEnd_;
  UniqueFd writeEnd_;
  std::deque<DeviceEvent> queued_;
};
