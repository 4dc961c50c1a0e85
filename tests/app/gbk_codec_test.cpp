#include "core/text/gbk_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kToolUtf8 = "串口调试工具";
const std::string kToolGbk = "\xB4\xAE\xBF\xDA\xB5\xF7\xCA\xD4\xB9\xA4\xBE\xDF";
const std::string kFffd(kReplacementCharacter);

TEST(GbkEncode, AsciiAndChineseGiveTheirGbkBytes) {
  const GbkEncoded ascii = EncodeGbk("Hello, 123\r\n");
  EXPECT_EQ(ascii.bytes, "Hello, 123\r\n");
  EXPECT_TRUE(ascii.Complete());

  const GbkEncoded chinese = EncodeGbk("A" + kToolUtf8 + "!");
  EXPECT_EQ(chinese.bytes, "A" + kToolGbk + "!");
  EXPECT_TRUE(chinese.Complete());
  EXPECT_EQ(chinese.firstUnencodable, GbkEncoded::kNone);
  EXPECT_EQ(EncodeGbk("€").bytes, "\x80");
}

TEST(GbkEncode, UnencodableCharactersBecomeQuestionMarksAndAreReported) {
  // An emoji (4 UTF-8 bytes) and a Korean syllable are outside GBK.
  const std::string text = "ab\xF0\x9F\x98\x80" "串" "\xED\x95\x9C" "c";
  const GbkEncoded result = EncodeGbk(text);
  EXPECT_EQ(result.bytes, "ab?\xB4\xAE?c");
  EXPECT_EQ(result.unencodableCount, 2u);
  EXPECT_EQ(result.firstUnencodable, 2u);
  EXPECT_FALSE(result.Complete());
}

TEST(GbkEncode, MalformedUtf8CountsOneQuestionMarkPerBadByte) {
  // A stray continuation byte, a truncated three-byte sequence at the end.
  const GbkEncoded result = EncodeGbk("x\x80y\xE4\xB8");
  EXPECT_EQ(result.bytes, "x?y??");
  EXPECT_EQ(result.unencodableCount, 3u);
  EXPECT_EQ(result.firstUnencodable, 1u);
}

TEST(GbkEncode, EncoderObjectIsReusableAfterAFailure) {
  GbkEncoder encoder;
  ASSERT_TRUE(encoder.Available());
  EXPECT_EQ(encoder.Encode("\xF0\x9F\x98\x80").bytes, "?");
  const GbkEncoded next = encoder.Encode(kToolUtf8);
  EXPECT_EQ(next.bytes, kToolGbk);
  EXPECT_TRUE(next.Complete());
}

TEST(GbkDecode, RoundTripsAsciiAndChinese) {
  const std::string text = "Port COM3 " + kToolUtf8 + " \t end";
  const GbkEncoded encoded = EncodeGbk(text);
  ASSERT_TRUE(encoded.Complete());
  EXPECT_EQ(DecodeGbk(encoded.bytes), text);
  EXPECT_EQ(DecodeGbk(std::string("\0A", 2)), std::string("\0A", 2));
}

TEST(GbkDecode, PairSplitAcrossChunksIsHeldUntilItsTrailArrives) {
  GbkDecoder decoder;
  std::string shown = decoder.Decode("A\xB4");  // "A" and the lead byte of 串
  EXPECT_EQ(shown, "A");
  EXPECT_TRUE(decoder.HasPending());
  shown += decoder.Decode("\xAE" "B");
  EXPECT_EQ(shown, "A串B");
  EXPECT_FALSE(decoder.HasPending());
}

TEST(GbkDecode, EveryChunkingOfATextGivesTheSameTextAsOneChunk) {
  const std::string gbk = "ok" + kToolGbk + "\x80z";
  const std::string whole = DecodeGbk(gbk);
  for (size_t chunk = 1; chunk <= 4; ++chunk) {
    GbkDecoder decoder;
    std::string shown;
    for (size_t pos = 0; pos < gbk.size(); pos += chunk) shown += decoder.Decode(gbk.substr(pos, chunk));
    shown += decoder.Finish();
    EXPECT_EQ(shown, whole) << "chunk size " << chunk;
  }
  EXPECT_EQ(whole, "ok" + kToolUtf8 + "€z");
}

TEST(GbkDecode, InvalidBytesShowAsOneReplacementEach) {
  // 0xFF never occurs; a lead byte before a space is no pair (the space survives); 0xFE 0xFE is
  // well-formed but unassigned.
  EXPECT_EQ(DecodeGbk("a\xFF" "b"), "a" + kFffd + "b");
  EXPECT_EQ(DecodeGbk("\x81 x"), kFffd + " x");
  EXPECT_EQ(DecodeGbk("\xFF\xFF"), kFffd + kFffd);
  const std::string unassigned = DecodeGbk("\xFE\xFE");
  EXPECT_NE(unassigned.find(kFffd), std::string::npos);
}

TEST(GbkDecode, LeadByteAtTheEndOfTheStreamIsFlushedAsReplacement) {
  GbkDecoder decoder;
  EXPECT_EQ(decoder.Decode("x\xB4"), "x");
  EXPECT_EQ(decoder.Finish(), kFffd);
  EXPECT_FALSE(decoder.HasPending());
  EXPECT_EQ(decoder.Decode("A"), "A");  // the flushed lead byte does not pair with what follows
  EXPECT_EQ(DecodeGbk("y\xB4"), "y" + kFffd);
}

TEST(GbkKeep, UneditedTextKeepsItsBytesAndAnEditedOneIsEncoded) {
  const std::string original = "x\x81 y\xFFz\xB4";  // no GBK: each shows as U+FFFD
  const std::string shown = DecodeGbk(original);
  EXPECT_EQ(KeepOrEncodeGbk(shown, original), original);
  EXPECT_EQ(KeepOrEncodeGbk(shown + kToolUtf8, original), EncodeGbk(shown).bytes + kToolGbk);
  EXPECT_EQ(KeepOrEncodeGbk(kToolUtf8, ""), kToolGbk);
}

TEST(GbkBytes, ClassifiesLeadTrailAndCharacterLengths) {
  EXPECT_FALSE(IsGbkLeadByte(0x80));
  EXPECT_TRUE(IsGbkLeadByte(0x81));
  EXPECT_TRUE(IsGbkLeadByte(0xFE));
  EXPECT_FALSE(IsGbkLeadByte(0xFF));
  EXPECT_TRUE(IsGbkPair(0xB0, 0x41));
  EXPECT_FALSE(IsGbkPair(0xB0, 0x7F));
  EXPECT_FALSE(IsGbkPair(0xB0, 0x39));
  EXPECT_FALSE(IsGbkPair(0xB0, 0xFF));

  const std::string_view text = "a\xB4\xAE\x81 \xB4";
  EXPECT_EQ(GbkCharLength(text, 0), 1u);
  EXPECT_EQ(GbkCharLength(text, 1), 2u);
  EXPECT_EQ(GbkCharLength(text, 3), 1u);  // lead byte before a space: no pair
  EXPECT_EQ(GbkCharLength(text, 5), 0u);  // lead byte at the end: its trail is to come
  EXPECT_EQ(GbkCharLength(text, 6), 0u);
}

TEST(GbkBytes, PrefixNeverEndsInsideAPair) {
  const std::string_view text = "ab\xB4\xAE" "c";
  EXPECT_EQ(GbkPrefixLength(text, 2), 2u);
  EXPECT_EQ(GbkPrefixLength(text, 3), 2u);
  EXPECT_EQ(GbkPrefixLength(text, 4), 4u);
  EXPECT_EQ(GbkPrefixLength(text, 100), 5u);
  EXPECT_EQ(GbkPrefixLength("x\xB4", 2), 2u);  // a lone lead byte at the end is kept
}

}  // namespace

namespace {

TEST(IconvHandle, UnknownCharsetIsInvalidAndMovesLeaveOneOwner) {
  EXPECT_FALSE(IconvHandle("NO-SUCH-CHARSET", "UTF-8").Valid());
  IconvHandle first("GBK", "UTF-8");
  ASSERT_TRUE(first.Valid());
  IconvHandle second(std::move(first));
  EXPECT_TRUE(second.Valid());
  EXPECT_FALSE(first.Valid());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  first = std::move(second);
  EXPECT_TRUE(first.Valid());
  EXPECT_FALSE(second.Valid());  // NOLINT(bugprone-use-after-move)
}

}  // namespace
