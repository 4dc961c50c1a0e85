// A module that misbehaves during an exchange on the configuration page: it answers
// rubbish, answers 200 bytes, answers after the page has given up waiting, or its device
// vanishes in the middle. After each the page is idle, has shown no message beyond the ones
// meant for the user, and the next read and write against a sound module work.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "config_page_window_support.h"
#include "module/module_peer.h"
#include "module/module_protocol.h"
#include "module/module_responder.h"
#include "module/simulator_process.h"
#include "module/unique_fd.h"
#include "serial/serial_port.h"

namespace {

// An exchange takes a few hundred milliseconds; a shared machine under sanitizers may
// stretch that a lot. Only a page that never judges runs into this.
constexpr int kLimitMs = 30000;

// Two module set-ups that differ from each other and from the page's defaults in every field.
constexpr ConfigBlock kFirstBlock = {0x06, 0x2B, 0x88, 0x04, 0x02, 0x06, 0x02, 0x03,
                                     0x20, 0x00, 0xA1, 0xA2, 0x02, 0x00};
constexpr ConfigBlock kSecondBlock = {0x06, 0xB4, 0x18, 0x01, 0x05, 0x04, 0x01, 0x02,
                                      0x10, 0x00, 0x11, 0x22, 0x03, 0x00};

enum class Behaviour {
  Sound,       // answers as the protocol says and keeps what is written to it
  Garbled,     // the right answer, but its first byte is not '$'
  Rubbish200,  // 200 bytes of rubbish for every request
  Holding,     // keeps its answers back until the test takes them
};

// 200 bytes that do not begin with '$'.
std::vector<uint8_t> Rubbish() {
  std::vector<uint8_t> bytes(200);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

// The module behind a ModulePeer; the test switches its behaviour between exchanges.
class SwitchableModule {
 public:
  explicit SwitchableModule(const ConfigBlock& block) : block_(block) {}

  ModulePeer::Answer Answers() {
    return [this](const ModuleRequest& request) { return Answer(request); };
  }
  void Become(Behaviour behaviour) {
    std::lock_guard lock(mutex_);
    behaviour_ = behaviour;
  }
  // Set up anew with `block` (so that an answer from before is told apart), and sound.
  void Reconfigure(const ConfigBlock& block) {
    std::lock_guard lock(mutex_);
    block_ = block;
    behaviour_ = Behaviour::Sound;
  }
  ConfigBlock Block() const {
    std::lock_guard lock(mutex_);
    return block_;
  }
  std::vector<uint8_t> TakeHeld() {
    std::lock_guard lock(mutex_);
    return std::exchange(held_, {});
  }

 private:
  std::vector<uint8_t> Answer(const ModuleRequest& request) {
    std::lock_guard lock(mutex_);
    if (behaviour_ == Behaviour::Rubbish200) return Rubbish();
    if (behaviour_ == Behaviour::Sound && request.command == ModuleCommand::Write) block_ = request.block;
    std::vector<uint8_t> reply = request.command == ModuleCommand::Identify ? IdentifyReply(ModuleIdentity{})
                                 : request.command == ModuleCommand::Read   ? ReadReply(block_)
                                                                            : WriteReply();
    if (behaviour_ == Behaviour::Garbled) reply[0] = 0x00;
    if (behaviour_ != Behaviour::Holding) return reply;
    held_.insert(held_.end(), reply.begin(), reply.end());
    return {};
  }

  mutable std::mutex mutex_;
  Behaviour behaviour_ = Behaviour::Sound;
  ConfigBlock block_;
  std::vector<uint8_t> held_;
};

// The window with its module list on `port`, and a record of every status it shows.
struct Page {
  explicit Page(const std::string& port) { SelectModulePort(h, port); }
  TVornicSPComm& w() { return h.w(); }

  // Presses `button` as the user does. The caption is set back to the base caption first,
  // so that this exchange's status shows as a change even when it repeats the last one.
  void Start(QPushButton* button) {
    w().RestoreBaseCaption();
    statusesBefore = log.Statuses().size();
    button->click();
  }
  // Lets the window run until the exchange has been judged; the statuses shown since the press.
  QStringList Judged() {
    if (!WindowHarness::WaitUntil([&] { return !w().PendingExchange; }, kLimitMs)) return {"never judged"};
    return log.Statuses().mid(statusesBefore);
  }
  QStringList Press(QPushButton* button) {
    Start(button);
    return Judged();
  }
  QPushButton* read() { return w().B_ReadConfiguration; }
  QPushButton* write() { return w().B_WriteConfiguration; }

  WindowHarness h;
  CaptionLog log{h.w()};
  qsizetype statusesBefore = 0;
};

const QStringList kFailed = {U(kFailedStatus)};

// Nothing of an exchange is left over: no verdict pending, the port given back, the
// buttons there to be pressed.
bool Idle(TVornicSPComm& w) {
  return !w.PendingExchange && !w.ModulePort->IsOpen() && w.B_ReadConfiguration->isEnabled() &&
         w.B_WriteConfiguration->isEnabled();
}

// Against the sound `module`: a read shows what it holds, a write of a changed target
// address succeeds and the module then holds exactly what the page sent.
void CheckNextExchangesWork(Page& page, const SwitchableModule& module) {
  TVornicSPComm& w = page.w();
  const ConfigBlock held = module.Block();
  QCOMPARE(page.Press(page.read()), QStringList{U(kReadOkStatus)});
  QCOMPARE(EncodeConfigBlock(*w.Module), held);
  QCOMPARE(w.E_LocalAddr->text(), QString::number(held[10]));
  ConfigBlock changed = held;
  changed[11] = static_cast<uint8_t>(~held[11]);
  w.E_TargetAddr->setText(QString::number(changed[11]));
  w.E_TargetAddrExit();
  QCOMPARE(page.Press(page.write()), QStringList{U(kWriteOkStatus)});
  QCOMPARE(module.Block(), changed);
  QVERIFY(Idle(w));
}

// The same against a sound module on another port, picked from the list as the user does.
void CheckNextExchangesWorkOnAnotherPort(Page& page) {
  SwitchableModule sound(kSecondBlock);
  ModulePeer peer(sound.Answers());
  SelectModulePort(page.h, peer.path());
  CheckNextExchangesWork(page, sound);
}

// A page that pressed read or write on a module holding back its answers, once the module
// has taken the request(s). No event has run since the press, so the exchange is still open.
struct WaitingExchange {
  explicit WaitingExchange(bool read) {
    module.Become(Behaviour::Holding);
    page.Start(read ? page.read() : page.write());
    requestsTaken = peer.WaitForRequests(read ? 2 : 1);
  }
  SwitchableModule module{kFirstBlock};
  ModulePeer peer{module.Answers()};
  Page page{peer.path()};
  bool requestsTaken = false;
};

// True once `count` bytes wait unread in the port at `path`, looked at through a descriptor
// of the test's own while the page has the port closed.
bool WaitUntilWaitingInPort(const std::string& path, size_t count) {
  const UniqueFd look(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  return look.valid() && WindowHarness::WaitUntil([&] {
           int waiting = 0;
           return ioctl(look.get(), FIONREAD, &waiting) == 0 && waiting >= static_cast<int>(count);
         }, kLimitMs);
}

// Hangs up the terminal at `path` under everyone who has it open, as a line drop does;
// 0 or the errno of the failing step (EPERM/EBUSY without CAP_SYS_ADMIN).
int HangUp(const std::string& path) {
  const UniqueFd line(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!line.valid()) return errno;
  return ioctl(line.get(), TIOCVHANGUP) == 0 ? 0 : errno;
}

}  // namespace

class ModuleFaultsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void rubbishAnswersLeaveThePageReadyForTheNextExchange() {
    for (const Behaviour fault : {Behaviour::Garbled, Behaviour::Rubbish200}) {
      SwitchableModule module(kFirstBlock);
      ModulePeer peer(module.Answers());
      Page page(peer.path());
      const ModuleSettings before = *page.w().Module;
      module.Become(fault);
      QCOMPARE(page.Press(page.read()), kFailed);
      QCOMPARE(page.Press(page.write()), kFailed);
      QVERIFY(*page.w().Module == before);
      if (fault == Behaviour::Rubbish200) {
        // The buffer took its 32 bytes of the 200 and not one more.
        const std::vector<uint8_t> rubbish = Rubbish();
        QCOMPARE(page.w().Reply->ReplyLength, uint32_t{ModuleReply::kCapacity});
        QVERIFY(std::equal(page.w().Reply->ReplyBuffer.begin(), page.w().Reply->ReplyBuffer.end(), rubbish.begin()));
      }
      module.Become(Behaviour::Sound);
      CheckNextExchangesWork(page, module);
      if (QTest::currentTestFailed()) return;
      QVERIFY(page.h.messages.empty());
    }
  }

  // The module answers only after the page judged the exchange a failure and gave the port
  // back. Those bytes wait in the line until the next exchange opens it; they must not be
  // taken for (or spoil) that exchange's reply.
  void answersAfterTheVerdictAreNotTakenForTheNextReply() {
    for (const bool lateRead : {true, false}) {
      WaitingExchange exchange(lateRead);
      QVERIFY(exchange.requestsTaken);
      Page& page = exchange.page;
      QCOMPARE(page.Judged(), kFailed);
      QVERIFY(Idle(page.w()));
      const std::vector<uint8_t> late = exchange.module.TakeHeld();
      QVERIFY(exchange.peer.pty().Send(late));
      QVERIFY(WaitUntilWaitingInPort(exchange.peer.path(), late.size()));
      exchange.module.Reconfigure(kSecondBlock);
      CheckNextExchangesWork(page, exchange.module);
      if (QTest::currentTestFailed()) return;
      QVERIFY(page.h.messages.empty());
    }
  }

  void farSideClosedMidExchange() {
    WaitingExchange exchange(true);
    QVERIFY(exchange.requestsTaken);
    Page& page = exchange.page;
    exchange.peer.CloseFarSide();
    QCOMPARE(page.Judged(), kFailed);
    QVERIFY(Idle(page.w()));
    QVERIFY(page.h.messages.empty());
    // The device is gone: pressing again says so and leaves nothing open.
    QVERIFY(page.Press(page.read()).isEmpty());
    QCOMPARE(page.h.messages.size(), size_t{1});
    QCOMPARE(page.h.messages.back().text, U("该串口不存在或串口被占用！"));
    QVERIFY(Idle(page.w()));
    CheckNextExchangesWorkOnAnotherPort(page);
    QCOMPARE(page.h.messages.size(), size_t{1});
  }

  void lineHungUpMidExchange() {
    WaitingExchange exchange(false);
    QVERIFY(exchange.requestsTaken);
    Page& page = exchange.page;
    if (const int err = HangUp(exchange.peer.path()); err != 0) {
      QSKIP(qPrintable(QString("hanging up a terminal needs CAP_SYS_ADMIN: ") + strerror(err)));
    }
    QCOMPARE(page.Judged(), kFailed);
    QVERIFY(Idle(page.w()));
    // The same line, answered again: the hang-up left nothing behind that blocks the port.
    exchange.module.Become(Behaviour::Sound);
    CheckNextExchangesWork(page, exchange.module);
    QVERIFY(page.h.messages.empty());
  }

  void simulatorKilledAfterTakingTheRequest() {
    SimulatorProcess simulator({"--silent", "--verbose"}, true);
    QVERIFY(!simulator.path().empty());
    Page page(simulator.path());
    page.Start(page.read());
    // The simulator logs each request it takes; silent, it answers none.
    for (int request = 0; request < 2; ++request) {
      QVERIFY(simulator.ReadLogLine(kLimitMs).starts_with("zel_simulator: answer"));
    }
    QVERIFY(simulator.Stop(SIGKILL).has_value());
    QCOMPARE(page.Judged(), kFailed);
    QVERIFY(Idle(page.w()));
    CheckNextExchangesWorkOnAnotherPort(page);
    QVERIFY(page.h.messages.empty());
  }
};

QTEST_MAIN(ModuleFaultsWindowTest)
#include "module_faults_window_test.moc"
