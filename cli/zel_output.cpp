#include "cli/zel_output.h"

#include "cli/flat_json.h"

namespace {

std::string JsonValue(const ModuleSettings& settings, ModuleField field) {
  const auto text = FieldValueText(settings, field);
  if (!text) return "null";
  return FieldIsNumber(field) ? *text : JsonQuoted(*text);
}

std::string JsonIdentity(const std::string& port, const ModuleState& module) {
  return "{\"port\": " + JsonQuoted(port) + ", \"model\": " + JsonQuoted(module.model) +
         ", \"version\": " + JsonQuoted(module.version);
}

}  // namespace

std::string ModuleLines(const ModuleState& module) {
  std::string lines = "model: " + module.model + "\nversion: " + module.version + "\n";
  for (const ModuleField field : kModuleFields) {
    lines += std::string(FieldName(field)) + ": " + FieldShownText(module.settings, field) + "\n";
  }
  return lines;
}

std::string ModuleJson(const std::string& port, const ModuleState& module) {
  std::string json = JsonIdentity(port, module);
  for (const ModuleField field : kModuleFields) {
    json += ", " + JsonQuoted(FieldName(field)) + ": " + JsonValue(module.settings, field);
  }
  return json + "}\n";
}

std::string ScanLine(const std::string& port, const ModuleState& module) {
  return port + "\t" + module.model + "\t" + module.version + "\n";
}

std::string ScanJson(const std::string& port, const ModuleState& module) { return JsonIdentity(port, module) + "}\n"; }

std::string ModuleSummaryLine(const std::string& port, const ModuleState& module) {
  std::string line = port + ": " + module.model + " " + module.version + ":";
  for (const ModuleField field : kModuleFields) {
    line += (field == kModuleFields.front() ? " " : ", ") + std::string(FieldName(field)) + " " +
            FieldShownText(module.settings, field);
  }
  return line + "\n";
}
