#pragma once
// The configuration page's settings as plain values: its port, the module parameters, and
// the texts of the fields that show numbers. The fields are saved as the user left them (a
// text that is no number included), so their texts travel beside the numbers. As for the
// terminal page, the first-run values are those of the key table (settings_keys.h).
#include <string>

#include "core/module/module_settings.h"

struct ModulePageSettings {
  std::string PortName;  // device name as bytes; "COM0" stands for none
  ModuleSettings Module;
  // UTF-8 texts of the fields, as shown.
  std::string RfFreqText;
  std::string DelayTimeText;
  std::string LocalAddressText;
  std::string TargetAddressText;

  bool operator==(const ModulePageSettings&) const = default;
};
