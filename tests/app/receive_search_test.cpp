// Search through the receive window's content: text only where characters start, case
// folding of ASCII letters, and hex bytes found across blanks, line ends and time stamps.
#include <gtest/gtest.h>

#include "core/receive/receive_search.h"

namespace {

SearchQuery Text(std::string bytes, bool matchCase = false) { return {std::move(bytes), false, matchCase}; }
SearchQuery Bytes(std::string_view hex) { return {*ParseHexSearchPattern(hex), true, false}; }

}  // namespace

TEST(ReceiveSearch, TextMatchesStartAtCharactersAndFoldAsciiCase) {
  ReceiveSearch search;
  // "\xB0\x41" is one GBK character whose trail byte is 'A': no match for "A" inside it.
  const std::string content = "\xB0\x41 Ab aB \xB0\x41";
  EXPECT_EQ(search.FindAll(content, Text("A"), false), (std::vector<SearchMatch>{{3, 4}, {6, 7}}));
  EXPECT_EQ(search.FindAll(content, Text("ab", true), false), (std::vector<SearchMatch>{}));
  EXPECT_EQ(search.FindAll(content, Text("ab"), false), (std::vector<SearchMatch>{{3, 5}, {6, 8}}));
  EXPECT_EQ(search.FindAll(content, Text("\xB0\x41"), false), (std::vector<SearchMatch>{{0, 2}, {9, 11}}));
  EXPECT_EQ(search.FindAll("aaaa", Text("aa"), false), (std::vector<SearchMatch>{{0, 2}, {2, 4}}));
}

TEST(ReceiveSearch, HexBytesMatchPairsWhateverLiesBetweenThem) {
  ReceiveSearch search;
  // The hex rendering, plain and stamped; the pair 0D 0A is split by a line of its own.
  EXPECT_EQ(search.FindAll("41 0D 0A 0D ", Bytes("0d0a"), true), (std::vector<SearchMatch>{{3, 8}}));
  const std::string stamped = "[10:31:42.000] 41 0D\n[10:31:42.041] 0A 12";
  EXPECT_EQ(search.FindAll(stamped, Bytes("0D 0A"), true), (std::vector<SearchMatch>{{18, 38}}));
  EXPECT_EQ(search.FindAll(stamped, Bytes("31 42"), true), (std::vector<SearchMatch>{}));  // stamps are no bytes
  // In the text rendering the bytes themselves.
  EXPECT_EQ(search.FindAll("ok\r\nok\r\n", Bytes("0D 0A"), false), (std::vector<SearchMatch>{{2, 4}, {6, 8}}));

  for (const char* bad : {"", " ", "0", "0D0", "GG", "0x0D"}) EXPECT_EQ(ParseHexSearchPattern(bad), std::nullopt) << bad;
}
