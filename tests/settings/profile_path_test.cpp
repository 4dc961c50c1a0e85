#include "core/settings/profile_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(SettingsFilePath, ProfileDirectoryFirstThenHome) {
  EXPECT_EQ(SettingsFilePathFor("/profiles/li", "/home/li"), "/profiles/li/VornicSPCommTool.ini");
  EXPECT_EQ(SettingsFilePathFor(nullptr, "/home/li"), "/home/li/VornicSPCommTool.ini");
  EXPECT_EQ(SettingsFilePathFor("", "/home/li/"), "/home/li/VornicSPCommTool.ini");
  EXPECT_EQ(SettingsFilePathFor("/", nullptr), "/VornicSPCommTool.ini");
}

TEST(SettingsFilePath, NoDirectoryMeansNoFile) {
  EXPECT_EQ(SettingsFilePathFor(nullptr, nullptr), std::nullopt);
  EXPECT_EQ(SettingsFilePathFor("", ""), std::nullopt);
}

TEST(SettingsFilePath, PathsLongerThan1023CharactersAreRefused) {
  const std::string suffix = "/VornicSPCommTool.ini";
  const std::string fits(kMaxSettingsPathLength - suffix.size(), 'd');
  EXPECT_EQ(SettingsFilePathFor(fits.c_str(), nullptr)->size(), 1023u);
  const std::string tooLong = fits + "d";
  EXPECT_EQ(SettingsFilePathFor(tooLong.c_str(), "/home/li"), std::nullopt);
}

TEST(SettingsFilePath, ReadsTheEnvironment) {
  const char* savedProfile = std::getenv("USERPROFILE");
  const std::string profile = savedProfile ? savedProfile : "";
  ASSERT_EQ(::setenv("USERPROFILE", "/tmp/profile-test", 1), 0);
  EXPECT_EQ(SettingsFilePath(), "/tmp/profile-test/VornicSPCommTool.ini");
  if (savedProfile) ::setenv("USERPROFILE", profile.c_str(), 1);
  else ::unsetenv("USERPROFILE");
}

}  // namespace
