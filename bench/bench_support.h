#pragma once
// Measures shared by the benchmarks that drive the main window on a pseudo-terminal: process
// and thread CPU time, resident memory, the event loop's longest block, and a plain read()
// loop draining a pty as the same run's baseline for what the kernel alone costs.
#include <QElapsedTimer>
#include <QTimer>
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <thread>

#include "support/pty_pair.h"

inline double CpuSeconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

inline double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Page faults of the process so far (fresh memory costs one per page at its first write).
inline long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The process's resident memory now ("VmRSS" in /proc/self/status), in kB; -1 when unreadable.
inline long ResidentKilobytes() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  long kb = -1;
  char line[256];
  while (std::fgets(line, sizeof line, status))
    if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
  std::fclose(status);
  return kb;
}

// How long the user-interface thread was kept from its events: a 1 ms timer notes how late
// each of its ticks came. Blocks longer than kLongBlockMs are counted as well. For the worst
// block, the thread's own CPU time within it tells work of the program from the thread being
// kept off the processor (the machine is shared).
class EventLoopProbe {
 public:
  static constexpr double kLongBlockMs = 50;

  EventLoopProbe() {
    tick_.setInterval(1);
    QObject::connect(&tick_, &QTimer::timeout, &tick_, [this] { Note(); });
  }
  EventLoopProbe(const EventLoopProbe&) = delete;
  EventLoopProbe& operator=(const EventLoopProbe&) = delete;

  void Start() {
    tickCpuMs_ = 1000 * CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    sinceTick_.start();
    tick_.start();
  }
  // The time since the last tick counts as well: the run may end with a block no tick saw.
  void Stop() {
    if (tick_.isActive()) Note();
    tick_.stop();
  }
  double WorstBlockMs() const { return worstMs_; }
  // The user-interface thread's CPU time within the worst block.
  double WorstBlockCpuMs() const { return worstCpuMs_; }
  long LongBlocks() const { return longBlocks_; }

 private:
  void Note() {
    const double lateMs = sinceTick_.nsecsElapsed() / 1e6 - 1.0;
    const double cpuMs = 1000 * CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    if (lateMs > worstMs_) {
      worstMs_ = lateMs;
      worstCpuMs_ = cpuMs - tickCpuMs_;
    }
    if (lateMs > kLongBlockMs) ++longBlocks_;
    sinceTick_.restart();
    tickCpuMs_ = cpuMs;
  }

  QTimer tick_;
  QElapsedTimer sinceTick_;
  double worstMs_ = 0;
  double worstCpuMs_ = 0;
  double tickCpuMs_ = 0;
  long longBlocks_ = 0;
};

inline std::string RandomPrintable(size_t n) {
  std::mt19937 random(42);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(0x20 + random() % 0x5F);  // no backspace: one append each
  return bytes;
}

inline void WriteAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) sent += static_cast<size_t>(n);
    else if (errno != EINTR && errno != EAGAIN) return;
  }
}

// Baseline: process CPU seconds for a plain read loop draining `bytes` written into a pty.
inline double PlainReadCpu(const std::string& bytes) {
  PtyPair pty;
  const int reader = open(pty.path().c_str(), O_RDWR | O_NOCTTY);
  termios raw{};
  tcgetattr(reader, &raw);
  cfmakeraw(&raw);
  tcsetattr(reader, TCSANOW, &raw);
  const double start = CpuSeconds();
  std::thread writer([&] { WriteAll(pty.master(), bytes); });
  size_t got = 0;
  char buffer[256];
  while (got < bytes.size()) {
    const ssize_t n = read(reader, buffer, sizeof buffer);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  const double cpu = CpuSeconds() - start;
  writer.join();
  close(reader);
  return cpu;
}
