#pragma once
// A main window whose terminal port is open on a pseudo-terminal; the test is the device on
// the master side and reads what the window sends.
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QString>
#include <QTimer>
#include <algorithm>
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

  // Fills the line as a peer that never reads would leave it: writes into the test's own
  // end of the port until the kernel takes nothing more, also after it has moved what it
  // holds on to the peer's side. True once it is full.
  bool FillLine() const {
    const int fd = pty.slave();
    if (fd < 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) return false;
    const std::vector<uint8_t> block(4096, 'f');
    for (int i = 0; i < 1024; ++i) {
      if (write(fd, block.data(), block.size()) >= 0) continue;
      if (errno != EAGAIN) return false;
      pollfd room{fd, POLLOUT, 0};
      if (poll(&room, 1, 200) == 0) return true;
    }
    return false;
  }

  // Runs the event loop for `ms` milliseconds and returns the longest time between two turns
  // of it, as a zero-interval timer sees them: how long the window kept the user waiting.
  static qint64 LongestEventLoopGap(int ms) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      longest = std::max(longest, now - last);
      last = now;
    });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    clock.start();
    turn.start();
    loop.exec();
    return std::max(longest, clock.elapsed() - last);
  }

  WindowHarness harness;
  TVornicSPComm& w;
  PtyPair pty;
};
