#pragma once
// The receive window as a terminal keyboard: keys typed into it go to the port.
#include <optional>

class ReceiveView;
class TransmitPanel;
enum class ArrowKey;

// The arrow key a toolkit key code stands for, or nothing for any other key.
std::optional<ArrowKey> ArrowKeyOf(int qtKey);

// Hands the receive window's key-downs and typed text (characters, control characters and
// input-method commits, as the view reports them) to the transmit panel's handlers.
void ConnectReceiveKeys(ReceiveView& view, TransmitPanel& panel);
