#include "core/plot/chunk_queue.h"

void ChunkQueue::ChunkReceived(const uint8_t* bytes, size_t count, Clock::time_point arrival) {
  std::lock_guard lock(mutex_);
  if (bytes_.size() + count > kMaxQueuedBytes) {
    dropped_ += static_cast<int64_t>(count);
    return;
  }
  chunks_.push_back({bytes_.size(), count, arrival});
  bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void ChunkQueue::Drain(const Receiver& receiver) {
  drainBytes_.clear();
  drainChunks_.clear();
  {
    std::lock_guard lock(mutex_);
    bytes_.swap(drainBytes_);
    chunks_.swap(drainChunks_);
  }
  for (const Chunk& c : drainChunks_) receiver(drainBytes_.data() + c.offset, c.count, c.arrival);
}

int64_t ChunkQueue::DroppedBytes() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}
