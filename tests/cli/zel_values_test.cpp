// The command-line tool's side of module values: how each field is printed and taken back,
// its little JSON, and its command line.
#include <gtest/gtest.h>

#include "cli/flat_json.h"
#include "cli/module_fields.h"
#include "cli/zel_command_line.h"
#include "core/module/module_protocol.h"

namespace {

ModuleSettings WithCode(ModuleField field, uint32_t code) {
  FieldChanges change;
  change.Set(field, code);
  return change.AppliedTo(ModuleSettings{});
}

// What a read of a module that holds `code` in `field` gives.
ModuleSettings ReadWithCode(ModuleField field, uint32_t code) {
  return DecodeConfigBlock(EncodeConfigBlock(WithCode(field, code)));
}

std::optional<uint32_t> Parsed(ModuleField field, std::string_view text) { return ParseFieldValue(field, text).value; }

}  // namespace

// Whatever a module holds is printed so that a write of the printed text gives the module the
// same code back; what no choice stands for is printed as such and cannot be written.
TEST(ZelValues, EveryPrintedValueIsTakenBackAsTheSameCode) {
  for (const ModuleField field : kModuleFields) {
    if (field == ModuleField::Freq) continue;
    for (uint32_t code = 0; code <= 255; ++code) {
      const ModuleSettings held = ReadWithCode(field, code);
      const std::string shown = FieldShownText(held, field);
      const auto text = FieldValueText(held, field);
      SCOPED_TRACE(std::string(FieldName(field)) + " " + std::to_string(code) + " shown as " + shown);
      if (!text) {
        EXPECT_EQ(shown, "unlisted code " + std::to_string(code));
        EXPECT_EQ(Parsed(field, shown), std::nullopt);
        continue;
      }
      const auto back = Parsed(field, *text);
      ASSERT_TRUE(back.has_value());
      EXPECT_EQ(ReadWithCode(field, *back), held);
    }
  }
  EXPECT_EQ(Parsed(ModuleField::Freq, *FieldValueText(WithCode(ModuleField::Freq, 433925), ModuleField::Freq)), 433925u);
}

TEST(ZelValues, ValuesAreTheModulesNotTheListPositions) {
  EXPECT_EQ(Parsed(ModuleField::SerialRate, "9600"), 3u);
  EXPECT_EQ(Parsed(ModuleField::SerialRate, "300"), 7u);
  EXPECT_EQ(Parsed(ModuleField::SerialRate, "115200"), 9u);
  EXPECT_EQ(Parsed(ModuleField::Pack, "32"), 5u);
  EXPECT_EQ(Parsed(ModuleField::Pack, "2"), 1u);
  EXPECT_EQ(Parsed(ModuleField::Freq, "433.92"), 433920u);
}

TEST(ZelValues, PageNamesAndPlainSpellingsInAnyCaseRefusingTheRest) {
  EXPECT_EQ(Parsed(ModuleField::SerialRate, "9600BPS"), 3u);
  EXPECT_EQ(Parsed(ModuleField::Parity, "Disabled"), 0u);
  EXPECT_EQ(Parsed(ModuleField::Parity, "even parity"), 2u);
  EXPECT_EQ(Parsed(ModuleField::Power, "7(MAX)"), 7u);
  EXPECT_EQ(Parsed(ModuleField::Power, "0(min)"), 0u);
  EXPECT_EQ(Parsed(ModuleField::WakeUp, "50ms"), 0u);
  EXPECT_EQ(Parsed(ModuleField::AirRate, "5kbps"), 2u);
  EXPECT_EQ(Parsed(ModuleField::Fec, "OFF"), 0u);
  EXPECT_EQ(Parsed(ModuleField::Delay, ""), 0u);  // an empty byte field is 0, as on the page
  const std::pair<ModuleField, const char*> refused[] = {
      {ModuleField::SerialRate, "9601"}, {ModuleField::AirRate, "7Kbps"}, {ModuleField::Pack, "3"},
      {ModuleField::Fec, "maybe"},       {ModuleField::Power, "8"},       {ModuleField::Local, "256"},
      {ModuleField::Freq, "470.5"},      {ModuleField::Freq, "fast"},     {ModuleField::WakeUp, ""}};
  for (const auto& [field, text] : refused) {
    const FieldParse parse = ParseFieldValue(field, text);
    EXPECT_EQ(parse.value, std::nullopt) << text;
    EXPECT_TRUE(parse.error.starts_with(std::string(FieldName(field)) + ": \"" + text + "\"")) << parse.error;
  }
  EXPECT_NE(ParseFieldValue(ModuleField::Parity, "no").error.find("none, odd, even"), std::string::npos);
}

TEST(ZelJson, FlatObjectWithEscapesAndEveryKindOfValue) {
  const JsonObjectParse parse =
      ParseFlatJsonObject(" {\"a\\\"b\": \"x\\u00e9\\ud83d\\ude00\\n\", \"n\": -4.5e1, \"t\": true, \"z\": null}\n");
  ASSERT_EQ(parse.error, "");
  ASSERT_EQ(parse.members.size(), 4u);
  EXPECT_EQ(parse.members[0].key, "a\"b");
  EXPECT_EQ(parse.members[0].value, "x\xC3\xA9\xF0\x9F\x98\x80\n");
  EXPECT_EQ(parse.members[1].value, "-4.5e1");
  EXPECT_FALSE(parse.members[1].isString);
  EXPECT_EQ(parse.members[2].value, "true");
  EXPECT_EQ(parse.members[3].value, std::nullopt);
  EXPECT_EQ(ParseFlatJsonObject("{}").error, "");
  const std::string tricky = "tab\t \"quoted\" back\\slash \x01";
  EXPECT_EQ(ParseFlatJsonObject("{\"k\": " + JsonQuoted(tricky) + "}").members.at(0).value, tricky);
  for (const char* bad : {"", "[]", "{\"a\": {}}", "{\"a\": [1]}", "{\"a\": 1,}", "{\"a\" 1}", "{\"a\": 1} x",
                          "{\"a\": \"open", "{\"a\": \"\\ud800\"}", "{a: 1}"}) {
    EXPECT_NE(ParseFlatJsonObject(bad).error, "") << bad;
  }
}

TEST(ZelCommandLine, WhatIsUnderstood) {
  ZelCommandLine line = ParseZelCommandLine({"write", "/dev/ttyUSB3", "--freq=434.5", "--pack", "64", "--json"});
  ASSERT_EQ(line.error, "");
  EXPECT_EQ(line.command.action, ZelAction::Write);
  EXPECT_EQ(line.command.port, "/dev/ttyUSB3");
  EXPECT_TRUE(line.command.json);
  ModuleSettings written = line.command.changes.AppliedTo({});
  EXPECT_EQ(written.RfFreq, 434500u);
  EXPECT_EQ(written.PackLength, 6);
  EXPECT_EQ(written.TargetAddress, ModuleSettings{}.TargetAddress);

  line = ParseZelCommandLine({"--all", "write", "--from", "f.json", "--local", "3"});
  ASSERT_EQ(line.error, "");
  EXPECT_TRUE(line.command.allPorts);
  EXPECT_EQ(line.command.fromFile, "f.json");
  EXPECT_EQ(ParseZelCommandLine({"read", "p", "--help"}).command.action, ZelAction::Help);
  EXPECT_EQ(ParseZelCommandLine({}).error, "nothing to do: read, write or scan");

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"read"}, {"write"}, {"read", "p", "q"}, {"scan", "p"}, {"--all", "scan"},
        {"--all", "read", "p"}, {"read", "p", "--freq", "434"}, {"scan", "--from", "f"}, {"erase", "p"},
        {"write", "p", "--freq"}, {"write", "p", "--local", "1", "--local", "2"}, {"write", "p", "--speed", "1"},
        {"write", "p", "--freq", "500"}, {"write", "", "--freq", "434"}}) {
    EXPECT_NE(ParseZelCommandLine(bad).error, "") << testing::PrintToString(bad);
  }
}
