#pragma once
// What each device program (zel_simulator, echo_device) does before it serves:
// - takes SIGINT, SIGTERM and SIGHUP as readable events on a descriptor, so that Ctrl+C, a
//   kill or a closed terminal end it through its normal path (and its link is removed);
// - makes its pseudo-terminal and, when asked, the link that announces it;
// - prints the device path as the first line on stdout, for whoever started it.
#include <memory>
#include <string>

#include "devices/unique_fd.h"
#include "tools/simulator_pty.h"

class DeviceStart {
 public:
  // `program` names the program in the message printed on stderr when a step fails.
  DeviceStart(const char* program, const std::string& linkPath);

  bool ok() const { return ok_; }
  const SimulatorPty& pty() const { return pty_; }
  // Readable once a stop signal came.
  int stopFd() const { return stopFd_.get(); }

 private:
  static void Fail(const char* program, const std::string& what);

  UniqueFd stopFd_;  // first: the signals are blocked before anything else is made
  SimulatorPty pty_;
  std::unique_ptr<ScopedSymlink> link_;
  bool ok_ = false;
};
