#pragma once
// Where the settings file lives: the directory named by USERPROFILE when it is set and not
// empty, else HOME, followed by "/VornicSPCommTool.ini". Without either, or when the path would
// be longer than kMaxSettingsPathLength characters (the other OS's version builds it in a
// 1024-byte buffer), there is no settings file: load and save then touch nothing.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view kSettingsFileName = "VornicSPCommTool.ini";
inline constexpr size_t kMaxSettingsPathLength = 1023;

// The profile directory for the given variable values (nullptr = not set), without a
// trailing '/'; nothing without either.
std::optional<std::string> ProfileDirectoryFor(const char* userProfile, const char* home);
std::optional<std::string> ProfileDirectory();

// The path for the given variable values (nullptr = not set).
std::optional<std::string> SettingsFilePathFor(const char* userProfile, const char* home);
// The path for this process's environment.
std::optional<std::string> SettingsFilePath();
