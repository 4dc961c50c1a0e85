// vornicspcomm-zel run whole, in this process, against modules on pseudo-terminals: the
// simulator program and modules played by the test, sound or misbehaving.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "cli/zel_run.h"
#include "core/module/module_protocol.h"
#include "module/module_peer.h"
#include "module/simulator_process.h"
#include "module/switchable_module.h"
#include "serial/port_source.h"
#include "support/fake_port_source.h"
#include "support/temp_dir.h"

namespace {

// 434.5 MHz, 10Kbps, power 2, 19200bps, even, 400ms, delay 32, fec off, 161, 162, 4 bytes, off.
constexpr ConfigBlock kBlock = {0x06, 0xA1, 0x44, 0x03, 0x02, 0x04, 0x02, 0x03,
                                0x20, 0x00, 0xA1, 0xA2, 0x02, 0x00};

struct ZelRun {
  int status;
  std::string out;
  std::string err;
};

ZelRun Zel(const std::vector<std::string>& arguments, PortSource& ports) {
  std::ostringstream out, err;
  const int status = RunZel(arguments, ports, out, err);
  return {status, out.str(), err.str()};
}

ZelRun Zel(const std::vector<std::string>& arguments) {
  FakePortSource none;
  return Zel(arguments, none);
}

std::vector<uint8_t> Frames(std::initializer_list<std::vector<uint8_t>> frames) {
  std::vector<uint8_t> all;
  for (const auto& frame : frames) all.insert(all.end(), frame.begin(), frame.end());
  return all;
}

std::vector<uint8_t> Bytes(const auto& frame) { return {frame.begin(), frame.end()}; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(ZelTool, ReadPrintsTheModuleAndWriteChangesOnlyTheFieldsGiven) {
  SwitchableModule module(kBlock);
  ModulePeer peer(module.Answers());
  const ZelRun read = Zel({"read", peer.path()});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out,
            "model: ZEL-B1 FIFO\nversion: 1.0.5\nfreq: 434.5\nair-rate: 10Kbps\npower: 2\nserial-rate: 19200\n"
            "parity: even\nwake-up: 400ms\ndelay: 32\nfec: off\nlocal: 161\ntarget: 162\npack: 4\npack-complete: off\n");

  const ZelRun write = Zel({"write", peer.path(), "--freq", "433.925", "--parity=odd", "--fec", "on"});
  ASSERT_EQ(write.status, 0) << write.err;
  ModuleSettings expected = DecodeConfigBlock(kBlock);
  expected.RfFreq = 433925;
  expected.SerialParity = 1;
  expected.FecEnable = 1;
  EXPECT_EQ(module.Block(), EncodeConfigBlock(expected));
  EXPECT_TRUE(Has(write.out, "freq: 433.925\n") && Has(write.out, "parity: odd\n")) << write.out;
  // Read, then read first, write, read back: the page's frames, nothing else.
  const auto readFrames = Frames({Bytes(IdentifyRequest()), Bytes(ReadRequest())});
  EXPECT_EQ(peer.Received(), Frames({readFrames, readFrames, Bytes(WriteRequest(expected)), readFrames}));
}

// What `read --json` prints, `write --from` gives another module; a field that no choice
// names (null) is left to the module, and an option given as well wins over the file.
TEST(ZelTool, FromFileRoundTripsAReadBetweenModules) {
  TempDir dir;
  ConfigBlock unlisted = kBlock;
  unlisted[3] = 0x09;  // an air-rate code of none of the page's choices
  SimulatorProcess simulator({"--block", "06 A1 44 09 02 04 02 03 20 00 A1 A2 02 00", "--model", "1"});
  ASSERT_FALSE(simulator.path().empty());
  const ZelRun read = Zel({"read", simulator.path(), "--json"});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_TRUE(Has(read.out, "\"model\": \"ZEL-A1\"") && Has(read.out, "\"air-rate\": null")) << read.out;
  ASSERT_TRUE(WriteTestFile(dir.File("module.json"), read.out));

  constexpr ConfigBlock kOther = {0x06, 0x9F, 0x00, 0x05, 0x07, 0x03, 0x00, 0x05,
                                  0x05, 0x01, 0x3A, 0x3A, 0x05, 0x01};
  SwitchableModule module(kOther);
  ModulePeer peer(module.Answers());
  const ZelRun write = Zel({"write", peer.path(), "--from", dir.File("module.json"), "--target", "7", "--json"});
  ASSERT_EQ(write.status, 0) << write.err;
  ConfigBlock expected = unlisted;
  expected[3] = kOther[3];  // kept: 50Kbps
  expected[11] = 7;
  EXPECT_EQ(module.Block(), expected);
  EXPECT_TRUE(Has(write.out, "\"air-rate\": \"50Kbps\"") && Has(write.out, "\"target\": 7,")) << write.out;
}

TEST(ZelTool, BadValuesAreRefusedWithNothingOnTheLine) {
  TempDir dir;
  SwitchableModule module(kBlock);
  ModulePeer peer(module.Answers());
  const std::pair<const char*, const char*> files[] = {
      {"bad-value.json", "{\"freq\": \"433.92\", \"local\": 300}"},
      {"unknown-field.json", "{\"frequency\": \"433.92\"}"},
      {"not-json.json", "freq: 433.92"}};
  for (const auto& [name, text] : files) ASSERT_TRUE(WriteTestFile(dir.File(name), text));
  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{"write", peer.path(), "--freq", "470.5"}, "freq: \"470.5\" is out of range, 390 to 470"},
      {{"write", peer.path(), "--freq", "4x3"}, "freq: \"4x3\" is not a number"},
      {{"write", peer.path(), "--air-rate", "3Kbps"}, "air-rate: \"3Kbps\" is not one of 1Kbps, 2Kbps"},
      {{"write", peer.path(), "--delay", "256"}, "delay: \"256\" is out of range, 0 to 255"},
      {{"write", peer.path(), "--from", dir.File("bad-value.json")}, "bad-value.json: local: \"300\""},
      {{"write", peer.path(), "--from", dir.File("unknown-field.json")}, "unknown field \"frequency\""},
      {{"write", peer.path(), "--from", dir.File("not-json.json")}, "does not hold a JSON object"},
      {{"write", peer.path(), "--from", dir.File("missing.json")}, "missing.json: cannot be read"},
      {{"--all", "write", "--power", "9"}, "power: \"9\""}};
  for (const auto& [arguments, message] : refused) {
    const ZelRun run = Zel(arguments);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_TRUE(Has(run.err, message)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  // The first bytes on the line are those of this read.
  ASSERT_EQ(Zel({"read", peer.path()}).status, 0);
  EXPECT_EQ(peer.Received(), Frames({Bytes(IdentifyRequest()), Bytes(ReadRequest())}));
}

TEST(ZelTool, ModulesThatMisbehaveFailWithStatus1AndPortsThatCannotBeUsedWith3) {
  SwitchableModule module(kBlock);
  ModulePeer peer(module.Answers());
  const std::tuple<Behaviour, std::vector<std::string>, const char*> cases[] = {
      {Behaviour::Holding, {"read", peer.path()}, "no module answered the read"},
      {Behaviour::Rubbish200, {"read", peer.path()}, "is not a module's (32 bytes of something else)"},
      {Behaviour::Garbled, {"write", peer.path(), "--local", "9"}, "is not a module's"},
      {Behaviour::IdentifyOnly, {"read", peer.path()}, "the module's answer to the read is incomplete"},
      {Behaviour::Forgetful, {"write", peer.path(), "--local", "9"},
       "does not hold what was written: local: wrote 9, the module holds 161"}};
  for (const auto& [behaviour, arguments, message] : cases) {
    module.Reconfigure(kBlock);
    module.Become(behaviour);
    const ZelRun run = Zel(arguments);
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_TRUE(Has(run.err, peer.path() + ": ") && Has(run.err, message)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Zel({"read", "/dev/no-such-port"}).status, 3);
  EXPECT_EQ(Zel({"write", "/dev/null", "--local", "1"}).status, 3);
}

// A module that answers only after the verdict: its answer waits in the line, and the next
// run must not take it for (the start of) its own.
TEST(ZelTool, AnswerAfterTheVerdictDoesNotSpoilTheNextRun) {
  SwitchableModule module(kBlock, Behaviour::Holding);
  ModulePeer peer(module.Answers());
  EXPECT_EQ(Zel({"read", peer.path()}).status, 1);
  ASSERT_TRUE(peer.WaitForRequests(2));
  const std::vector<uint8_t> late = module.TakeHeld();
  ASSERT_TRUE(peer.pty().Send(late));
  ASSERT_TRUE(WaitUntilWaitingInPort(peer.path(), late.size()));
  ConfigBlock changed = kBlock;
  changed[10] = 0x42;
  module.Reconfigure(changed);
  const ZelRun read = Zel({"read", peer.path()});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_TRUE(Has(read.out, "\nlocal: 66\n")) << read.out;
}

TEST(ZelTool, ScanAndAllWorkOnEveryModuleAtOnce) {
  TempDir dir;
  // Listed out of order on purpose: results come in the port lists' natural order.
  SimulatorProcess third({"--link", dir.File("zel-10"), "--model", "0x11"});
  SimulatorProcess first({"--link", dir.File("zel-1"), "--model", "1"});
  SimulatorProcess second({"--link", dir.File("zel-2"), "--model", "2", "--version", "2.1.0"});
  SimulatorProcess quiet({"--link", dir.File("quiet"), "--silent"});
  for (const SimulatorProcess* s : {&first, &second, &third, &quiet}) ASSERT_FALSE(s->path().empty());
  DirectoryPortSource ports(dir.path());

  const ZelRun scan = Zel({"scan"}, ports);
  ASSERT_EQ(scan.status, 0) << scan.err;
  EXPECT_EQ(Lines(scan.out), (std::vector<std::string>{dir.File("zel-1") + "\tZEL-A1\t1.0.5",
                                                       dir.File("zel-2") + "\tZEL-A2\t2.1.0",
                                                       dir.File("zel-10") + "\tZEL-A3\t1.0.5"}));

  const ZelRun write = Zel({"--all", "write", "--local", "77", "--pack", "64", "--json"}, ports);
  ASSERT_EQ(write.status, 0) << write.err;
  const ZelRun read = Zel({"--all", "read"}, ports);
  ASSERT_EQ(read.status, 0) << read.err;
  for (const ZelRun* run : {&write, &read}) {
    const auto lines = Lines(run->out);
    ASSERT_EQ(lines.size(), 3u) << run->out;
    for (const std::string& line : lines) {
      EXPECT_TRUE(Has(line, run == &write ? "\"local\": 77, \"target\": 58, \"pack\": 64" : "local 77, target 58, pack 64"))
          << line;
    }
    EXPECT_TRUE(lines[2].starts_with(run == &write ? "{\"port\": \"" + dir.File("zel-10") : dir.File("zel-10") + ": "));
  }

  // A module that fails on one port fails the run; the others are still done and shown.
  SwitchableModule broken(kBlock, Behaviour::IdentifyOnly);
  ModulePeer peer(broken.Answers());
  ASSERT_EQ(symlink(peer.path().c_str(), dir.File("zel-3").c_str()), 0);
  const ZelRun some = Zel({"--all", "read"}, ports);
  EXPECT_EQ(some.status, 1);
  EXPECT_EQ(Lines(some.out).size(), 3u);
  EXPECT_TRUE(Has(some.err, dir.File("zel-3") + ": the module's answer to the read is incomplete")) << some.err;

  TempDir lonely;
  SimulatorProcess alone({"--link", lonely.File("quiet"), "--silent"});
  DirectoryPortSource nobody(lonely.path());
  const ZelRun none = Zel({"scan"}, nobody);
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "vornicspcomm-zel: no module answered on any of 1 ports\n");
}
