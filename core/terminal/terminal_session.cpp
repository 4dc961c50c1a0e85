#include "core/terminal/terminal_session.h"

#include "serial/flow_control.h"
#include "serial/queue_size.h"
#include "serial/serial_port.h"

using win::DCB;
using win::DTR_CONTROL_DISABLE;
using win::DTR_CONTROL_ENABLE;
using win::DTR_CONTROL_HANDSHAKE;
using win::NOPARITY;
using win::RTS_CONTROL_DISABLE;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;

TerminalSession::TerminalSession(MessageTarget& window, uint32_t message)
    : relay_(window), port_(std::make_unique<WindowSerialPort>()), message_(message) {}

TerminalSession::~TerminalSession() = default;

LineFrame TerminalSession::Frame() const {
  return LineFrame{line_.BaudRate, line_.DataBits, line_.Parity, line_.StopBits};
}

TerminalOutcome TerminalSession::Fault(PortStep step) const { return TerminalFault{step, SerialPort::LastFailure()}; }

TerminalOutcome TerminalSession::Open() {
  TerminalOutcome outcome = Reopen();
  open_ = !outcome;
  return outcome;
}

TerminalOutcome TerminalSession::Reopen() {
  if (port_->IsOpen()) port_->Close();
  if (port_->OpenForWindow(name_.c_str(), &relay_, message_, 0, kPortQueueBytes, kPortQueueBytes) != 0)
    return Fault(PortStep::Open);
  DCB dcb;
  if (port_->GetControlBlock(&dcb) != 0) return Fault(PortStep::ReadSettings);
  // A flow-control code the page does not know leaves the device's own.
  WriteFlowControl(line_.FlowControl, &dcb);
  dcb.BaudRate = line_.BaudRate;
  dcb.ByteSize = line_.DataBits;
  dcb.Parity = line_.Parity;
  dcb.StopBits = line_.StopBits;
  dcb.fParity = line_.Parity != NOPARITY;
  dcb.fBinary = 1;
  // A line the hardware handshake drives stays with it: with RTS held low by an unticked
  // box, a device that waits for it would never send.
  if (dcb.fDtrControl != DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = line_.Dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = line_.Rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  if (port_->SetControlBlock(dcb) != 0) return Fault(PortStep::WriteSettings);
  return std::nullopt;
}

void TerminalSession::Close() {
  if (port_->IsOpen()) port_->Close();
  open_ = false;
}

TerminalOutcome TerminalSession::Switch(const std::string& name) {
  name_ = name;
  if (!open_) return std::nullopt;
  return Open();
}

TerminalOutcome TerminalSession::ApplyLine() {
  if (!open_ || port_->SetLineSettings(line_.BaudRate, line_.DataBits, line_.Parity, line_.StopBits) == 0)
    return std::nullopt;
  open_ = false;
  return Fault(PortStep::WriteSettings);
}

TerminalOutcome TerminalSession::SetBaudRate(uint32_t rate) {
  line_.BaudRate = rate;
  return ApplyLine();
}

TerminalOutcome TerminalSession::SetDataBits(uint8_t bits) {
  line_.DataBits = bits;
  return ApplyLine();
}

TerminalOutcome TerminalSession::SetParity(uint8_t parity) {
  line_.Parity = parity;
  return ApplyLine();
}

TerminalOutcome TerminalSession::SetStopBits(uint8_t stopBits) {
  line_.StopBits = stopBits;
  return ApplyLine();
}

TerminalOutcome TerminalSession::SetFlowControl(uint8_t mode) {
  line_.FlowControl = mode;
  if (!open_ || port_->SetFlowControl(mode) == 0) return std::nullopt;
  open_ = false;
  return Fault(PortStep::WriteSettings);
}

// Switches DTR or RTS on the open device by editing its control block; the box's state
// replaces whatever mode the line had, the handshake included.
TerminalOutcome TerminalSession::ApplyControlLine(bool dtr, bool on) {
  if (!open_) return std::nullopt;
  DCB dcb;
  if (port_->GetControlBlock(&dcb) != 0) return Fault(PortStep::ReadSettings);
  if (dtr)
    dcb.fDtrControl = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  else
    dcb.fRtsControl = on ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  if (port_->SetControlBlock(dcb) != 0) return Fault(PortStep::WriteSettings);
  return std::nullopt;
}

TerminalOutcome TerminalSession::SetDtr(bool on) {
  line_.Dtr = on;
  TerminalOutcome outcome = ApplyControlLine(true, on);
  if (outcome) open_ = false;
  return outcome;
}

TerminalOutcome TerminalSession::SetRts(bool on) {
  line_.Rts = on;
  return ApplyControlLine(false, on);
}

void TerminalSession::Restore(const std::string& name, const LineSettings& line) {
  name_ = name;
  line_ = line;
}

bool TerminalSession::DeviceLost() {
  port_->Close();
  const bool wasOpen = open_;
  open_ = false;
  return wasOpen;
}
