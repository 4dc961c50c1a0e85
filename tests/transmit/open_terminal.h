#pragma once
// A main window whose terminal port is open on a pseudo-terminal; the test is the device on
// the master side and reads what the window sends.
#include <QLabel>
#include <QString>
#include <cstdint>
#include <vector>

#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/window_harness.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/transmit_panel.h"
#include "core/transmit/transmit_session.h"
#include "gui/widgets/ui_text.h"

using Bytes = std::vector<uint8_t>;


class OpenTerminal {
 public:
  // open = false leaves the port closed (the window then has no device at all).
  explicit OpenTerminal(bool open = true) : w(harness.w()) {
    if (!open) return;
    if (!w.Terminal->Switch(pty.path())) w.TabSheet1->B_OpenPortClick();
  }

  bool Ready() const { return pty.ok() && w.Terminal->IsOpen() && harness.messages.empty(); }
  QString Status() const { return w.TabSheet1->StatusPanels[1]->text(); }
  int32_t Count() const { return w.Transmit->TransmittedCount(); }
  Bytes Sent(size_t count) const { return pty.Receive(count); }
  // Presses "发送" and reads what it sent (expecting `count` bytes).
  Bytes Transmit(size_t count) {
    w.TabSheet1->Transmitter->B_TransmitClick();
    return Sent(count);
  }
  // What else the window sent; empty when it sent nothing more.
  Bytes More() const { return pty.Drain(100); }

  WindowHarness harness;
  TVornicSPComm& w;
  PtyPair pty;
};
