#include "core/settings/interface_language.h"

std::optional<LanguageChoice> ParseLanguageChoice(std::string_view text) {
  if (text == "auto") return LanguageChoice::Auto;
  if (text == "zh_CN") return LanguageChoice::Chinese;
  if (text == "en") return LanguageChoice::English;
  return std::nullopt;
}

InterfaceLanguage ResolveInterfaceLanguage(LanguageChoice choice, std::string_view localeName) {
  switch (choice) {
    case LanguageChoice::Chinese: return InterfaceLanguage::Chinese;
    case LanguageChoice::English: return InterfaceLanguage::English;
    case LanguageChoice::Auto: break;
  }
  // The language is what stands before the territory, the code set or the modifier.
  const std::string_view language = localeName.substr(0, localeName.find_first_of("_-.@"));
  return language == "en" ? InterfaceLanguage::English : InterfaceLanguage::Chinese;
}
