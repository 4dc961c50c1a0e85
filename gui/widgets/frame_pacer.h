#pragma once
// Runs an action at most once per display interval (40 times a second). A request within an
// interval of the last run is put off to that interval's end, and every request made
// meanwhile is served by that one run. While the action finds work it runs again an
// interval later without being asked: a stream that brings a chunk every few milliseconds
// thus paints the window at that pace and wakes it once an interval; nothing waits longer
// than one interval.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

class FramePacer {
 public:
  // 40 runs a second: scrolling text still looks smooth, at two thirds of the cost of 60.
  static constexpr int kIntervalMs = 25;

  // `action` returns true when it found work: it is then run again an interval later.
  explicit FramePacer(std::function<bool()> action);
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  // User-interface thread: the action runs now, or at the end of the current interval.
  void Request();
  // The action runs now, and a run put off is dropped: it would find nothing left to do.
  void RunNow();

 private:
  void Run();

  std::function<bool()> action_;
  QTimer deferred_;
  QElapsedTimer lastRun_;
};
