#pragma once
// The warning the user sees when something done to a port failed.
#include "serial/port_error.h"

// What was being done to the port.
enum class PortStep {
  Open,           // opening the device
  ReadSettings,   // reading its control block
  WriteSettings,  // applying line settings, flow control or a control line
};

// Each step has its advice: check the port (missing or held by another program) or check
// the settings. A port that turns out not to be open at all gets the port's advice whatever
// was being done, since no setting would help.
const char* PortFailureText(PortStep step, const PortFailure& failure);
