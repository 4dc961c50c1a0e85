#pragma once
// Test doubles around the driver: a MessageTarget that queues what the monitor posts, and
// ports with their protected parts in view; ObservedPort also counts the monitor's completed
// event waits, so that a test can make sure the monitor has gone round its loop without
// sleeping for it.
#include <sys/ioctl.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "serial/serial_port.h"

inline constexpr std::chrono::seconds kPatience{10};  // only reached when something is broken

struct PostedMessage {
  uint32_t number;
  uintptr_t wParam;
  intptr_t lParam;
};

class MessageQueue : public MessageTarget {
 public:
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    {
      std::lock_guard guard(lock_);
      messages_.push_back({message, wParam, lParam});
    }
    changed_.notify_all();
  }

  // Waits until at least `count` messages have come; false if they never do.
  bool WaitForCount(size_t count) {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, kPatience, [&] { return messages_.size() >= count; });
  }

  std::vector<PostedMessage> Messages() {
    std::lock_guard guard(lock_);
    return messages_;
  }

  size_t Count() {
    std::lock_guard guard(lock_);
    return messages_.size();
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<PostedMessage> messages_;
};

// A plain port with its device and events in view.
class InspectedSerialPort : public SerialPort {
 public:
  using SerialPort::Handle;
  using SerialPort::IoEvent;
};

// Like the program's receive thread: on each message carrying EV_RXCHAR, reads pieces of at
// most 256 bytes until the port's queue is empty, handing each piece to `sink`. Returns once
// `total` bytes came, or false if the messages or a read stop.
template <typename Sink>
bool ReceiveOnMessages(SerialPort& port, MessageQueue& window, size_t total, Sink sink) {
  size_t received = 0;
  for (size_t seen = 0; received < total;) {
    if (!window.WaitForCount(seen + 1)) return false;
    const std::vector<PostedMessage> messages = window.Messages();
    bool news = false;
    for (; seen < messages.size(); ++seen) news |= (messages[seen].wParam & win::EV_RXCHAR) != 0;
    if (!news) continue;
    uint8_t buffer[256];
    uint32_t count = 0;
    do {
      if (port.Read(buffer, sizeof buffer, &count, nullptr, win::INFINITE_TIMEOUT) != 0) return false;
      sink(buffer, count);
      received += count;
    } while (count > 0);
  }
  return true;
}

class ObservedPort : public WindowSerialPort {
 public:
  ~ObservedPort() override { Close(); }

  using MonitoredSerialPort::MonitorThread;
  using MonitoredSerialPort::StopRequested;
  using SerialPort::Handle;
  using SerialPort::IoEvent;

  uint32_t AwaitMonitorEvents() override {
    const uint32_t code = WindowSerialPort::AwaitMonitorEvents();
    {
      std::lock_guard guard(lock_);
      ++waits_;
    }
    changed_.notify_all();
    return code;
  }

  // Makes the monitor complete its event wait at least `passes` times from now on (each
  // re-applied mask ends a wait). Returns false if the monitor stopped going round.
  bool CyclePasses(int passes) {
    for (int i = 0; i < passes; ++i) {
      std::unique_lock guard(lock_);
      const uint64_t before = waits_;
      guard.unlock();
      SetEventMask(GetEventMask());
      guard.lock();
      if (!changed_.wait_for(guard, kPatience, [&] { return waits_ > before; })) return false;
    }
    return true;
  }

  // Waits until the kernel has handed `count` bytes to the port's input queue.
  bool WaitQueued(int count) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    int queued = 0;
    while (ioctl(Handle.load(), FIONREAD, &queued) == 0 && queued < count) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::yield();
    }
    return queued >= count;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  uint64_t waits_ = 0;
};
