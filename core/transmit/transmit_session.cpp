#include "core/transmit/transmit_session.h"

#include "core/text/gbk_codec.h"
#include "serial/comm_types.h"
#include "serial/serial_port.h"

// One user action's sends (a click of "发送", a timer tick, a preset button, a pass of the
// cycle, a typed key): one bounded writer, so a blocked line costs the action one write
// bound, and the notes of what did not go out as typed. While an action is alive the session
// counts as sending, so a tick from inside a notice of it is skipped.
class TransmitSession::Action {
 public:
  Action(TransmitSession& session, SendTrigger trigger)
      : session_(session), writer_(session.line_.Port(), session.line_.Frame(), trigger) {
    ++session_.actionsRunning_;
  }
  ~Action() { --session_.actionsRunning_; }
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;

  BoundedWriter& Writer() { return writer_; }

  // The GBK bytes of a text; characters GBK lacks become '?' and are noted.
  std::string EncodeNoted(std::string_view utf8) {
    GbkEncoded encoded = EncodeGbk(utf8);
    substituted_ += encoded.unencodableCount;
    return std::move(encoded.bytes);
  }

  // Adds bytes handed to the port (wrapping like a 32-bit counter).
  void Count(uint32_t bytes) {
    session_.count_ = static_cast<int32_t>(static_cast<uint32_t>(session_.count_) + bytes);
  }

  void ShowCount(bool withColon) {
    session_.listener_->CountChanged(CountNote{session_.count_, withColon, writer_.Blocked(), substituted_});
  }

 private:
  TransmitSession& session_;
  BoundedWriter writer_;
  size_t substituted_ = 0;
};

std::string_view ArrowKeySequence(ArrowKey key) {
  switch (key) {
    case ArrowKey::Up: return std::string_view("\x1b[A", 3);
    case ArrowKey::Down: return std::string_view("\x1b[B", 3);
    case ArrowKey::Right: return std::string_view("\x1b[C", 3);
    case ArrowKey::Left: break;
  }
  return std::string_view("\x1b[D", 3);
}

namespace {

class NoListener final : public TransmitListener {
 public:
  void PortNotOpen() override {}
  void CountChanged(const CountNote&) override {}
};

NoListener noListener;

}  // namespace

TransmitSession::TransmitSession(TransmitLine& line, TransmitListener& listener)
    : line_(line), listener_(&listener) {}

TransmitSession::TransmitSession(TransmitLine& line) : TransmitSession(line, noListener) {}

void TransmitSession::SetListener(TransmitListener* listener) { listener_ = listener ? listener : &noListener; }

// ---- the transmit field ----

void TransmitSession::SendFieldAs(std::string_view utf8, SendTrigger trigger) {
  Action action(*this, trigger);
  SerialPort& port = line_.Port();
  if (!port.IsOpen()) {
    listener_->PortNotOpen();
  } else if (hex_) {
    // Characters GBK lacks can never be hex digits; they are passed over like any other.
    const GbkEncoded gbk = EncodeGbk(utf8);
    action.Count(SendText(action.Writer(), gbk.bytes, true, LineEnd::None));
    action.ShowCount(true);
  } else {
    const std::string gbk = action.EncodeNoted(utf8);
    action.Count(SendText(action.Writer(), gbk, false, ChooseLineEnd(newLine_, lineFeed_)));
    action.ShowCount(true);
  }
  port.SetEventMask(win::EV_RXCHAR);
}

void TransmitSession::SendField(std::string_view utf8) { SendFieldAs(utf8, SendTrigger::User); }

void TransmitSession::TimedTick(std::string_view utf8) {
  if (actionsRunning_ > 0) return;  // a tick from inside a send's notice
  if (line_.Port().IsOpen()) SendFieldAs(utf8, SendTrigger::Timer);
}

void TransmitSession::StoreField(std::string_view utf8) {
  std::string& slot = hex_ ? TransmitDataHex : TransmitDataChar;
  slot = KeepOrEncodeGbk(utf8, slot);
}

std::string TransmitSession::FieldText() const { return DecodeGbk(hex_ ? TransmitDataHex : TransmitDataChar); }

void TransmitSession::SetHex(bool hex) { hex_ = hex; }

void TransmitSession::SetLineEnds(bool newLine, bool lineFeed) {
  newLine_ = newLine;
  lineFeed_ = lineFeed;
}

// The whole table at once, so the result never depends on the order in which the marks
// were set.
LineEndBoxes TransmitSession::UsableLineEnds() const {
  return LineEndBoxes{!hex_ && (newLine_ || !lineFeed_), !hex_ && !newLine_};
}

// ---- the presets ----

// Within an action: a pass shares one action across its presets, so that a blocked line
// costs the pass one write bound, not one per preset.
void TransmitSession::SendPresetIn(Action& action, const Preset& preset) {
  if (preset.text.empty()) return;
  SerialPort& port = line_.Port();
  if (!port.IsOpen()) {
    listener_->PortNotOpen();
  } else {
    // Characters GBK lacks cannot be hex digits, so they are only noted for character text.
    // The line-end marks count even while the field's hex mode has the boxes disabled.
    const std::string gbk = preset.hex ? EncodeGbk(preset.text).bytes : action.EncodeNoted(preset.text);
    const LineEnd end = preset.hex ? LineEnd::None : ChooseLineEnd(newLine_, lineFeed_);
    action.Count(SendText(action.Writer(), gbk, preset.hex, end));
    action.ShowCount(true);
  }
  port.SetEventMask(win::EV_RXCHAR);
}

void TransmitSession::SendPreset(const Preset& preset) {
  Action action(*this, SendTrigger::User);
  SendPresetIn(action, preset);
}

void TransmitSession::CycleTick(const std::function<Preset(int row)>& presetAt) {
  // A tick from inside a notice of this (or another) send would nest a second pass.
  if (actionsRunning_ > 0 || !cycleOn_) return;
  Action action(*this, SendTrigger::Timer);
  for (int row = 1; row <= 32; ++row) {
    if (action.Writer().Blocked()) break;  // the rest would only wait for the same line
    SendPresetIn(action, presetAt(row));
  }
}

// ---- the timed send and the cycle ----

bool TransmitSession::SwitchTimedSend(bool on, std::optional<int32_t> period) {
  timedChecked_ = on;
  if (!on) {
    timedPeriodEditable_ = true;
    timed_.ticking = false;
    return true;
  }
  if (!period) return false;
  timed_.interval = *period;
  timed_.ticking = *period > 0;
  timedPeriodEditable_ = false;
  return true;
}

bool TransmitSession::SwitchCycle(bool on, std::optional<int32_t> period) {
  cycleOn_ = on;
  if (on) {
    timed_.ticking = false;
    timedPeriodEditable_ = false;
    if (!period) return false;
    cycle_.interval = *period;
    cycle_.ticking = *period > 0;
    return true;
  }
  timed_.ticking = timedChecked_ && timed_.interval > 0;
  timedPeriodEditable_ = !timedChecked_;
  cycle_.ticking = false;
  return true;
}

void TransmitSession::StopTimedSend() { timed_.ticking = false; }

// ---- keys typed into the receive window ----

bool TransmitSession::KeyDown(std::optional<ArrowKey> arrow) {
  if (!line_.Port().IsOpen()) return false;
  Action action(*this, SendTrigger::User);
  if (arrow) {
    const std::string_view sequence = ArrowKeySequence(*arrow);
    if (action.Writer().Write(sequence.data(), sequence.size())) action.Count(static_cast<uint32_t>(sequence.size()));
  }
  action.ShowCount(false);
  return arrow.has_value();
}

void TransmitSession::KeysTyped(std::string_view utf8) {
  if (!line_.Port().IsOpen() || utf8.empty()) return;
  Action action(*this, SendTrigger::User);
  const std::string gbk = action.EncodeNoted(utf8);
  action.Count(SendBytesOneByOne(action.Writer(), gbk));
  action.ShowCount(false);
}

// ---- the count ----

void TransmitSession::ClearCount() {
  count_ = 0;
  listener_->CountChanged(CountNote{0, true, false, 0});  // also drops an old note
}
