#pragma once
// How vornicspcomm-zel prints a module: the lines of read, its JSON object, and the one-line
// forms of scan and --all.
#include <string>

#include "cli/zel_operations.h"

// "model: ...", "version: ..." and then "name: value" per field, each line ended.
std::string ModuleLines(const ModuleState& module);

// One JSON object on one line (ended): "port", "model", "version" and the fields. Numbers
// unquoted, a value no choice stands for as null.
std::string ModuleJson(const std::string& port, const ModuleState& module);

// "PORT<TAB>MODEL<TAB>VERSION" (ended): a line of scan.
std::string ScanLine(const std::string& port, const ModuleState& module);
// Its JSON form: "port", "model", "version".
std::string ScanJson(const std::string& port, const ModuleState& module);

// "PORT: MODEL VERSION: freq 433.92, air-rate 5Kbps, ..." (ended): a line of --all.
std::string ModuleSummaryLine(const std::string& port, const ModuleState& module);
