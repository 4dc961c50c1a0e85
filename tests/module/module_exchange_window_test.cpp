// The page's side of the module exchanges: a button reaches the exchange with the page's
// port and settings, and the verdict reaches the labels, controls, record and caption.
// Against the module simulator and a module played by the test on its own pseudo-terminal
// (to see the bytes sent). The exchange itself is tested without a window.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>

#include "config_page_window_support.h"
#include "module/module_peer.h"
#include "core/module/module_exchange.h"
#include "core/module/module_protocol.h"
#include "core/module/module_responder.h"
#include "core/module/request_parser.h"
#include "module/simulator_process.h"

namespace {

// A module that answers as the protocol says, holding `block`.
ModulePeer::Answer Module(const ConfigBlock& block) {
  return [block](const ModuleRequest& request) {
    if (request.command == ModuleCommand::Identify) return IdentifyReply(ModuleIdentity{});
    return request.command == ModuleCommand::Write ? WriteReply() : ReadReply(block);
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

// Clicks a button and waits until the exchange it started has been judged; true when the
// caption then shows `status`.
bool Exchange(Page& page, QPushButton* button, const char* status) {
  TVornicSPComm& w = page.w();
  button->click();
  return WindowHarness::WaitUntil([&] { return !w.Exchange->Waiting(); }) &&
         w.windowTitle() == w.BaseCaption() + U(status);
}

bool Read(Page& page, const char* status = kReadOkStatus) {
  return Exchange(page, page.w().B_ReadConfiguration, status);
}

bool Write(Page& page, const char* status = kWriteOkStatus) {
  return Exchange(page, page.w().B_WriteConfiguration, status);
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
    QVERIFY(w.Exchange->ModuleSeen());
    QVERIFY(Read(page));  // the port was given back: the next exchange opens it again
    QVERIFY(page.messages().empty());
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

  void failedExchangeShowsItsCaptionAndChangesNothing() {
    SimulatorProcess module({"--garbage"});
    Page page(module.path());
    page.w().L_Model->setText("ZEL-A1");
    const PageState before = State(page.w());
    QVERIFY(Read(page, kFailedStatus));
    QVERIFY(State(page.w()) == before);
    QVERIFY(Write(page, kFailedStatus));
    QVERIFY(page.messages().empty());
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

  // A port that cannot be had is a warning; the caption stays.
  void missingPortIsWarnedAbout() {
    Page page("/dev/no-such-port");
    for (QPushButton* button : {page.w().B_ReadConfiguration, page.w().B_WriteConfiguration}) {
      button->click();
      QCOMPARE(page.messages().back().title, U("警告"));
      QCOMPARE(page.messages().back().text, U("该串口不存在或串口被占用！"));
      QVERIFY(!page.w().Exchange->Waiting());
    }
    QCOMPARE(page.messages().size(), size_t{2});
    QCOMPARE(page.w().windowTitle(), page.w().BaseCaption());
  }
};

QTEST_MAIN(ModuleExchangeWindowTest)
#include "module_exchange_window_test.moc"
