#pragma once
// A main window whose terminal port is open on a pseudo-terminal; the test is the device on
// the master side and reads what the window sends.
#include <QComboBox>
#include <QLabel>
#include <QString>
#include <cstdint>
#include <vector>

#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/window_harness.h"

using Bytes = std::vector<uint8_t>;

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class OpenTerminal {
 public:
  // open = false leaves the port closed (the window then has no device at all).
  explicit OpenTerminal(bool open = true) : w(harness.w()) {
    if (!open) return;
    w.TerminalPortName = pty.path();
    w.B_OpenPortClick();
  }

  bool Ready() const { return pty.ok() && w.TerminalPortOpen && harness.messages.empty(); }
  QString Status() const { return w.StatusPanels[1]->text(); }
  Bytes Sent(size_t count) const { return pty.Receive(count); }
  // Presses "发送" and reads what it sent (expecting `count` bytes).
  Bytes Transmit(size_t count) {
    w.B_TransmitClick();
    return Sent(count);
  }
  // What else the window sent; empty when it sent nothing more.
  Bytes More() const { return pty.Drain(100); }

  // Makes the peer hold the line with XOFF (software flow control on), and waits until the
  // window has taken it in: the marker byte behind the XOFF then shows as received.
  bool HoldLine() {
    w.CB_FlowControl->setCurrentIndex(2);
    w.CB_FlowControlChange();
    if (!pty.Send(Bytes{0x13, 'M'})) return false;
    return WindowHarness::WaitUntil([this] { return w.StatusPanels[2]->text() == U("接收：1"); });
  }

  WindowHarness harness;
  TVornicSPComm& w;
  PtyPair pty;
};
