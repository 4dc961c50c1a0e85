#include "core/terminal/port_reconnection.h"

#include "core/terminal/terminal_session.h"
#include "serial/port_source.h"

PortReconnection::PortReconnection(TerminalSession& session, PortSource* ports) : session_(session), ports_(ports) {}

void PortReconnection::SetEnabled(bool on) {
  enabled_ = on;
  if (!on) waiting_ = false;
}

void PortReconnection::Opened() {
  path_ = session_.PortName();
  identity_ = ports_ ? ports_->Describe(path_).identity : std::string();
  link_ = MarkOfLink(path_);
  noted_ = true;
  waiting_ = false;
}

bool PortReconnection::Lost() {
  waiting_ = enabled_ && noted_;
  return waiting_;
}

std::optional<std::string> PortReconnection::FindDevice() {
  if (identity_.empty()) {
    // The link as it was is the old program's: it may lead to anyone's terminal by now.
    if (link_ && MarkOfLink(path_) == link_) return std::nullopt;
    return path_;
  }
  return FindPortByIdentity(*ports_, identity_, path_);
}

PortReconnection::Attempt PortReconnection::TryReopen() {
  if (!waiting_) return Attempt::NotWaiting;
  const std::optional<std::string> found = FindDevice();
  if (!found) return Attempt::StillAway;
  // Stored only: the session is closed while it waits.
  static_cast<void>(session_.Switch(*found));
  if (session_.Open()) {
    // Not ready yet (udev still setting the node's rights, a line it refuses for now): let
    // go of the device until the next try.
    session_.Close();
    return Attempt::StillAway;
  }
  Opened();
  return Attempt::Reopened;
}
