#include "core/settings/profile_path.h"

#include <cstdlib>

namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

std::optional<std::string> ProfileDirectoryFor(const char* userProfile, const char* home) {
  const char* directory = IsSet(userProfile) ? userProfile : home;
  if (!IsSet(directory)) return std::nullopt;
  std::string path(directory);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> ProfileDirectory() { return ProfileDirectoryFor(std::getenv("USERPROFILE"), std::getenv("HOME")); }

std::optional<std::string> SettingsFilePathFor(const char* userProfile, const char* home) {
  std::optional<std::string> directory = ProfileDirectoryFor(userProfile, home);
  if (!directory) return std::nullopt;
  std::string path = std::move(*directory);
  if (path.back() != '/') path.push_back('/');
  path.append(kSettingsFileName);
  if (path.size() > kMaxSettingsPathLength) return std::nullopt;
  return path;
}

std::optional<std::string> SettingsFilePath() {
  return SettingsFilePathFor(std::getenv("USERPROFILE"), std::getenv("HOME"));
}
