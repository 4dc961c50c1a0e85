#include "core/settings/settings_file.h"

#include <cerrno>

#include "core/settings/ini_storage.h"
#include "core/settings/settings_document.h"

namespace {

// 0 for a file that was read whole or does not exist yet, else why it could not be used.
int ReadError(const IniLoad& load) {
  if (load.status == FileRead::Status::kRead || load.status == FileRead::Status::kMissing) return 0;
  return load.error ? load.error : EIO;
}

}  // namespace

int LoadSettingsFile(const std::string& path, AllSettings& settings) {
  const IniLoad load = LoadIniFile(path);
  const int error = ReadError(load);
  LoadSettingsDocument(error ? IniDocument() : load.document, settings);
  return error;
}

SettingsSaveResult SaveSettingsFile(const std::string& path, const AllSettings& settings, int loadError) {
  if (loadError) return {loadError, true};
  IniLoad load = LoadIniFile(path);
  if (const int error = ReadError(load)) return {error, true};
  SaveSettingsDocument(settings, load.document);
  return {SaveIniFile(path, load.document), false};
}
