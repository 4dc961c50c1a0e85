// The terminal port's modem lines (the status bar's CTS, DSR, DCD and RI), its counts of
// breaks and line errors (the receive count's tool tip) and the break the receive window's
// menu sends. The lines are read on the watch's own worker; its notices come here queued.
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "core/terminal/line_state_watch.h"
#include "core/terminal/port_reconnection.h"
#include "gui/terminal/port_state_panel.h"
#include "gui/terminal/terminal_page.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/port_failure_text.h"
#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"
#include "serial/serial_port.h"

namespace {

constexpr int kBreakMs = 250;

// Runs `show` on the page's thread for each notice of the watch's worker.
class QueuedNotice final : public MessageTarget {
 public:
  QueuedNotice(QObject* receiver, std::function<void()> show) : receiver_(receiver), show_(std::move(show)) {}
  void Post(uint32_t, uintptr_t, intptr_t) override {
    QMetaObject::invokeMethod(receiver_, show_, Qt::QueuedConnection);
  }

 private:
  QObject* receiver_;
  std::function<void()> show_;
};

QString ErrorCounts(const LineState& state) {
  return WindowText::tr("接收中的Break：%1\n帧错误：%2\n校验错误：%3\n溢出：%4")
      .arg(state.errors.brk)
      .arg(state.errors.frame)
      .arg(state.errors.parity)
      .arg(state.errors.overrun + state.errors.bufOverrun);
}

}  // namespace

void TerminalPage::BuildLineState() {
  lineNotices_ = std::make_unique<QueuedNotice>(this, [this] { ShowLineState(); });
  lines_ = std::make_unique<LineStateWatch>(
      [this](uint32_t* status, LineCounters* counters) { return terminal_.Port().GetLineState(status, counters) == 0; },
      *lineNotices_, 0);
  breakEnd_ = new QTimer(this);
  breakEnd_->setSingleShot(true);
  breakEnd_->setInterval(kBreakMs);
  connect(breakEnd_, &QTimer::timeout, this, [this] { static_cast<void>(terminal_.Port().SetBreak(false)); });
  connect(M_ReceiverData, &ReceiveView::MenuOpening, this, [this](QMenu* menu) {
    menu->addSeparator();
    QAction* sendBreak = menu->addAction(WindowText::tr("发送Break"), this, [this] { SendBreak(); });
    sendBreak->setObjectName("A_SendBreak");
  });
  ShowLineState();
}

void TerminalPage::FollowLines(bool open) {
  if (open) {
    lines_->Start();
  } else {
    lines_->Stop();
    if (breakEnd_->isActive()) breakEnd_->stop();  // closing the device ends its break too
  }
  ShowLineState();
}

void TerminalPage::ShowLineState() {
  const LineState state = lines_->Current();
  PortState->ShowLines(state);
  StatusPanels[2]->setToolTip(ErrorCounts(state));
}

void TerminalPage::SendBreak() {
  if (!terminal_.IsOpen()) {
    PortNotOpen();
    return;
  }
  if (breakEnd_->isActive()) return;  // one break at a time
  // The line is held in the break state and let go by the timer: the page never waits.
  if (terminal_.Port().SetBreak(true) != 0) {
    ShowMessageBox(this, WindowText::tr(kWarningTitle), WindowText::tr(PortFailureText(PortStep::WriteSettings, SerialPort::LastFailure())));
    return;
  }
  breakEnd_->start();
}
