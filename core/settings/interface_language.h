#pragma once
// Which language the window speaks: Chinese, the language its texts are written in, or
// English. The choice comes from the command line (--lang) for one run, else from the
// settings file; "auto" follows the system's locale.
#include <optional>
#include <string_view>

enum class InterfaceLanguage { Chinese, English };
enum class LanguageChoice { Auto, Chinese, English };

// "auto", "zh_CN" or "en"; nothing for any other text.
std::optional<LanguageChoice> ParseLanguageChoice(std::string_view text);

// The language of a choice on a system whose locale is named `localeName` (as QLocale or the
// environment names it: "en_US", "en_GB.UTF-8", "C", ...). Auto is English for an English
// locale only; every other locale, "C" and "POSIX" and none included, keeps the Chinese
// window.
InterfaceLanguage ResolveInterfaceLanguage(LanguageChoice choice, std::string_view localeName);
