#include "core/terminal/receive_pipeline.h"

#include "core/settings/file_io.h"
#include "core/terminal/sleeping_worker.h"
#include "core/terminal/worker_loops.h"

ReceivePipeline::ReceivePipeline(SerialPort& port, MessageTarget& window, size_t keptBytes)
    : store_(ReceiveStore::Create(keptBytes)) {
  if (!store_) return;
  worker_ = std::make_unique<SleepingWorker>(
      [this, &port, &window](SleepingWorker& self) { RunReceiveLoop(self, stop_, port, *store_, tap_, window); }, stop_);
}

ReceivePipeline::~ReceivePipeline() { Stop(); }

void ReceivePipeline::BytesArrived() {
  if (worker_) worker_->Resume();
}

void ReceivePipeline::Stop() {
  if (!worker_) return;
  stop_.store(true, std::memory_order_release);
  worker_->Resume();
  worker_->Join();
}

const ReceiveUpdate& ReceivePipeline::TakePending(bool hex) {
  if (store_) {
    store_->TakePending(hex, pending_);
  } else {
    pending_ = ReceiveUpdate{};
  }
  return pending_;
}

void ReceivePipeline::SnapshotForReset(bool hex, std::string& out) {
  if (store_) {
    store_->SnapshotForReset(hex, out);
  } else {
    out.clear();
  }
}

std::string ReceivePipeline::Snapshot(bool hex) const { return store_ ? store_->Snapshot(hex) : std::string(); }

void ReceivePipeline::Clear() {
  if (store_) store_->Clear();
}

int ReceivePipeline::Save(const std::string& path, bool hex) const { return WriteFileAtomically(path, Snapshot(hex), 0666); }
