#pragma once
// Watches the terminal port's modem status lines (CTS, DSR, DCD, RI) and the kernel's counts
// of breaks and line errors on a worker of its own, and tells the window when either changed.
// The window never reads the device for them: it shows Current().
//
// The kernel's modem-status wait cannot be ended from another thread without a signal, so
// the worker reads the lines every kPollMs instead, which keeps a change on screen within
// 50 ms; a device without modem lines (a pseudo-terminal) is read once, found unavailable,
// and the worker ends. The counts run on across reopened devices: each device's own count
// starts where its first reading stood.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/line_errors.h"
#include "serial/manual_reset_event.h"

class MessageTarget;

struct LineState {
  bool available = false;    // the device has modem lines
  uint32_t modemStatus = 0;  // MS_ bits
  LineCounters errors;       // breaks and line errors since the watch was made

  bool operator==(const LineState& other) const;
};

class LineStateWatch {
 public:
  // Reads the device's lines and running counts; false when it has none (or is gone).
  using Reader = std::function<bool(uint32_t* modemStatus, LineCounters* counters)>;
  static constexpr uint32_t kPollMs = 25;

  // Each change is posted to `window` as `message` (no parameters).
  LineStateWatch(Reader read, MessageTarget& window, uint32_t message);
  ~LineStateWatch();
  LineStateWatch(const LineStateWatch&) = delete;
  LineStateWatch& operator=(const LineStateWatch&) = delete;

  // A device was opened: watch it (a watch still running is stopped first).
  void Start();
  // The device closes: the worker ends before this returns.
  void Stop();
  LineState Current() const;

 private:
  void Run();
  void Publish(const LineState& state);

  Reader read_;
  MessageTarget& window_;
  uint32_t message_;
  ManualResetEvent stop_;
  std::unique_ptr<std::thread> worker_;
  mutable std::mutex lock_;
  LineState current_;
  LineCounters carried_;  // counts of the devices watched before
};
