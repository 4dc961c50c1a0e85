#pragma once
// The terminal page's port without the page: the device, the name it is opened under, the
// line it is given, and whether the page counts it as open. Every choice is stored at once;
// while open it is also applied at once. Nothing here shows anything: each operation says
// which step failed and why, and the window tells the user.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/terminal/port_event_relay.h"
#include "core/terminal/port_step.h"
#include "core/transmit/transmit_session.h"
#include "serial/port_error.h"
#include "serial/serial_port.h"

// The line the page gives its device. Codes are the control block's (parity 0 none .. 4
// space; stop bits 0 one, 1 one and a half, 2 two; flow 0 none, 1 hardware, 2 XON/XOFF).
struct LineSettings {
  uint32_t BaudRate = 9600;
  uint8_t DataBits = 8;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  uint8_t FlowControl = 0;
  bool Dtr = false;
  bool Rts = false;
};

// A step that did not get through, and why.
struct TerminalFault {
  PortStep step = PortStep::Open;
  PortFailure failure;
  bool operator==(const TerminalFault&) const = default;
};
// Empty: the operation got through.
using TerminalOutcome = std::optional<TerminalFault>;

// It is also the line the transmit side writes to.
class TerminalSession final : public TransmitLine {
 public:
  // The device's events go to `window` as `message`, received bytes alone to the reader
  // once one is set (SetReader).
  TerminalSession(MessageTarget& window, uint32_t message);
  ~TerminalSession() override;
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Opens the named device afresh (closing a device left open) and gives it the whole line
  // in one write, so the control lines do not flicker. Open after success; closed otherwise,
  // though a device that refused its settings stays open until the next Open or Close.
  [[nodiscard]] TerminalOutcome Open();
  void Close();
  // Takes another device name; while open, moves to that device with the whole line. A
  // failed move leaves the session closed.
  [[nodiscard]] TerminalOutcome Switch(const std::string& name);

  // Each stores its value; while open it is applied at once, and a refusal closes the
  // session (the device stays open).
  [[nodiscard]] TerminalOutcome SetBaudRate(uint32_t rate);
  [[nodiscard]] TerminalOutcome SetDataBits(uint8_t bits);
  [[nodiscard]] TerminalOutcome SetParity(uint8_t parity);
  [[nodiscard]] TerminalOutcome SetStopBits(uint8_t stopBits);
  [[nodiscard]] TerminalOutcome SetFlowControl(uint8_t mode);
  [[nodiscard]] TerminalOutcome SetDtr(bool on);
  // As SetDtr, but a refused RTS change leaves the session open: the line is only a signal
  // to the other side, the port itself still works.
  [[nodiscard]] TerminalOutcome SetRts(bool on);

  // Takes a saved name and line as they stand, without touching the device: for a session
  // not yet open, whose next Open applies them.
  void Restore(const std::string& name, const LineSettings& line);

  // The device is gone: releases it so that one Open takes it again once it is back. True
  // when the session was open until now.
  bool DeviceLost();

  // Thread-safe: `wake` is called on the port's monitor thread when bytes arrive, instead of
  // a message to the window; empty: the window is told again. Once this returns, the former
  // one is no longer called.
  void SetReader(std::function<void()> wake) { relay_.SetReader(std::move(wake)); }

  bool IsOpen() const { return open_; }
  const std::string& PortName() const { return name_; }
  const LineSettings& Line() const { return line_; }
  // The device itself, for the receive and transmit sides.
  WindowSerialPort& Port() override { return *port_; }
  // How the line frames a byte now, which bounds each write of the transmit side.
  LineFrame Frame() const override;

 private:
  TerminalOutcome Reopen();
  TerminalOutcome ApplyLine();
  TerminalOutcome ApplyControlLine(bool dtr, bool on);
  TerminalOutcome Fault(PortStep step) const;

  PortEventRelay relay_;  // before the port: its monitor posts here until the port is gone
  std::unique_ptr<WindowSerialPort> port_;
  uint32_t message_;
  std::string name_ = "COM0";
  LineSettings line_;
  bool open_ = false;
};
