#include "cli/zel_run.h"

#include <algorithm>

#include "cli/every_port.h"
#include "cli/zel_command_line.h"
#include "cli/zel_output.h"
#include "core/module/blocking_exchange.h"
#include "serial/port_naming.h"
#include "serial/port_source.h"

#ifndef VORNICSPCOMM_VERSION
#define VORNICSPCOMM_VERSION "unknown"
#endif

namespace {

constexpr const char* kProgram = "vornicspcomm-zel";

int BadArguments(std::ostream& err, const std::string& why) {
  err << kProgram << ": " << why << "\nTry '" << kProgram << " --help'.\n";
  return kExitBadArguments;
}

PortOperation OperationOf(const ZelCommand& command, const FieldChanges& changes) {
  if (command.action == ZelAction::Write) {
    return [changes](BlockingModuleExchange& exchange, const std::string& port) {
      return WriteModule(exchange, port, changes);
    };
  }
  return ReadModule;
}

int OnePort(const ZelCommand& command, const PortOperation& operation, std::ostream& out, std::ostream& err) {
  BlockingModuleExchange exchange;
  const PortOutcome outcome = operation(exchange, command.port);
  if (!outcome.module) {
    err << kProgram << ": " << outcome.message << "\n";
    return outcome.exitCode;
  }
  out << (command.json ? ModuleJson(outcome.port, *outcome.module) : ModuleLines(*outcome.module));
  return kExitOk;
}

// scan and --all: the operation on every listed port at once; ports on which no module
// answered are passed over.
int EveryPort(const ZelCommand& command, const PortOperation& operation, PortSource& source, std::ostream& out,
              std::ostream& err) {
  std::optional<std::vector<std::string>> ports = source.ListPorts();
  if (!ports) {
    err << kProgram << ": the port list cannot be read\n";
    return kExitPortUnusable;
  }
  SortPortNames(*ports);
  int status = kExitOk;
  size_t modules = 0;
  for (const PortOutcome& outcome : OnEveryPort(*ports, operation)) {
    if (!outcome.moduleAnswered) continue;
    ++modules;
    if (!outcome.module) {
      err << kProgram << ": " << outcome.message << "\n";
      status = outcome.exitCode;
    } else if (command.action == ZelAction::Scan) {
      out << (command.json ? ScanJson(outcome.port, *outcome.module) : ScanLine(outcome.port, *outcome.module));
    } else {
      out << (command.json ? ModuleJson(outcome.port, *outcome.module)
                           : ModuleSummaryLine(outcome.port, *outcome.module));
    }
  }
  if (modules == 0) {
    err << kProgram << ": no module answered on any of " << ports->size() << " ports\n";
    return kExitModuleFailed;
  }
  return status;
}

}  // namespace

int RunZel(const std::vector<std::string>& arguments, PortSource& ports, std::ostream& out, std::ostream& err) {
  const ZelCommandLine line = ParseZelCommandLine(arguments);
  if (!line.error.empty()) return BadArguments(err, line.error);
  const ZelCommand& command = line.command;
  if (command.action == ZelAction::Help) {
    out << kZelUsage;
    return kExitOk;
  }
  if (command.action == ZelAction::ShowVersion) {
    out << kProgram << " " << VORNICSPCOMM_VERSION << "\n";
    return kExitOk;
  }
  FieldChanges changes;
  if (!command.fromFile.empty()) {
    const FieldFile file = ReadFieldFile(command.fromFile);
    if (!file.error.empty()) return BadArguments(err, file.error);
    changes = file.changes;
  }
  changes.Overlay(command.changes);
  const PortOperation operation = OperationOf(command, changes);
  if (command.allPorts || command.action == ZelAction::Scan) return EveryPort(command, operation, ports, out, err);
  return OnePort(command, operation, out, err);
}
