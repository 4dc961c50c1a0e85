// Port choice, open/close, line settings and the control lines of the terminal page. Every
// choice is stored at once; while the port is open it is also applied at once, and a
// failure to apply it turns the page to its closed look.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "app/controls.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/messages.h"
#include "app/port_failure_text.h"
#include "module/port_name.h"
#include "app/port_list_control.h"
#include "serial/flow_control.h"
#include "serial/serial_port.h"
#include "transmit/transmit_panel.h"

using win::DCB;
using win::DTR_CONTROL_DISABLE;
using win::DTR_CONTROL_ENABLE;
using win::DTR_CONTROL_HANDSHAKE;
using win::NOPARITY;
using win::RTS_CONTROL_DISABLE;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;

namespace {

constexpr uint32_t kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr uint8_t kDataBits[] = {5, 6, 7, 8};
constexpr uint32_t kTerminalQueueBytes = 20480;

void Warn(QWidget* window, const char* text) {
  ShowMessageBox(window, QString::fromUtf8(kWarningTitle), QString::fromUtf8(text));
}

// The warning for an open that did not get through; `port` made the failing call.
const char* OpenFailureText(TerminalOpenResult result, const SerialPort& port) {
  switch (result) {
    case TerminalOpenResult::NotOpened: return PortFailureText(PortStep::Open, port.LastFailure());
    case TerminalOpenResult::SettingsUnreadable: return PortFailureText(PortStep::ReadSettings, port.LastFailure());
    default: return PortFailureText(PortStep::WriteSettings, port.LastFailure());
  }
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
                 TerminalPortOpen ? std::optional(TerminalPortName) : std::nullopt);
}

void TVornicSPComm::CB_PortChange() {
  TerminalPortName = DeviceNameForPort(CB_Port->currentText().toStdString());
  if (!TerminalPortOpen) return;
  if (const TerminalOpenResult result = OpenTerminalDevice(); result != TerminalOpenResult::Opened) {
    Warn(this, OpenFailureText(result, *TerminalPort));
    GiveUpTerminalPort();
    return;
  }
  SetPortLook(true);
}

void TVornicSPComm::B_OpenPortClick() {
  if (TerminalPortOpen) {
    if (TerminalPort->IsOpen()) TerminalPort->Close();
    TerminalPortOpen = false;
    SetPortLook(false);
    return;
  }
  if (const TerminalOpenResult result = OpenTerminalDevice(); result != TerminalOpenResult::Opened) {
    Warn(this, OpenFailureText(result, *TerminalPort));
    // A device that refused its settings stays open; the next press closes it first.
    if (result != TerminalOpenResult::NotOpened) Shape->setColor(Qt::white);
    return;
  }
  TerminalPortOpen = true;
  SetPortLook(true);
}

TerminalOpenResult TVornicSPComm::OpenTerminalDevice() {
  if (TerminalPort->IsOpen()) TerminalPort->Close();
  if (TerminalPort->OpenForWindow(TerminalPortName.c_str(), this, WM_PORT_EVENT, 0, kTerminalQueueBytes,
                                  kTerminalQueueBytes) != 0)
    return TerminalOpenResult::NotOpened;
  DCB dcb;
  if (TerminalPort->GetControlBlock(&dcb) != 0) return TerminalOpenResult::SettingsUnreadable;
  // The whole line goes in one write, so the control lines do not flicker on their way to
  // the boxes' states. A flow-control code the page does not know leaves the device's own.
  WriteFlowControl(TerminalFlowControl, &dcb);
  dcb.BaudRate = TerminalBaudRate;
  dcb.ByteSize = TerminalDataBits;
  dcb.Parity = TerminalParity;
  dcb.StopBits = TerminalStopBits;
  dcb.fParity = TerminalParity != NOPARITY;
  dcb.fBinary = 1;
  // A line the hardware handshake drives stays with it: with RTS held low by an unticked
  // box, a device that waits for it would never send.
  if (dcb.fDtrControl != DTR_CONTROL_HANDSHAKE)
    dcb.fDtrControl = CB_DTR->isChecked() ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
    dcb.fRtsControl = CB_RTS->isChecked() ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  if (TerminalPort->SetControlBlock(dcb) != 0) return TerminalOpenResult::SettingsRefused;
  return TerminalOpenResult::Opened;
}

void TVornicSPComm::SetPortLook(bool open) {
  Shape->setColor(open ? QColor(255, 0, 0) : QColor(Qt::white));
  B_OpenPort->setText(QString::fromUtf8(open ? "关闭串口" : "打开串口"));
}

void TVornicSPComm::GiveUpTerminalPort() {
  SetPortLook(false);
  TerminalPortOpen = false;
  Transmitter->StopTimedSend();
}

// Applies the stored line settings to an open port; on failure the page gives the port up.
static void ApplyLineSettings(TVornicSPComm& w) {
  if (!w.TerminalPortOpen) return;
  if (w.TerminalPort->SetLineSettings(w.TerminalBaudRate, w.TerminalDataBits, w.TerminalParity,
                                      w.TerminalStopBits) == 0)
    return;
  Warn(&w, PortFailureText(PortStep::WriteSettings, w.TerminalPort->LastFailure()));
  w.GiveUpTerminalPort();
}

void TVornicSPComm::CB_BaudrateChange() {
  if (const int i = CB_Baudrate->currentIndex(); i >= 0) TerminalBaudRate = kBaudRates[i];
  ApplyLineSettings(*this);
}

void TVornicSPComm::CB_DataChange() {
  if (const int i = CB_Data->currentIndex(); i >= 0) TerminalDataBits = kDataBits[i];
  ApplyLineSettings(*this);
}

void TVornicSPComm::CB_StopChange() {
  if (const int i = CB_Stop->currentIndex(); i >= 0) TerminalStopBits = static_cast<uint8_t>(i);
  ApplyLineSettings(*this);
}

void TVornicSPComm::CB_CheckChange() {
  if (const int i = CB_Check->currentIndex(); i >= 0) TerminalParity = static_cast<uint8_t>(i);
  ApplyLineSettings(*this);
}

void TVornicSPComm::CB_FlowControlChange() {
  if (const int i = CB_FlowControl->currentIndex(); i >= 0) TerminalFlowControl = static_cast<uint8_t>(i);
  if (!TerminalPortOpen || TerminalPort->SetFlowControl(TerminalFlowControl) == 0) return;
  Warn(this, PortFailureText(PortStep::WriteSettings, TerminalPort->LastFailure()));
  GiveUpTerminalPort();
}

// Switches DTR or RTS on the open device by editing its control block. False after a
// failure, whose message has been shown.
static bool SetControlLine(TVornicSPComm& w, uint8_t DCB::*line, bool on) {
  DCB dcb;
  if (w.TerminalPort->GetControlBlock(&dcb) != 0) {
    Warn(&w, PortFailureText(PortStep::ReadSettings, w.TerminalPort->LastFailure()));
    return false;
  }
  dcb.*line = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  if (w.TerminalPort->SetControlBlock(dcb) == 0) return true;
  Warn(&w, PortFailureText(PortStep::WriteSettings, w.TerminalPort->LastFailure()));
  return false;
}

void TVornicSPComm::CB_DTRClick() {
  if (!TerminalPortOpen) return;
  if (!SetControlLine(*this, &DCB::fDtrControl, CB_DTR->isChecked())) GiveUpTerminalPort();
}

void TVornicSPComm::CB_RTSClick() {
  if (!TerminalPortOpen) return;
  // A failed RTS change only dims the lamp: the port stays in use.
  if (!SetControlLine(*this, &DCB::fRtsControl, CB_RTS->isChecked())) Shape->setColor(Qt::white);
}

void TVornicSPComm::TerminalPortLost(uintptr_t) {
  // The device is gone (unplugged, hung up): release it so that one click opens it again
  // once it is back. The timed send keeps its state and resumes with the port.
  TerminalPort->Close();
  if (!TerminalPortOpen) return;
  TerminalPortOpen = false;
  SetPortLook(false);
}
