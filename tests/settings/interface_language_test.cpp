// The window's language: which one a choice gives on a given locale, which choices the
// settings file and the command line know, and that the settings file keeps the key only
// as the user wrote it.
#include "core/settings/interface_language.h"

#include <gtest/gtest.h>

#include "core/settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

TEST(InterfaceLanguage, AutoIsEnglishForAnEnglishLocaleOnly) {
  for (const char* locale : {"en_US.UTF-8", "en_US", "en_GB", "en", "en_IN.utf8", "en@quot"})
    EXPECT_EQ(ResolveInterfaceLanguage(LanguageChoice::Auto, locale), InterfaceLanguage::English) << locale;
  // A machine without a locale keeps the Chinese window, as does every other language.
  for (const char* locale : {"C", "POSIX", "", "C.UTF-8", "de_DE", "zh_CN.UTF-8", "eo", "es_ES", "english"})
    EXPECT_EQ(ResolveInterfaceLanguage(LanguageChoice::Auto, locale), InterfaceLanguage::Chinese) << locale;
  // A choice is not overridden by the locale.
  EXPECT_EQ(ResolveInterfaceLanguage(LanguageChoice::Chinese, "en_US.UTF-8"), InterfaceLanguage::Chinese);
  EXPECT_EQ(ResolveInterfaceLanguage(LanguageChoice::English, "C"), InterfaceLanguage::English);
}

TEST(InterfaceLanguage, OnlyTheThreeSpellingsAreChoices) {
  EXPECT_EQ(ParseLanguageChoice("auto"), LanguageChoice::Auto);
  EXPECT_EQ(ParseLanguageChoice("zh_CN"), LanguageChoice::Chinese);
  EXPECT_EQ(ParseLanguageChoice("en"), LanguageChoice::English);
  for (const char* other : {"", "EN", "en_US", "zh", " en", "english"}) EXPECT_FALSE(ParseLanguageChoice(other)) << other;
}

// The key is not written while the file lacks it (a file saved today stays as it was), and a
// value the user wrote, even one this program does not know, stays as written.
TEST(InterfaceLanguage, SettingsFileKeepsTheKeyAsTheUserWroteIt) {
  TempDir dir;
  ASSERT_TRUE(dir.valid());
  const std::string file = dir.File("VornicSPCommTool.ini");
  AllSettings settings;
  ASSERT_EQ(LoadSettingsFile(file, settings), 0);
  ASSERT_EQ(SaveSettingsFile(file, settings, 0).error, 0);
  EXPECT_EQ(ReadTestFile(file).find("Interface"), std::string::npos);

  for (const char* value : {"en", "fr"}) {
    const std::string section = std::string("[VornicSPCommTool_Interface]\nLanguage=") + value + "\n";
    ASSERT_TRUE(WriteTestFile(file, section));
    AllSettings loaded;
    ASSERT_EQ(LoadSettingsFile(file, loaded), 0);
    EXPECT_EQ(loaded.Interface.Language, value);
    ASSERT_EQ(SaveSettingsFile(file, loaded, 0).error, 0);
    EXPECT_NE(ReadTestFile(file).find(section), std::string::npos) << ReadTestFile(file);
  }
}

}  // namespace
