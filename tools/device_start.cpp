#include "tools/device_start.h"

#include <signal.h>
#include <sys/signalfd.h>

#include <cstdio>

namespace {

// Blocks the stop signals and returns a descriptor that becomes readable when one comes.
UniqueFd BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) return UniqueFd();
  return UniqueFd(signalfd(-1, &signals, SFD_CLOEXEC));
}

}  // namespace

DeviceStart::DeviceStart(const char* program, const std::string& linkPath) : stopFd_(BlockStopSignals()) {
  if (!stopFd_.valid()) {
    Fail(program, "cannot watch for stop signals");
    return;
  }
  if (!pty_.ok()) {
    Fail(program, pty_.error());
    return;
  }
  if (!linkPath.empty()) {
    link_ = std::make_unique<ScopedSymlink>(linkPath, pty_.slavePath());
    if (!link_->ok()) {
      Fail(program, link_->error());
      return;
    }
  }
  std::printf("%s\n", pty_.slavePath().c_str());
  std::fflush(stdout);
  ok_ = true;
}

void DeviceStart::Fail(const char* program, const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", program, what.c_str());
}
