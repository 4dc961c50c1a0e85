#pragma once
// Capture to file: every byte the receive worker reads, from the moment the capture starts,
// whatever the window's buffer keeps or shows. The worker hands its chunks over (Take), a
// writer thread of the capture's own formats and writes them, so the worker never waits for
// the disk; the user-interface thread starts, stops and marks the port's events.
//
// Files: named from the pattern at the arrival time of their first byte; a new file when the
// local date changes (between two chunks, by their arrival times) and once a file has reached
// the size limit. A file is always created new, never written over.
//
// Failures: a pattern that makes no file name, a folder that is missing or refuses the file,
// a write that fails (a full disk, a removed folder): the capture stops, what was written
// stays, and the listener hears of it once. A writer that falls behind by kMaxQueuedBytes
// (a disk that hangs) is a failure of its own: reception never waits for it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/capture/capture_formatter.h"
#include "core/capture/capture_options.h"

class ArrivalClock;

enum class CaptureStep : uint8_t {
  Name,     // the pattern makes no file name
  Folder,   // the folder is missing or cannot be made
  Create,   // the file cannot be created
  Write,    // a write failed
  Overrun,  // the writer fell too far behind
};

struct CaptureFailure {
  CaptureStep step = CaptureStep::Write;
  int error = 0;     // errno, 0 where none applies
  std::string path;  // the file or folder concerned
};

class CaptureListener {
 public:
  virtual ~CaptureListener() = default;
  // Writer thread: a new file was started (midnight, size limit).
  virtual void CaptureFileStarted(const std::string& path) = 0;
  // Writer thread: the capture stopped on `failure`; Stop() cleans up.
  virtual void CaptureFailed(const CaptureFailure& failure) = 0;
};

class CaptureRecorder {
 public:
  static constexpr size_t kMaxQueuedBytes = 64 * 1024 * 1024;

  explicit CaptureRecorder(const ArrivalClock& clock);
  ~CaptureRecorder();  // stops
  CaptureRecorder(const CaptureRecorder&) = delete;
  CaptureRecorder& operator=(const CaptureRecorder&) = delete;

  // User-interface thread. Creates the first file and starts the writer; a capture already
  // running is stopped first. The failure when the file cannot be made.
  std::optional<CaptureFailure> Start(const CaptureOptions& options, const std::string& portShortName,
                                      CaptureListener* listener);
  // Writes what was handed over, closes the file and ends the writer. Idempotent.
  void Stop();
  // Whether chunks are being taken (false once a failure stopped the capture).
  bool Running() const { return taking_.load(std::memory_order_acquire); }
  // The file being written.
  std::string CurrentPath() const;
  // A port event, as a marker line in the line formats.
  void Mark(PortMark mark, const std::string& portShortName);

  // Receive worker: a chunk that arrived at `ms`. Never waits for the disk.
  void Take(const uint8_t* bytes, size_t count, int64_t ms);

 private:
  struct Item {
    size_t offset = 0;   // where its bytes begin in the queue's bytes
    int64_t ms = 0;
    bool isMark = false;
    PortMark mark = PortMark::Opened;
    std::string port;
  };
  struct Queue {
    std::string bytes;
    std::vector<Item> items;
    void Clear() {
      bytes.clear();
      items.clear();
    }
  };

  void WriterLoop();
  bool Process(const Queue& work);
  bool WriteReady(bool all);
  bool StartFile(int64_t ms);
  void CloseFile();
  void Fail(CaptureStep step, int error, const std::string& path);

  const ArrivalClock& clock_;
  std::atomic<bool> taking_{false};

  mutable std::mutex mutex_;  // guards the queue, the flags below and path_
  std::condition_variable wake_;
  Queue queue_;
  bool stopRequested_ = false;
  bool overrun_ = false;
  bool writerWaiting_ = false;
  std::string path_;

  // Writer thread only (and Start before it runs).
  std::thread writer_;
  CaptureOptions options_;
  std::string port_;
  CaptureListener* listener_ = nullptr;
  std::unique_ptr<CaptureFormatter> formatter_;
  Queue work_;
  int fd_ = -1;
  uint64_t fileBytes_ = 0;
  int64_t fileDay_ = 0;
};
