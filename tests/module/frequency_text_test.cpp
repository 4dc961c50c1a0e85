#include "core/module/frequency_text.h"

#include <gtest/gtest.h>

namespace {

struct TextToKhz {
  const char* text;
  uint32_t khz;
};

class FrequencyTextReads : public ::testing::TestWithParam<TextToKhz> {};

TEST_P(FrequencyTextReads, ExactlyThatManyKhz) {
  const FrequencyParse parsed = ParseFrequencyText(GetParam().text);
  ASSERT_TRUE(parsed.ok()) << GetParam().text;
  EXPECT_EQ(parsed.khz, GetParam().khz) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(TypedTexts, FrequencyTextReads,
                         ::testing::Values(TextToKhz{"433.925", 433925}, TextToKhz{"470", 470000},
                                           TextToKhz{"390.5", 390500}, TextToKhz{"433.", 433000},
                                           TextToKhz{"433.920", 433920}, TextToKhz{"433.9200", 433920},
                                           TextToKhz{"0433.92", 433920}, TextToKhz{".5", 500},
                                           TextToKhz{"390.001", 390001}, TextToKhz{"0", 0},
                                           TextToKhz{"16777.215", 0xFFFFFF}));

struct BadText {
  const char* text;
  FrequencyTextError error;
};

class FrequencyTextRejects : public ::testing::TestWithParam<BadText> {};

TEST_P(FrequencyTextRejects, WithAReason) {
  EXPECT_EQ(ParseFrequencyText(GetParam().text).error, GetParam().error) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    NotAFrequency, FrequencyTextRejects,
    ::testing::Values(BadText{"", FrequencyTextError::Empty}, BadText{".", FrequencyTextError::NotANumber},
                      BadText{"4a3", FrequencyTextError::NotANumber}, BadText{"-1", FrequencyTextError::NotANumber},
                      BadText{"433.9.2", FrequencyTextError::NotANumber},
                      BadText{" 433", FrequencyTextError::NotANumber}, BadText{"1e3", FrequencyTextError::NotANumber},
                      BadText{"433.9201", FrequencyTextError::FinerThanKhz},
                      BadText{"1.12345", FrequencyTextError::FinerThanKhz},
                      BadText{"16777.216", FrequencyTextError::TooLarge},
                      BadText{"9999999", FrequencyTextError::TooLarge},
                      BadText{"99999999999999999999999", FrequencyTextError::TooLarge}));

TEST(FrequencyTextShows, ShortestDecimalWithoutTrailingZeros) {
  EXPECT_EQ(FrequencyText(433920), "433.92");
  EXPECT_EQ(FrequencyText(470000), "470");
  EXPECT_EQ(FrequencyText(390500), "390.5");
  EXPECT_EQ(FrequencyText(390001), "390.001");
  EXPECT_EQ(FrequencyText(433925), "433.925");
  EXPECT_EQ(FrequencyText(1), "0.001");
  EXPECT_EQ(FrequencyText(0), "0");
}

TEST(FrequencyTextShows, CutToTheFieldLength) {
  EXPECT_EQ(FrequencyText(0xFFFFFF), "16777.2");
  EXPECT_EQ(FrequencyText(1234567), "1234.56");
}

TEST(FrequencyTextShows, EveryKhzOfTheRangeReadsBackUnchanged) {
  for (uint32_t khz = kMinFrequencyKhz; khz <= kMaxFrequencyKhz; ++khz) {
    const std::string text = FrequencyText(khz);
    const FrequencyParse parsed = ParseFrequencyText(text);
    ASSERT_TRUE(parsed.ok() && parsed.khz == khz) << khz << " shows as " << text;
  }
}

TEST(FrequencyRange, Inclusive390To470) {
  EXPECT_FALSE(IsFrequencyInRange(ParseFrequencyText("389.99").khz));
  EXPECT_FALSE(IsFrequencyInRange(389999));
  EXPECT_TRUE(IsFrequencyInRange(ParseFrequencyText("390").khz));
  EXPECT_TRUE(IsFrequencyInRange(ParseFrequencyText("470").khz));
  EXPECT_FALSE(IsFrequencyInRange(ParseFrequencyText("470.001").khz));
}

}  // namespace
