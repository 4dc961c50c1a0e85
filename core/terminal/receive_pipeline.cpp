#include "core/terminal/receive_pipeline.h"

#include "core/settings/file_io.h"
#include "core/terminal/sleeping_worker.h"
#include "core/terminal/messages.h"
#include "core/terminal/receive_tap.h"
#include "serial/serial_port.h"

namespace {

// What one read takes from the port: the window shows at most this much per read, and a
// chunk's bytes share one arrival time.
constexpr uint32_t kReceiveChunkBytes = 256;
// How much ReadArrived() reads on its caller's thread before it hands over to the worker.
constexpr size_t kCallerChunks = 64;

}  // namespace

ReceivePipeline::ReceivePipeline(SerialPort& port, MessageTarget& window, size_t keptBytes,
                                 std::shared_ptr<const ArrivalClock> clock)
    : port_(port),
      window_(window),
      clock_(clock ? std::move(clock) : std::make_shared<SystemArrivalClock>()),
      store_(ReceiveStore::Create(keptBytes)),
      capture_(*clock_) {
  if (!store_) return;
  worker_ = std::make_unique<SleepingWorker>(
      [this](SleepingWorker& self) {
        while (!stop_.load(std::memory_order_acquire)) {
          if (ReadChunk() == 0) self.SleepUntilWoken();
        }
      },
      stop_);
}

// The worker first: it hands chunks to the capture until it ends.
ReceivePipeline::~ReceivePipeline() {
  Stop();
  capture_.Stop();
}

uint32_t ReceivePipeline::ReadChunk() {
  // Read and hand-over are one step: with two readers (the worker and the port's monitor)
  // chunks still reach the store in the order they left the port.
  std::lock_guard reading(readLock_);
  uint8_t chunk[kReceiveChunkBytes];
  uint32_t count = 0;
  port_.Read(chunk, sizeof chunk, &count, nullptr, win::INFINITE_TIMEOUT);
  if (count == 0) return 0;
  const int64_t arrivalMs = clock_->NowMs();
  store_->AddChunk(chunk, count, arrivalMs);
  capture_.Take(chunk, count, arrivalMs);
  if (ReceiveTap* tap = tap_.load(std::memory_order_acquire)) {
    tap->ChunkReceived(chunk, count, std::chrono::steady_clock::now());
  }
  // One message stands for everything added until the window takes it: a fast stream does
  // not queue a message (and a wake-up of the window) per chunk. A second one says that a
  // large backlog has built up, for a window that puts its shows off.
  // (Sequentially consistent, as ReleaseLook(): either this sees the release or it sees this.)
  const size_t backlog = backlog_.fetch_add(count) + count;
  uint8_t posted = showPosted_.load();
  while (posted < 2 && (posted == 0 || backlog >= kLargeBacklogBytes)) {
    if (showPosted_.compare_exchange_weak(posted, posted + 1)) {
      window_.Post(win::WM_RECEIVE_SHOW, 0, 0);
      break;
    }
  }
  return count;
}

void ReceivePipeline::ReadArrived() {
  if (!worker_ || stop_.load(std::memory_order_acquire)) return;
  // A short read found the queue's end and re-armed the port's report: what comes after it
  // is reported anew, so there is no need to read again for nothing.
  for (size_t chunks = 0; chunks < kCallerChunks; ++chunks) {
    if (ReadChunk() < kReceiveChunkBytes) return;
  }
  worker_->Resume();  // the queue keeps filling: the worker reads on, the caller goes back
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
  // Before the take: a chunk added after it posts a message of its own.
  showPosted_.store(0);
  backlog_.store(0);
  if (store_) {
    store_->TakePending(hex, pending_, withMarks);
  } else {
    pending_ = ReceiveUpdate{};
  }
  return pending_;
}

void ReceivePipeline::ExpectLook() {
  uint8_t posted = 0;
  showPosted_.compare_exchange_strong(posted, 1);  // a message already on its way stays counted
}

bool ReceivePipeline::ReleaseLook() {
  showPosted_.store(0);
  return backlog_.load() > 0;
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
