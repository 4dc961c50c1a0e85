// The terminal page while its device is away: a lost port is closed as before and, with
// reconnection on, awaited (yellow lamp, the state panel, the button still offers to close)
// and reopened with the page's line when the device arrives, or at the latest within a
// second of its return. Pressing 关闭串口 or picking another port ends the wait.
#include <QCheckBox>
#include <QLayout>
#include <QPushButton>
#include <QTimer>

#include "core/terminal/port_reconnection.h"
#include "gui/terminal/port_state_panel.h"
#include "gui/terminal/receive_tools.h"
#include "gui/terminal/terminal_page.h"
#include "gui/widgets/controls.h"
#include "gui/widgets/ui_text.h"

namespace {

const char* const kReconnected = QT_TRANSLATE_NOOP("WindowText", " - 串口已重新连接！");
constexpr int kRetryMs = 1000;
const QColor kAwaitingColor(255, 200, 0);

}  // namespace

void TerminalPage::BuildReconnection(QLayout* lines) {
  reconnect_ = std::make_unique<PortReconnection>(terminal_, ports_.get());
  CB_Reconnect = new QCheckBox(WindowText::tr("自动重连"));
  CB_Reconnect->setObjectName("CB_Reconnect");
  CB_Reconnect->setToolTip(WindowText::tr("设备断开后等待它回来并自动重新打开串口"));
  CB_Reconnect->setChecked(reconnect_->Enabled());
  lines->addWidget(CB_Reconnect);
  connect(CB_Reconnect, &QCheckBox::toggled, this, [this] { CB_ReconnectClick(); });
  ReconnectTimer = new QTimer(this);
  ReconnectTimer->setInterval(kRetryMs);
  connect(ReconnectTimer, &QTimer::timeout, this, [this] { RetryReconnect(); });
}

void TerminalPage::Opened() {
  reconnect_->Opened();
  FollowLines(true);
}

void TerminalPage::TerminalPortLost() {
  // The device is gone (unplugged, hung up): release it so that it can be opened again once
  // it is back. The timed send keeps its state and resumes with the port.
  if (!terminal_.DeviceLost()) return;
  Tools->PortShown(PortMark::Lost);
  if (!reconnect_->Lost()) {
    SetPortLook(false);
    return;
  }
  FollowLines(false);
  Shape->setColor(kAwaitingColor);
  PortState->ShowAwaited(QString::fromStdString(terminal_.PortName()));
  ReconnectTimer->start();
}

void TerminalPage::DeviceArrived() { RetryReconnect(); }

void TerminalPage::RetryReconnect() {
  if (reconnect_->TryReopen() != PortReconnection::Attempt::Reopened) return;
  StopWaiting();
  SetPortLook(true);
  emit StatusCaption(WindowText::tr(kReconnected));
}

void TerminalPage::StopWaiting() {
  reconnect_->Stop();
  ReconnectTimer->stop();
  PortState->ShowAwaited({});
}

void TerminalPage::CB_ReconnectClick() {
  const bool waited = reconnect_->Waiting();
  reconnect_->SetEnabled(CB_Reconnect->isChecked());
  if (!waited || reconnect_->Waiting()) return;
  StopWaiting();
  SetPortLook(false);
}
