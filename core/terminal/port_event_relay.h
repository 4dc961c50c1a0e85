#pragma once
// Stands between the terminal port's monitor and the window. A report of received bytes and
// nothing else goes straight to the reader of those bytes, on the monitor's thread: a stream
// then does not wake the user-interface thread for every arrival only to have it wake the
// reader. Every other report (line errors, breaks, a lost device) is posted to the window as
// it came, and so is everything while no reader is set.
#include <functional>
#include <mutex>

#include "serial/comm_types.h"

class PortEventRelay final : public MessageTarget {
 public:
  explicit PortEventRelay(MessageTarget& window) : window_(window) {}

  // Thread-safe. An empty `wake` posts received-byte reports again; once this returns, no
  // call of the former one runs, so what it wakes may go.
  void SetReader(std::function<void()> wake);
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  MessageTarget& window_;
  std::mutex lock_;
  std::function<void()> wake_;
};
