#include "tools/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>

UniqueFd BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) return UniqueFd();
  return UniqueFd(signalfd(-1, &signals, SFD_CLOEXEC));
}
