#include "core/module/module_responder.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/module/request_parser.h"
#include "module/module_examples.h"

namespace {

using Requests = std::vector<ModuleRequest>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const ModuleSettings kWritten{470000, 1, 3, 8, 1, 11, 200, 1, 7, 9, 2, 0};

const ModuleRequest kIdentify{ModuleCommand::Identify, {}};
const ModuleRequest kRead{ModuleCommand::Read, {}};
const ModuleRequest kWrite{ModuleCommand::Write, EncodeConfigBlock(kWritten)};

Requests FeedByteByByte(RequestParser& parser, const Bytes& bytes) {
  Requests all;
  for (const uint8_t b : bytes) {
    for (const ModuleRequest& r : parser.Feed({&b, 1})) all.push_back(r);
  }
  return all;
}

TEST(RequestParser, FindsEachRequestInOneChunkOrByteByByte) {
  const Bytes stream = Concat({ToBytes(IdentifyRequest()), ToBytes(ReadRequest()), ToBytes(WriteRequest(kWritten))});
  const Requests expected{kIdentify, kRead, kWrite};
  RequestParser whole;
  EXPECT_EQ(whole.Feed(stream), expected);
  RequestParser bytewise;
  EXPECT_EQ(FeedByteByByte(bytewise, stream), expected);
  EXPECT_EQ(bytewise.PendingSize(), 0u);
}

TEST(RequestParser, ResynchronisesOnGarbage) {
  const Bytes stream = Concat({{0x00, 0x24, 0xFF, 0x56, 0xAE},  // noise, then a header that breaks off
                               ToBytes(IdentifyRequest()),
                               {0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x99},  // unknown command
                               {0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x8B, 0x00, 0x0F},  // wrong block length
                               ToBytes(ReadRequest())});
  RequestParser parser;
  EXPECT_EQ(parser.Feed(stream), (Requests{kIdentify, kRead}));
  RequestParser bytewise;
  EXPECT_EQ(FeedByteByByte(bytewise, stream), (Requests{kIdentify, kRead}));
}

TEST(RequestParser, HoldsBackOnlyWhatCouldStartAHeader) {
  RequestParser parser;
  EXPECT_TRUE(parser.Feed(Bytes(1000, 0xAB)).empty());
  EXPECT_EQ(parser.PendingSize(), 0u);
  EXPECT_TRUE(parser.Feed(Bytes{0x01, 0xFF, 0x56, 0xAE}).empty());
  EXPECT_EQ(parser.PendingSize(), 3u);
  EXPECT_EQ(parser.Feed(Bytes{0x35, 0xA9, 0x55, 0x8A}), (Requests{kIdentify}));
}

TEST(RequestParser, ResetForgetsAHalfReceivedWrite) {
  const Bytes write = ToBytes(WriteRequest(kWritten));
  RequestParser parser;
  EXPECT_TRUE(parser.Feed({write.data(), 15}).empty());
  parser.Reset();
  EXPECT_EQ(parser.Feed(ToBytes(IdentifyRequest())), (Requests{kIdentify}));
}

TEST(ModuleResponder, ReadExchangeGathersTheBlockAtBytes12To25) {
  ConfigBlock block;
  std::copy(kExampleReadReply.begin() + kBlockOffset, kExampleReadReply.end(), block.begin());
  ModuleResponder module(ModuleIdentity{}, block);
  ModuleReply gathered;
  for (const Bytes& request : {ToBytes(IdentifyRequest()), ToBytes(ReadRequest())}) {
    for (const Bytes& reply : module.Receive(request)) gathered.Append(reply);
  }
  EXPECT_EQ(Bytes(gathered.ReplyBuffer.begin(), gathered.ReplyBuffer.begin() + gathered.ReplyLength),
            kExampleReadReply);
  EXPECT_EQ(JudgeReply(gathered, ExchangeKind::Read), ReplyOutcome::ReadOk);
}

TEST(ModuleResponder, IdentityComesBackInTheIdentifyReply) {
  EXPECT_EQ(IdentifyReply({0x11, {2, 10, 255}}), (Bytes{0x24, 0, 0, 0x11, 2, 10, 255}));
}

TEST(ModuleResponder, WriteStoresTheRawBlockAndReadReturnsIt) {
  ModuleResponder module(ModuleIdentity{}, EncodeConfigBlock(ModuleSettings{}));
  Bytes write = ToBytes(WriteRequest(kWritten));
  write[9 + 9] = 0xFE;  // a flag byte other than 0 and 1 is kept as it came
  EXPECT_EQ(module.Receive(write), std::vector<Bytes>{Bytes{0x24}});
  ConfigBlock expected = EncodeConfigBlock(kWritten);
  expected[9] = 0xFE;
  EXPECT_EQ(module.Block(), expected);
  const std::vector<Bytes> replies = module.Receive(ReadRequest());
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], ReadReply(expected));
  EXPECT_EQ(Bytes(replies[0].begin() + 5, replies[0].end()), ToBytes(expected));
}

}  // namespace
