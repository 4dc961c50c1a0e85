#include "tools/simulator_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string Failure(const char* what, int savedErrno) { return std::string(what) + ": " + std::strerror(savedErrno); }

}  // namespace

SimulatorPty::SimulatorPty() {
  UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!master.valid()) {
    error_ = Failure("posix_openpt", errno);
    return;
  }
  if (grantpt(master.get()) != 0 || unlockpt(master.get()) != 0) {
    error_ = Failure("grantpt/unlockpt", errno);
    return;
  }
  char path[256] = {};
  if (const int rc = ptsname_r(master.get(), path, sizeof path); rc != 0) {
    error_ = Failure("ptsname_r", rc);
    return;
  }
  // On a master the terminal attributes are those of the slave: raw, so that every byte
  // passes both ways unchanged and nothing is echoed.
  termios raw{};
  if (tcgetattr(master.get(), &raw) != 0 || (cfmakeraw(&raw), tcsetattr(master.get(), TCSANOW, &raw)) != 0) {
    error_ = Failure("raw mode", errno);
    return;
  }
  slavePath_ = path;
  master_ = std::move(master);
}

bool SimulatorPty::SlavePresent() const {
  pollfd pfd{master_.get(), POLLIN, 0};
  if (poll(&pfd, 1, 0) < 0) return true;  // cannot tell: let the next read decide
  return (pfd.revents & POLLIN) != 0 || (pfd.revents & POLLHUP) == 0;
}

ScopedSymlink::ScopedSymlink(std::string path, const std::string& target) : path_(std::move(path)) {
  struct stat existing {};
  if (lstat(path_.c_str(), &existing) == 0) {
    if (!S_ISLNK(existing.st_mode)) {
      error_ = path_ + " exists and is not a symbolic link";
      return;
    }
    unlink(path_.c_str());
  }
  if (symlink(target.c_str(), path_.c_str()) != 0) {
    error_ = Failure(("symlink " + path_).c_str(), errno);
    return;
  }
  created_ = true;
}

ScopedSymlink::~ScopedSymlink() {
  if (created_) unlink(path_.c_str());
}
