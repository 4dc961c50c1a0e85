#pragma once
// The helper programs end on SIGINT, SIGTERM or SIGHUP (Ctrl+C, kill, a closed terminal).
// They take those signals as readable events on a descriptor, so that one poll() waits for
// both the device and the end, and cleanup (a link to remove) runs on the normal path.
#include "module/unique_fd.h"

// Blocks the stop signals and returns a descriptor that becomes readable when one comes;
// an invalid descriptor when either step failed.
UniqueFd BlockStopSignals();
