#pragma once
// The warning the user sees when something done to a port failed.
#include "core/terminal/port_step.h"
#include "serial/port_error.h"

// Each step has its advice: check the port (missing or held by another program) or check
// the settings. A port that turns out not to be open at all gets the port's advice whatever
// was being done, since no setting would help.
const char* PortFailureText(PortStep step, const PortFailure& failure);
