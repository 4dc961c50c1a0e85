#pragma once
// Picking the terminal port up again after its device went (an adapter pulled and put back,
// a board that re-enumerates, a device simulator restarted). While the session is open it
// remembers which device it has; once the device is lost it waits for that device to come
// back and then opens it with the session's whole line.
//
// "That device" is, for a device the port source can identify (USB: vendor, product and
// serial number), whichever port shows the same identity, under any path; for any other
// device its path; for a virtual port its link, once a program has made the link anew: an
// old link may lead to a terminal number the kernel has handed to a stranger since.
//
// Nothing here waits or keeps time: the owner calls TryReopen when a device arrives and
// about once a second otherwise.
#include <optional>
#include <string>

#include "serial/virtual_ports.h"

class PortSource;
class TerminalSession;

class PortReconnection {
 public:
  // `ports` may be null: only paths are then compared.
  PortReconnection(TerminalSession& session, PortSource* ports);

  // On by default. Turning it off also ends a wait.
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }
  bool Waiting() const { return waiting_; }

  // The session has just opened its device: notes which device it is.
  void Opened();
  // The session's device was lost while open and the session has let it go. True when a
  // wait for its return begins (reconnection on, and an open device was noted).
  bool Lost();
  // The user closed the port or picked another: no more waiting.
  void Stop() { waiting_ = false; }

  enum class Attempt {
    NotWaiting,  // nothing to do
    StillAway,   // the device is not back, or did not open yet: the wait goes on
    Reopened,    // open again, under PortName() of the session
  };
  Attempt TryReopen();

 private:
  // The path under which the awaited device is present now; empty when it is not back.
  std::optional<std::string> FindDevice();

  TerminalSession& session_;
  PortSource* ports_;
  bool enabled_ = true;
  bool waiting_ = false;
  bool noted_ = false;
  std::string path_;                 // the path the device was opened under
  std::string identity_;             // empty: only the path names it
  std::optional<LinkMark> link_;     // the path is a link: which one
};
