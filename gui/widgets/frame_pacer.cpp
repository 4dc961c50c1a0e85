#include "gui/widgets/frame_pacer.h"

FramePacer::FramePacer(std::function<bool()> action) : action_(std::move(action)) {
  deferred_.setSingleShot(true);
  deferred_.setTimerType(Qt::PreciseTimer);  // a coarse timer may add 5% to the interval
  QObject::connect(&deferred_, &QTimer::timeout, [this] { Run(); });
}

void FramePacer::Request() {
  if (deferred_.isActive()) return;  // the run at the interval's end serves this request too
  const qint64 since = lastRun_.isValid() ? lastRun_.elapsed() : kIntervalMs;
  if (since >= kIntervalMs) {
    Run();
  } else {
    deferred_.start(static_cast<int>(kIntervalMs - since));
  }
}

void FramePacer::RunNow() {
  deferred_.stop();
  Run();
}

void FramePacer::Run() {
  lastRun_.start();
  if (action_()) deferred_.start(kIntervalMs);
}
