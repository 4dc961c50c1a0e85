#pragma once
// A time limit for poll(): recomputes what is left after every interruption, so that an
// EINTR never stretches (or shortens) a wait.
#include <chrono>
#include <climits>
#include <cstdint>

class Deadline {
 public:
  // timeoutMs of 0xFFFFFFFF means no limit.
  explicit Deadline(uint32_t timeoutMs)
      : infinite_(timeoutMs == 0xFFFFFFFFu),
        end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(infinite_ ? 0 : timeoutMs)) {}

  bool Infinite() const { return infinite_; }
  bool Expired() const { return !infinite_ && std::chrono::steady_clock::now() >= end_; }

  // Milliseconds left for poll(): -1 when there is no limit, 0 once expired (rounded up so
  // that a wait never ends early).
  int RemainingMs() const {
    if (infinite_) return -1;
    const auto left = end_ - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
  }

 private:
  bool infinite_;
  std::chrono::steady_clock::time_point end_;
};
