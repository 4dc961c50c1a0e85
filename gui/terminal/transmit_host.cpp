#include "gui/terminal/transmit_host.h"

#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "serial/serial_port.h"
#include "gui/terminal/count_panel.h"

SerialPort& WindowTransmitHost::Port() { return window_.Terminal->Port(); }

LineFrame WindowTransmitHost::Frame() const {
  const LineSettings& line = window_.Terminal->Line();
  return LineFrame{line.BaudRate, line.DataBits, line.Parity, line.StopBits};
}

void WindowTransmitHost::PortNotOpen() {
  ShowMessageBox(&window_, QString::fromUtf8(kNoticeTitle), QString::fromUtf8(kPortNotOpen));
}

void WindowTransmitHost::CountChanged(const CountNote& note) { ShowCountNote(window_.StatusPanels[1], note); }
