// The line and frame parsers: what they read, what they refuse, and that a stream cut at any
// byte gives the same rows as the stream whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/plot/frame_parser.h"
#include "core/plot/line_parser.h"
#include "plot/row_log.h"

namespace {

using Log = std::vector<std::string>;

Log Parse(SampleParser& parser, const std::string& bytes) {
  RowLog log;
  parser.Feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), log);
  return log.entries;
}

Log Lines(const std::string& bytes) {
  LineParser parser;
  return Parse(parser, bytes);
}

std::string Hex(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

// Feeding [0, cut) and then [cut, end) to a fresh parser gives what the whole stream gives.
template <class MakeParser>
void ExpectCutAnywhereSame(const std::string& stream, MakeParser make) {
  auto whole = make();
  const Log expected = Parse(*whole, stream);
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    auto parser = make();
    Log got = Parse(*parser, stream.substr(0, cut));
    const Log rest = Parse(*parser, stream.substr(cut));
    got.insert(got.end(), rest.begin(), rest.end());
    ASSERT_EQ(got, expected) << "cut at " << cut;
  }
}

TEST(LineParser, ReadsBareNumbersAndNamedPairsAtEveryLineEnd) {
  EXPECT_EQ(Lines("1,2 3\t4;5\r\n+3, -2.5e1,,0.125\n"), (Log{"1 2 3 4 5", "3 -25 0.125"}));
  EXPECT_EQ(Lines("temp:21.5,hum:40\rtemp: 22 hum: 41\r\n"), (Log{"temp=21.5 hum=40", "temp=22 hum=41"}));
  // CR LF is one end; blank lines and lines of separators are no rows and no faults.
  EXPECT_EQ(Lines("\n\r\n\r\r , ;\n7\n"), (Log{"7"}));
  EXPECT_EQ(Lines("1,2"), Log{}) << "a line without its end yet is not read";
}

TEST(LineParser, CountsEveryLineItCannotReadAndGoesOn) {
  const std::string bad[] = {"abc", "1,nan", "inf,2", "NaN", "21.5V", "1e400", "1,x:2", "x:1,2", "a:1,a:2", ":5",
                       "temp:", "+-1", "--1", "0x10", "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
                       "1\x01" "2", "\x80\xff\xfe"};
  for (const std::string& line : bad) EXPECT_EQ(Lines(line + "\n9\n"), (Log{"?", "9"})) << line;
  // A line far past the limit counts once and is skipped up to its end; the next one reads.
  EXPECT_EQ(Lines(std::string(100 * 1024, '5') + "\n1,2\n"), (Log{"?", "1 2"}));
  const std::string longest = std::string(LineParser::kMaxLineBytes - 1, ' ') + "5";
  EXPECT_EQ(Lines(longest + "\n" + longest + " \n"), (Log{"5", "?"}));
}

TEST(LineParser, StreamCutAtEveryByteReadsTheSame) {
  const std::string stream = "1,2,3\r\nt:4 u:5\r\r\n\nbad\n6;7\r" + std::string(LineParser::kMaxLineBytes + 3, '8') +
                             "\r\n-1.5e3\n\x01\x02\x03 9";
  ExpectCutAnywhereSame(stream, [] { return std::make_unique<LineParser>(); });
}

TEST(FrameParser, DecodesEachTypeInBothByteOrders) {
  struct Case {
    FrameValueType type;
    bool bigEndian;
    std::string payload;
    std::string expected;
  };
  const Case cases[] = {
      {FrameValueType::kUint8, false, Hex({0xFF}), "255"},
      {FrameValueType::kInt8, false, Hex({0xFF}), "-1"},
      {FrameValueType::kUint16, true, Hex({0x12, 0x34}), "4660"},
      {FrameValueType::kUint16, false, Hex({0x12, 0x34}), "13330"},
      {FrameValueType::kInt16, false, Hex({0x00, 0x80}), "-32768"},
      {FrameValueType::kUint32, true, Hex({0x01, 0x02, 0x03, 0x04}), "16909060"},
      {FrameValueType::kInt32, false, Hex({0xFE, 0xFF, 0xFF, 0xFF}), "-2"},
      {FrameValueType::kFloat32, false, Hex({0x00, 0x00, 0xC0, 0x3F}), "1.5"},
      {FrameValueType::kFloat32, true, Hex({0xC0, 0x20, 0x00, 0x00}), "-2.5"},
      {FrameValueType::kFloat32, false, Hex({0x00, 0x00, 0xC0, 0x7F}), "?"},  // NaN
      {FrameValueType::kFloat32, true, Hex({0x7F, 0x80, 0x00, 0x00}), "?"},   // infinity
  };
  for (const Case& c : cases) {
    FrameParser parser({{0xA5}, 1, c.type, c.bigEndian});
    EXPECT_EQ(Parse(parser, "\xA5" + c.payload), Log{c.expected}) << static_cast<int>(c.type);
  }
}

TEST(FrameParser, SkipsToTheNextStartAndCountsEachSkippedStretchOnce) {
  FrameParser parser({{0xAA, 0x55}, 2, FrameValueType::kInt16, false});
  const std::string frames = Hex({0xAA, 0x55, 1, 0, 0xFF, 0xFF}) + Hex({0, 0x13, 0xAA, 0x00}) +
                             Hex({0xAA, 0x55, 2, 0, 3, 0}) + Hex({0xAA, 0x55, 0x55, 0xAA, 4, 0});
  EXPECT_EQ(Parse(parser, frames), (Log{"1 -1", "?", "2 3", "-21931 4"}));
  // A start that overlaps itself: after AA AA, one more AA may still begin the start.
  FrameParser overlapping({{0xAA, 0xAA, 0x55}, 1, FrameValueType::kUint8, false});
  EXPECT_EQ(Parse(overlapping, Hex({0xAA, 0xAA, 0xAA, 0x55, 5, 0xAA, 0xAA, 0x55, 6})), (Log{"?", "5", "6"}));
  // No start: values back to back.
  FrameParser bare({{}, 2, FrameValueType::kUint8, false});
  EXPECT_EQ(Parse(bare, Hex({1, 2, 3, 4, 5})), (Log{"1 2", "3 4"}));
}

TEST(FrameParser, StreamCutAtEveryByteReadsTheSame) {
  const std::string stream = Hex({0x55, 0xAA, 0xAA, 0x55, 1, 2, 3, 4, 0xAA, 0x55, 0x55, 0xAA, 0x55, 0, 0, 0xC0,
                                  0x7F, 0xAA, 0x55, 9, 9, 9, 9, 0xAA});
  ExpectCutAnywhereSame(stream, [] {
    return std::make_unique<FrameParser>(FrameFormat{{0xAA, 0x55}, 1, FrameValueType::kFloat32, false});
  });
  ExpectCutAnywhereSame(stream, [] {
    return std::make_unique<FrameParser>(FrameFormat{{0xAA, 0xAA, 0x55}, 2, FrameValueType::kInt16, true});
  });
}

}  // namespace
