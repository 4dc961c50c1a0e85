#pragma once
// The transmit side of the terminal page without its widgets: what "发送", the timed send, the
// presets and their cycle, and the keys typed into the receive window put on the line; the
// two texts of the transmit field, its mode and line ends; the states of the timed send and
// of the cycle; the byte count. It writes through the line it is given and tells its
// listener what the user is to see, so it runs (and is tested) without a window.
//
// Everything here runs on one thread. A listener that shows a notice may run an event loop
// from inside a call; ticks of either timer that arrive then are skipped, never nested.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/transmit/bounded_write.h"
#include "core/transmit/text_send.h"

class SerialPort;

// The port the transmit side writes to, as the terminal page has it set up.
class TransmitLine {
 public:
  virtual ~TransmitLine() = default;
  virtual SerialPort& Port() = 0;
  // How the line frames a byte at this moment: each write is bounded by it.
  virtual LineFrame Frame() const = 0;
};

// What one action leaves for the status panel of the count.
struct CountNote {
  int32_t count = 0;
  bool withColon = true;    // "发送：" (field, timer, presets) or "发送" (typed keys)
  bool blocked = false;     // the line was held: the rest of the action was not sent
  size_t substituted = 0;   // characters GBK lacks, sent as '?'
};

// What the user is to see; the session shows nothing itself.
class TransmitListener {
 public:
  virtual ~TransmitListener() = default;
  // A send found the port closed: "串口还未打开！" is due.
  virtual void PortNotOpen() = 0;
  virtual void CountChanged(const CountNote& note) = 0;
};

// One preset row as it stands at the moment it is sent.
struct Preset {
  std::string text;  // UTF-8
  bool hex = false;
};

enum class ArrowKey { Left, Up, Right, Down };

// The escape sequence an arrow key sends: ESC "[D" left, "[A" up, "[C" right, "[B" down.
std::string_view ArrowKeySequence(ArrowKey key);

// What a toolkit timer of a panel is to do. A period of 0 (or below) never ticks.
struct TimerState {
  bool ticking = false;
  int32_t interval = 1000;  // milliseconds
};

// Which of the two line-end boxes may be used.
struct LineEndBoxes {
  bool newLine = true;
  bool lineFeed = true;
};

class TransmitSession {
 public:
  TransmitSession(TransmitLine& line, TransmitListener& listener);
  // Without a listener yet: notices go nowhere until the page that shows them attaches.
  explicit TransmitSession(TransmitLine& line);
  // The page that shows the notices; null detaches it (a page going away).
  void SetListener(TransmitListener* listener);
  TransmitSession(const TransmitSession&) = delete;
  TransmitSession& operator=(const TransmitSession&) = delete;

  // ---- the transmit field ----
  // Sends the field's current text once: hex byte text byte by byte, or the characters and
  // the chosen line end. Ends by narrowing the port's events to received bytes.
  void SendField(std::string_view utf8);
  // A tick of the timed send: sends the field only on an open port, and only where the line
  // has room as its first bytes are due (see BoundedWriter).
  void TimedTick(std::string_view utf8);
  // The focus leaves the field: its text goes into the slot of the current mode.
  void StoreField(std::string_view utf8);
  // The field's text for the current mode (UTF-8).
  std::string FieldText() const;
  void SetHex(bool hex);
  bool Hex() const { return hex_; }
  void SetLineEnds(bool newLine, bool lineFeed);
  LineEndBoxes UsableLineEnds() const;

  // GBK bytes of the field kept for each mode; the settings file reads and writes them.
  std::string TransmitDataChar;
  std::string TransmitDataHex;

  // ---- the presets ----
  // One preset, as its button sends it: an empty text does nothing at all.
  void SendPreset(const Preset& preset);
  // One pass of the cycle: presets 1 to 32 (`presetAt(row)` reads a row the moment it is
  // due), while the cycle is on; a pass on a held line stops at its first skipped write.
  void CycleTick(const std::function<Preset(int row)>& presetAt);

  // ---- the timed send and the cycle ----
  // The timed send's box changed; `period` is the number in its field, or nothing when the
  // field holds none. False when checked without a number: then nothing else changes.
  bool SwitchTimedSend(bool on, std::optional<int32_t> period);
  // The cycle's box changed. On, it holds the timed send (its timer stops, its controls are
  // locked); off, it brings the timed send back if that box is still checked. False when
  // checked without a number: the cycle is then on but does not tick.
  bool SwitchCycle(bool on, std::optional<int32_t> period);
  // The terminal port was given up: the timed send stops, its box stays checked.
  void StopTimedSend();
  TimerState TimedSend() const { return timed_; }
  bool TimedPeriodEditable() const { return timedPeriodEditable_; }
  TimerState Cycle() const { return cycle_; }
  bool CycleOn() const { return cycleOn_; }

  // ---- keys typed into the receive window ----
  // A key went down; an arrow key is sent as its escape sequence. True: the key was used
  // (swallowed). Nothing at all happens on a closed port.
  bool KeyDown(std::optional<ArrowKey> arrow);
  // Typed characters (control characters and input-method text included), byte by byte.
  void KeysTyped(std::string_view utf8);

  // ---- the count ----
  int32_t TransmittedCount() const { return count_; }
  void ClearCount();

 private:
  class Action;
  void SendFieldAs(std::string_view utf8, SendTrigger trigger);
  void SendPresetIn(Action& action, const Preset& preset);

  TransmitLine& line_;
  TransmitListener* listener_;
  int32_t count_ = 0;
  int actionsRunning_ = 0;  // actions (and their notices) in progress
  bool hex_ = true;
  bool newLine_ = false;
  bool lineFeed_ = false;
  bool timedChecked_ = false;
  bool timedPeriodEditable_ = true;
  TimerState timed_;
  bool cycleOn_ = false;
  TimerState cycle_;
};
