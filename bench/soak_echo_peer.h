#pragma once
// The device at the far end of the line, on its own thread: reads what the window sends and
// writes every byte straight back. A pseudo-terminal takes bytes as fast as they are read,
// whatever the baud rate, so the peer paces its reads like a real line: a token bucket on the
// monotonic clock, refilled at the line's byte rate and holding at most kBucketBytes (about a
// UART FIFO's worth). The echo then comes back at the same pace.
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <thread>

#include "bench_support.h"

class EchoPeer {
 public:
  static constexpr double kBucketBytes = 64;
  static constexpr double kChunkBytes = 32;  // wait for this many tokens: ~1.25 ms at 256000 bit/s
  // Sees every byte read, in order, on the peer's thread.
  using Observer = std::function<void(const uint8_t* bytes, size_t count)>;

  EchoPeer(int masterFd, double bytesPerSecond, Observer observer)
      : fd_(masterFd), rate_(bytesPerSecond), observer_(std::move(observer)), thread_([this] { Run(); }) {}
  ~EchoPeer() { Stop(); }
  EchoPeer(const EchoPeer&) = delete;
  EchoPeer& operator=(const EchoPeer&) = delete;

  // Ends and joins the thread; what the observer gathered may be read afterwards.
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  uint64_t Received() const { return received_; }
  uint64_t Echoed() const { return echoed_; }
  int Error() const { return error_; }               // errno that ended the peer, 0 if none
  double CpuSeconds() const { return cpuSeconds_; }  // the peer thread's own, after Stop()

 private:
  static constexpr int kPollMs = 50;

  static double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
  }

  void Refill() {
    const double now = Now();
    tokens_ = std::min(kBucketBytes, tokens_ + (now - refilledAt_) * rate_);
    refilledAt_ = now;
  }

  // Sleeps until the bucket holds a chunk's worth of tokens.
  void AwaitTokens() {
    Refill();
    if (tokens_ >= kChunkBytes) return;
    const double wake = refilledAt_ + (kChunkBytes - tokens_) / rate_;
    timespec until{static_cast<time_t>(wake), static_cast<long>((wake - static_cast<time_t>(wake)) * 1e9)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
    Refill();
  }

  bool WaitFor(short events) {
    pollfd p{fd_, events, 0};
    const int rc = poll(&p, 1, kPollMs);
    if (rc < 0 && errno != EINTR) error_ = errno;
    return rc > 0 && (p.revents & events);
  }

  bool EchoAll(const uint8_t* bytes, size_t count) {
    while (count > 0 && !stop_) {
      const ssize_t n = write(fd_, bytes, count);
      if (n > 0) {
        bytes += n;
        count -= static_cast<size_t>(n);
        echoed_ += static_cast<uint64_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        error_ = errno;
        return false;
      } else {
        WaitFor(POLLOUT);
      }
    }
    return true;
  }

  void Run() {
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    refilledAt_ = Now();
    uint8_t buffer[static_cast<size_t>(kBucketBytes)];
    while (!stop_ && error_ == 0) {
      if (!WaitFor(POLLIN)) continue;
      AwaitTokens();
      const ssize_t n = read(fd_, buffer, static_cast<size_t>(tokens_));
      if (n < 0 && errno != EAGAIN && errno != EINTR) error_ = errno;
      if (n <= 0) continue;
      tokens_ -= static_cast<double>(n);
      received_ += static_cast<uint64_t>(n);
      observer_(buffer, static_cast<size_t>(n));
      if (!EchoAll(buffer, static_cast<size_t>(n))) break;
    }
    cpuSeconds_ = ::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  }

  const int fd_;
  const double rate_;
  Observer observer_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> received_{0};
  std::atomic<uint64_t> echoed_{0};
  std::atomic<int> error_{0};
  double cpuSeconds_ = 0;
  double tokens_ = kBucketBytes;
  double refilledAt_ = 0;
  std::thread thread_;  // last: starts once everything above is set up
};
