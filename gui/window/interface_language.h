#pragma once
// The window's language at start: chosen from the command line, the settings file and the
// system's locale, then installed as the application's translation before any widget exists.
#include <optional>
#include <string>

#include "core/settings/interface_language.h"

// The choice the settings file at `path` holds: Auto without a file, a key or a value this
// program knows.
LanguageChoice SavedLanguageChoice(const std::optional<std::string>& path);

// The language of this run: `override` (--lang) when given, else the settings file's choice,
// resolved against the system's locale.
InterfaceLanguage StartLanguage(std::optional<LanguageChoice> override, const std::optional<std::string>& settingsPath);

// Makes `language` the language of every text shown from now on. Chinese needs no
// translation (it removes one installed before). False when the English translation cannot
// be loaded; the texts then stay Chinese.
bool InstallInterfaceLanguage(InterfaceLanguage language);
