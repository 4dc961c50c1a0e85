#include "core/terminal/port_event_relay.h"

void PortEventRelay::SetReader(std::function<void()> wake) {
  std::lock_guard guard(lock_);
  wake_ = std::move(wake);
}

void PortEventRelay::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (wParam == win::EV_RXCHAR) {  // no other event, no line error
    std::lock_guard guard(lock_);
    if (wake_) {
      wake_();
      return;
    }
  }
  window_.Post(message, wParam, lParam);
}
