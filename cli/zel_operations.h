#pragma once
// What vornicspcomm-zel does to the module on one port, and its verdict: an exit status, a
// message for the user when it failed, and what the module holds when it worked.
#include <optional>
#include <string>
#include <variant>

#include "cli/module_fields.h"
#include "core/module/module_settings.h"

class BlockingModuleExchange;

inline constexpr int kExitOk = 0;
inline constexpr int kExitModuleFailed = 1;  // no answer, a wrong answer, a write that did not take
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitPortUnusable = 3;  // the port could not be opened or set up

// A module as a read found it.
struct ModuleState {
  std::string model;
  std::string version;
  ModuleSettings settings;
};

struct PortOutcome {
  std::string port;
  int exitCode = kExitOk;
  std::string message;                // why it failed, with the port's name; empty on success
  std::optional<ModuleState> module;  // success only: what the module holds now
  bool moduleAnswered = false;        // something on the port answered as a module does
};

// Reads the module on `port`.
PortOutcome ReadModule(BlockingModuleExchange& exchange, const std::string& port);

// Reads the module, makes `changes`, writes the result, reads it back and compares: the
// outcome is a success only when the module then holds exactly what was written.
PortOutcome WriteModule(BlockingModuleExchange& exchange, const std::string& port, const FieldChanges& changes);
