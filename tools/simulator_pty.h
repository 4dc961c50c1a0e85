#pragma once
// The simulator's end of a pseudo-terminal, and a symbolic link that names it.
//
// The simulator keeps only the master. While nobody holds the slave open, a pty master
// reports a hang-up (poll: POLLHUP, read: EIO) until the slave is opened again; the
// simulator then waits for the program under test to reopen the port instead of spinning.
// It does not hold the slave itself: a program that opens the port exclusively would
// otherwise find it still marked exclusive from its previous open.
#include <string>

#include "devices/unique_fd.h"

class SimulatorPty {
 public:
  // Opens a new pty in raw mode; check ok() and error().
  SimulatorPty();

  bool ok() const { return master_.valid(); }
  const std::string& error() const { return error_; }
  int master() const { return master_.get(); }
  const std::string& slavePath() const { return slavePath_; }

  // False while the other side has the slave closed after having opened it.
  bool SlavePresent() const;

 private:
  UniqueFd master_;
  std::string slavePath_;
  std::string error_;
};

// A symbolic link at `path` to `target` for the lifetime of the object. An existing
// symbolic link at `path` (a stale one from an earlier run) is replaced; any other file
// there is left alone and the link fails.
class ScopedSymlink {
 public:
  ScopedSymlink(std::string path, const std::string& target);
  ~ScopedSymlink();
  ScopedSymlink(const ScopedSymlink&) = delete;
  ScopedSymlink& operator=(const ScopedSymlink&) = delete;

  bool ok() const { return created_; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  bool created_ = false;
  std::string error_;
};
