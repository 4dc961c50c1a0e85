#pragma once
// One user action's sends on the terminal port (a click of "发送", a timer tick, a preset
// button, a pass of the cycle, a typed key). It bounds every write by the port's current
// line settings, adds what was handed over to TransmittedCount, and shows the count in the
// second status panel together with a note when something did not go as typed: the line was
// blocked, or characters GBK cannot represent went out as '?'.
//
// While any session is alive the window counts as sending; timer ticks that arrive then
// (from inside a notice's event loop) are skipped, never nested.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

#include "transmit/bounded_write.h"

class TVornicSPComm;

class SendSession {
 public:
  // A timer's session does not begin on a line without room and waits only briefly once
  // begun (see BoundedWriter).
  explicit SendSession(TVornicSPComm& window, SendTrigger trigger = SendTrigger::User);
  ~SendSession();
  SendSession(const SendSession&) = delete;
  SendSession& operator=(const SendSession&) = delete;

  // True while a session runs on this window (a send, a pass, or a notice of theirs).
  static bool Running(const TVornicSPComm& window);

  BoundedWriter& Writer() { return writer_; }

  // The GBK bytes of a field's text. Characters GBK lacks become '?' and are noted for
  // the status panel, so nothing is dropped silently.
  std::string EncodeForSending(const QString& text);

  // Adds bytes handed to the port to TransmittedCount (wrapping like a 32-bit counter).
  void Count(uint32_t bytes);

  // "发送：" + count (withColon) or "发送" + count, plus the notes of this session.
  void ShowCount(bool withColon);

 private:
  TVornicSPComm& window_;
  BoundedWriter writer_;
  size_t substituted_ = 0;
};

// The plain status text of the second panel: "发送：1234" or "发送1234".
QString TransmittedCountText(bool withColon, int32_t count);
