#pragma once
// The terminal port's way in, from the device to what the window shows: a worker that reads
// the port in chunks into the receive store and tells the window that something is new, the
// store with both renderings, and the hand-off of what is new to the user-interface thread.
// It also writes the kept rendering to a file, and hands every chunk to the capture. Each
// chunk is stamped with the time the worker read it. Nothing here touches a widget.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "core/capture/capture_recorder.h"
#include "core/receive/arrival_clock.h"
#include "core/receive/receive_store.h"

class MessageTarget;
class ReceiveTap;
class SerialPort;
class SleepingWorker;

class ReceivePipeline {
 public:
  // Reads `port` once woken and posts WM_RECEIVE_SHOW to `window` when a chunk is new and no
  // message is waiting for TakePending() (which the window calls for each message, or soon
  // after; a tap's consumer drains it on the same occasion, after TakePending()), and once
  // more when LargeBacklog() becomes true. The store's
  // buffers are allocated at once; see Ready(). Arrival times come from `clock` (the system
  // clock when none is given).
  ReceivePipeline(SerialPort& port, MessageTarget& window,
                  size_t keptBytes = ReceiveStore::kDefaultKeptBytes, std::shared_ptr<const ArrivalClock> clock = nullptr);
  ~ReceivePipeline();  // stops the worker first
  ReceivePipeline(const ReceivePipeline&) = delete;
  ReceivePipeline& operator=(const ReceivePipeline&) = delete;

  // False when the buffers could not be allocated: nothing is read, nothing is shown.
  bool Ready() const { return store_ != nullptr; }

  // The port reports received bytes: the worker reads until the port's queue is empty. A
  // wake-up while it reads is kept, so no byte waits for the next one.
  void BytesArrived();
  // The same, called on the thread that learnt of the bytes (the port's monitor): reads
  // them there, so an arrival wakes one thread, not two. A queue that stays full is left
  // to the worker after 16 KB, so that the caller is soon back to its own work.
  void ReadArrived();
  // Every chunk read from now on goes to `tap` as well, on the worker, right after the store
  // has it; null stops that. The tap must outlive the worker (see Stop()).
  void SetTap(ReceiveTap* tap) { tap_.store(tap, std::memory_order_release); }
  // Ends the worker (it finishes the chunk it holds) and waits for it. Idempotent.
  void Stop();

  // User-interface thread: what to show in the chosen rendering since the last call. The
  // update is reused from call to call, so showing a chunk allocates nothing.
  // `withMarks`: with the arrival times of what is new.
  const ReceiveUpdate& TakePending(bool hex, bool withMarks = false);
  // So much came since the last TakePending() that showing it should not wait: a burst is
  // then shown in pieces that each take the user-interface thread a short while.
  bool LargeBacklog() const { return backlog_.load(std::memory_order_acquire) >= kLargeBacklogBytes; }
  static constexpr size_t kLargeBacklogBytes = 64 * 1024;
  // For a window that looks on its own while bytes keep coming (40 times a second): after
  // ExpectLook() new chunks post nothing until ReleaseLook() (except for a large backlog).
  // ReleaseLook() is true when bytes came since the last take, which are then the window's
  // to show: chunks from now on post again.
  void ExpectLook();
  bool ReleaseLook();
  // The whole kept rendering for re-setting the window; empties what is pending, since the
  // copy holds it already. `marks`, when given, gets its arrival times.
  void SnapshotForReset(bool hex, std::string& out, ArrivalMarks* marks = nullptr);
  std::string Snapshot(bool hex) const;
  void Clear();
  int64_t ReceivedCount() const { return store_ ? store_->ReceivedCount() : 0; }
  // How many received bytes the renderings keep (0 without buffers).
  size_t KeptBytes() const { return store_ ? store_->KeptBytes() : 0; }
  // Writes the kept rendering to `path`, beside it first and then renamed into place, so a
  // full disk leaves neither a cut file nor a damaged older one. 0, or the errno.
  // `stampGapMs` > 0: the stamped rendering (hex lines broken at pauses of that length).
  int Save(const std::string& path, bool hex, int stampGapMs = 0) const;

  CaptureRecorder& Capture() { return capture_; }
  const ArrivalClock& Clock() const { return *clock_; }

 private:
  // Reads one chunk into the store, the capture and the tap, and tells the window; the
  // count read (0: the port's queue was empty).
  uint32_t ReadChunk();

  SerialPort& port_;
  MessageTarget& window_;
  std::mutex readLock_;
  std::shared_ptr<const ArrivalClock> clock_;
  std::unique_ptr<ReceiveStore> store_;
  CaptureRecorder capture_;
  std::atomic<bool> stop_{false};
  std::atomic<ReceiveTap*> tap_{nullptr};
  std::atomic<uint8_t> showPosted_{0};  // WM_RECEIVE_SHOW messages on their way since the take
  std::atomic<size_t> backlog_{0};      // bytes read since the take
  std::unique_ptr<SleepingWorker> worker_;
  ReceiveUpdate pending_;
};
