#include "core/module/module_protocol.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/module/frequency_text.h"
#include "module/module_examples.h"

namespace {


ModuleReply ReplyOf(const Bytes& bytes) {
  ModuleReply reply;
  reply.Append(bytes);
  return reply;
}

// The example reply with one byte replaced.
ModuleReply ExampleWith(size_t offset, uint8_t value) {
  Bytes bytes = kExampleReadReply;
  bytes[offset] = value;
  return ReplyOf(bytes);
}

TEST(ModuleRequests, IdentifyAndReadAreFixedFrames) {
  EXPECT_EQ(ToBytes(IdentifyRequest()), (Bytes{0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x8A}));
  EXPECT_EQ(ToBytes(ReadRequest()), (Bytes{0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x8B, 0x00, 0x0E}));
}

// 470000 kHz is 0x072BF0 (not 07 2B 30, which would be 469808 kHz).
TEST(ModuleRequests, WriteOf470MhzWithAllOtherFieldsZero) {
  const ModuleSettings s{470000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ToBytes(WriteRequest(s)), (Bytes{0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x8C, 0x00, 0x0E, 0x07, 0x2B, 0xF0,
                                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(ModuleRequests, WriteCarriesEveryFieldInWireOrder) {
  const ModuleSettings s{433925, 7, 6, 10, 2, 11, 255, 1, 58, 200, 9, 1};
  EXPECT_EQ(ToBytes(WriteRequest(s)),
            (Bytes{0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x8C, 0x00, 0x0E, 0x06, 0x9F, 0x05, 7, 6, 10, 2, 11, 255, 1,
                   58, 200, 9, 1}));
}

TEST(ConfigBlock, FlagsTravelAsZeroOrOne) {
  ModuleSettings s;
  s.FecEnable = 0x80;
  s.PackComplete = 0;
  const ConfigBlock block = EncodeConfigBlock(s);
  EXPECT_EQ(block[9], 1);
  EXPECT_EQ(block[13], 0);
}

TEST(ConfigBlock, DecodeTakesOnlyBitZeroOfTheFlags) {
  ConfigBlock block = EncodeConfigBlock(ModuleSettings{});
  block[9] = 0xFE;
  block[13] = 0x03;
  const ModuleSettings s = DecodeConfigBlock(block);
  EXPECT_EQ(s.FecEnable, 0);
  EXPECT_EQ(s.PackComplete, 1);
}

TEST(ConfigBlock, EncodeAndDecodeAreInverseForEveryFrequencyByte) {
  for (const uint32_t khz : {0u, 1u, 0xFFu, 0x100u, 390000u, 433920u, 470000u, 0xFFFFFFu}) {
    ModuleSettings s{khz, 1, 2, 3, 2, 4, 5, 0, 6, 7, 3, 0};
    EXPECT_EQ(DecodeConfigBlock(EncodeConfigBlock(s)), s) << khz;
  }
}

TEST(ReplyBuffer, KeepsTheFirst32BytesAndDropsTheRest) {
  Bytes sent(42);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i + 1);
  ModuleReply reply;
  size_t stored = 0;
  for (size_t at = 0; at < sent.size(); at += 7) stored += reply.Append({sent.data() + at, 7});
  EXPECT_EQ(stored, 32u);
  EXPECT_EQ(reply.ReplyLength, 32u);
  EXPECT_EQ(ToBytes(reply.ReplyBuffer), Bytes(sent.begin(), sent.begin() + 32));
  EXPECT_EQ(reply.Append(Bytes{0x24}), 0u);
  EXPECT_EQ(reply.ReplyLength, 32u);
}

TEST(ReplyBuffer, ClearZeroesEverything) {
  ModuleReply reply = ReplyOf(kExampleReadReply);
  reply.Clear();
  EXPECT_EQ(reply.ReplyLength, 0u);
  EXPECT_EQ(ToBytes(reply.ReplyBuffer), Bytes(32, 0));
}

TEST(ReplyJudgement, ExampleReadReplyIsAppliedCompletely) {
  const ModuleReply reply = ReplyOf(kExampleReadReply);
  ASSERT_EQ(JudgeReply(reply, ExchangeKind::Read), ReplyOutcome::ReadOk);
  ModuleSettings s{1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0};
  ASSERT_TRUE(ApplyReadReply(reply, s));
  EXPECT_EQ(ReplyModelText(reply), "ZEL-B1 FIFO");
  EXPECT_EQ(ReplyVersionText(reply), "1.0.5");
  EXPECT_EQ(FrequencyText(s.RfFreq), "433.92");
  EXPECT_EQ(RfBaudRateTexts[s.RfBaudRate], "5Kbps");
  EXPECT_EQ(RfPowerTexts[s.RfPower], "7(MAX)");
  EXPECT_EQ(SerialRateListTexts[SerialRatePositionForCode(s.SerialBaudRate).value()], "9600bps");
  EXPECT_EQ(SerialParityTexts[s.SerialParity], "Disabled");
  EXPECT_EQ(WakeUpTimeTexts[s.WakeUpTime], "1.0s");
  EXPECT_EQ(PackLengthBytes[PackLengthChoiceForCode(s.PackLength).value()], 32u);
  EXPECT_EQ(s, (ModuleSettings{433920, 2, 7, 3, 0, 5, 5, 1, 58, 58, 5, 1}));
  EXPECT_TRUE(ModuleAnswered(reply));
}

TEST(ReplyJudgement, OutOfTableCodesAreStoredAndWrittenBack) {
  ModuleSettings s;
  ASSERT_TRUE(ApplyReadReply(ExampleWith(17, 10), s));
  EXPECT_EQ(s.SerialBaudRate, 10);
  EXPECT_FALSE(SerialRatePositionForCode(s.SerialBaudRate).has_value());
  EXPECT_EQ(WriteRequest(s)[9 + 5], 10);
  ASSERT_TRUE(ApplyReadReply(ExampleWith(24, 0), s));
  EXPECT_FALSE(PackLengthChoiceForCode(s.PackLength).has_value());
  ASSERT_TRUE(ApplyReadReply(ExampleWith(15, 8), s));
  EXPECT_FALSE(PositionForCode(s.RfBaudRate, RfBaudRateTexts.size()).has_value());
}

TEST(ReplyJudgement, FlagBytesCountOnlyBitZero) {
  ModuleSettings s;
  ASSERT_TRUE(ApplyReadReply(ExampleWith(21, 0xFE), s));
  EXPECT_EQ(s.FecEnable, 0);
  ASSERT_TRUE(ApplyReadReply(ExampleWith(21, 0x03), s));
  EXPECT_EQ(s.FecEnable, 1);
  ASSERT_TRUE(ApplyReadReply(ExampleWith(25, 0xFE), s));
  EXPECT_EQ(s.PackComplete, 0);
}

TEST(ReplyJudgement, VersionBytesAreUnsigned) {
  ModuleReply reply = ExampleWith(4, 0xFF);
  reply.ReplyBuffer[5] = 0x80;
  reply.ReplyBuffer[6] = 0x00;
  EXPECT_EQ(ReplyVersionText(reply), "255.128.0");
  EXPECT_EQ(VersionText(1, 2, 3), "1.2.3");
}

TEST(ReplyJudgement, RepliesNotStartingWithDollarFailAndChangeNothing) {
  for (const Bytes& bytes : {Bytes{}, Bytes{0x00}, Bytes{0xFF, 0x24}, Bytes(26, 0x00)}) {
    ModuleReply reply = ReplyOf(bytes);
    EXPECT_EQ(JudgeReply(reply, ExchangeKind::Read), ReplyOutcome::Failed);
    EXPECT_EQ(JudgeReply(reply, ExchangeKind::Write), ReplyOutcome::Failed);
    EXPECT_FALSE(ModuleAnswered(reply));
    ModuleSettings s;
    EXPECT_FALSE(ApplyReadReply(reply, s));
    EXPECT_EQ(s, ModuleSettings{});
  }
  EXPECT_EQ(JudgeReply(ExampleWith(0, 0x00), ExchangeKind::Read), ReplyOutcome::Failed);
}

TEST(ReplyJudgement, WriteSucceedsOnALoneDollar) {
  const ModuleReply reply = ReplyOf({0x24});
  EXPECT_EQ(JudgeReply(reply, ExchangeKind::Write), ReplyOutcome::WriteOk);
  EXPECT_TRUE(ModuleAnswered(reply));
}

TEST(ReplyJudgement, ReadWithoutItsReadReplyFailsButTheModuleWasSeen) {
  const ModuleReply reply = ReplyOf(kExampleIdentifyReply);
  EXPECT_EQ(JudgeReply(reply, ExchangeKind::Read), ReplyOutcome::Failed);
  EXPECT_EQ(JudgeReply(reply, ExchangeKind::Write), ReplyOutcome::WriteOk);
  EXPECT_TRUE(ModuleAnswered(reply));
  EXPECT_EQ(JudgeReply(ExampleWith(7, 0x00), ExchangeKind::Read), ReplyOutcome::Failed);
}

TEST(ReplyJudgement, ReadReplyCutShortFailsInsteadOfApplyingZeros) {
  const ModuleReply reply = ReplyOf(Bytes(kExampleReadReply.begin(), kExampleReadReply.end() - 1));
  EXPECT_EQ(JudgeReply(reply, ExchangeKind::Read), ReplyOutcome::Failed);
  ModuleSettings s;
  EXPECT_FALSE(ApplyReadReply(reply, s));
  EXPECT_EQ(s, ModuleSettings{});
}

TEST(ReplyJudgement, BytesAfterTheReadReplyDoNotMatter) {
  Bytes longer = kExampleReadReply;
  longer.resize(40, 0xEE);
  ModuleSettings s;
  ASSERT_TRUE(ApplyReadReply(ReplyOf(longer), s));
  EXPECT_EQ(s.RfFreq, 433920u);
}

}  // namespace
