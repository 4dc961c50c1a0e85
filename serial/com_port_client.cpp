#include "serial/com_port_client.h"

namespace rfc2217 {
namespace {

using telnet::kDo;
using telnet::kDont;
using telnet::kOptionBinary;
using telnet::kOptionComPort;
using telnet::kOptionSuppressGoAhead;
using telnet::kWill;
using telnet::kWont;

// Options we enable on our side, and options we let the server enable on its side. Echo is
// not among the latter: a serial line does not send our bytes back.
bool WeDo(uint8_t option) {
  return option == kOptionBinary || option == kOptionSuppressGoAhead || option == kOptionComPort;
}
bool TheyMay(uint8_t option) { return option == kOptionBinary || option == kOptionSuppressGoAhead; }

// Line errors and breaks as the notifications report them; every notification counts once.
void CountLineState(uint8_t state, LineCounters* counters) {
  if (state & kLineBreak) ++counters->brk;
  if (state & kLineFraming) ++counters->frame;
  if (state & kLineParity) ++counters->parity;
  if (state & kLineOverrun) ++counters->overrun;
}

}  // namespace

void AppendCommand(uint8_t code, uint32_t value, std::vector<uint8_t>& out) {
  uint8_t payload[5] = {code};
  size_t count = 2;
  if (code == kSetBaudRate) {
    for (int i = 0; i < 4; ++i) payload[1 + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    count = 5;
  } else {
    payload[1] = static_cast<uint8_t>(value);
  }
  telnet::AppendSubnegotiation(kOptionComPort, payload, count, out);
}

void ComPortClient::Start(std::vector<uint8_t>& out) {
  for (uint8_t option : {kOptionComPort, kOptionBinary, kOptionSuppressGoAhead}) {
    askedOurs_[option] = true;
    telnet::AppendNegotiation(kWill, option, out);
  }
  for (uint8_t option : {kOptionBinary, kOptionSuppressGoAhead}) {
    askedTheirs_[option] = true;
    telnet::AppendNegotiation(kDo, option, out);
  }
}

void ComPortClient::Receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data,
                            std::vector<uint8_t>& out) {
  if (state_ == Agreement::NotTelnet) {
    data.insert(data.end(), bytes, bytes + count);
    return;
  }
  data_ = &data;
  out_ = &out;
  decoder_.Feed(bytes, count, *this);
  // Rubbish from the server, whatever it said before: the rest is passed on as bytes.
  if (decoder_.Broken()) state_ = Agreement::NotTelnet;
  data_ = nullptr;
  out_ = nullptr;
}

void ComPortClient::AppendData(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const {
  if (state_ == Agreement::NotTelnet) out.insert(out.end(), bytes, bytes + count);
  else telnet::AppendData(bytes, count, out);
}

void ComPortClient::GiveUp() {
  if (state_ == Agreement::Pending) state_ = sawTelnet_ ? Agreement::Refused : Agreement::NotTelnet;
}

void ComPortClient::Data(const uint8_t* bytes, size_t count) { data_->insert(data_->end(), bytes, bytes + count); }

void ComPortClient::Agree() {
  if (state_ != Agreement::Pending) return;
  state_ = Agreement::ComPort;
  AppendCommand(kSetModemStateMask, 0xFF, *out_);
  AppendCommand(kSetLineStateMask, kLineBreak | kLineFraming | kLineParity | kLineOverrun, *out_);
}

void ComPortClient::Negotiation(uint8_t verb, uint8_t option) {
  sawTelnet_ = true;
  switch (verb) {
    case kDo:
      if (!WeDo(option)) {
        telnet::AppendNegotiation(kWont, option, *out_);
        break;
      }
      if (!ours_[option] && !askedOurs_[option]) telnet::AppendNegotiation(kWill, option, *out_);
      ours_[option] = true;
      askedOurs_[option] = false;
      if (option == kOptionComPort) Agree();
      break;
    case kDont:
      if (ours_[option] && !askedOurs_[option]) telnet::AppendNegotiation(kWont, option, *out_);
      ours_[option] = false;
      askedOurs_[option] = false;
      if (option == kOptionComPort && state_ == Agreement::Pending) state_ = Agreement::Refused;
      break;
    case kWill:
      if (!TheyMay(option)) {
        telnet::AppendNegotiation(kDont, option, *out_);
        break;
      }
      if (!theirs_[option] && !askedTheirs_[option]) telnet::AppendNegotiation(kDo, option, *out_);
      theirs_[option] = true;
      askedTheirs_[option] = false;
      break;
    case kWont:
      if (theirs_[option] && !askedTheirs_[option]) telnet::AppendNegotiation(kDont, option, *out_);
      theirs_[option] = false;
      askedTheirs_[option] = false;
      break;
    default: break;
  }
}

void ComPortClient::Subnegotiation(uint8_t option, const uint8_t* payload, size_t count) {
  sawTelnet_ = true;
  if (option != kOptionComPort || count == 0 || payload[0] < kServerOffset) return;
  ServerCommand(static_cast<uint8_t>(payload[0] - kServerOffset), payload + 1, count - 1);
}

void ComPortClient::ServerCommand(uint8_t code, const uint8_t* value, size_t count) {
  if (code >= kCommandCount) return;
  if (code == kFlowControlSuspend || code == kFlowControlResume) {
    suspended_ = code == kFlowControlSuspend;
    return;
  }
  if (code == kSignature) return;  // the server's name: nothing to act on
  const size_t width = code == kSetBaudRate ? 4 : 1;
  if (count < width) return;  // a malformed report is ignored, not guessed at
  uint32_t number = 0;
  for (size_t i = 0; i < width; ++i) number = (number << 8) | value[i];
  if (code == kNotifyLineState) CountLineState(static_cast<uint8_t>(number), &lineEvents_);
  else if (code == kNotifyModemState) modemState_ = static_cast<uint8_t>(number);
  else {
    replies_[code] = number;
    if (outstanding_[code] > 0) --outstanding_[code];
  }
}

}  // namespace rfc2217
