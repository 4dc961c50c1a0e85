#include "core/settings/profile_path.h"

#include <cstdlib>

namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

std::optional<std::string> SettingsFilePathFor(const char* userProfile, const char* home) {
  const char* directory = IsSet(userProfile) ? userProfile : home;
  if (!IsSet(directory)) return std::nullopt;
  std::string path(directory);
  if (path.back() != '/') path.push_back('/');
  path.append(kSettingsFileName);
  if (path.size() > kMaxSettingsPathLength) return std::nullopt;
  return path;
}

std::optional<std::string> SettingsFilePath() {
  return SettingsFilePathFor(std::getenv("USERPROFILE"), std::getenv("HOME"));
}
