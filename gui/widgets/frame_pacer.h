#pragma once
// Runs an action at most once per frame of the screen. A request within a frame of the last
// run is put off to that frame's end, and every request made meanwhile is served by that one
// run. While the action finds work it runs again at the next frame without being asked: a
// stream that brings a chunk every few milliseconds thus paints the window at the screen's
// pace and wakes it once a frame; nothing waits longer than one frame.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

class FramePacer {
 public:
  static constexpr int kFrameMs = 16;  // 60 frames a second

  // `action` returns true when it found work: it is then run again a frame later.
  explicit FramePacer(std::function<bool()> action);
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  // User-interface thread: the action runs now, or at the end of the current frame.
  void Request();
  // The action runs now, and a run put off is dropped: it would find nothing left to do.
  void RunNow();

 private:
  void Run();

  std::function<bool()> action_;
  QTimer deferred_;
  QElapsedTimer lastRun_;
};
