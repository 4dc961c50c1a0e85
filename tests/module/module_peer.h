#pragma once
// A module played by the test on a pty of its own, for the configuration page's window
// tests: it records every byte the page sends and answers each request it finds.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/module/request_parser.h"
#include "devices/unique_fd.h"
#include "support/pty_pair.h"

class ModulePeer {
 public:
  using Answer = std::function<std::vector<uint8_t>(const ModuleRequest&)>;
  explicit ModulePeer(Answer answer) : answer_(std::move(answer)), thread_([this] { Run(); }) {}
  ~ModulePeer() { StopServing(); }
  const std::string& path() const { return pty_.path(); }
  const PtyPair& pty() const { return pty_; }
  std::vector<uint8_t> Received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

  // Blocks (without running any event loop, so the page cannot judge meanwhile) until the
  // module has taken `count` requests in all; false when they did not come in time.
  bool WaitForRequests(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::unique_lock lock(mutex_);
    return requestTaken_.wait_for(lock, limit, [&] { return requests_ >= count; });
  }

  // The module's side of the line goes away: its end of the pty is closed, the device node
  // disappears and the port's user sees a hang-up. The test's own slave descriptor stays
  // open, so the pty number is not handed to anyone else while the peer lives.
  void CloseFarSide() {
    StopServing();
    pty_.CloseMaster();
  }

 private:
  void StopServing() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  void Run() {
    RequestParser parser;
    uint8_t bytes[256];
    while (!stop_) {
      pollfd ready{pty_.master(), POLLIN, 0};
      if (poll(&ready, 1, 20) <= 0) continue;
      const ssize_t n = read(pty_.master(), bytes, sizeof bytes);
      if (n <= 0) continue;
      {
        std::lock_guard lock(mutex_);
        received_.insert(received_.end(), bytes, bytes + n);
      }
      for (const ModuleRequest& request : parser.Feed({bytes, static_cast<size_t>(n)})) {
        pty_.Send(answer_(request));
        CountRequest();
      }
    }
  }

  void CountRequest() {
    std::lock_guard lock(mutex_);
    ++requests_;
    requestTaken_.notify_all();
  }

  PtyPair pty_;
  Answer answer_;
  mutable std::mutex mutex_;
  std::condition_variable requestTaken_;
  std::vector<uint8_t> received_;
  size_t requests_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// True once `count` bytes wait unread in the port at `path`, looked at through a descriptor
// of the test's own while the exchange has the port closed.
inline bool WaitUntilWaitingInPort(const std::string& path, size_t count,
                                   std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const UniqueFd look(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int waiting = 0;
  while (look.valid() && ioctl(look.get(), FIONREAD, &waiting) == 0 && waiting < static_cast<int>(count)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    usleep(1000);
  }
  return look.valid() && waiting >= static_cast<int>(count);
}
