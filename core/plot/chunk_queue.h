#pragma once
// Received chunks on their way from the receive worker to the plot: the worker appends each
// chunk with its arrival time, the user-interface thread takes all of them at once. Nothing is
// dropped unless the queue holds kMaxQueuedBytes (the plot has not drained it for a long time);
// what is dropped then is counted.
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "core/terminal/receive_tap.h"

class ChunkQueue final : public ReceiveTap {
 public:
  static constexpr size_t kMaxQueuedBytes = size_t{16} << 20;
  using Clock = std::chrono::steady_clock;
  using Receiver = std::function<void(const uint8_t* bytes, size_t count, Clock::time_point arrival)>;

  void ChunkReceived(const uint8_t* bytes, size_t count, Clock::time_point arrival) override;
  // User-interface thread: hands every queued chunk, oldest first, to `receiver`.
  void Drain(const Receiver& receiver);
  int64_t DroppedBytes() const;

 private:
  struct Chunk {
    size_t offset;
    size_t count;
    Clock::time_point arrival;
  };
  mutable std::mutex mutex_;
  std::vector<uint8_t> bytes_;
  std::vector<Chunk> chunks_;
  int64_t dropped_ = 0;
  // Swapped with the queue on each drain, so that neither side allocates once both are grown.
  std::vector<uint8_t> drainBytes_;
  std::vector<Chunk> drainChunks_;
};
