#include "core/text/hex_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct HexCase {
  const char* text;
  Bytes bytes;
};

class ParseHexTextExamples : public ::testing::TestWithParam<HexCase> {};

TEST_P(ParseHexTextExamples, YieldsTheBytesOfTheText) {
  EXPECT_EQ(HexTextToBytes(GetParam().text), GetParam().bytes) << "text: \"" << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ParseHexTextExamples,
    ::testing::Values(HexCase{"12 00 FF 88", {0x12, 0x00, 0xFF, 0x88}},
                      HexCase{"12 00 FF 88 ", {0x12, 0x00, 0xFF, 0x88}},
                      HexCase{"12000FF88", {0x12, 0x00, 0x0F, 0xF8, 0x08}},
                      HexCase{"1", {0x01}},
                      HexCase{"123", {0x12, 0x03}},
                      HexCase{"12 3", {0x12, 0x03}},
                      HexCase{"1 2 3 4", {0x12, 0x34}},
                      HexCase{"12,00;FF-88", {0x12, 0x00, 0xFF, 0x88}},
                      HexCase{"0x1F", {0x01, 0x0F}},
                      HexCase{"ABC", {0xAB, 0x0C}},
                      HexCase{"ff 80", {0x80}},
                      HexCase{"1a2b", {0x12}},
                      HexCase{"G", {}},
                      HexCase{"xyz", {}},
                      HexCase{"", {}}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ParseHexTextExamples,
    ::testing::Values(HexCase{"F", {0x0F}},
                      HexCase{"ff", {}},
                      HexCase{"1 , 2", {0x12}},
                      HexCase{"1\r\n2\t3", {0x12, 0x03}},
                      HexCase{"09AF", {0x09, 0xAF}},
                      HexCase{"/:@G`g", {}},  // the neighbours of every digit range
                      // "串口" in GBK between digits: every byte has the high bit set.
                      HexCase{"1\xB4\xAE\xBF\xDA" "2", {0x12}},
                      // GBK characters whose trail byte is 'A' or 'F' (0xB0 0x41, 0x81 0x46):
                      // skipped whole, the trail is not a digit.
                      HexCase{"\xB0\x41" "12\x81\x46", {0x12}},
                      // A stray high byte that cannot lead a pair does not hide the next digit.
                      HexCase{"\x80" "A\xFF" "B", {0xAB}},
                      // A lead byte followed by a digit is not a pair: the digit counts.
                      HexCase{"\xB4" "1\xB4" "2", {0x12}}));

TEST(ParseHexText, HandsOverEachByteBeforeReadingFurther) {
  // The sender writes each byte as soon as it is complete: record how much of the text had
  // been read when each byte arrived by parsing growing prefixes.
  const std::string text = "12 34 5";
  std::vector<size_t> emittedAfter;
  for (size_t length = 0; length <= text.size(); ++length) {
    size_t count = 0;
    ParseHexText(std::string_view(text).substr(0, length), [&count](uint8_t) { ++count; });
    emittedAfter.push_back(count);
  }
  // Bytes 0x12 and 0x34 exist as soon as their second digit is read; the lone 5 only at the end.
  EXPECT_EQ(emittedAfter, (std::vector<size_t>{0, 1, 1, 1, 2, 2, 2, 3}));
}

TEST(ParseHexText, SinkReturningFalseStopsTheParse) {
  Bytes seen;
  ParseHexText("11 22 33 4", [&seen](uint8_t b) {
    seen.push_back(b);
    return seen.size() < 2;
  });
  EXPECT_EQ(seen, (Bytes{0x11, 0x22}));
}

TEST(HexText, FormatsEveryByteAsTwoUpperCaseDigitsAndASpace) {
  const Bytes bytes{0x00, 0x08, 0x7F, 0x80, 0xAB, 0xFF};
  EXPECT_EQ(ToHexText(bytes), "00 08 7F 80 AB FF ");
  std::string out = "X";
  AppendHexText(out, Bytes{0x0A});
  EXPECT_EQ(out, "X0A ");
  EXPECT_EQ(ToHexText(Bytes{}), "");
}

TEST(HexText, DisplayFormParsesBackToTheSameBytes) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
  EXPECT_EQ(HexTextToBytes(ToHexText(all)), all);
}

}  // namespace
