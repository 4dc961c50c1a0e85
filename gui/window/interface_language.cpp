#include "gui/window/interface_language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "core/settings/settings_file.h"

namespace {

// Built into the window library by translations/CMakeLists.txt.
const char* const kEnglishTranslation = ":/i18n/vornicspcomm_en.qm";

std::unique_ptr<QTranslator>& Installed() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

}  // namespace

LanguageChoice SavedLanguageChoice(const std::optional<std::string>& path) {
  if (!path) return LanguageChoice::Auto;
  AllSettings settings;
  (void)LoadSettingsFile(*path, settings);  // a file that cannot be read holds no choice
  return ParseLanguageChoice(settings.Interface.Language).value_or(LanguageChoice::Auto);
}

InterfaceLanguage StartLanguage(std::optional<LanguageChoice> override, const std::optional<std::string>& settingsPath) {
  const LanguageChoice choice = override ? *override : SavedLanguageChoice(settingsPath);
  return ResolveInterfaceLanguage(choice, QLocale::system().name().toStdString());
}

bool InstallInterfaceLanguage(InterfaceLanguage language) {
  std::unique_ptr<QTranslator>& installed = Installed();
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  if (language == InterfaceLanguage::Chinese) return true;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QString::fromUtf8(kEnglishTranslation)) || !QCoreApplication::installTranslator(translator.get()))
    return false;
  installed = std::move(translator);
  return true;
}
