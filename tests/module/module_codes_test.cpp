#include <gtest/gtest.h>

#include <set>

#include "core/module/module_settings.h"

namespace {

TEST(ModelTable, NamesKnownCodesAndOnlyThose) {
  const std::pair<uint8_t, const char*> known[] = {{0x01, "ZEL-A1"}, {0x02, "ZEL-A2"}, {0x03, "ZEL-B1"},
                                                   {0x04, "ZEL-C1"}, {0x08, "ZEL-D1"}, {0x11, "ZEL-A3"},
                                                   {0x13, "ZEL-B1 FIFO"}};
  std::set<int> knownCodes;
  for (const auto& [code, text] : known) {
    EXPECT_EQ(ModelText(code), text);
    knownCodes.insert(code);
  }
  for (int code = 0; code < 256; ++code) {
    if (!knownCodes.count(code)) {
      EXPECT_EQ(ModelText(static_cast<uint8_t>(code)), "Unknown Device") << code;
    }
  }
}

TEST(SerialRateCodes, PositionsOfTheExampleCodes) {
  EXPECT_EQ(SerialRatePositionForCode(8), 1);   // "600bps"
  EXPECT_EQ(SerialRatePositionForCode(7), 0);   // "300bps"
  EXPECT_EQ(SerialRatePositionForCode(9), 9);   // "115200bps"
  EXPECT_EQ(SerialRatePositionForCode(0), 2);   // "1200bps"
  EXPECT_FALSE(SerialRatePositionForCode(10).has_value());
  EXPECT_FALSE(SerialRatePositionForCode(255).has_value());
}

TEST(SerialRateCodes, EveryListEntryMapsToItsCodeAndBack) {
  const char* byCode[] = {"1200bps",  "2400bps",  "4800bps", "9600bps", "19200bps",
                          "38400bps", "57600bps", "300bps",  "600bps",  "115200bps"};
  for (int position = 0; position < static_cast<int>(SerialRateListTexts.size()); ++position) {
    const auto code = SerialRateCodeForPosition(position);
    ASSERT_TRUE(code.has_value()) << position;
    EXPECT_EQ(SerialRateListTexts[static_cast<size_t>(position)], byCode[*code]);
    EXPECT_EQ(SerialRatePositionForCode(*code), position);
  }
  EXPECT_FALSE(SerialRateCodeForPosition(-1).has_value());
  EXPECT_FALSE(SerialRateCodeForPosition(10).has_value());
}

TEST(ListCodes, CodeIsThePositionWhileTheListHasIt) {
  EXPECT_EQ(PositionForCode(11, WakeUpTimeTexts.size()), 11);
  EXPECT_FALSE(PositionForCode(12, WakeUpTimeTexts.size()).has_value());
  EXPECT_EQ(PositionForCode(2, SerialParityTexts.size()), 2);
  EXPECT_FALSE(PositionForCode(3, SerialParityTexts.size()).has_value());
  EXPECT_EQ(WakeUpTimeTexts[0], " 50ms");
}

TEST(PackLength, CodesOneToSixChooseTheSizes) {
  EXPECT_EQ(PackLengthChoiceForCode(1), 0);
  EXPECT_EQ(PackLengthChoiceForCode(3), 2);
  EXPECT_EQ(PackLengthBytes[2], 8u);
  EXPECT_EQ(PackLengthChoiceForCode(6), 5);
  EXPECT_FALSE(PackLengthChoiceForCode(0).has_value());
  EXPECT_FALSE(PackLengthChoiceForCode(7).has_value());
}

TEST(ModuleSettingsDefaults, MatchAFirstRun) {
  const ModuleSettings s;
  EXPECT_EQ(s, (ModuleSettings{433920, 0, 7, 3, 0, 5, 0, 1, 58, 58, 5, 1}));
  EXPECT_EQ(RfPowerTexts[s.RfPower], "7(MAX)");
  EXPECT_EQ(SerialRateListTexts[SerialRatePositionForCode(s.SerialBaudRate).value()], "9600bps");
  EXPECT_EQ(WakeUpTimeTexts[s.WakeUpTime], "1.0s");
}

}  // namespace
