// The telnet stream and the com port client on byte streams cut at every position: what a
// socket hands over in pieces must decode exactly as the whole stream does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/com_port_client.h"
#include "serial/com_port_line.h"
#include "serial/network_address.h"
#include "serial/telnet_stream.h"

namespace {

using namespace telnet;
using Bytes = std::vector<uint8_t>;

// Every event as text, data runs merged, so that two decodings compare as strings.
class Recorder : public StreamSink {
 public:
  void Data(const uint8_t* bytes, size_t count) override {
    if (log.empty() || log.back().rfind("D:", 0) != 0) log.push_back("D:");
    for (size_t i = 0; i < count; ++i) log.back() += std::to_string(bytes[i]) + ",";
  }
  void Negotiation(uint8_t verb, uint8_t option) override {
    log.push_back("N:" + std::to_string(verb) + "/" + std::to_string(option));
  }
  void Subnegotiation(uint8_t option, const uint8_t* payload, size_t count) override {
    std::string text = "S:" + std::to_string(option) + ":";
    for (size_t i = 0; i < count; ++i) text += std::to_string(payload[i]) + ",";
    log.push_back(text);
  }
  std::vector<std::string> log;
};

std::vector<std::string> DecodeInTwo(const Bytes& stream, size_t cut, bool* broken = nullptr) {
  StreamDecoder decoder;
  Recorder recorder;
  decoder.Feed(stream.data(), cut, recorder);
  decoder.Feed(stream.data() + cut, stream.size() - cut, recorder);
  if (broken != nullptr) *broken = decoder.Broken();
  return recorder.log;
}

Bytes ServerStream() {
  Bytes s = {'a', kIac, kIac, 'b', kIac, kWill, kOptionBinary, kIac, kNop, kIac, kDo, kOptionComPort};
  const uint8_t payload[] = {101, 0, 0, 0xFF, 0xFF};  // a rate with 0xFF bytes in it
  AppendSubnegotiation(kOptionComPort, payload, sizeof payload, s);
  s.insert(s.end(), {'c', kIac, kIac});
  return s;
}

TEST(TelnetStream, DecodesTheSameWhereverTheStreamIsCut) {
  const Bytes stream = ServerStream();
  const std::vector<std::string> whole = DecodeInTwo(stream, stream.size());
  const std::vector<std::string> expected = {"D:97,255,98,", "N:251/0", "N:253/44", "S:44:101,0,0,255,255,",
                                             "D:99,255,"};
  EXPECT_EQ(whole, expected);
  for (size_t cut = 0; cut <= stream.size(); ++cut) EXPECT_EQ(DecodeInTwo(stream, cut), whole) << "cut at " << cut;

  // One byte at a time too.
  StreamDecoder decoder;
  Recorder recorder;
  for (uint8_t b : stream) decoder.Feed(&b, 1, recorder);
  EXPECT_EQ(recorder.log, whole);
}

TEST(TelnetStream, DataOfEveryByteValueSurvivesTheRoundTrip) {
  Bytes data;
  for (int i = 0; i < 256; ++i) data.push_back(static_cast<uint8_t>(i));
  Bytes wire;
  AppendData(data.data(), data.size(), wire);
  EXPECT_EQ(wire.size(), 257u);  // 0xFF alone is doubled
  StreamDecoder decoder;
  Recorder recorder;
  decoder.Feed(wire.data(), wire.size(), recorder);
  Recorder direct;
  direct.Data(data.data(), data.size());
  EXPECT_EQ(recorder.log, direct.log);
}

TEST(TelnetStream, RubbishTurnsTheRestIntoPlainBytesWhereverItIsCut) {
  // IAC before a byte that is no command: no telnet peer sends that.
  const Bytes stream = {'x', kIac, 'A', kIac, kWill, 1, kIac, kIac};
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    bool broken = false;
    const std::vector<std::string> log = DecodeInTwo(stream, cut, &broken);
    EXPECT_TRUE(broken);
    EXPECT_EQ(log, (std::vector<std::string>{"D:120,255,65,255,251,1,255,255,"})) << "cut at " << cut;
  }
  // A subnegotiation that never ends is rubbish as well, not a buffer that grows forever.
  Bytes endless = {kIac, kSb, kOptionComPort};
  endless.resize(endless.size() + kMaxSubnegotiation + 8, 'z');
  bool broken = false;
  DecodeInTwo(endless, endless.size() / 2, &broken);
  EXPECT_TRUE(broken);
}

// ser2net 4's opening: it offers and asks for the usual options and its com port answer.
Bytes Ser2netOpening() {
  return {255, 251, 3, 255, 253, 3, 255, 251, 1, 255, 254, 1, 255, 253, 0,  255, 251, 0,
          255, 253, 44, 255, 250, 44, 107, 0, 255, 240, 255, 253, 3, 'h', 'i'};
}

struct ClientRun {
  rfc2217::ComPortClient client;
  Bytes sent;
  Bytes data;
};

void StartAndFeed(ClientRun& run, const Bytes& stream, size_t cut) {
  run.client.Start(run.sent);
  run.client.Receive(stream.data(), cut, run.data, run.sent);
  run.client.Receive(stream.data() + cut, stream.size() - cut, run.data, run.sent);
}

TEST(ComPortClient, AgreesWithARealServerOpeningCutAnywhere) {
  const Bytes opening = Ser2netOpening();
  ClientRun whole;
  StartAndFeed(whole, opening, opening.size());
  EXPECT_EQ(whole.client.State(), rfc2217::Agreement::ComPort);
  EXPECT_EQ(whole.data, (Bytes{'h', 'i'}));
  EXPECT_EQ(whole.client.ModemState(), 0);
  // Our answers: refuse the server's echo, and nothing that answers an answer to our own
  // offers (that would loop); then ask for modem and line notifications.
  Bytes expected;
  rfc2217::ComPortClient().Start(expected);
  AppendNegotiation(kDont, kOptionEcho, expected);
  rfc2217::AppendCommand(rfc2217::kSetModemStateMask, 0xFF, expected);
  rfc2217::AppendCommand(rfc2217::kSetLineStateMask, 0x1E, expected);
  EXPECT_EQ(whole.sent, expected);
  for (size_t cut = 0; cut <= opening.size(); ++cut) {
    ClientRun run;
    StartAndFeed(run, opening, cut);
    EXPECT_EQ(run.sent, whole.sent) << "cut at " << cut;
    EXPECT_EQ(run.data, whole.data) << "cut at " << cut;
  }
}

TEST(ComPortClient, KeepsWhatTheServerReports) {
  ClientRun run;
  Bytes stream = {kIac, kDo, kOptionComPort};
  auto report = [&](uint8_t code, Bytes value) {
    Bytes payload = {static_cast<uint8_t>(code + rfc2217::kServerOffset)};
    payload.insert(payload.end(), value.begin(), value.end());
    AppendSubnegotiation(kOptionComPort, payload.data(), payload.size(), stream);
  };
  report(rfc2217::kSetBaudRate, {0, 0x01, 0xC2, 0x00});  // 115200
  report(rfc2217::kSetParity, {3});
  report(rfc2217::kNotifyLineState, {rfc2217::kLineBreak | rfc2217::kLineParity | 0x60});
  report(rfc2217::kNotifyLineState, {rfc2217::kLineFraming});
  report(rfc2217::kFlowControlSuspend, {});
  report(rfc2217::kSetDataSize, {});  // malformed: no value
  StartAndFeed(run, stream, stream.size());
  EXPECT_EQ(run.client.Reply(rfc2217::kSetBaudRate), 115200u);
  EXPECT_EQ(run.client.Reply(rfc2217::kSetParity), 3u);
  EXPECT_FALSE(run.client.Reply(rfc2217::kSetDataSize).has_value());
  EXPECT_EQ(run.client.LineEvents().brk, 1u);
  EXPECT_EQ(run.client.LineEvents().parity, 1u);
  EXPECT_EQ(run.client.LineEvents().frame, 1u);
  EXPECT_EQ(run.client.LineEvents().overrun, 0u);
  EXPECT_TRUE(run.client.Suspended());
  Bytes resume;
  const uint8_t code = rfc2217::kFlowControlResume + rfc2217::kServerOffset;
  AppendSubnegotiation(kOptionComPort, &code, 1, resume);
  run.client.Receive(resume.data(), resume.size(), run.data, run.sent);
  EXPECT_FALSE(run.client.Suspended());
  EXPECT_TRUE(run.data.empty());
}

TEST(ComPortClient, FallsBackToBytesWhenTheServerWillNotOrCannot) {
  // A telnet server that refuses com port control: data still decoded, line not set.
  ClientRun refusing;
  StartAndFeed(refusing, {kIac, kDont, kOptionComPort, 'a', kIac, kIac}, 6);
  EXPECT_EQ(refusing.client.State(), rfc2217::Agreement::Refused);
  EXPECT_EQ(refusing.data, (Bytes{'a', 0xFF}));

  // A peer that never says anything in telnet: after the time allowed, bytes pass unchanged.
  ClientRun silent;
  StartAndFeed(silent, {'a', 'b'}, 1);
  silent.client.GiveUp();
  EXPECT_EQ(silent.client.State(), rfc2217::Agreement::NotTelnet);
  const Bytes raw = {kIac, kIac, 'c'};
  silent.client.Receive(raw.data(), raw.size(), silent.data, silent.sent);
  EXPECT_EQ(silent.data, (Bytes{'a', 'b', kIac, kIac, 'c'}));
  Bytes out;
  silent.client.AppendData(raw.data(), raw.size(), out);
  EXPECT_EQ(out, raw);

  // Rubbish in answer to the offers.
  ClientRun rubbish;
  StartAndFeed(rubbish, {'H', 'T', 'T', 'P', kIac, 0x10, 'x'}, 5);
  EXPECT_EQ(rubbish.client.State(), rfc2217::Agreement::NotTelnet);
  EXPECT_EQ(rubbish.data, (Bytes{'H', 'T', 'T', 'P', kIac, 0x10, 'x'}));
}

TEST(ComPortClient, ALateAnswerToAnEarlierCommandIsNotTakenForTheLatest) {
  // The rate sent at connection (9600) is answered only after a new rate (57600) went out:
  // the first answer must not read as the answer to the second command.
  ClientRun run;
  Bytes agree = {kIac, kDo, kOptionComPort};
  StartAndFeed(run, agree, agree.size());
  run.client.Expect(rfc2217::kSetBaudRate);
  run.client.Expect(rfc2217::kSetBaudRate);
  auto answer = [&](uint32_t rate) {
    Bytes stream;
    const uint8_t payload[] = {rfc2217::kSetBaudRate + rfc2217::kServerOffset, static_cast<uint8_t>(rate >> 24),
                               static_cast<uint8_t>(rate >> 16), static_cast<uint8_t>(rate >> 8),
                               static_cast<uint8_t>(rate)};
    AppendSubnegotiation(kOptionComPort, payload, sizeof payload, stream);
    run.client.Receive(stream.data(), stream.size(), run.data, run.sent);
  };
  answer(9600);
  EXPECT_TRUE(run.client.Outstanding(rfc2217::kSetBaudRate));
  answer(57600);
  EXPECT_FALSE(run.client.Outstanding(rfc2217::kSetBaudRate));
  EXPECT_EQ(run.client.Reply(rfc2217::kSetBaudRate), 57600u);
}

TEST(ComPortLine, SendsWhatChangedAndAwaitsOnlyTheLineSettings) {
  win::DCB before;
  before.BaudRate = 9600;
  before.fDtrControl = win::DTR_CONTROL_ENABLE;
  before.fRtsControl = win::RTS_CONTROL_ENABLE;
  EXPECT_EQ(rfc2217::LineCommands(nullptr, before).size(), 7u);  // everything, the first time
  EXPECT_TRUE(rfc2217::LineCommands(&before, before).empty());
  win::DCB after = before;
  after.BaudRate = 57600;
  after.Parity = win::EVENPARITY;
  after.fParity = 1;
  after.StopBits = win::ONE5STOPBITS;
  after.fDtrControl = win::DTR_CONTROL_DISABLE;
  const std::vector<rfc2217::LineCommand> commands = rfc2217::LineCommands(&before, after);
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[0].code, rfc2217::kSetBaudRate);
  EXPECT_EQ(commands[0].value, 57600u);
  EXPECT_EQ(commands[1].value, 3u);  // even
  EXPECT_EQ(commands[2].value, 3u);  // one and a half
  EXPECT_EQ(commands[3].value, rfc2217::kControlDtrOff);
  EXPECT_TRUE(commands[0].confirmed && commands[1].confirmed && commands[2].confirmed);
  EXPECT_FALSE(commands[3].confirmed);
  EXPECT_TRUE(rfc2217::Confirms(commands[0], 57600 + 1000));
  EXPECT_FALSE(rfc2217::Confirms(commands[0], 38400));
  EXPECT_FALSE(rfc2217::Confirms(commands[1], 1));
}

TEST(NetworkAddress, TakesHostAndPortAndRefusesWhatIsNoAddress) {
  const auto v6 = ParseNetworkAddress("rfc2217://[::1]:2000");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host, "::1");
  EXPECT_EQ(v6->port, 2000);
  const auto raw = ParseNetworkAddress("tcp://bench-7.lab:65535");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->protocol, NetworkAddress::Protocol::RawTcp);
  EXPECT_EQ(raw->host, "bench-7.lab");
  for (const char* bad : {"rfc2217://host:0", "rfc2217://host:65536", "tcp://:2000", "tcp://host:", "tcp://host",
                          "rfc2217://::1:2000", "tcp://host:20x0", "/dev/ttyS0"})
    EXPECT_FALSE(ParseNetworkAddress(bad)) << bad;
  EXPECT_TRUE(IsNetworkPortName("tcp://host"));
  EXPECT_FALSE(IsNetworkPortName("/dev/tcp://x"));
}

}  // namespace
