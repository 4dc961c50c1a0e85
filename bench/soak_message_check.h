#pragma once
// Reads the stream the window sent as a sequence of the messages it was set up to send:
// the timed-send text, and the preset pass (every non-empty preset, first to last, back to
// back, since one pass runs within one timer tick). Counts whole timed messages and whole
// passes (a pass with a break in it does not count); anything else (a torn message, a lost or foreign byte, a preset
// out of order, a timed message inside a pass) counts as one error, after which the reading picks up again at the next
// byte that starts a message. Every message must start with a byte of its own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class SentMessageCheck {
 public:
  SentMessageCheck(std::string timed, std::vector<std::string> pass) {
    messages_.push_back(std::move(timed));
    for (std::string& preset : pass) messages_.push_back(std::move(preset));
    starts_.fill(kNone);
    for (size_t i = 0; i < messages_.size(); ++i) {
      const auto first = static_cast<uint8_t>(messages_[i].at(0));
      unambiguous_ = unambiguous_ && starts_[first] == kNone;
      starts_[first] = static_cast<int>(i);
    }
  }

  bool Unambiguous() const { return unambiguous_; }

  void Add(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) Take(bytes[i]);
  }

  uint64_t TimedMessages() const { return timed_; }
  uint64_t Passes() const { return passes_; }
  uint64_t Errors() const { return errors_; }
  // Nothing half read: the stream ended at the end of a message and outside a pass.
  bool EndsClean() const { return current_ == kNone && nextPreset_ == kNone; }

 private:
  static constexpr int kNone = -1;
  static constexpr int kTimed = 0;

  void Take(uint8_t byte) {
    if (current_ != kNone) {
      if (byte == static_cast<uint8_t>(messages_[current_][offset_])) {
        if (++offset_ == messages_[current_].size()) Finish();
        return;
      }
      Fail();  // the message broke off; the byte may start the next one
    }
    Start(byte);
  }

  void Start(uint8_t byte) {
    const int message = starts_[byte];
    if (message == kNone) return Fail();
    const bool timedInsidePass = message == kTimed && nextPreset_ != kNone;
    const bool presetOutOfOrder = message != kTimed && message != (nextPreset_ == kNone ? 1 : nextPreset_);
    if (timedInsidePass || presetOutOfOrder) {
      Fail();
      nextPreset_ = kNone;
    }
    if (message == 1) passBroken_ = false;
    current_ = message;
    offset_ = 1;
    if (offset_ == messages_[current_].size()) Finish();
  }

  void Finish() {
    if (current_ == kTimed) {
      ++timed_;
    } else if (current_ + 1 < static_cast<int>(messages_.size())) {
      nextPreset_ = current_ + 1;
    } else {
      if (!passBroken_) ++passes_;
      nextPreset_ = kNone;
    }
    current_ = kNone;
    failing_ = false;
  }

  // One error per break, however many bytes follow before the next good message.
  void Fail() {
    if (!failing_) ++errors_;
    failing_ = true;
    passBroken_ = true;
    current_ = kNone;
  }

  std::vector<std::string> messages_;  // [0] the timed text, then the pass in order
  std::array<int, 256> starts_{};
  bool unambiguous_ = true;
  int current_ = kNone;
  size_t offset_ = 0;
  int nextPreset_ = kNone;
  bool failing_ = false;
  bool passBroken_ = true;  // until a pass starts with its first preset
  uint64_t timed_ = 0;
  uint64_t passes_ = 0;
  uint64_t errors_ = 0;
};
