#pragma once
// Runs an action at most once per frame of the screen. A request within a frame of the last
// run is put off to that frame's end, and every request made meanwhile is served by that one
// run. A stream that brings a chunk every few milliseconds thus paints the window at the
// screen's pace, not at the chunks' pace; nothing waits longer than one frame.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

class FramePacer {
 public:
  static constexpr int kFrameMs = 16;  // 60 frames a second

  explicit FramePacer(std::function<void()> action);
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  // User-interface thread: the action runs now, or at the end of the current frame.
  void Request();
  // The action runs now, and a run put off is dropped: it would find nothing left to do.
  void RunNow();

 private:
  void Run();

  std::function<void()> action_;
  QTimer deferred_;
  QElapsedTimer lastRun_;
};
