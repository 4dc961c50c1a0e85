#include "gui/terminal/receive_feed.h"

#include "core/terminal/receive_pipeline.h"
#include "gui/widgets/receive_view.h"

namespace {

// Hex pairs are cut only at the blanks between them; text wraps wherever a line is full.
WrapAt RenderingWrap(bool hex) { return hex ? WrapAt::Blank : WrapAt::AnyCharacter; }

}  // namespace

int64_t ReceiveFeed::ShowPending() {
  // Paused: what is new stays in the store, the pending copy is let go (the resume shows
  // everything kept anyway), so a long pause does not pile it up.
  const ReceiveUpdate& update = receive_.TakePending(hex_, stamps_ && !paused_);
  if (paused_) return update.ReceivedCount;
  // A backspace that took back only new text leaves the stamped lines shown as they are:
  // the rest of the new text is stamped on after them. One that reached into them, or a
  // drop of old data, makes the stamped rendering anew.
  if (stamps_ && (update.Reset || update.DroppedHead > 0 || update.TailCut > 0)) {
    const int64_t count = update.ReceivedCount;
    ShowAll();
    view_.ScrollToBottom();
    return count;
  }
  if (update.Reset) {
    view_.SetContent(update.Bytes);
    view_.ScrollToBottom();
  } else if (stamps_) {
    shown_.clear();
    stamped_.Add(update.Bytes, update.Marks, shown_);
    if (update.Backspaced) {
      view_.ReplaceTail(0, shown_);  // a re-set, as the window's end shows
    } else {
      view_.Append(shown_.data(), shown_.size());
    }
  } else {
    if (update.DroppedHead > 0) view_.DropHead(update.DroppedHead);
    if (update.Backspaced) {
      view_.ReplaceTail(update.TailCut, update.Bytes);  // and the end comes into view
    } else {
      view_.Append(update.Bytes.data(), update.Bytes.size());
    }
  }
  return update.ReceivedCount;
}

void ReceiveFeed::ShowAll() {
  // The window grows up to the kept rendering (more with stamps): room for it at once, so
  // that a stream does not copy the window over and over as it grows.
  const size_t rendered = receive_.KeptBytes() * (hex_ ? ReceiveStore::kHexCharsPerByte : 1);
  view_.Reserve(stamps_ ? rendered + rendered / 2 : rendered);  // a stamp adds a third to a hex line
  receive_.SnapshotForReset(hex_, kept_, stamps_ ? &marks_ : nullptr);
  if (!stamps_) {
    view_.SetContent(kept_, RenderingWrap(hex_));
    return;
  }
  stamped_.Restart(hex_, gapMs_);
  shown_.clear();
  stamped_.Add(kept_, marks_, shown_);
  view_.SetContent(shown_, RenderingWrap(hex_));
}

void ReceiveFeed::SetHex(bool hex) {
  hex_ = hex;
  ShowAll();
}

void ReceiveFeed::SetStamps(bool on, int gapMs) {
  stamps_ = on;
  gapMs_ = gapMs;
  ShowAll();
}

void ReceiveFeed::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  if (paused) return;
  ShowAll();
  view_.ScrollToBottom();
}
