// Read and write exchanges through the page's buttons, against the module simulator and
// against a module played by the test on its own pseudo-terminal (to see the bytes sent).
#include <termios.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <functional>

#include "config_page_window_support.h"
#include "module/module_peer.h"
#include "module/simulator_process.h"
#include "module/module_protocol.h"
#include "module/module_responder.h"
#include "module/request_parser.h"
#include "serial/serial_port.h"

namespace {

// A module that answers as the protocol says, holding `block`.
ModulePeer::Answer Module(const ConfigBlock& block, std::vector<uint8_t> extraOnRead = {}) {
  return [block, extraOnRead](const ModuleRequest& request) {
    if (request.command == ModuleCommand::Identify) return IdentifyReply(ModuleIdentity{});
    if (request.command == ModuleCommand::Write) return WriteReply();
    std::vector<uint8_t> reply = ReadReply(block);
    reply.insert(reply.end(), extraOnRead.begin(), extraOnRead.end());
    return reply;
  };
}

QString BlockText(ConfigBlock block) {
  QStringList bytes;
  for (uint8_t byte : block) bytes << QString("%1").arg(byte, 2, 16, QChar('0')).toUpper();
  return bytes.join(' ');
}

// The block of the documented 26-byte read reply (433.92 MHz, 5Kbps, ...).
constexpr ConfigBlock kExampleBlock = {0x06, 0x9F, 0x00, 0x02, 0x07, 0x03, 0x00, 0x05, 0x05, 0x01, 0x3A, 0x3A, 0x05, 0x01};

ConfigBlock ExampleBlockWith(size_t offset, uint8_t value) {
  ConfigBlock block = kExampleBlock;
  block[offset] = value;
  return block;
}

// A window whose module list has picked `port`. Its status captions stay: the countdown that
// would bring the base caption back is held.
struct Page {
  explicit Page(const std::string& port) { SelectModulePort(h, port); }
  TVornicSPComm& w() { return h.w(); }
  std::vector<ShownMessage>& messages() { return h.messages; }
  WindowHarness h;
  std::shared_ptr<CountdownGate> gate = CountdownGate::Install(h.w());
};

// Presses a button and waits until the exchange it started has been judged; true when the
// caption then shows `status`.
bool Exchange(Page& page, void (TVornicSPComm::*button)(), const char* status) {
  TVornicSPComm& w = page.w();
  (w.*button)();
  return WindowHarness::WaitUntil([&] { return !w.PendingExchange; }) &&
         w.windowTitle() == w.BaseCaption() + U(status);
}

bool Read(Page& page, const char* status = kReadOkStatus) {
  return Exchange(page, &TVornicSPComm::B_ReadConfigurationClick, status);
}

bool Write(Page& page, const char* status = kWriteOkStatus) {
  return Exchange(page, &TVornicSPComm::B_WriteConfigurationClick, status);
}

// What a failed exchange must leave alone.
struct PageState {
  ModuleSettings settings;
  QStringList texts;
  bool operator==(const PageState&) const = default;
};

PageState State(TVornicSPComm& w) {
  return {*w.Module,
          {w.L_Model->text(), w.L_Version->text(), w.E_RFFreq->text(), w.E_DelayTime->text(),
           w.CB_RFCOMBaudRate->currentText(), QString::number(w.CB_FECEnable->isChecked())}};
}

}  // namespace

class ModuleExchangeWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void readFillsEveryControlAndTheSettings() {
    SimulatorProcess module({});
    Page page(module.path());
    TVornicSPComm& w = page.w();
    w.CB_RFBaudrate->setCurrentIndex(0);
    w.CB_FECEnable->setChecked(false);
    w.RB_PackLength[0]->setChecked(true);
    w.E_DelayTime->setText("99");
    QVERIFY(Read(page));
    QCOMPARE(w.L_Model->text(), QString("ZEL-B1 FIFO"));
    QCOMPARE(w.L_Version->text(), QString("1.0.5"));
    QCOMPARE(w.E_RFFreq->text(), QString("433.92"));
    const QStringList lists = {w.CB_RFBaudrate->currentText(), w.CB_Power->currentText(),
                               w.CB_RFCOMBaudRate->currentText(), w.CB_Parity->currentText(),
                               w.CB_RFWakeUpTime->currentText()};
    QCOMPARE(lists, (QStringList{"5Kbps", "7(MAX)", "9600bps", "Disabled", "1.0s"}));
    QCOMPARE(w.E_DelayTime->text(), QString("5"));
    QVERIFY(w.CB_FECEnable->isChecked() && w.CB_PackComplete->isChecked());
    QCOMPARE(w.E_LocalAddr->text(), QString("58"));
    QCOMPARE(w.E_TargetAddr->text(), QString("58"));
    QVERIFY(w.RB_PackLength[4]->isChecked());
    QVERIFY(*w.Module == (ModuleSettings{433920, 2, 7, 3, 0, 5, 5, 1, 58, 58, 5, 1}));
    QVERIFY(w.ModuleSeen);
    QVERIFY(!w.ModulePort->IsOpen());
    QVERIFY(Read(page));  // the port was given back: the next exchange opens it again
    QVERIFY(page.messages().empty());
  }

  void writeThenReadReturnsWhatWasWritten() {
    SimulatorProcess module({});
    const ModuleSettings written{470000, 7, 0, 9, 2, 0, 200, 0, 1, 254, 1, 0};
    {
      Page page(module.path());
      TVornicSPComm& w = page.w();
      w.E_RFFreq->setText("470");
      w.E_RFFreqExit();
      for (const auto& [list, position] : {std::pair{w.CB_RFBaudrate, 7}, {w.CB_Power, 0}, {w.CB_RFCOMBaudRate, 9},
                                           {w.CB_Parity, 2}, {w.CB_RFWakeUpTime, 0}}) {
        Pick(list, position);
      }
      for (const auto& [field, text] : {std::pair{w.E_DelayTime, "200"}, {w.E_LocalAddr, "1"}, {w.E_TargetAddr, "254"}}) {
        field->setText(text);
      }
      w.E_DelayTimeExit();
      w.E_LocalAddrExit();
      w.E_TargetAddrExit();
      w.CB_FECEnable->setChecked(false);
      w.RB_PackLength[0]->setChecked(true);
      w.CB_PackComplete->setChecked(false);
      QVERIFY(*w.Module == written);
      QVERIFY(Write(page));
      QVERIFY(w.ModuleSeen);
    }
    Page fresh(module.path());
    QVERIFY(Read(fresh));
    QVERIFY(*fresh.w().Module == written);
    QCOMPARE(fresh.w().E_RFFreq->text(), QString("470"));
    QCOMPARE(fresh.w().CB_RFCOMBaudRate->currentText(), QString("115200bps"));
  }

  void serialRateFecAndModelCodes() {
    struct Case {
      ConfigBlock block;
      std::vector<std::string> identity;
      std::function<bool(TVornicSPComm&)> shown;
    };
    const Case cases[] = {
        {ExampleBlockWith(5, 7), {}, [](TVornicSPComm& w) { return w.CB_RFCOMBaudRate->currentText() == "300bps"; }},
        {ExampleBlockWith(5, 8), {}, [](TVornicSPComm& w) { return w.CB_RFCOMBaudRate->currentText() == "600bps"; }},
        {ExampleBlockWith(9, 0xFE), {}, [](TVornicSPComm& w) { return !w.CB_FECEnable->isChecked() && w.Module->FecEnable == 0; }},
        {ExampleBlockWith(9, 0x03), {}, [](TVornicSPComm& w) { return w.CB_FECEnable->isChecked() && w.Module->FecEnable == 1; }},
        {ExampleBlockWith(12, 3), {}, [](TVornicSPComm& w) { return w.RB_PackLength[2]->isChecked() && w.Module->PackLength == 3; }},
        {kExampleBlock, {"--model", "5"}, [](TVornicSPComm& w) { return w.L_Model->text() == "Unknown Device"; }},
        {kExampleBlock, {"--model", "0x11", "--version", "1.2.3"},
         [](TVornicSPComm& w) { return w.L_Model->text() == "ZEL-A3" && w.L_Version->text() == "1.2.3"; }},
    };
    for (const Case& c : cases) {
      std::vector<std::string> options = {"--block", BlockText(c.block).toStdString()};
      options.insert(options.end(), c.identity.begin(), c.identity.end());
      SimulatorProcess module(options);
      Page page(module.path());
      page.w().CB_FECEnable->setChecked(c.block[9] != 0xFE);  // so that the read has to change it
      const QString which = BlockText(c.block) + " " + QString::number(c.identity.size());
      QVERIFY2(Read(page), qPrintable(which));
      QVERIFY2(c.shown(page.w()), qPrintable(which));
    }
  }

  void silentOrGarbledModuleChangesNothing() {
    for (const char* fault : {"--silent", "--garbage"}) {
      SimulatorProcess module({fault});
      Page page(module.path());
      page.w().L_Model->setText("ZEL-A1");
      const PageState before = State(page.w());
      QVERIFY(Read(page, kFailedStatus));
      QVERIFY(State(page.w()) == before);
      QVERIFY(!page.w().ModuleSeen);
      QVERIFY(Write(page, kFailedStatus));
      QVERIFY(page.messages().empty());
    }
  }

  void secondPressWhileWaitingIsBusyAndFirstEndsNormally() {
    SimulatorProcess module({});
    Page page(module.path());
    CaptionLog log(page.w());
    page.w().B_ReadConfigurationClick();
    page.w().B_ReadConfigurationClick();
    page.w().B_WriteConfigurationClick();
    QCOMPARE(page.messages().size(), size_t{2});
    QCOMPARE(page.messages().back().text, U("该串口不存在或串口被占用！"));
    QVERIFY(log.WaitForStatus(kReadOkStatus));
    QCOMPARE(log.Statuses(), QStringList{U(kReadOkStatus)});
    QCOMPARE(page.w().L_Model->text(), QString("ZEL-B1 FIFO"));
  }

  void repliesInSeveralBursts() {
    SimulatorProcess module({"--split", "3", "--gap", "2"});
    Page page(module.path());
    QVERIFY(Read(page));
    QCOMPARE(page.w().Reply->ReplyLength, uint32_t{26});
    QCOMPARE(page.w().E_LocalAddr->text(), QString("58"));
  }

  void writeRequestOf470MHzIsTheDocumentedBytes() {
    ConfigBlock zeros{};
    ModulePeer peer(Module(zeros));
    Page page(peer.path());
    QVERIFY(Read(page));
    QCOMPARE(page.w().E_RFFreq->text(), QString("0"));
    page.w().E_RFFreq->setText("470");
    page.w().E_RFFreqExit();
    QVERIFY(Write(page));
    const std::vector<uint8_t> sent = peer.Received();
    QCOMPARE(sent.size(), size_t{7 + 9 + 23});
    // 470000 kHz is 0x072BF0 (07 2B 30 would be 469808 kHz).
    const std::vector<uint8_t> expected = {0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55, 0x8C, 0x00, 0x0E, 0x07, 0x2B, 0xF0,
                                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    QCOMPARE(std::vector<uint8_t>(sent.end() - 23, sent.end()), expected);
  }

  void unlistedSerialRateCodeIsKeptAndWrittenBack() {
    ModulePeer peer(Module(ExampleBlockWith(5, 10)));
    Page page(peer.path());
    QVERIFY(Read(page));
    QCOMPARE(page.w().CB_RFCOMBaudRate->currentIndex(), -1);
    QCOMPARE(page.w().Module->SerialBaudRate, uint8_t{10});
    QVERIFY(Write(page));
    QCOMPARE(peer.Received().at(16 + 9 + 5), uint8_t{10});
  }

  void repliesLongerThanTheBufferAreCut() {
    const std::vector<uint8_t> tail(20, 0xEE);
    ModulePeer peer(Module(kExampleBlock, tail));
    Page page(peer.path());
    QVERIFY(Read(page));
    QCOMPARE(page.w().Reply->ReplyLength, uint32_t{32});
    std::vector<uint8_t> first32 = IdentifyReply(ModuleIdentity{});
    for (uint8_t byte : ReadReply(kExampleBlock)) first32.push_back(byte);
    first32.resize(32, 0xEE);
    QVERIFY(std::equal(first32.begin(), first32.end(), page.w().Reply->ReplyBuffer.begin()));
    QCOMPARE(page.w().E_TargetAddr->text(), QString("58"));
  }

  void readWithoutReadReplyFails() {
    ModulePeer peer([](const ModuleRequest& request) {
      return request.command == ModuleCommand::Identify ? IdentifyReply(ModuleIdentity{}) : std::vector<uint8_t>{};
    });
    Page page(peer.path());
    const PageState before = State(page.w());
    QVERIFY(Read(page, kFailedStatus));
    QVERIFY(State(page.w()) == before);
    QVERIFY(page.w().ModuleSeen);  // a module did answer
  }

  void moduleLineIs9600EightDataBitsOneStopBit() {
    ModulePeer peer(Module(ConfigBlock{}));
    const int device = open(peer.path().c_str(), O_RDWR | O_NOCTTY);
    QVERIFY(device >= 0);
    termios line{};
    tcgetattr(device, &line);
    cfsetspeed(&line, B19200);
    line.c_cflag = (line.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
    tcsetattr(device, TCSANOW, &line);
    Page page(peer.path());
    QVERIFY(Write(page));
    tcgetattr(device, &line);
    close(device);
    QCOMPARE(cfgetospeed(&line), speed_t{B9600});
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t{CS8});
    QCOMPARE(line.c_cflag & CSTOPB, tcflag_t{0});
  }

  // A device without line settings is no serial port: nothing is sent to it.
  void deviceThatIsNoTerminalIsRefusedAsMissing() {
    Page page("/dev/null");
    for (int press = 0; press < 2; ++press) {
      page.w().B_ReadConfigurationClick();
      QCOMPARE(page.messages().back().text, U("该串口不存在或串口被占用！"));
      QVERIFY(!page.w().ModulePort->IsOpen());
      QVERIFY(!page.w().PendingExchange);
    }
    QCOMPARE(page.messages().size(), size_t{2});
  }
};

QTEST_MAIN(ModuleExchangeWindowTest)
#include "module_exchange_window_test.moc"
