#pragma once
// What the receive window shows of the receive pipeline: the text or hex rendering, with or
// without time stamps, live or paused. New data is appended as it comes; a change of the
// rendering, of the stamps or the end of a pause shows everything kept afresh.
//
// Stamps: the stamped rendering is made here from the kept rendering and its arrival times.
// When the store drops its oldest data, the window is set afresh from what is kept (the
// window's lines and the store's bytes no longer line up one to one).
// Pause: the window stays as it is; what arrives meanwhile is counted, and the store keeps
// it (up to its size), so a resume shows it as if there had been no pause.
#include <cstdint>
#include <string>

#include "core/receive/line_stampers.h"

class ReceivePipeline;
class ReceiveView;

class ReceiveFeed {
 public:
  ReceiveFeed(ReceivePipeline& receive, ReceiveView& view) : receive_(receive), view_(view) {}

  // Shows what is new (nothing while paused); the number of bytes received.
  int64_t ShowPending();
  void SetHex(bool hex);
  void SetStamps(bool on, int gapMs);
  void SetPaused(bool paused);
  bool Hex() const { return hex_; }
  bool Stamps() const { return stamps_; }
  int GapMs() const { return gapMs_; }
  bool Paused() const { return paused_; }
  // The whole kept rendering, as it is to be shown, in the window (at its top).
  void ShowAll();

 private:
  ReceivePipeline& receive_;
  ReceiveView& view_;
  bool hex_ = true;
  bool stamps_ = false;
  bool paused_ = false;
  int gapMs_ = kDefaultHexGapMs;
  StampedRendering stamped_;
  std::string kept_;
  std::string shown_;
  ArrivalMarks marks_;
};
