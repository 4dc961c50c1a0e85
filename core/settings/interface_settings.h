#pragma once
// The window's language, as the settings file keeps it. The program writes no value of its own
// here: the key stays as the user wrote it, and out of the file while nobody did.
#include <string>

struct InterfaceSettings {
  // "auto", "zh_CN" or "en" (see core/settings/interface_language.h); empty while the file
  // has no such key. Any other value counts as "auto" and is kept as it stands.
  std::string Language;

  bool operator==(const InterfaceSettings&) const = default;
};
