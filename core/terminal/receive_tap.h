#pragma once
// Something that wants every received chunk besides the receive store, with the time the
// worker read it. Called on the receive worker: it must copy what it needs and return at once,
// and never touch a widget.
#include <chrono>
#include <cstddef>
#include <cstdint>

class ReceiveTap {
 public:
  virtual ~ReceiveTap() = default;
  virtual void ChunkReceived(const uint8_t* bytes, size_t count, std::chrono::steady_clock::time_point arrival) = 0;
};
