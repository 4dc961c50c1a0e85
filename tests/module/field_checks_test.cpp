// The page's checks of typed module values, shared with everything else that takes them.
#include <gtest/gtest.h>

#include "core/module/field_checks.h"

TEST(FieldChecks, FrequencyIsANumberOfWholeKhzFrom390To470) {
  EXPECT_EQ(CheckFrequencyField("390").khz, 390000u);
  EXPECT_EQ(CheckFrequencyField("470").khz, 470000u);
  EXPECT_EQ(CheckFrequencyField("433.925").khz, 433925u);
  for (const char* outside : {"389.999", "470.001", "0", "", "433.9255", "99999999999"}) {
    EXPECT_EQ(CheckFrequencyField(outside).error, FrequencyFieldError::OutOfRange) << outside;
  }
  for (const char* notNumber : {"abc", "4.3.3", "-433", "433 ", ".", "4e2"}) {
    EXPECT_EQ(CheckFrequencyField(notNumber).error, FrequencyFieldError::NotANumber) << notNumber;
  }
}

TEST(FieldChecks, ByteIsDecimalUpTo255AndEmptyStandsForZero) {
  EXPECT_EQ(CheckByteField(""), 0);
  EXPECT_EQ(CheckByteField("0"), 0);
  EXPECT_EQ(CheckByteField("007"), 7);
  EXPECT_EQ(CheckByteField("255"), 255);
  // No wrap-around, however long the text.
  for (const char* refused : {"256", "1000", "4294967296", "25a", "-1", " 5", "0x10"}) {
    EXPECT_EQ(CheckByteField(refused), std::nullopt) << refused;
  }
}
