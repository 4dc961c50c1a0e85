#pragma once
// What was being done to a port when it failed: each step has its own advice for the user.
enum class PortStep {
  Open,           // opening the device
  ReadSettings,   // reading its control block
  WriteSettings,  // applying line settings, flow control or a control line
};
