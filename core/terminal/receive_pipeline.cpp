#include "core/terminal/receive_pipeline.h"

#include "core/settings/file_io.h"
#include "core/terminal/sleeping_worker.h"
#include "core/terminal/worker_loops.h"

ReceivePipeline::ReceivePipeline(SerialPort& port, MessageTarget& window, size_t keptBytes,
                                 std::shared_ptr<const ArrivalClock> clock)
    : clock_(clock ? std::move(clock) : std::make_shared<SystemArrivalClock>()),
      store_(ReceiveStore::Create(keptBytes)),
      capture_(*clock_) {
  if (!store_) return;
  worker_ = std::make_unique<SleepingWorker>(
      [this, &port, &window](SleepingWorker& self) {
        RunReceiveLoop(self, stop_, port, *store_, capture_, *clock_, tap_, window);
      },
      stop_);
}

// The worker first: it hands chunks to the capture until it ends.
ReceivePipeline::~ReceivePipeline() {
  Stop();
  capture_.Stop();
}

void ReceivePipeline::BytesArrived() {
  if (worker_) worker_->Resume();
}

void ReceivePipeline::Stop() {
  if (!worker_) return;
  stop_.store(true, std::memory_order_release);
  worker_->Resume();
  worker_->Join();
}

const ReceiveUpdate& ReceivePipeline::TakePending(bool hex, bool withMarks) {
  if (store_) {
    store_->TakePending(hex, pending_, withMarks);
  } else {
    pending_ = ReceiveUpdate{};
  }
  return pending_;
}

void ReceivePipeline::SnapshotForReset(bool hex, std::string& out, ArrivalMarks* marks) {
  if (store_) {
    store_->SnapshotForReset(hex, out, marks);
  } else {
    out.clear();
    if (marks) marks->clear();
  }
}

std::string ReceivePipeline::Snapshot(bool hex) const { return store_ ? store_->Snapshot(hex) : std::string(); }

void ReceivePipeline::Clear() {
  if (store_) store_->Clear();
}

int ReceivePipeline::Save(const std::string& path, bool hex, int stampGapMs) const {
  if (stampGapMs <= 0 || !store_) return WriteFileAtomically(path, Snapshot(hex), 0666);
  std::string kept;
  ArrivalMarks marks;
  store_->SnapshotWithMarks(hex, kept, marks);
  StampedRendering stamped;
  stamped.Restart(hex, stampGapMs);
  std::string shown;
  stamped.Add(kept, marks, shown);
  return WriteFileAtomically(path, shown, 0666);
}
