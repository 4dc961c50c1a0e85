// Keys typed into the receive window: arrow keys as terminal escape sequences, every typed
// character (control characters included) as its bytes. Nothing happens on a closed port.
#include "transmit/typed_keys.h"

#include "app/main_window.h"
#include "app/receive_view.h"
#include "serial/serial_port.h"
#include "transmit/send_session.h"
#include "transmit/text_send.h"

std::optional<std::string_view> ArrowKeySequence(int key) {
  switch (key) {
    case Qt::Key_Up: return std::string_view("\x1b[A", 3);
    case Qt::Key_Down: return std::string_view("\x1b[B", 3);
    case Qt::Key_Right: return std::string_view("\x1b[C", 3);
    case Qt::Key_Left: return std::string_view("\x1b[D", 3);
    default: return std::nullopt;
  }
}

void ConnectReceiveKeys(TVornicSPComm& w) {
  ReceiveViewKeyHooks hooks;
  // Shift, Ctrl and Alt are not looked at: Ctrl+Left sends the same sequence as Left.
  hooks.KeyDown = [&w](int key, Qt::KeyboardModifiers) { return w.M_ReceiverDataKeyDown(key); };
  hooks.TextTyped = [&w](const QString& text) { w.M_ReceiverDataKeyPress(text); };
  w.M_ReceiverData->SetKeyHooks(std::move(hooks));
}

bool TVornicSPComm::M_ReceiverDataKeyDown(int key) {
  if (!TerminalPort->IsOpen()) return false;
  SendSession session(*this);
  const std::optional<std::string_view> sequence = ArrowKeySequence(key);
  if (sequence && session.Writer().Write(sequence->data(), sequence->size())) session.Count(3);
  session.ShowCount(false);
  return sequence.has_value();
}

void TVornicSPComm::M_ReceiverDataKeyPress(const QString& typed) {
  if (!TerminalPort->IsOpen() || typed.isEmpty()) return;
  SendSession session(*this);
  const std::string gbk = session.EncodeForSending(typed);
  session.Count(SendBytesOneByOne(session.Writer(), gbk));
  session.ShowCount(false);
}
