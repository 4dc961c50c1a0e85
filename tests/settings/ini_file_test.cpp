#include "core/settings/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr std::string_view kUsart = "VornicSPCommTool_USART";

TEST(IniParse, UnchangedDocumentSerializesToTheSameBytes) {
  const std::string file =
      "; written by hand\n"
      "orphan=before any section\n"
      "\n"
      "[VornicSPCommTool_USART]\n"
      "Serial Port=COM7\n"
      "  Baud Rate =  9600  \n"
      "no equals sign here\n"
      "=no name\n"
      "[Unknown Section]\n"
      "Mystery=\"  kept  \"\n"
      "# another comment\n"
      "\xB4\xAE\xBF\xDA=\xB9\xA4\xBE\xDF\n";
  EXPECT_EQ(IniDocument::Parse(file).Serialize(), file);
  EXPECT_FALSE(IniDocument::Parse(file).UsesCrLf());
  EXPECT_EQ(IniDocument::Parse("").Serialize(), "");
  // A last line without a line end gets one.
  EXPECT_EQ(IniDocument::Parse("[a]\nk=v").Serialize(), "[a]\nk=v\n");
}

TEST(IniParse, CarriageReturnsAtALineEndBelongToTheLineEndAlsoAtTheEndOfTheFile) {
  // A last line without LF that ends in CR: the CR is no part of the value, so a save (which
  // gives the line its own line end) and a load read the same as before.
  const IniDocument last = IniDocument::Parse("[a]\nk=COM7\r");
  EXPECT_EQ(last.Find("a", "k"), "COM7");
  EXPECT_EQ(last.Serialize(), "[a]\nk=COM7\n");
  // Runs of CRs before an LF are one line end, however many there are.
  const IniDocument runs = IniDocument::Parse("[a]\r\r\nk=v\r\r\n");
  EXPECT_EQ(runs.Find("a", "k"), "v");
  EXPECT_TRUE(runs.UsesCrLf());
  EXPECT_EQ(runs.Serialize(), "[a]\r\nk=v\r\n");
  EXPECT_EQ(IniDocument::Parse(runs.Serialize()).Serialize(), runs.Serialize());
}

TEST(IniParse, FindsValuesWithBlanksTrimmedAndOnePairOfQuotesRemoved) {
  const IniDocument doc = IniDocument::Parse(
      "[S]\n"
      "  Baud Rate =  9600  \n"
      "Quoted=\"  a=b; c  \"\n"
      "Inner=a \"b\" c\n"
      "Twice=\"\"x\"\"\n"
      "Lone=\"\n"
      "Empty=\n"
      "Semicolon=x ; not a comment\n");
  EXPECT_EQ(doc.Find("S", "Baud Rate"), "9600");
  EXPECT_EQ(doc.Find("S", "Quoted"), "  a=b; c  ");
  EXPECT_EQ(doc.Find("S", "Inner"), "a \"b\" c");
  EXPECT_EQ(doc.Find("S", "Twice"), "\"x\"");
  EXPECT_EQ(doc.Find("S", "Lone"), "\"");
  EXPECT_EQ(doc.Find("S", "Empty"), "");
  EXPECT_EQ(doc.Find("S", "Semicolon"), "x ; not a comment");
  EXPECT_EQ(doc.Find("S", "Missing"), std::nullopt);
  EXPECT_EQ(doc.Find("Other", "Baud Rate"), std::nullopt);
}

TEST(IniParse, NamesMatchIgnoringAsciiCaseOnly) {
  const IniDocument doc = IniDocument::Parse(
      "[vornicspcommtool_usart]\n"
      "serial PORT=COM3\n"
      "[  Spaced  ]\n"
      "k=1\n"
      "[G]\n"
      "\xC1=upper\n");
  EXPECT_EQ(doc.Find(kUsart, "Serial Port"), "COM3");
  EXPECT_EQ(doc.Find("SPACED", "K"), "1");
  EXPECT_EQ(doc.Find("G", "\xC1"), "upper");
  EXPECT_EQ(doc.Find("G", "\xE1"), std::nullopt);  // bytes above ASCII have no case
}

TEST(IniParse, KeysOfASectionStopAtTheNextSectionAndTheFirstOfDuplicatesCounts) {
  const IniDocument doc = IniDocument::Parse(
      "top=0\n"
      "[A]\n"
      "x=1\n"
      "x=2\n"
      "[B]\n"
      "y=3\n"
      "[a]\n"
      "x=4\n"
      "y=5\n");
  EXPECT_EQ(doc.Find("A", "x"), "1");
  EXPECT_EQ(doc.Find("A", "y"), std::nullopt);  // y of the second [a] is not read
  EXPECT_EQ(doc.Find("B", "x"), std::nullopt);
  EXPECT_EQ(doc.Find("B", "y"), "3");
}

TEST(IniParse, CrLfFileFromTheOtherSystemLoadsAndKeepsItsLineEnds) {
  const std::string file =
      "[VornicSPCommTool_USART]\r\n"
      "Serial Port=\\\\.\\COM12\r\n"
      "String1=\xB4\xAE\xBF\xDA \r\n"
      "Unknown=keep me\r\n";
  IniDocument doc = IniDocument::Parse(file);
  EXPECT_TRUE(doc.UsesCrLf());
  EXPECT_EQ(doc.Find(kUsart, "Serial Port"), "\\\\.\\COM12");
  EXPECT_EQ(doc.Find(kUsart, "String1"), "\xB4\xAE\xBF\xDA");
  EXPECT_EQ(doc.Serialize(), file);
  ASSERT_TRUE(doc.Write(kUsart, "Baud Rate", "115200"));
  EXPECT_EQ(doc.Serialize(),
            "[VornicSPCommTool_USART]\r\n"
            "Serial Port=\\\\.\\COM12\r\n"
            "String1=\xB4\xAE\xBF\xDA \r\n"
            "Unknown=keep me\r\n"
            "Baud Rate=115200\r\n");
}

TEST(IniWrite, ReplacesInPlaceAppendsToTheSectionAndCreatesSectionsAtTheEnd) {
  IniDocument doc = IniDocument::Parse(
      "[A]\n"
      "; note\n"
      "BAUD rate = 1\n"
      "other=x\n"
      "\n"
      "[B]\n"
      "k=v\n");
  ASSERT_TRUE(doc.Write("a", "Baud Rate", "2"));
  ASSERT_TRUE(doc.Write("A", "New Key", "n"));
  ASSERT_TRUE(doc.Write("C", "Second", "s"));
  ASSERT_TRUE(doc.Write("C", "First", "f"));
  ASSERT_TRUE(doc.WriteInt("C", "Negative", -12));
  EXPECT_EQ(doc.Serialize(),
            "[A]\n"
            "; note\n"
            "BAUD rate=2\n"
            "other=x\n"
            "New Key=n\n"
            "\n"
            "[B]\n"
            "k=v\n"
            "[C]\n"
            "Second=s\n"
            "First=f\n"
            "Negative=-12\n");
  ASSERT_TRUE(doc.Write("B", "k", "w"));
  EXPECT_EQ(doc.Find("B", "K"), "w");
}

TEST(IniWrite, NewSectionsAndKeysInAnEmptyDocumentKeepCallOrder) {
  IniDocument doc;
  ASSERT_TRUE(doc.Write("S", "Hex1", "1"));
  ASSERT_TRUE(doc.Write("S", "String1", ""));
  ASSERT_TRUE(doc.Write("T", "Serial Port", "COM0"));
  EXPECT_EQ(doc.Serialize(), "[S]\nHex1=1\nString1=\n[T]\nSerial Port=COM0\n");
}

struct QuoteCase {
  std::string value;
  std::string written;
};

TEST(IniWrite, QuotesExactlyTheValuesThatWouldNotReadBackBare) {
  const QuoteCase cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"12 FF 00 30", "12 FF 00 30"},
      {"\xB4\xAE\xBF\xDA", "\xB4\xAE\xBF\xDA"},
      {"a\"b", "a\"b"},
      {" lead", "\" lead\""},
      {"trail\t", "\"trail\t\""},
      {" ", "\" \""},
      {"\"q\"", "\"\"q\"\""},
      {"\"", "\"\"\""},
      {"ends\"", "\"ends\"\""},
      {"a=b", "\"a=b\""},
      {"a;b", "\"a;b\""},
  };
  for (const QuoteCase& c : cases) {
    IniDocument doc;
    ASSERT_TRUE(doc.Write("S", "K", c.value));
    EXPECT_EQ(doc.Serialize(), "[S]\nK=" + c.written + "\n") << "value [" << c.value << "]";
    EXPECT_EQ(IniDocument::Parse(doc.Serialize()).Find("S", "K"), c.value) << "value [" << c.value << "]";
  }
}

TEST(IniWrite, RefusesWhatALineCannotHoldAndLeavesTheDocumentAlone) {
  IniDocument doc = IniDocument::Parse("[S]\nK=old\n");
  const std::string before = doc.Serialize();
  EXPECT_FALSE(doc.Write("S", "K", "two\nlines"));
  EXPECT_FALSE(doc.Write("S", "K", "cr\r"));
  EXPECT_FALSE(doc.Write("S", "K", std::string("nul\0byte", 8)));
  EXPECT_FALSE(doc.Write("S", "", "v"));
  EXPECT_FALSE(doc.Write("S", " K", "v"));
  EXPECT_FALSE(doc.Write("S", "a=b", "v"));
  EXPECT_FALSE(doc.Write("S", "[K", "v"));
  EXPECT_FALSE(doc.Write("S", ";K", "v"));
  EXPECT_FALSE(doc.Write("", "K", "v"));
  EXPECT_FALSE(doc.Write("S]", "K", "v"));
  EXPECT_FALSE(doc.Write("S ", "K", "v"));
  EXPECT_EQ(doc.Serialize(), before);
}

struct IntCase {
  const char* value;
  int32_t expected;
};

TEST(IniReadInt, SignDigitsAndLeadingBlanksTrailingTextIgnored) {
  constexpr int32_t kDefault = -555;
  const IntCase cases[] = {
      {"9600", 9600},       {"300", 300},         {"0", 0},
      {"-7", -7},           {"+5", 5},            {"  42", 42},
      {"12abc", 12},        {"1 2", 1},           {"0x1F", 0},
      {"433.920", 433},     {"007", 7},           {"abc", kDefault},
      {"", kDefault},       {"-", kDefault},      {"+-1", kDefault},
      {"2147483647", INT32_MAX},                  {"2147483648", INT32_MAX},
      {"99999999999999999999999", INT32_MAX},     {"-2147483648", INT32_MIN},
      {"-99999999999999999999", INT32_MIN},
  };
  for (const IntCase& c : cases) {
    IniDocument doc;
    ASSERT_TRUE(doc.Write("S", "K", c.value));
    EXPECT_EQ(doc.ReadInt("S", "K", kDefault), c.expected) << "value [" << c.value << "]";
  }
  EXPECT_EQ(IniDocument().ReadInt("S", "Missing", 58), 58);
  EXPECT_EQ(IniDocument::Parse("[S]\nK=\" -42\"\n").ReadInt("S", "K", kDefault), -42);
  EXPECT_EQ(static_cast<uint8_t>(IniDocument::Parse("[S]\nLocal Address=300\n").ReadInt("S", "local address", 58)), 44);
}

TEST(IniReadText, CutsToTheLimitWithoutSplittingACharacterAndDefaultsWhenMissing) {
  const IniDocument doc = IniDocument::Parse(
      "[S]\n"
      "RF Freq=433.92500\n"
      "Port=COM3\n"
      "Chinese=ab\xB4\xAE\xBF\xDA\n"
      "Empty=\n");
  EXPECT_EQ(doc.ReadText("S", "RF Freq", "433.920", 7), "433.925");
  EXPECT_EQ(doc.ReadText("S", "Port", "COM0", 19), "COM3");
  EXPECT_EQ(doc.ReadText("S", "Chinese", "", 5), "ab\xB4\xAE");
  EXPECT_EQ(doc.ReadText("S", "Chinese", "", 3), "ab");
  EXPECT_EQ(doc.ReadText("S", "Empty", "abcdefg", 1022), "");
  EXPECT_EQ(doc.ReadText("S", "Missing", "abcdefg", 1022), "abcdefg");
}

}  // namespace
