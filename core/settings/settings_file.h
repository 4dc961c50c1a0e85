#pragma once
// The settings file as a whole: read once at start into both pages' settings, written once
// at close from them. Results are errno values (0 = success); nothing here throws.
#include <string>

#include "core/settings/settings_keys.h"

// Reads the file at `path` over `settings` (see LoadSettingsDocument). A missing file gives
// every key its default. A file that exists but cannot be read whole is not used at all, as
// a part of it could hold anything: every key takes its default, and the result is its errno
// (EFBIG: too large).
int LoadSettingsFile(const std::string& path, AllSettings& settings);

struct SettingsSaveResult {
  int error = 0;         // errno; 0 when the file was written
  bool unread = false;  // the file could not be read, at start or now, and was left alone
};

// Writes both sections into the file at `path`, which is read again first so that what
// others wrote into it meanwhile stays. `loadError` is what LoadSettingsFile returned at
// start: a file whose values were never seen is not written over.
SettingsSaveResult SaveSettingsFile(const std::string& path, const AllSettings& settings, int loadError);
