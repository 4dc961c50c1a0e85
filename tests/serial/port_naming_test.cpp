#include "serial/port_naming.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Names = std::vector<std::string>;

Names Sorted(Names names) {
  SortPortNames(names);
  return names;
}

TEST(NaturalSort, OrdersNamesByTextThenNumber) {
  EXPECT_EQ(Sorted({"ttyUSB10", "ttyACM1", "ttyUSB2", "ttyACM0"}), (Names{"ttyACM0", "ttyACM1", "ttyUSB2", "ttyUSB10"}));
  EXPECT_EQ(Sorted({"COM10", "COM2", "COM1"}), (Names{"COM1", "COM2", "COM10"}));
  EXPECT_EQ(Sorted({"/dev/ttyUSB10", "/dev/ttyS1", "/dev/ttyUSB9", "/dev/ttyACM0"}),
            (Names{"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyUSB9", "/dev/ttyUSB10"}));
  // A prefix sorts before its extensions; several number runs each count.
  EXPECT_EQ(Sorted({"port1b", "port1", "a2b10", "a2b9", "a10b1"}), (Names{"a2b9", "a2b10", "a10b1", "port1", "port1b"}));
}

TEST(NaturalSort, NumbersOfAnyLengthCompareByValue) {
  EXPECT_TRUE(NaturalLess("tty99999999999999999999", "tty100000000000000000000"));
  EXPECT_FALSE(NaturalLess("tty100000000000000000000", "tty99999999999999999999"));
  EXPECT_TRUE(NaturalLess("COM007", "COM10"));
}

TEST(NaturalSort, EquivalentNamesKeepTheirOrder) {
  EXPECT_FALSE(NaturalLess("COM1", "COM1"));
  EXPECT_FALSE(NaturalLess("COM01", "COM1"));
  EXPECT_FALSE(NaturalLess("COM1", "COM01"));
  EXPECT_EQ(Sorted({"COM2", "COM01", "COM1", "COM001"}), (Names{"COM01", "COM1", "COM001", "COM2"}));
}

TEST(InsertPortName, EqualNumbersGoAfterTheOnesThere) {
  Names list{"COM1", "COM3"};
  InsertPortName(list, "COM03");
  InsertPortName(list, "COM2");
  InsertPortName(list, "COM0");
  InsertPortName(list, "COM99");
  EXPECT_EQ(list, (Names{"COM0", "COM1", "COM2", "COM3", "COM03", "COM99"}));
}

TEST(InsertPortName, OneByOneGivesTheSortedList) {
  Names input{"COM10", "ttyUSB2", "COM2", "COM02", "ttyACM0", "COM1"};
  std::sort(input.begin(), input.end());
  do {
    Names inserted;
    for (const std::string& name : input) InsertPortName(inserted, name);
    ASSERT_EQ(inserted, Sorted(input));
  } while (std::next_permutation(input.begin(), input.end()));
}

TEST(ComPortNumber, ReadsOnlyComAndDigits) {
  EXPECT_EQ(ComPortNumber("COM12"), 12u);
  EXPECT_EQ(ComPortNumber("COM9"), 9u);
  EXPECT_EQ(ComPortNumber("COM0"), 0u);
  EXPECT_EQ(ComPortNumber("COM"), std::nullopt);
  EXPECT_EQ(ComPortNumber("COM1a"), std::nullopt);
  EXPECT_EQ(ComPortNumber("com3"), std::nullopt);
  EXPECT_EQ(ComPortNumber("/dev/ttyUSB12"), std::nullopt);
  EXPECT_EQ(ComPortNumber("COM-1"), std::nullopt);
  EXPECT_EQ(ComPortNumber("COM99999999999999"), std::nullopt);
}

}  // namespace
