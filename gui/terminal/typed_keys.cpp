// Keys typed into the receive window: arrow keys as terminal escape sequences, every typed
// character (control characters included) as its bytes. Nothing happens on a closed port.
#include "gui/terminal/typed_keys.h"

#include "gui/widgets/receive_view.h"
#include "gui/terminal/transmit_panel.h"
#include "core/transmit/transmit_session.h"

std::optional<ArrowKey> ArrowKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Up: return ArrowKey::Up;
    case Qt::Key_Down: return ArrowKey::Down;
    case Qt::Key_Right: return ArrowKey::Right;
    case Qt::Key_Left: return ArrowKey::Left;
    default: return std::nullopt;
  }
}

void ConnectReceiveKeys(ReceiveView& view, TransmitPanel& panel) {
  ReceiveViewKeyHooks hooks;
  // Shift, Ctrl and Alt are not looked at: Ctrl+Left sends the same sequence as Left.
  hooks.KeyDown = [&panel](int key, Qt::KeyboardModifiers) { return panel.M_ReceiverDataKeyDown(key); };
  hooks.TextTyped = [&panel](const QString& text) { panel.M_ReceiverDataKeyPress(text); };
  view.SetKeyHooks(std::move(hooks));
}
