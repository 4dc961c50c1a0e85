#include "core/receive/receive_view_layout.h"
#include "core/receive/receive_view_charmap.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/receive_view_reference_wrap.h"

namespace {

constexpr WrapAt kBothWraps[] = {WrapAt::AnyCharacter, WrapAt::Blank};

const char* WrapName(WrapAt wrap) { return wrap == WrapAt::Blank ? "at blanks" : "anywhere"; }

TEST(ReceiveViewLayoutRules, WorkedExamples) {
  struct Case {
    std::string content;
    size_t columns;
    std::vector<size_t> starts;
  };
  const Case cases[] = {
      {"abcdefgh", 3, {0, 3, 6}},
      {"ab\ncd", 80, {0, 3}},
      {"ab\r\ncd", 80, {0, 3}},          // the "\n" of "\r\n" takes no room
      {"ab\rcd", 80, {0, 3}},
      {"ab\n", 80, {0, 3}},
      {"\n\n", 80, {0, 1, 2}},
      {"ab\xD6\xD0", 3, {0, 2}},           // a pair does not fit in the last cell
      {"\xD6\xD0\xD6\xD0", 1, {0, 2}},     // one column still takes a pair per line
      {"a\tb", 80, {0}},
      {"abcdefg\tb", 8, {0, 8}},           // the tab fills the last cell
      {"abcdefgh\tb", 8, {0, 8, 9}},          // a full line pushes the tab to the next one
      {"\xD6 ", 1, {0, 1}},             // a lead byte without a trail takes one cell
      {"abc\x01\x7F", 4, {0, 4}},          // control bytes take a cell each
  };
  for (const Case& c : cases) {
    WrappedLines lines;
    lines.Rebuild(c.content, c.columns);
    EXPECT_EQ(lines.Starts(), c.starts) << "content \"" << c.content << "\" columns " << c.columns;
  }
}

TEST(ReceiveViewLayoutRules, WrappingAtBlanksKeepsHexPairsWhole) {
  struct Case {
    std::string content;
    size_t columns;
    std::vector<size_t> starts;
  };
  const Case cases[] = {
      {"98 57 5D 0E ", 10, {0, 9}},        // anywhere: "98 57 5D 0" and "E "
      {"98 57 5D 0E ", 8, {0, 9}},         // the blank after 5D hangs past the end
      {"98 57 5D   0E", 8, {0, 11}},       // so do several
      {"a bcdefghij", 4, {0, 2, 6, 10}},   // a word longer than a line breaks where it must
      {"ab ÖÐ", 4, {0, 3}},          // a pair moves down whole
      {"a	b c", 9, {0, 4}},               // a tab is a blank too
  };
  for (const Case& c : cases) {
    WrappedLines lines;
    lines.Rebuild(c.content, c.columns, WrapAt::Blank);
    EXPECT_EQ(lines.Starts(), c.starts) << "content \"" << c.content << "\" columns " << c.columns;
  }
}

TEST(ReceiveViewCharmap, DecodesEachKindOfCharacter) {
  const auto code = [](std::string_view content) { return CellCharCode(content, 0, CellCharAt(content, 0)); };
  EXPECT_EQ(code("\xD6\xD0"), u'\u4E2D');  // a GB2312 character
  EXPECT_EQ(code("\x81\x40"), u'\u4E02');  // a GBK extension character
  EXPECT_EQ(code("\x80"), u'\u20AC');       // the euro sign of code page 936
  EXPECT_EQ(code("A"), u'A');
  EXPECT_EQ(code("\x01"), u'\x01');          // control bytes keep their code
  EXPECT_EQ(code("\xFF"), kReplacementChar);
  EXPECT_EQ(code("\xA1\x40"), kReplacementChar);  // well-formed but unassigned
  EXPECT_EQ(code("\xD6 "), kReplacementChar);      // a lead byte without its trail
}

TEST(ReceiveViewLayoutRules, TabAdvancesToTheNextMultipleOfEight) {
  const std::string line = "ab\tc\t\td";
  LineCells cells(line, 0, line.size(), 80);
  std::vector<size_t> columns;
  while (cells.Next()) columns.push_back(cells.Column());
  EXPECT_EQ(columns, (std::vector<size_t>{0, 1, 2, 8, 9, 16, 24}));
}

TEST(ReceiveViewLayoutRules, SplitPairAndSplitLineEndLayOutAsWhenWhole) {
  WrappedLines lines;
  std::string content = "ab\xD6";
  lines.Rebuild(content, 3);
  EXPECT_EQ(lines.Starts(), (std::vector<size_t>{0}));
  content += "\xD0x\r";
  lines.Extend(content);
  EXPECT_EQ(lines.Starts(), (std::vector<size_t>{0, 2, 6}));
  content += "\nz";
  lines.Extend(content);
  EXPECT_EQ(lines.Starts(), (std::vector<size_t>{0, 2, 6})) << "\\r\\n breaks once";
}

TEST(ReceiveViewLayoutRules, ReplaceRethinksAWrapDecidedByAChangedTrailByte) {
  WrappedLines lines;
  lines.Rebuild("ab\xD6\xD0", 3);
  ASSERT_EQ(lines.Starts(), (std::vector<size_t>{0, 2})) << "the pair did not fit after ab";
  lines.Replace("ab\xD6 ", 3);  // now a lone lead byte: one cell, it fits
  EXPECT_EQ(lines.Starts(), (std::vector<size_t>{0, 3}));
}

// Random content with every kind of character the layout knows, appended in random pieces
// (pairs and "\r\n" get split, the stream pauses on a lead byte now and then), must lay out
// exactly as a slow reference lays out the whole.
TEST(ReceiveViewLayoutRandom, AppendsMatchTheReferenceWrap) {
  std::mt19937 random(1);
  for (WrapAt wrap : kBothWraps) {
    for (size_t columns : {1, 2, 3, 7, 8, 9, 13, 80}) {
      for (int round = 0; round < 20; ++round) {
        const std::string all = RandomLayoutContent(random, 600);
        WrappedLines lines;
        lines.Rebuild("", columns, wrap);
        std::string content;
        while (content.size() < all.size()) {
          content += all.substr(content.size(), 1 + random() % 12);
          lines.Extend(content);
          const bool pause = random() % 3 == 0;
          if (pause) lines.SettleTail(content);
          ASSERT_EQ(lines.Starts(), ReferenceWrap(content, columns, wrap, pause))
              << WrapName(wrap) << ", columns " << columns;
        }
      }
    }
  }
}

TEST(ReceiveViewLayoutRandom, RebuildAtAnotherWidthMatchesTheReference) {
  std::mt19937 random(2);
  const std::string content = RandomLayoutContent(random, 5000);
  WrappedLines lines;
  for (WrapAt wrap : kBothWraps) {
    for (size_t columns : {80, 5, 1, 33}) {
      lines.Rebuild(content, columns, wrap);
      EXPECT_EQ(lines.Starts(), ReferenceWrap(content, columns, wrap)) << WrapName(wrap) << ", columns " << columns;
    }
  }
}

TEST(ReceiveViewLayoutRandom, DropHeadMatchesTheReferenceOfWhatRemains) {
  std::mt19937 random(3);
  for (int round = 0; round < 400; ++round) {
    const WrapAt wrap = kBothWraps[round % 4 / 2];
    // Every other round the content ends in a lead byte laid out on its own.
    std::string content = RandomLayoutContent(random, 400) + (round % 2 == 0 ? "" : "\xC4");
    const size_t columns = 1 + random() % 20;
    WrappedLines lines;
    lines.Rebuild(content, columns, wrap);
    const bool settled = lines.SettleTail(content);
    // Half of the cuts fall on a line start (the cheap path), half anywhere.
    size_t cut = random() % content.size();
    if (round % 3 == 0) cut = lines.LineStart(lines.LineOf(cut));
    const bool afterCr = cut > 0 && content[cut - 1] == '\r';
    content.erase(0, cut);
    lines.DropHead(content, cut, afterCr);
    ASSERT_EQ(lines.Starts(), ReferenceWrap(content, columns, wrap, settled)) << WrapName(wrap) << ", cut " << cut;
    content += "xyz\n";
    lines.Extend(content);
    ASSERT_EQ(lines.Starts(), ReferenceWrap(content, columns, wrap)) << "appending after the cut";
  }
}

TEST(ReceiveViewLayoutRandom, ReplaceLaysOutOnlyTheChangedTailLikeTheReference) {
  std::mt19937 random(6);
  for (int round = 0; round < 600; ++round) {
    const WrapAt wrap = kBothWraps[round % 2];
    const size_t columns = 1 + random() % 20;
    const std::string before = RandomLayoutContent(random, 300);
    WrappedLines lines;
    lines.Rebuild(before, columns, wrap);
    // A backspace-style change: the same text cut somewhere (maybe inside a pair) and
    // continued differently.
    const size_t keep = random() % (before.size() + 1);
    const std::string after = before.substr(0, keep) + RandomLayoutContent(random, random() % 40);
    size_t unchanged = 0;
    while (unchanged < std::min(before.size(), after.size()) && before[unchanged] == after[unchanged]) ++unchanged;
    lines.Replace(after, unchanged);
    ASSERT_EQ(lines.Starts(), ReferenceWrap(after, columns, wrap)) << WrapName(wrap) << ", round " << round;
  }
}

TEST(ReceiveViewLayoutRandom, LineOfFindsTheLineHoldingEachByte) {
  std::mt19937 random(4);
  const std::string content = RandomLayoutContent(random, 2000);
  WrappedLines lines;
  lines.Rebuild(content, 10);
  for (size_t line = 0; line < lines.LineCount(); ++line) {
    for (size_t at = lines.LineStart(line); at < lines.LineEnd(line); ++at) ASSERT_EQ(lines.LineOf(at), line);
  }
  EXPECT_EQ(lines.LineOf(content.size()), lines.LineCount() - 1);
}

}  // namespace
