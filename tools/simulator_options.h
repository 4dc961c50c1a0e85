#pragma once
// Command line of the ZEL module simulator.
#include <string>
#include <vector>

#include "core/module/module_protocol.h"
#include "core/module/module_responder.h"

struct SimulatorOptions {
  ModuleIdentity identity;
  // What the module holds at start: 433.92 MHz, 5Kbps, power 7, 9600bps, no parity, 1.0s,
  // delay 5 ms, error correction on, addresses 58 and 58, 32-byte packets, packet-complete on.
  ConfigBlock block = {0x06, 0x9F, 0x00, 0x02, 0x07, 0x03, 0x00, 0x05, 0x05, 0x01, 0x3A, 0x3A, 0x05, 0x01};
  std::string linkPath;    // --link: a symbolic link to the device, removed at exit
  bool silent = false;     // never answer
  bool garbage = false;    // answer, but with a first byte that is not '$'
  bool verbose = false;    // log each request on stderr
  unsigned splitBytes = 0; // answer in bursts of this many bytes (0: whole replies)
  unsigned burstGapMs = 10;
  unsigned delayMs = 0;    // wait before each reply
};

struct SimulatorCommandLine {
  SimulatorOptions options;
  bool showHelp = false;
  std::string error;  // empty when the command line was understood
};

SimulatorCommandLine ParseSimulatorCommandLine(const std::vector<std::string>& arguments);

extern const char* const kSimulatorUsage;
