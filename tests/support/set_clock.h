#pragma once
// An arrival clock the test sets, and local time pinned to UTC so that stamps and file names
// are known to the millisecond.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "core/receive/arrival_clock.h"

class SetClock final : public ArrivalClock {
 public:
  explicit SetClock(int64_t ms = 0) : ms_(ms) {}
  int64_t NowMs() const override { return ms_.load(); }
  void Set(int64_t ms) { ms_.store(ms); }

 private:
  std::atomic<int64_t> ms_;
};

inline void UseUtcLocalTime() {
  setenv("TZ", "UTC", 1);
  tzset();
}

// 2026-12-08 10:31:42.000 UTC, and that day's last second.
inline constexpr int64_t kMorningMs = 1796725902000;
inline constexpr int64_t kLastSecondMs = 1796774399000;
