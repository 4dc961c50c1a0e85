#pragma once
// The receive window as a terminal keyboard: keys typed into it go to the port.
#include <optional>
#include <string_view>

class TVornicSPComm;

// The escape sequence an arrow key sends (ESC "[A" up, "[B" down, "[C" right, "[D" left),
// or nothing for any other key.
std::optional<std::string_view> ArrowKeySequence(int key);

// Hands the receive window's key-downs and typed text (characters, control characters and
// input-method commits, as the view reports them) to the window's handlers.
void ConnectReceiveKeys(TVornicSPComm& window);
