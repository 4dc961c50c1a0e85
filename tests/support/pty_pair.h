#pragma once
// A kernel pseudo-terminal pair for tests: the program under test opens the slave by its
// path (or a link to it); the test plays the device on the master side.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class PtyPair {
 public:
  PtyPair() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    path_ = name;
    termios raw{};
    tcgetattr(master_, &raw);
    cfmakeraw(&raw);
    tcsetattr(master_, TCSANOW, &raw);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
  }
  ~PtyPair() {
    CloseMaster();
    CloseSlave();
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0; }
  const std::string& path() const { return path_; }
  int master() const { return master_; }
  // The test's own slave descriptor (-1 once closed); hanging it up hangs up every opener.
  int slave() const { return slave_; }

  // The test keeps its own slave descriptor open so that the master does not see a hang-up
  // while the program has the port closed; drop it to simulate nothing attached.
  void CloseSlave() {
    if (slave_ >= 0) close(slave_);
    slave_ = -1;
  }
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

  bool Send(const std::vector<uint8_t>& bytes) const { return Send(bytes.data(), bytes.size()); }
  bool Send(const std::string& bytes) const { return Send(bytes.data(), bytes.size()); }
  bool Send(const void* data, size_t n) const {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
      const ssize_t w = write(master_, p, n);
      if (w < 0 && errno == EINTR) continue;
      if (w < 0 && errno == EAGAIN) {
        pollfd pfd{master_, POLLOUT, 0};
        poll(&pfd, 1, 1000);
        continue;
      }
      if (w <= 0) return false;
      p += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }

  // Reads what the program sent until `count` bytes came or `timeoutMs` passed without any.
  std::vector<uint8_t> Receive(size_t count, int timeoutMs = 2000) const {
    std::vector<uint8_t> got;
    uint8_t buffer[4096];
    while (got.size() < count) {
      pollfd pfd{master_, POLLIN, 0};
      const int rc = poll(&pfd, 1, timeoutMs);
      if (rc < 0 && errno == EINTR) continue;
      if (rc <= 0) break;
      const ssize_t r = read(master_, buffer, sizeof buffer);
      if (r <= 0) break;
      got.insert(got.end(), buffer, buffer + r);
    }
    return got;
  }

  // Everything that is waiting right now (returns as soon as nothing more comes for quietMs).
  std::vector<uint8_t> Drain(int quietMs = 50) const { return Receive(SIZE_MAX, quietMs); }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};
