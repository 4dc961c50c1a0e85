#pragma once
// The terminal page's side of the transmit session: the session writes to the page's port
// with the page's line settings, and its notices show in the page's message boxes and in
// the status panel of the count.
#include "core/transmit/transmit_session.h"

class TVornicSPComm;

class WindowTransmitHost final : public TransmitLine, public TransmitListener {
 public:
  explicit WindowTransmitHost(TVornicSPComm& window) : window_(window) {}

  SerialPort& Port() override;
  LineFrame Frame() const override;
  void PortNotOpen() override;
  void CountChanged(const CountNote& note) override;

 private:
  TVornicSPComm& window_;
};
