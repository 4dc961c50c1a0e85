// Port choice, open/close, line settings and the control lines of the terminal page: each
// handler hands the choice to the terminal session and shows what came of it.
#include "gui/terminal/terminal_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>

#include "gui/widgets/controls.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/port_failure_text.h"
#include "gui/widgets/port_list_control.h"
#include "core/terminal/port_reconnection.h"
#include "core/terminal/terminal_session.h"
#include "serial/network_address.h"
#include "serial/port_name.h"
#include "gui/terminal/receive_tools.h"
#include "gui/terminal/transmit_panel.h"
#include "gui/widgets/ui_text.h"

namespace {

constexpr uint32_t kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr uint8_t kDataBits[] = {5, 6, 7, 8};

const char* const kRawTcpNotice = QT_TRANSLATE_NOOP("WindowText", "TCP网络串口只传送数据，串口参数设置对它不起作用");
constexpr int kRawTcpNoticeMs = 10000;

}  // namespace

void TerminalPage::CB_PortDropDown() {
  RefillPortList(CB_Port, ports_.get(),
                 terminal_.IsOpen() ? std::optional(terminal_.PortName()) : std::nullopt);
}

void TerminalPage::CB_PortChange() {
  // Another port ends a wait for the lost one; the new port opens when the user says so.
  if (reconnect_->Waiting()) {
    StopWaiting();
    SetPortLook(false);
  }
  if (IsNetworkEntry(CB_Port)) {
    if (!RunNetworkEntry(CB_Port, ports_.get(), this, terminal_.PortName())) return;
  }
  const bool wasOpen = terminal_.IsOpen();
  if (const TerminalOutcome fault = terminal_.Switch(DeviceNameForPort(PortNameOf(CB_Port)))) {
    Warn(*fault);
    GiveUpTerminalPort();
    return;
  }
  if (!wasOpen) return;
  SetPortLook(true);
  Opened();
}

void TerminalPage::B_OpenPortClick() {
  if (terminal_.IsOpen() || reconnect_->Waiting()) {
    StopWaiting();
    terminal_.Close();
    SetPortLook(false);
    return;
  }
  if (const TerminalOutcome fault = terminal_.Open()) {
    Warn(*fault);
    // A device that refused its settings stays open; the next press closes it first.
    if (fault->step != PortStep::Open) Shape->setColor(Qt::white);
    return;
  }
  SetPortLook(true);
  Opened();
}

void TerminalPage::Warn(const TerminalFault& fault) {
  ShowMessageBox(this, WindowText::tr(kWarningTitle),
                 WindowText::tr(PortFailureText(fault.step, fault.failure)));
}

void TerminalPage::SetPortLook(bool open) {
  Shape->setColor(open ? QColor(255, 0, 0) : QColor(Qt::white));
  B_OpenPort->setText(open ? WindowText::tr("关闭串口") : WindowText::tr("打开串口"));
  if (!open) FollowLines(false);
  // A raw TCP port carries the bytes alone: the line settings on the left do nothing there.
  const std::optional<NetworkAddress> network = ParseNetworkAddress(terminal_.PortName());
  if (open && network && network->protocol == NetworkAddress::Protocol::RawTcp)
    StatusBar->showMessage(WindowText::tr(kRawTcpNotice), kRawTcpNoticeMs);
  Tools->PortShown(open ? PortMark::Opened : PortMark::Closed);
}

void TerminalPage::GiveUpTerminalPort() {
  SetPortLook(false);
  Transmitter->StopTimedSend();
}

// A setting the open device refused: the session is closed already, the page follows.
void TerminalPage::ShowLineOutcome(const TerminalOutcome& outcome) {
  if (!outcome) return;
  Warn(*outcome);
  GiveUpTerminalPort();
}

void TerminalPage::CB_BaudrateChange() {
  if (const int i = CB_Baudrate->currentIndex(); i >= 0) ShowLineOutcome(terminal_.SetBaudRate(kBaudRates[i]));
}

void TerminalPage::CB_DataChange() {
  if (const int i = CB_Data->currentIndex(); i >= 0) ShowLineOutcome(terminal_.SetDataBits(kDataBits[i]));
}

void TerminalPage::CB_StopChange() {
  if (const int i = CB_Stop->currentIndex(); i >= 0) ShowLineOutcome(terminal_.SetStopBits(static_cast<uint8_t>(i)));
}

void TerminalPage::CB_CheckChange() {
  if (const int i = CB_Check->currentIndex(); i >= 0) ShowLineOutcome(terminal_.SetParity(static_cast<uint8_t>(i)));
}

void TerminalPage::CB_FlowControlChange() {
  if (const int i = CB_FlowControl->currentIndex(); i >= 0)
    ShowLineOutcome(terminal_.SetFlowControl(static_cast<uint8_t>(i)));
}

void TerminalPage::CB_DTRClick() { ShowLineOutcome(terminal_.SetDtr(CB_DTR->isChecked())); }

void TerminalPage::CB_RTSClick() {
  // A failed RTS change only dims the lamp: the port stays in use.
  if (const TerminalOutcome fault = terminal_.SetRts(CB_RTS->isChecked())) {
    Warn(*fault);
    Shape->setColor(Qt::white);
  }
}
