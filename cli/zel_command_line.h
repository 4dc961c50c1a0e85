#pragma once
// The command line of vornicspcomm-zel: what to do, on which port, with which values. Every
// value given is checked here, so that a bad one is refused before any port is opened.
#include <string>
#include <vector>

#include "cli/module_fields.h"

enum class ZelAction { Help, ShowVersion, Read, Write, Scan };

struct ZelCommand {
  ZelAction action = ZelAction::Help;
  bool allPorts = false;  // --all: every port on which a module answers
  std::string port;       // the one port otherwise (read, write)
  bool json = false;
  FieldChanges changes;   // the field options given (write)
  std::string fromFile;   // --from: a file of field values (write); the options win over it
};

struct ZelCommandLine {
  ZelCommand command;
  std::string error;  // empty when the command line was understood
};

ZelCommandLine ParseZelCommandLine(const std::vector<std::string>& arguments);

// The field values of a file that `read --json` wrote (or one written by hand in its form):
// a JSON object keyed by field name; null keeps the module's value, and the keys "port",
// "model" and "version" are what the module told and are passed over. Checked as the
// options are.
struct FieldFile {
  FieldChanges changes;
  std::string error;  // empty when the file was read and every value is good
};
FieldFile ReadFieldFile(const std::string& path);

extern const char* const kZelUsage;
