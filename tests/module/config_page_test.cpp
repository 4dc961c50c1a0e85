// The configuration page alone, without a window: its controls and input rules (lists, key
// filters, focus-leave checks, how each control keeps Module current), the port list, the
// "关于我们" group, how an exchange's verdict reaches the controls and the caption, what a
// device removal makes the page forget, and its saved settings.
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>

#include "config_page_harness.h"
#include "core/module/module_responder.h"
#include "core/text/maker.h"
#include "gui/widgets/ui_text.h"
#include "support/pty_pair.h"
#include "support/tab_keys.h"

namespace {

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

// Shows the page and gives it the focus, so that focus changes reach the fields.
void Activate(ConfigPage& page) {
  page.show();
  page.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&page));
}

// Types `text` into `field` and moves the focus on to `next`, as the user leaves the field;
// then lets a refused field take the focus back, as it has before the user acts again.
void TypeAndLeave(QLineEdit* field, const QString& text, QWidget* next) {
  field->setFocus();
  field->clear();
  QTest::keyClicks(field, text);
  next->setFocus();
  QCoreApplication::processEvents();
}

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

const char* const kReadOk = " - 读取配置成功！";
const char* const kWriteOk = " - 写入配置成功！";
const char* const kFailed = " - 读取（写入）配置失败！";

// The block of the documented 26-byte read reply (433.92 MHz, 5Kbps, ...).
constexpr ConfigBlock kExampleBlock = {0x06, 0x9F, 0x00, 0x02, 0x07, 0x03, 0x00, 0x05, 0x05, 0x01, 0x3A, 0x3A, 0x05, 0x01};

ConfigBlock ExampleBlockWith(size_t offset, uint8_t value) {
  ConfigBlock block = kExampleBlock;
  block[offset] = value;
  return block;
}

constexpr size_t kIdentifyAndReadRequestBytes = 7 + 9;
constexpr size_t kWriteRequestBytes = 23;

// A page whose module plays on a pseudo-terminal the test answers for.
struct ModuleOnPty {
  ModuleOnPty() { h.SelectPort(pty.path()); }

  // A read the module answers with `identity` and `block`; true when the page judged it.
  bool Read(const ConfigBlock& block, const ModuleIdentity& identity = {}) {
    return Read(Concat(IdentifyReply(identity), ReadReply(block)));
  }
  bool Read(const std::vector<uint8_t>& answer) {
    h.page.B_ReadConfigurationClick();
    // The identify and read requests go out before the module answers either.
    return h.exchange.Waiting() && pty.Receive(kIdentifyAndReadRequestBytes).size() == kIdentifyAndReadRequestBytes &&
           pty.Send(answer) && h.Judge(answer.size());
  }
  // A write the module answers; what the page sent for it.
  std::vector<uint8_t> Write() {
    h.page.B_WriteConfigurationClick();
    const std::vector<uint8_t> sent = pty.Receive(kWriteRequestBytes);
    if (!h.exchange.Waiting() || !pty.Send(WriteReply()) || !h.Judge(1)) return {};
    return sent;
  }
  static std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  PtyPair pty;
  ConfigPageHarness h;
};

// What a failed exchange must leave alone.
QStringList Shown(const ConfigPage& page) {
  return {page.L_Model->text(), page.L_Version->text(), page.E_RFFreq->text(), page.E_DelayTime->text(),
          page.CB_RFCOMBaudRate->currentText(), QString::number(page.CB_FECEnable->isChecked())};
}

}  // namespace

class ConfigPageTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsListsAndGrouping() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    QCOMPARE(p.objectName(), QString("TabSheet2"));
    QCOMPARE(Entries(p.CB_RFCOMBaudRate), (QStringList{"300bps", "600bps", "1200bps", "2400bps", "4800bps",
                                                       "9600bps", "19200bps", "38400bps", "57600bps", "115200bps"}));
    QCOMPARE(Entries(p.CB_RFWakeUpTime).first(), QString(" 50ms"));
    QCOMPARE(p.E_RFFreq->maxLength(), 7);
    for (QLineEdit* field : {p.E_DelayTime, p.E_LocalAddr, p.E_TargetAddr}) QCOMPARE(field->maxLength(), 3);
    QStringList captions;
    for (QRadioButton* button : p.RB_PackLength) captions << button->text();
    QCOMPARE(captions, (QStringList{"2", "4", "8", "16", "32", "64"}));
    QCOMPARE(p.GroupBox1->title(), U("无线模块参数设置"));
    for (QWidget* control : std::initializer_list<QWidget*>{p.E_RFFreq, p.CB_Power, p.CB_FECEnable, p.RB_PackLength[0],
                                                            p.CB_PackComplete}) {
      QVERIFY(p.GroupBox1->isAncestorOf(control));
    }
    QVERIFY(!p.GroupBox1->isAncestorOf(p.CB_ZELCOMx) && !p.GroupBox1->isAncestorOf(p.B_ReadConfiguration));
    QVERIFY(p.M_About->isReadOnly());
    QCOMPARE(p.M_About->font().pixelSize(), 21);
  }

  void aboutTextOpensMakerAddressOnAnyButton() {
    ConfigPageHarness h;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QTest::mousePress(h.page.M_About->viewport(), Qt::RightButton);
    QTest::mousePress(h.page.M_About->viewport(), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(kMakerUrl), QUrl(kMakerUrl)}));
  }

  void frequencyKeysAndRange() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    auto& messages = h.log.messages;
    Activate(p);
    TypeAndLeave(p.E_RFFreq, "4a3-3.9.2", p.E_DelayTime);  // letters, '-' and a second '.' swallowed
    QCOMPARE(p.E_RFFreq->text(), QString("433.92"));
    QCOMPARE(p.Module.RfFreq, 433920u);
    TypeAndLeave(p.E_RFFreq, "433.92512", p.E_DelayTime);  // at most 7 characters
    QCOMPARE(p.Module.RfFreq, 433925u);
    for (const char* refused : {"389.99", "470.001", ""}) {
      TypeAndLeave(p.E_RFFreq, refused, p.E_DelayTime);
      QCOMPARE(messages.back().text, U("输入范围为：390-470"));
      QCOMPARE(messages.back().title, U("提示"));
      QTRY_COMPARE(QApplication::focusWidget(), p.E_RFFreq);
      QCOMPARE(p.E_RFFreq->text(), QString(refused));
      QCOMPARE(p.Module.RfFreq, 433925u);
    }
    TypeAndLeave(p.E_RFFreq, ".", p.E_DelayTime);
    QVERIFY(!messages.back().text.contains("390"));  // a conversion message of its own
    QCOMPARE(p.Module.RfFreq, 433925u);
    const size_t shown = messages.size();
    TypeAndLeave(p.E_RFFreq, "390", p.E_DelayTime);
    QCOMPARE(p.Module.RfFreq, 390000u);
    TypeAndLeave(p.E_RFFreq, "470", p.E_DelayTime);
    QCOMPARE(p.Module.RfFreq, 470000u);
    QCOMPARE(messages.size(), shown);
  }

  void byteFieldsKeysAndRange() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    auto& messages = h.log.messages;
    Activate(p);
    const std::pair<QLineEdit*, uint8_t ModuleSettings::*> fields[] = {{p.E_DelayTime, &ModuleSettings::DelayTime},
                                                                       {p.E_LocalAddr, &ModuleSettings::LocalAddress},
                                                                       {p.E_TargetAddr, &ModuleSettings::TargetAddress}};
    for (const auto& [field, value] : fields) {
      TypeAndLeave(field, "2-5.a5", p.E_RFFreq);
      QCOMPARE(field->text(), QString("255"));
      QCOMPARE(p.Module.*value, uint8_t{255});
      TypeAndLeave(field, "256", p.E_RFFreq);
      QCOMPARE(messages.back().text, U("输入范围为：0-255"));
      QTRY_COMPARE(QApplication::focusWidget(), field);
      QCOMPARE(p.Module.*value, uint8_t{255});
      const size_t shown = messages.size();
      TypeAndLeave(field, "", p.E_RFFreq);
      QCOMPARE(field->text(), QString("0"));
      QCOMPARE(p.Module.*value, uint8_t{0});
      QCOMPARE(messages.size(), shown);
    }
  }

  void tabAndShiftTabLeaveTheNumberFields() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    Activate(p);
    for (QLineEdit* field : {p.E_RFFreq, p.E_DelayTime, p.E_LocalAddr, p.E_TargetAddr}) {
      CheckTabKeysLeaveField(field);
      if (QTest::currentTestFailed()) return;
    }
    QVERIFY(h.log.messages.empty());
  }

  void twoRefusedFieldsDoNotBounceTheFocus() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    Activate(p);
    p.E_LocalAddr->setText("300");  // refused too, were it checked on the way back
    TypeAndLeave(p.E_DelayTime, "256", p.E_LocalAddr);
    QTRY_COMPARE(QApplication::focusWidget(), p.E_DelayTime);
    QCoreApplication::processEvents();
    QCOMPARE(h.log.messages.size(), size_t{1});
    QCOMPARE(QApplication::focusWidget(), p.E_DelayTime);
  }

  void listsStoreCodesOnUserPicksOnly() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    for (const auto& [position, code] : {std::pair{1, 8}, {9, 9}, {2, 0}, {0, 7}}) {
      Pick(p.CB_RFCOMBaudRate, position);
      QCOMPARE(p.Module.SerialBaudRate, uint8_t(code));
    }
    Pick(p.CB_RFBaudrate, 6);
    Pick(p.CB_Power, 2);
    Pick(p.CB_Parity, 1);
    Pick(p.CB_RFWakeUpTime, 11);
    const ModuleSettings picked = p.Module;
    QCOMPARE(picked.RfBaudRate, uint8_t{6});
    QCOMPARE(picked.RfPower, uint8_t{2});
    QCOMPARE(picked.SerialParity, uint8_t{1});
    QCOMPARE(picked.WakeUpTime, uint8_t{11});
    for (QComboBox* list : {p.CB_RFBaudrate, p.CB_Power, p.CB_RFCOMBaudRate, p.CB_Parity, p.CB_RFWakeUpTime}) {
      list->setCurrentIndex(3);  // selected by code: no change reaction
    }
    QVERIFY(p.Module == picked);
  }

  void checkBoxesAndRadioButtonsStoreAlsoWhenSetByCode() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    p.CB_FECEnable->setChecked(true);
    p.CB_FECEnable->click();
    QCOMPARE(p.Module.FecEnable, uint8_t{0});
    p.CB_PackComplete->setChecked(false);
    QCOMPARE(p.Module.PackComplete, uint8_t{0});
    p.CB_PackComplete->setChecked(true);
    QCOMPARE(p.Module.PackComplete, uint8_t{1});
    p.RB_PackLength[2]->click();
    QCOMPARE(p.Module.PackLength, uint8_t{3});
    p.RB_PackLength[5]->setChecked(true);
    QCOMPARE(p.Module.PackLength, uint8_t{6});
    QVERIFY(!p.RB_PackLength[2]->isChecked());  // one group
    p.Module.PackLength = 0;  // as a read of a code no button stands for leaves it
    p.RB_PackLength[5]->click();
    QCOMPARE(p.Module.PackLength, uint8_t{6});
  }

  void portListSortedAndPositionKept() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    h.ports->SetPorts({"COM10", "COM2", "COM1"});
    p.CB_ZELCOMx->showPopup();
    p.CB_ZELCOMx->hidePopup();
    QCOMPARE(Entries(p.CB_ZELCOMx), (QStringList{"COM1", "COM2", "COM10"}));
    Pick(p.CB_ZELCOMx, 2);
    QCOMPARE(h.exchange.PortName(), std::string("COM10"));
    h.ports->SetPorts({"COM10", "COM2", "COM1", "COM3"});
    p.CB_ZELCOMxDropDown();
    QCOMPARE(p.CB_ZELCOMx->currentText(), QString("COM3"));  // the position, not the name
    p.B_ReadConfigurationClick();  // the port shown is the port used
    QCOMPARE(h.exchange.PortName(), std::string("COM3"));
    QCOMPARE(h.log.messages.back().text, U("该串口不存在或串口被占用！"));
    QCOMPARE(h.log.messages.back().title, U("警告"));
    QVERIFY(h.captions.isEmpty());
    h.ports->SetUnreadable();
    p.CB_ZELCOMxDropDown();
    QCOMPARE(p.CB_ZELCOMx->count(), 0);
  }

  void deviceNamesOfComPorts() {
    ConfigPageHarness h;
    ConfigPage& p = h.page;
    for (const auto& [entry, device] : {std::pair{"COM12", "\\\\.\\COM12"}, {"COM9", "COM9"},
                                        {"\\\\.\\COM12", "\\\\.\\COM12"}}) {
      p.CB_ZELCOMx->clear();
      p.CB_ZELCOMx->addItem(entry);  // as the settings put a stored name
      p.CB_ZELCOMx->setCurrentIndex(0);
      p.B_WriteConfigurationClick();
      QCOMPARE(h.exchange.PortName(), std::string(device));
    }
  }

  void longDevicePathKeptWhole() {
    ConfigPageHarness h;
    const std::string path = "/dev/serial/by-id/usb-Kestrova_ZEL_USB_Adapter_0042-if00-port0";
    h.SelectPort(path);
    QCOMPARE(h.exchange.PortName(), path);
  }

  void readVerdictFillsEveryControlAndTheSettings() {
    ModuleOnPty m;
    ConfigPage& p = m.h.page;
    p.CB_RFBaudrate->setCurrentIndex(0);
    p.CB_FECEnable->setChecked(false);
    p.RB_PackLength[0]->setChecked(true);
    p.E_DelayTime->setText("99");
    QVERIFY(m.Read(kExampleBlock));
    QCOMPARE(m.h.captions, QStringList{U(kReadOk)});
    QCOMPARE(p.L_Model->text(), QString("ZEL-B1 FIFO"));
    QCOMPARE(p.L_Version->text(), QString("1.0.5"));
    QCOMPARE(p.E_RFFreq->text(), QString("433.92"));
    const QStringList lists = {p.CB_RFBaudrate->currentText(), p.CB_Power->currentText(),
                               p.CB_RFCOMBaudRate->currentText(), p.CB_Parity->currentText(),
                               p.CB_RFWakeUpTime->currentText()};
    QCOMPARE(lists, (QStringList{"5Kbps", "7(MAX)", "9600bps", "Disabled", "1.0s"}));
    QCOMPARE(p.E_DelayTime->text(), QString("5"));
    QVERIFY(p.CB_FECEnable->isChecked() && p.CB_PackComplete->isChecked());
    QCOMPARE(p.E_LocalAddr->text(), QString("58"));
    QCOMPARE(p.E_TargetAddr->text(), QString("58"));
    QVERIFY(p.RB_PackLength[4]->isChecked());
    QVERIFY(p.Module == (ModuleSettings{433920, 2, 7, 3, 0, 5, 5, 1, 58, 58, 5, 1}));
    QVERIFY(m.h.log.messages.empty());
  }

  void serialRateFecAndModelCodes() {
    struct Case {
      ConfigBlock block;
      ModuleIdentity identity;
      std::function<bool(const ConfigPage&)> shown;
    };
    const Case cases[] = {
        {ExampleBlockWith(5, 7), {}, [](const ConfigPage& p) { return p.CB_RFCOMBaudRate->currentText() == "300bps"; }},
        {ExampleBlockWith(5, 8), {}, [](const ConfigPage& p) { return p.CB_RFCOMBaudRate->currentText() == "600bps"; }},
        {ExampleBlockWith(9, 0xFE), {}, [](const ConfigPage& p) { return !p.CB_FECEnable->isChecked() && p.Module.FecEnable == 0; }},
        {ExampleBlockWith(9, 0x03), {}, [](const ConfigPage& p) { return p.CB_FECEnable->isChecked() && p.Module.FecEnable == 1; }},
        {ExampleBlockWith(12, 3), {}, [](const ConfigPage& p) { return p.RB_PackLength[2]->isChecked() && p.Module.PackLength == 3; }},
        {kExampleBlock, {5, {1, 0, 5}}, [](const ConfigPage& p) { return p.L_Model->text() == "Unknown Device"; }},
        {kExampleBlock, {0x11, {1, 2, 3}},
         [](const ConfigPage& p) { return p.L_Model->text() == "ZEL-A3" && p.L_Version->text() == "1.2.3"; }},
    };
    for (const Case& c : cases) {
      ModuleOnPty m;
      m.h.page.CB_FECEnable->setChecked(c.block[9] != 0xFE);  // so that the read has to change it
      QVERIFY(m.Read(c.block, c.identity));
      QVERIFY(c.shown(m.h.page));
    }
  }

  void failedVerdictShowsItsCaptionAndChangesNothing() {
    ModuleOnPty m;
    ConfigPage& p = m.h.page;
    p.L_Model->setText("ZEL-A1");
    const ModuleSettings record = p.Module;
    const QStringList before = Shown(p);
    std::vector<uint8_t> garbled = ModuleOnPty::Concat(IdentifyReply({}), ReadReply(kExampleBlock));
    garbled[0] = 0x00;
    QVERIFY(m.Read(garbled));
    QVERIFY(m.Read(std::vector<uint8_t>{}));  // a module that never answers
    QCOMPARE(m.h.captions, (QStringList{U(kFailed), U(kFailed)}));
    QCOMPARE(Shown(p), before);
    QVERIFY(p.Module == record);
    p.EvaluateModuleReply();  // no exchange waits: nothing to judge, nothing shown
    QCOMPARE(m.h.captions.size(), 2);
  }

  void writeSendsTheRecordAsItStands() {
    ModuleOnPty m;
    ConfigPage& p = m.h.page;
    QVERIFY(m.Read(ExampleBlockWith(5, 10)));  // a serial-rate code the list has no entry for
    QCOMPARE(p.CB_RFCOMBaudRate->currentIndex(), -1);
    QCOMPARE(p.Module.SerialBaudRate, uint8_t{10});
    p.E_RFFreq->setText("470");
    p.E_RFFreqExit();
    const std::vector<uint8_t> sent = m.Write();
    QCOMPARE(m.h.captions.last(), U(kWriteOk));
    QCOMPARE(sent.size(), kWriteRequestBytes);
    // 470000 kHz is 0x072BF0 (07 2B 30 would be 469808 kHz); the unlisted code goes back as it came.
    QCOMPARE(std::vector<uint8_t>(sent.begin() + 9, sent.begin() + 12), (std::vector<uint8_t>{0x07, 0x2B, 0xF0}));
    QCOMPARE(sent.at(9 + 5), uint8_t{10});
  }

  // A removal forgets the module only when its port has gone after it answered there.
  void removalRules() {
    struct Case {
      bool moduleSeen;
      bool portStays;
      bool selected;
      ModulePortRemoval expected;
    };
    for (const Case c : {Case{true, false, true, ModulePortRemoval::ModuleGone},
                         Case{false, false, true, ModulePortRemoval::OtherDevice},
                         Case{true, true, true, ModulePortRemoval::OtherDevice},
                         Case{true, false, false, ModulePortRemoval::OtherDevice}}) {
      ConfigPageHarness h;
      h.SelectPort("/dev/ttyUSB7");
      h.exchange.SetModuleSeen(c.moduleSeen);
      h.page.L_Model->setText("ZEL-A1");
      h.page.L_Version->setText("1.2.3");
      if (!c.selected) h.page.CB_ZELCOMx->setCurrentIndex(-1);
      h.ports->SetPorts(c.portStays ? std::vector<std::string>{"/dev/ttyUSB7"} : std::vector<std::string>{});
      QCOMPARE(h.page.ModulePortRemoved(), c.expected);
      const bool forgotten = c.expected == ModulePortRemoval::ModuleGone;
      QCOMPARE(h.page.L_Model->text().isEmpty() && h.page.L_Version->text().isEmpty(), forgotten);
      QCOMPARE(h.exchange.ModuleSeen(), c.moduleSeen && !forgotten);
      QCOMPARE(h.page.CB_ZELCOMx->currentText().isEmpty(), !c.selected);  // the list stays as it is
    }
    ConfigPageHarness unreadable;
    unreadable.SelectPort("/dev/ttyUSB7");
    unreadable.exchange.SetModuleSeen(true);
    unreadable.ports->SetUnreadable();
    QCOMPARE(unreadable.page.ModulePortRemoved(), ModulePortRemoval::Unknown);
    QVERIFY(unreadable.exchange.ModuleSeen());
  }

  // Fields keep the user's texts, numbers or not; the check boxes' marks are what is saved.
  void settingsShownAndReadBack() {
    ConfigPageHarness h;
    ModulePageSettings saved;
    saved.PortName = "/dev/ttyUSB3";
    saved.Module.SerialBaudRate = 12;
    saved.Module.LocalAddress = 44;
    saved.Module.FecEnable = 0;
    saved.RfFreqText = "433.9";
    saved.DelayTimeText = "五";
    saved.LocalAddressText = "44";
    saved.TargetAddressText = "";
    h.page.ApplySettings(saved);
    QCOMPARE(h.exchange.PortName(), saved.PortName);
    QCOMPARE(Entries(h.page.CB_ZELCOMx), QStringList{"/dev/ttyUSB3"});
    QCOMPARE(h.page.CB_RFCOMBaudRate->currentIndex(), -1);
    QCOMPARE(h.page.E_DelayTime->text(), U("五"));
    QVERIFY(!h.page.CB_FECEnable->isChecked());
    QVERIFY(h.page.ReadSettings() == saved);
    h.page.CB_PackComplete->setChecked(false);
    QCOMPARE(h.page.ReadSettings().Module.PackComplete, uint8_t{0});
    ConfigPageHarness none;
    saved.PortName = "COM0";
    none.page.ApplySettings(saved);
    QCOMPARE(none.page.CB_ZELCOMx->count(), 0);
    QCOMPARE(none.page.ReadSettings().PortName, std::string("COM0"));
  }
};

QTEST_MAIN(ConfigPageTest)
#include "config_page_test.moc"
