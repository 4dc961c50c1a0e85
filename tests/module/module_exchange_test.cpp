// The module exchange without a window: a module played on a pseudo-terminal (or the module
// simulator), the port's event messages handed over by the test, and time driven by the
// test: the identify-to-read pause and the end of the reply delay are events, not sleeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "core/module/module_exchange.h"
#include "module/module_peer.h"
#include "module/switchable_module.h"
#include "core/module/module_responder.h"
#include "module/simulator_process.h"
#include "support/ser2net_process.h"
#include "devices/unique_fd.h"
#include "serial/serial_port.h"

namespace {

using namespace std::chrono_literals;

// An exchange takes a few hundred milliseconds; a shared machine under sanitizers may
// stretch that a lot. Only an exchange that never gets its bytes runs into this.
constexpr auto kLimit = 30s;
constexpr uint32_t kPortEvent = 1026;

// Two module set-ups that differ from each other in every field.
constexpr ConfigBlock kFirstBlock = {0x06, 0x2B, 0x88, 0x04, 0x02, 0x06, 0x02, 0x03,
                                     0x20, 0x00, 0xA1, 0xA2, 0x02, 0x00};
constexpr ConfigBlock kSecondBlock = {0x06, 0xB4, 0x18, 0x01, 0x05, 0x04, 0x01, 0x02,
                                      0x10, 0x00, 0x11, 0x22, 0x03, 0x00};

// The port's event messages, kept for the test's thread as a window's queue keeps them.
class PostedMessages : public MessageTarget {
 public:
  void Post(uint32_t message, uintptr_t wParam, intptr_t) override {
    std::lock_guard lock(mutex_);
    if (message == kPortEvent) queue_.push_back(wParam);
    posted_.notify_all();
  }
  // Hands each message to `exchange` until `done` holds; false when it did not in time.
  bool DeliverUntil(ModuleExchange& exchange, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (!done()) {
      std::unique_lock lock(mutex_);
      if (!posted_.wait_until(lock, deadline, [&] { return !queue_.empty(); })) return false;
      const uintptr_t wParam = queue_.front();
      queue_.pop_front();
      lock.unlock();
      exchange.OnPortEvent(wParam);
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<uintptr_t> queue_;
};

// Records what the exchange asks of time; the test ends each reply delay itself.
class TestClock : public ExchangeClock {
 public:
  void Pause(std::chrono::milliseconds length) override {
    pauses.push_back(length);
    if (duringPause) duringPause();
  }
  void StartReplyDelay(ExchangeKind kind) override { delays.push_back(kind); }

  std::function<void()> duringPause;
  std::vector<std::chrono::milliseconds> pauses;
  std::vector<ExchangeKind> delays;
};

// A port that opens but then cannot take the module's line.
class RefusingExchange : public ModuleExchange {
 public:
  RefusingExchange(MessageTarget& events, std::unique_ptr<ExchangeClock> clock, ExchangeStart refusal)
      : ModuleExchange(events, kPortEvent, std::move(clock)), refusal_(refusal) {}

 protected:
  ExchangeStart SetUpModuleLine(WindowSerialPort&) override { return refusal_; }

 private:
  ExchangeStart refusal_;
};

// An exchange with the test's clock and message queue; `refusal`: its port refuses the line.
struct Session {
  explicit Session(std::optional<ExchangeStart> refusal = std::nullopt) {
    auto owned = std::make_unique<TestClock>();
    clock = owned.get();
    exchange = refusal ? std::make_unique<RefusingExchange>(messages, std::move(owned), *refusal)
                       : std::make_unique<ModuleExchange>(messages, kPortEvent, std::move(owned));
  }

  // Gathers until `length` reply bytes came, then ends the wait.
  std::optional<ExchangeVerdict> Judge(size_t length) {
    if (!messages.DeliverUntil(*exchange, [&] { return exchange->Reply().ReplyLength >= length; })) return std::nullopt;
    return exchange->DelayElapsed();
  }
  ReplyOutcome Read(const std::string& port, size_t length = kReadExchangeReplySize) {
    if (exchange->StartRead(port) != ExchangeStart::Started) return ReplyOutcome::Failed;
    const auto verdict = Judge(length);
    if (verdict && verdict->outcome == ReplyOutcome::ReadOk) lastRead = verdict->settings;
    return verdict ? verdict->outcome : ReplyOutcome::Failed;
  }
  ReplyOutcome Write(const std::string& port, const ModuleSettings& settings, size_t length = 1) {
    if (exchange->StartWrite(port, settings) != ExchangeStart::Started) return ReplyOutcome::Failed;
    const auto verdict = Judge(length);
    return verdict ? verdict->outcome : ReplyOutcome::Failed;
  }

  PostedMessages messages;
  TestClock* clock = nullptr;
  std::unique_ptr<ModuleExchange> exchange;
  ModuleSettings lastRead;
};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const auto& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Against the sound `module` on `port`: a read gives what it holds, a write of a changed
// target address succeeds and the module then holds exactly what was sent.
void ExpectNextExchangesWork(Session& s, const std::string& port, const SwitchableModule& module) {
  SCOPED_TRACE("next exchanges on " + port);
  const ConfigBlock held = module.Block();
  ASSERT_EQ(s.Read(port), ReplyOutcome::ReadOk);
  EXPECT_EQ(EncodeConfigBlock(s.lastRead), held);
  ModuleSettings changed = s.lastRead;
  changed.TargetAddress = static_cast<uint8_t>(~changed.TargetAddress);
  ASSERT_EQ(s.Write(port, changed), ReplyOutcome::WriteOk);
  EXPECT_EQ(module.Block(), EncodeConfigBlock(changed));
  EXPECT_FALSE(s.exchange->Waiting());
}

// The same against a sound module on another port.
void ExpectNextExchangesWorkOnAnotherPort(Session& s) {
  SoundModule other(kSecondBlock);
  ExpectNextExchangesWork(s, other.peer.path(), other.module);
}

// Hangs up the terminal at `path` under everyone who has it open, as a line drop does;
// 0 or the errno of the failing step (EPERM/EBUSY without CAP_SYS_ADMIN).
int HangUp(const std::string& path) {
  const UniqueFd line(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!line.valid()) return errno;
  return ioctl(line.get(), TIOCVHANGUP) == 0 ? 0 : errno;
}

}  // namespace

TEST(ModuleExchange, ReadSendsIdentifyPausesThenReadsAndGivesThePortBack) {
  SoundModule m(kFirstBlock);
  Session s;
  // During the pause only the identify request is out.
  std::vector<uint8_t> sentBeforeRead;
  s.clock->duringPause = [&] {
    m.peer.WaitForRequests(1);
    sentBeforeRead = m.peer.Received();
  };
  ASSERT_EQ(s.exchange->StartRead(m.peer.path()), ExchangeStart::Started);
  EXPECT_TRUE(s.exchange->Waiting());
  EXPECT_EQ(sentBeforeRead, Concat({}, IdentifyRequest()));
  EXPECT_EQ(s.clock->pauses, std::vector{std::chrono::milliseconds(300)});
  EXPECT_EQ(s.clock->delays, std::vector{ExchangeKind::Read});
  const auto verdict = s.Judge(kReadExchangeReplySize);
  ASSERT_TRUE(verdict);
  EXPECT_EQ(verdict->outcome, ReplyOutcome::ReadOk);
  EXPECT_EQ(verdict->settings, DecodeConfigBlock(kFirstBlock));
  EXPECT_EQ(verdict->model, "ZEL-B1 FIFO");
  EXPECT_EQ(verdict->version, "1.0.5");
  EXPECT_TRUE(s.exchange->ModuleSeen());
  EXPECT_EQ(m.peer.Received(), Concat(Concat({}, IdentifyRequest()), ReadRequest()));
  // Judged once: a second end of the wait finds no exchange.
  EXPECT_FALSE(s.exchange->DelayElapsed());
  // The port was given back: the next exchange, on the last port (no entry), opens it again.
  EXPECT_EQ(s.Read(""), ReplyOutcome::ReadOk);
}

TEST(ModuleExchange, WriteSendsTheSettingsAndAReadGivesThemBack) {
  SoundModule m(kFirstBlock);
  Session s;
  const ModuleSettings written{470000, 7, 0, 9, 2, 0, 200, 0, 1, 254, 1, 0};
  ASSERT_EQ(s.exchange->StartWrite(m.peer.path(), written), ExchangeStart::Started);
  EXPECT_TRUE(s.clock->pauses.empty());
  EXPECT_EQ(s.clock->delays, std::vector{ExchangeKind::Write});
  const auto verdict = s.Judge(1);
  ASSERT_TRUE(verdict);
  EXPECT_EQ(verdict->outcome, ReplyOutcome::WriteOk);
  EXPECT_TRUE(s.exchange->ModuleSeen());
  EXPECT_EQ(m.peer.Received(), Concat({}, WriteRequest(written)));
  ASSERT_EQ(s.Read(m.peer.path()), ReplyOutcome::ReadOk);
  EXPECT_EQ(s.lastRead, written);
}

TEST(ModuleExchange, ReplyInSeveralBurstsIsGatheredWhole) {
  SimulatorProcess simulator({"--split", "3", "--gap", "2"});
  Session s;
  EXPECT_EQ(s.Read(simulator.path()), ReplyOutcome::ReadOk);
  EXPECT_EQ(s.exchange->Reply().ReplyLength, kReadExchangeReplySize);
  EXPECT_EQ(s.lastRead.LocalAddress, 58);
}

TEST(ModuleExchange, ModuleThatFailsLeavesTheExchangeReadyForTheNext) {
  struct Case {
    Behaviour fault;
    size_t readBytes;   // what a read gathers before it is judged
    size_t writeBytes;  // and a write
    bool moduleSeen;    // a reply began with '$'
  };
  for (const Case c : {Case{Behaviour::Holding, 0, 0, false}, Case{Behaviour::Garbled, 26, 1, false},
                       Case{Behaviour::IdentifyOnly, 7, 0, true}, Case{Behaviour::Rubbish200, 32, 32, false}}) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    SwitchableModule module(kFirstBlock, c.fault);
    ModulePeer peer(module.Answers());
    Session s;
    ASSERT_EQ(s.exchange->StartRead(peer.path()), ExchangeStart::Started);
    ASSERT_TRUE(peer.WaitForRequests(2));
    auto verdict = s.Judge(c.readBytes);
    ASSERT_TRUE(verdict);
    EXPECT_EQ(verdict->outcome, ReplyOutcome::Failed);
    EXPECT_EQ(verdict->settings, ModuleSettings{});  // nothing of the reply is handed on
    EXPECT_EQ(s.exchange->ModuleSeen(), c.moduleSeen);
    if (c.fault == Behaviour::Rubbish200) {
      // The buffer took its 32 bytes of the identify request's 200 and not one more.
      const std::vector<uint8_t> rubbish = Rubbish();
      EXPECT_EQ(s.exchange->Reply().ReplyLength, ModuleReply::kCapacity);
      EXPECT_TRUE(std::equal(s.exchange->Reply().ReplyBuffer.begin(), s.exchange->Reply().ReplyBuffer.end(),
                             rubbish.begin()));
    }
    EXPECT_EQ(s.Write("", DecodeConfigBlock(kSecondBlock), c.writeBytes), ReplyOutcome::Failed);
    ExpectNextExchangesWorkOnAnotherPort(s);
  }
}

// The module answers only after the exchange was judged a failure and its port given back.
// Those bytes wait in the line until the next exchange opens it; they must not be taken for
// (or spoil) that exchange's reply.
TEST(ModuleExchange, AnswersAfterTheVerdictAreDroppedBeforeTheNextExchange) {
  for (const bool lateRead : {true, false}) {
    SCOPED_TRACE(lateRead ? "late read reply" : "late write reply");
    SwitchableModule module(kFirstBlock, Behaviour::Holding);
    ModulePeer peer(module.Answers());
    Session s;
    EXPECT_EQ(lateRead ? s.Read(peer.path(), 0) : s.Write(peer.path(), ModuleSettings{}, 0), ReplyOutcome::Failed);
    ASSERT_TRUE(peer.WaitForRequests(lateRead ? 2 : 1));
    const std::vector<uint8_t> late = module.TakeHeld();
    ASSERT_TRUE(peer.pty().Send(late));
    ASSERT_TRUE(WaitUntilWaitingInPort(peer.path(), late.size()));
    module.Reconfigure(kSecondBlock);
    ExpectNextExchangesWork(s, peer.path(), module);
  }
}

TEST(ModuleExchange, PortMissingOrBusyStartsNothing) {
  SoundModule m(kFirstBlock);
  Session s;
  // No such device, and a device without line settings (no serial port at all).
  for (const char* missing : {"/dev/no-such-port", "/dev/null"}) {
    EXPECT_EQ(s.exchange->StartRead(missing), ExchangeStart::PortMissingOrBusy) << missing;
    EXPECT_EQ(s.exchange->StartWrite(missing, ModuleSettings{}), ExchangeStart::PortMissingOrBusy) << missing;
  }
  EXPECT_TRUE(s.clock->delays.empty());
  EXPECT_FALSE(s.exchange->Waiting());
  EXPECT_FALSE(s.exchange->DelayElapsed());

  // A second press while an exchange waits finds its port busy; the first ends normally.
  ASSERT_EQ(s.exchange->StartRead(m.peer.path()), ExchangeStart::Started);
  EXPECT_EQ(s.exchange->StartRead(m.peer.path()), ExchangeStart::PortMissingOrBusy);
  EXPECT_EQ(s.exchange->StartWrite("", ModuleSettings{}), ExchangeStart::PortMissingOrBusy);
  EXPECT_EQ(s.clock->delays, std::vector{ExchangeKind::Read});
  const auto verdict = s.Judge(kReadExchangeReplySize);
  ASSERT_TRUE(verdict);
  EXPECT_EQ(verdict->outcome, ReplyOutcome::ReadOk);
  EXPECT_EQ(m.peer.Received(), Concat(Concat({}, IdentifyRequest()), ReadRequest()));
}

TEST(ModuleExchange, PortThatCannotTakeTheLineIsGivenBack) {
  PtyPair port;
  for (const ExchangeStart refusal : {ExchangeStart::SettingsUnreadable, ExchangeStart::SettingsRefused}) {
    Session s(refusal);
    EXPECT_EQ(s.exchange->StartRead(port.path()), refusal);
    EXPECT_EQ(s.exchange->StartWrite(port.path(), ModuleSettings{}), refusal);
    EXPECT_TRUE(s.clock->delays.empty());
    EXPECT_FALSE(s.exchange->Waiting());
    EXPECT_EQ(port.Drain(), std::vector<uint8_t>{});  // nothing was sent
    // Closed again: anyone may open it now.
    WindowSerialPort other;
    EXPECT_EQ(other.Open(port.path().c_str(), 0, 0, false), 0u);
  }
}

TEST(ModuleExchange, ModuleLineIs9600EightDataBitsOneStopBit) {
  SoundModule m(kFirstBlock);
  const UniqueFd device(open(m.peer.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(device.valid());
  termios line{};
  tcgetattr(device.get(), &line);
  cfsetspeed(&line, B19200);
  line.c_cflag = (line.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
  tcsetattr(device.get(), TCSANOW, &line);
  Session s;
  EXPECT_EQ(s.Write(m.peer.path(), ModuleSettings{}), ReplyOutcome::WriteOk);
  tcgetattr(device.get(), &line);
  EXPECT_EQ(cfgetospeed(&line), speed_t{B9600});
  EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS8});
  EXPECT_EQ(line.c_cflag & CSTOPB, tcflag_t{0});
}

// The module's side goes away while the exchange waits: the verdict is a failure, and the
// exchange is ready for a module on another port.
TEST(ModuleExchange, FarSideClosedMidExchange) {
  SwitchableModule module(kFirstBlock, Behaviour::Holding);
  ModulePeer peer(module.Answers());
  Session s;
  ASSERT_EQ(s.exchange->StartRead(peer.path()), ExchangeStart::Started);
  ASSERT_TRUE(peer.WaitForRequests(2));
  peer.CloseFarSide();
  const auto verdict = s.Judge(0);
  ASSERT_TRUE(verdict);
  EXPECT_EQ(verdict->outcome, ReplyOutcome::Failed);
  // The device is gone: the next start says so and leaves nothing open.
  EXPECT_EQ(s.exchange->StartRead(""), ExchangeStart::PortMissingOrBusy);
  EXPECT_FALSE(s.exchange->Waiting());
  ExpectNextExchangesWorkOnAnotherPort(s);
}

TEST(ModuleExchange, LineHungUpMidExchange) {
  SwitchableModule module(kFirstBlock, Behaviour::Holding);
  ModulePeer peer(module.Answers());
  Session s;
  ASSERT_EQ(s.exchange->StartWrite(peer.path(), ModuleSettings{}), ExchangeStart::Started);
  ASSERT_TRUE(peer.WaitForRequests(1));
  if (const int err = HangUp(peer.path()); err != 0) {
    s.exchange->DelayElapsed();
    GTEST_SKIP() << "hanging up a terminal needs CAP_SYS_ADMIN: " << strerror(err);
  }
  const auto verdict = s.Judge(0);
  ASSERT_TRUE(verdict);
  EXPECT_EQ(verdict->outcome, ReplyOutcome::Failed);
  // The same line, answered again: the hang-up left nothing behind that blocks the port.
  module.Become(Behaviour::Sound);
  ExpectNextExchangesWork(s, peer.path(), module);
}

TEST(ModuleExchange, SimulatorKilledAfterTakingTheRequests) {
  SimulatorProcess simulator({"--silent", "--verbose"}, true);
  ASSERT_FALSE(simulator.path().empty());
  Session s;
  ASSERT_EQ(s.exchange->StartRead(simulator.path()), ExchangeStart::Started);
  // The simulator logs each request it takes; silent, it answers none.
  for (int request = 0; request < 2; ++request) {
    ASSERT_TRUE(simulator.ReadLogLine(30000).starts_with("zel_simulator: answer"));
  }
  ASSERT_TRUE(simulator.Stop(SIGKILL).has_value());
  const auto verdict = s.Judge(0);
  ASSERT_TRUE(verdict);
  EXPECT_EQ(verdict->outcome, ReplyOutcome::Failed);
  ExpectNextExchangesWorkOnAnotherPort(s);
}

// The module on another machine: the simulator's line served by ser2net, reached through
// telnet with com port control. A read, a write and a read that gives the write back.
TEST(ModuleExchange, SimulatorBehindSer2netReadsAndWrites) {
  SimulatorProcess simulator({});
  ASSERT_FALSE(simulator.path().empty());
  Ser2netProcess server({{simulator.path(), true}});
  ASSERT_TRUE(server.WaitListening());
  const std::string port = server.link(0).Name();
  Session s;
  EXPECT_EQ(s.Read(port), ReplyOutcome::ReadOk);
  const ModuleSettings written{470000, 7, 0, 9, 2, 0, 200, 0, 1, 254, 1, 0};
  EXPECT_EQ(s.Write(port, written), ReplyOutcome::WriteOk);
  ASSERT_EQ(s.Read(port), ReplyOutcome::ReadOk);
  EXPECT_EQ(s.lastRead, written);
}
