// The module simulator program, driven through its pseudo-terminal.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/module/module_protocol.h"
#include "core/module/module_responder.h"
#include "module/simulator_process.h"
#include "module/module_examples.h"

namespace {


// What a read exchange gathers: identify, then read, each reply received in full.
ModuleReply ReadExchange(const ModuleLine& line) {
  ModuleReply reply;
  line.Send(IdentifyRequest());
  reply.Append(line.Receive(kIdentifyReplySize));
  line.Send(ReadRequest());
  reply.Append(line.Receive(kReadReplySize));
  return reply;
}

Bytes Gathered(const ModuleReply& reply) {
  return Bytes(reply.ReplyBuffer.begin(), reply.ReplyBuffer.begin() + reply.ReplyLength);
}

TEST(ZelSimulator, AnswersAReadExchangeLikeTheExampleModule) {
  SimulatorProcess simulator({});
  ASSERT_FALSE(simulator.path().empty());
  ModuleLine line(simulator.path());
  ASSERT_TRUE(line.ok());
  const ModuleReply reply = ReadExchange(line);
  EXPECT_EQ(Gathered(reply), kExampleReadReply);
  EXPECT_EQ(JudgeReply(reply, ExchangeKind::Read), ReplyOutcome::ReadOk);
}

TEST(ZelSimulator, KeepsAWrittenBlockAcrossReopeningThePort) {
  SimulatorProcess simulator({});
  const ModuleSettings written{470000, 7, 0, 9, 2, 11, 255, 0, 1, 2, 6, 0};
  {
    ModuleLine line(simulator.path());
    ASSERT_TRUE(line.ok());
    line.Send(WriteRequest(written));
    EXPECT_EQ(line.Receive(1), Bytes{0x24});
  }
  ModuleLine reopened(simulator.path());
  ASSERT_TRUE(reopened.ok());
  ModuleSettings readBack;
  ASSERT_TRUE(ApplyReadReply(ReadExchange(reopened), readBack));
  EXPECT_EQ(readBack, written);
}

TEST(ZelSimulator, IdentityAndBlockFromTheCommandLine) {
  SimulatorProcess simulator({"--model", "0x11", "--version", "2.10.255", "--block",
                              "00 00 00 01 02 03 01 04 05 FE 06 07 03 FF", "--freq", "390500"});
  ModuleLine line(simulator.path());
  ASSERT_TRUE(line.ok());
  const ModuleReply reply = ReadExchange(line);
  EXPECT_EQ(ReplyModelText(reply), "ZEL-A3");
  EXPECT_EQ(ReplyVersionText(reply), "2.10.255");
  ModuleSettings s;
  ASSERT_TRUE(ApplyReadReply(reply, s));
  EXPECT_EQ(s, (ModuleSettings{390500, 1, 2, 3, 1, 4, 5, 0, 6, 7, 3, 1}));
}

TEST(ZelSimulator, FindsRequestsBehindGarbage) {
  SimulatorProcess simulator({});
  ModuleLine line(simulator.path());
  ASSERT_TRUE(line.ok());
  line.Send(Bytes{0x00, 0xFF, 0x56, 0x13, 0xFF});
  line.Send(IdentifyRequest());
  EXPECT_EQ(line.Receive(kIdentifyReplySize), kExampleIdentifyReply);
}

TEST(ZelSimulator, GarbageModeRepliesDoNotStartWithDollar) {
  SimulatorProcess simulator({"--garbage"});
  ModuleLine line(simulator.path());
  ASSERT_TRUE(line.ok());
  const ModuleReply reply = ReadExchange(line);
  EXPECT_EQ(reply.ReplyLength, kReadExchangeReplySize);
  EXPECT_EQ(JudgeReply(reply, ExchangeKind::Read), ReplyOutcome::Failed);
  line.Send(WriteRequest(ModuleSettings{}));
  EXPECT_EQ(line.Receive(1), Bytes{0x00});
}

TEST(ZelSimulator, SplitRepliesArriveInBursts) {
  // The pause between bursts is long, so the first read cannot take more than one burst.
  SimulatorProcess simulator({"--split", "4", "--gap", "300"});
  ModuleLine line(simulator.path());
  ASSERT_TRUE(line.ok());
  line.Send(IdentifyRequest());
  std::vector<size_t> chunks;
  EXPECT_EQ(line.Receive(kIdentifyReplySize, &chunks), kExampleIdentifyReply);
  ASSERT_FALSE(chunks.empty());
  EXPECT_EQ(chunks.front(), 4u);
}

TEST(ZelSimulator, LinkNamesTheDeviceUntilTheSimulatorEnds) {
  char dir[] = "/tmp/zel_simulator_test_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string link = std::string(dir) + "/zel";
  {
    SimulatorProcess simulator({"--link", link});
    ASSERT_FALSE(simulator.path().empty());
    EXPECT_EQ(std::filesystem::read_symlink(link), simulator.path());
    {
      ModuleLine line(link);
      ASSERT_TRUE(line.ok());
      line.Send(WriteRequest(ModuleSettings{}));
      EXPECT_EQ(line.Receive(1), Bytes{0x24});
    }
    const auto status = simulator.Stop();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
  }
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0);
  rmdir(dir);
}

TEST(ZelSimulator, RefusesABadCommandLine) {
  SimulatorProcess simulator({"--model", "300"});
  EXPECT_TRUE(simulator.path().empty());
  const auto status = simulator.Wait();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 2) << *status;
}

}  // namespace
