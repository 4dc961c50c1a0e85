#pragma once
// One read or write exchange with a ZEL module at a time, on a port of its own: open and set
// up the port, send the request(s), gather the reply bytes as the port's monitor reports
// them, and judge them once told that the module has had its time. It shows nothing: every
// step returns what happened, and the page puts that on the screen.
//
// An exchange runs
//   StartRead(entry) / StartWrite(entry, settings)  -> ExchangeStart::Started
//   OnPortEvent(wParam) for each event message the port posts
//   DelayElapsed() once the clock's reply delay has run out -> the verdict; the port is closed
// and the next exchange may start. While one waits, another start fails as a busy port.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/module/module_protocol.h"
#include "core/module/module_settings.h"

class MessageTarget;
class WindowSerialPort;

// How an exchange meets time. The window holds its own thread for the pause and lets its
// delay worker post the message that ends the wait; tests drive both themselves.
class ExchangeClock {
 public:
  virtual ~ExchangeClock() = default;
  // Holds the calling thread for `length`: nothing else runs on it meanwhile.
  virtual void Pause(std::chrono::milliseconds length) = 0;
  // Arranges for DelayElapsed to be called once a module has had the time that an exchange
  // of `kind` gives it to answer.
  virtual void StartReplyDelay(ExchangeKind kind) = 0;
};

// Why an exchange did not start; each has a message of its own for the user.
enum class ExchangeStart {
  Started,
  PortMissingOrBusy,   // no such port, held by someone else, or an exchange still waits
  SettingsUnreadable,  // opened, but its line settings could not be read; closed again
  SettingsRefused,     // opened, but it refused the module's line; closed again
};

struct ExchangeVerdict {
  ReplyOutcome outcome = ReplyOutcome::Failed;
  // ReadOk only: what the module holds, its model name and version text.
  ModuleSettings settings;
  std::string model;
  std::string version;
};

class ModuleExchange {
 public:
  // The port posts its comm events to `events` as `eventMessage`; they come back through
  // OnPortEvent on the thread that runs the exchange.
  ModuleExchange(MessageTarget& events, uint32_t eventMessage, std::unique_ptr<ExchangeClock> clock);
  virtual ~ModuleExchange();
  ModuleExchange(const ModuleExchange&) = delete;
  ModuleExchange& operator=(const ModuleExchange&) = delete;

  // `entry` is the port as the page lists it; empty keeps the last port in force.
  ExchangeStart StartRead(const std::string& entry);
  ExchangeStart StartWrite(const std::string& entry, const ModuleSettings& settings);
  // The first parameter of the port's event message; only received characters count.
  void OnPortEvent(uintptr_t wParam);
  // Ends the exchange: closes the port and judges what was gathered. Empty when no exchange
  // waited (the port is closed all the same).
  std::optional<ExchangeVerdict> DelayElapsed();
  // Closes the port without a verdict (the window closes).
  void ClosePort();

  bool Waiting() const { return pending_.has_value(); }
  const ModuleReply& Reply() const { return reply_; }

  // The device name the next exchange opens (kept with the settings).
  const std::string& PortName() const { return portName_; }
  void SetPortName(std::string name) { portName_ = std::move(name); }

  // True once a judged exchange's reply began with '$'; the page clears it when the
  // module's port goes away.
  bool ModuleSeen() const { return moduleSeen_; }
  void SetModuleSeen(bool seen) { moduleSeen_ = seen; }

 protected:
  // Gives the freshly opened port the module's line and drops input that waits in it.
  virtual ExchangeStart SetUpModuleLine(WindowSerialPort& port);

 private:
  ExchangeStart OpenModulePort(const std::string& entry);
  void Send(const uint8_t* bytes, size_t count);
  void Await(ExchangeKind kind);

  MessageTarget& events_;
  const uint32_t eventMessage_;
  std::unique_ptr<ExchangeClock> clock_;
  std::unique_ptr<WindowSerialPort> port_;
  std::string portName_ = "COM0";
  ModuleReply reply_;
  std::optional<ExchangeKind> pending_;  // the kind of the exchange that waits for its verdict
  bool moduleSeen_ = false;
};
