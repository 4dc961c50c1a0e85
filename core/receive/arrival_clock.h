#pragma once
// When received bytes arrived: the receive worker asks the clock as it reads a chunk, so a
// time stamp tells when the bytes came off the line, not when the window got round to them.
// Times are milliseconds since the Unix epoch; they are shown in local time. Tests hand in a
// clock of their own to get exact stamps and to move a capture past midnight.
#include <chrono>
#include <cstdint>

class ArrivalClock {
 public:
  virtual ~ArrivalClock() = default;
  virtual int64_t NowMs() const = 0;
};

class SystemArrivalClock final : public ArrivalClock {
 public:
  int64_t NowMs() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};
