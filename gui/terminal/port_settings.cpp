// Port choice, open/close, line settings and the control lines of the terminal page: each
// handler hands the choice to the terminal session and shows what came of it.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "gui/widgets/controls.h"
#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/port_failure_text.h"
#include "gui/widgets/port_list_control.h"
#include "core/terminal/terminal_session.h"
#include "serial/port_name.h"
#include "gui/terminal/transmit_panel.h"

namespace {

constexpr uint32_t kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr uint8_t kDataBits[] = {5, 6, 7, 8};

void Warn(QWidget* window, const TerminalFault& fault) {
  ShowMessageBox(window, QString::fromUtf8(kWarningTitle),
                 QString::fromUtf8(PortFailureText(fault.step, fault.failure)));
}

}  // namespace

void TVornicSPComm::ConnectPortSettings() {
  connect(CB_Port, &DropDownComboBox::droppedDown, this, [this] { CB_PortDropDown(); });
  connect(CB_Port, &QComboBox::activated, this, [this] { CB_PortChange(); });
  connect(B_OpenPort, &QPushButton::clicked, this, [this] { B_OpenPortClick(); });
  connect(CB_Baudrate, &QComboBox::activated, this, [this] { CB_BaudrateChange(); });
  connect(CB_Data, &QComboBox::activated, this, [this] { CB_DataChange(); });
  connect(CB_Stop, &QComboBox::activated, this, [this] { CB_StopChange(); });
  connect(CB_Check, &QComboBox::activated, this, [this] { CB_CheckChange(); });
  connect(CB_FlowControl, &QComboBox::activated, this, [this] { CB_FlowControlChange(); });
  connect(CB_DTR, &QCheckBox::toggled, this, [this] { CB_DTRClick(); });
  connect(CB_RTS, &QCheckBox::toggled, this, [this] { CB_RTSClick(); });
}

void TVornicSPComm::CB_PortDropDown() {
  RefillPortList(CB_Port, Environment.ports.get(),
                 Terminal->IsOpen() ? std::optional(Terminal->PortName()) : std::nullopt);
}

void TVornicSPComm::CB_PortChange() {
  const bool wasOpen = Terminal->IsOpen();
  if (const TerminalOutcome fault = Terminal->Switch(DeviceNameForPort(CB_Port->currentText().toStdString()))) {
    Warn(this, *fault);
    GiveUpTerminalPort();
    return;
  }
  if (wasOpen) SetPortLook(true);
}

void TVornicSPComm::B_OpenPortClick() {
  if (Terminal->IsOpen()) {
    Terminal->Close();
    SetPortLook(false);
    return;
  }
  if (const TerminalOutcome fault = Terminal->Open()) {
    Warn(this, *fault);
    // A device that refused its settings stays open; the next press closes it first.
    if (fault->step != PortStep::Open) Shape->setColor(Qt::white);
    return;
  }
  SetPortLook(true);
}

void TVornicSPComm::SetPortLook(bool open) {
  Shape->setColor(open ? QColor(255, 0, 0) : QColor(Qt::white));
  B_OpenPort->setText(QString::fromUtf8(open ? "关闭串口" : "打开串口"));
}

void TVornicSPComm::GiveUpTerminalPort() {
  SetPortLook(false);
  Transmitter->StopTimedSend();
}

// A setting the open device refused: the session is closed already, the page follows.
void TVornicSPComm::ShowLineOutcome(const TerminalOutcome& outcome) {
  if (!outcome) return;
  Warn(this, *outcome);
  GiveUpTerminalPort();
}

void TVornicSPComm::CB_BaudrateChange() {
  if (const int i = CB_Baudrate->currentIndex(); i >= 0) ShowLineOutcome(Terminal->SetBaudRate(kBaudRates[i]));
}

void TVornicSPComm::CB_DataChange() {
  if (const int i = CB_Data->currentIndex(); i >= 0) ShowLineOutcome(Terminal->SetDataBits(kDataBits[i]));
}

void TVornicSPComm::CB_StopChange() {
  if (const int i = CB_Stop->currentIndex(); i >= 0) ShowLineOutcome(Terminal->SetStopBits(static_cast<uint8_t>(i)));
}

void TVornicSPComm::CB_CheckChange() {
  if (const int i = CB_Check->currentIndex(); i >= 0) ShowLineOutcome(Terminal->SetParity(static_cast<uint8_t>(i)));
}

void TVornicSPComm::CB_FlowControlChange() {
  if (const int i = CB_FlowControl->currentIndex(); i >= 0)
    ShowLineOutcome(Terminal->SetFlowControl(static_cast<uint8_t>(i)));
}

void TVornicSPComm::CB_DTRClick() { ShowLineOutcome(Terminal->SetDtr(CB_DTR->isChecked())); }

void TVornicSPComm::CB_RTSClick() {
  // A failed RTS change only dims the lamp: the port stays in use.
  if (const TerminalOutcome fault = Terminal->SetRts(CB_RTS->isChecked())) {
    Warn(this, *fault);
    Shape->setColor(Qt::white);
  }
}

void TVornicSPComm::TerminalPortLost(uintptr_t) {
  // The device is gone (unplugged, hung up): release it so that one click opens it again
  // once it is back. The timed send keeps its state and resumes with the port.
  if (Terminal->DeviceLost()) SetPortLook(false);
}
