// WindowSerialPort: posts each comm event set to a window as a message.
#include "serial/serial_port.h"

using win::CE_IOE;

namespace {

// WM_USER + 999: the message number used when the owner names none.
constexpr uint32_t kDefaultNotifyMessage = 2023;

}  // namespace

WindowSerialPort::WindowSerialPort() = default;

WindowSerialPort::~WindowSerialPort() {
  if (MonitorThread) WindowSerialPort::Close();
}

uint32_t WindowSerialPort::Close() {
  NotifyWindow = nullptr;
  NotifyMessage = 0;
  return MonitoredSerialPort::Close();
}

void WindowSerialPort::OnCommEvent(uint16_t events, uint16_t errors) {
  MessageTarget* window = NotifyWindow.load();
  if (window == nullptr) return;
  const uintptr_t wParam = static_cast<uintptr_t>(events) | (static_cast<uintptr_t>(errors) << 16);
  window->Post(NotifyMessage.load(), wParam, static_cast<intptr_t>(NotifyParam.load()));
}

void WindowSerialPort::OnDeviceLost(uint32_t code) {
  static_cast<void>(code);
  WindowSerialPort::OnCommEvent(0, CE_IOE);
}

uint32_t WindowSerialPort::OpenForWindow(const char* name, MessageTarget* window, uint32_t message, uint32_t param,
                                         uint32_t inQueue, uint32_t outQueue) {
  const uint32_t opened = MonitoredSerialPort::Open(name, inQueue, outQueue, false);
  if (opened != 0) return opened;
  NotifyWindow = window;
  NotifyMessage = message != 0 ? message : kDefaultNotifyMessage;
  NotifyParam = param;
  if (StartMonitor() != 0) {
    const PortFailure failure = LastFailure();
    Close();
    return Fail(failure);
  }
  return Succeed();
}
