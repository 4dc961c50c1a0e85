// The configuration page's controls and input rules in the offscreen window: lists, key
// filters, focus-leave checks, how each control keeps ModuleSettings current, the port list
// and the "关于我们" group.
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/text/maker.h"
#include "config_page_window_support.h"
#include "core/module/module_exchange.h"
#include "core/module/module_settings.h"

namespace {

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

// Shows the window and gives it the focus, so that focus changes reach the fields.
void Activate(TVornicSPComm& w) {
  w.show();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
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

}  // namespace

class ConfigPageWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsListsAndGrouping() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    QCOMPARE(Entries(w.CB_RFCOMBaudRate), (QStringList{"300bps", "600bps", "1200bps", "2400bps", "4800bps",
                                                       "9600bps", "19200bps", "38400bps", "57600bps", "115200bps"}));
    QCOMPARE(Entries(w.CB_RFWakeUpTime).first(), QString(" 50ms"));
    QCOMPARE(w.E_RFFreq->maxLength(), 7);
    for (QLineEdit* field : {w.E_DelayTime, w.E_LocalAddr, w.E_TargetAddr}) QCOMPARE(field->maxLength(), 3);
    QStringList captions;
    for (QRadioButton* button : w.RB_PackLength) captions << button->text();
    QCOMPARE(captions, (QStringList{"2", "4", "8", "16", "32", "64"}));
    QCOMPARE(w.GroupBox1->title(), U("无线模块参数设置"));
    for (QWidget* control : std::initializer_list<QWidget*>{w.E_RFFreq, w.CB_Power, w.CB_FECEnable, w.RB_PackLength[0],
                                                            w.CB_PackComplete}) {
      QVERIFY(w.GroupBox1->isAncestorOf(control));
    }
    QVERIFY(!w.GroupBox1->isAncestorOf(w.CB_ZELCOMx) && !w.GroupBox1->isAncestorOf(w.B_ReadConfiguration));
    QVERIFY(w.M_About->isReadOnly());
    QCOMPARE(w.M_About->font().pixelSize(), 21);
  }

  void aboutTextOpensMakerAddressOnAnyButton() {
    WindowHarness h;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QTest::mousePress(h.w().M_About->viewport(), Qt::RightButton);
    QTest::mousePress(h.w().M_About->viewport(), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(kMakerUrl), QUrl(kMakerUrl)}));
  }

  void frequencyKeysAndRange() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    Activate(w);
    TypeAndLeave(w.E_RFFreq, "4a3-3.9.2", w.E_DelayTime);  // letters, '-' and a second '.' swallowed
    QCOMPARE(w.E_RFFreq->text(), QString("433.92"));
    QCOMPARE(w.Module->RfFreq, 433920u);
    TypeAndLeave(w.E_RFFreq, "433.92512", w.E_DelayTime);  // at most 7 characters
    QCOMPARE(w.Module->RfFreq, 433925u);
    for (const char* refused : {"389.99", "470.001", ""}) {
      TypeAndLeave(w.E_RFFreq, refused, w.E_DelayTime);
      QCOMPARE(h.messages.back().text, U("输入范围为：390-470"));
      QCOMPARE(h.messages.back().title, U("提示"));
      QTRY_COMPARE(QApplication::focusWidget(), w.E_RFFreq);
      QCOMPARE(w.E_RFFreq->text(), QString(refused));
      QCOMPARE(w.Module->RfFreq, 433925u);
    }
    TypeAndLeave(w.E_RFFreq, ".", w.E_DelayTime);
    QVERIFY(!h.messages.back().text.contains("390"));  // a conversion message of its own
    QCOMPARE(w.Module->RfFreq, 433925u);
    const size_t shown = h.messages.size();
    TypeAndLeave(w.E_RFFreq, "390", w.E_DelayTime);
    QCOMPARE(w.Module->RfFreq, 390000u);
    TypeAndLeave(w.E_RFFreq, "470", w.E_DelayTime);
    QCOMPARE(w.Module->RfFreq, 470000u);
    QCOMPARE(h.messages.size(), shown);
  }

  void byteFieldsKeysAndRange() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    Activate(w);
    const std::pair<QLineEdit*, uint8_t ModuleSettings::*> fields[] = {{w.E_DelayTime, &ModuleSettings::DelayTime},
                                                                       {w.E_LocalAddr, &ModuleSettings::LocalAddress},
                                                                       {w.E_TargetAddr, &ModuleSettings::TargetAddress}};
    for (const auto& [field, value] : fields) {
      TypeAndLeave(field, "2-5.a5", w.E_RFFreq);
      QCOMPARE(field->text(), QString("255"));
      QCOMPARE((*w.Module).*value, uint8_t{255});
      TypeAndLeave(field, "256", w.E_RFFreq);
      QCOMPARE(h.messages.back().text, U("输入范围为：0-255"));
      QTRY_COMPARE(QApplication::focusWidget(), field);
      QCOMPARE((*w.Module).*value, uint8_t{255});
      const size_t shown = h.messages.size();
      TypeAndLeave(field, "", w.E_RFFreq);
      QCOMPARE(field->text(), QString("0"));
      QCOMPARE((*w.Module).*value, uint8_t{0});
      QCOMPARE(h.messages.size(), shown);
    }
  }

  void tabAndShiftTabLeaveTheNumberFields() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    Activate(w);
    for (QLineEdit* field : {w.E_RFFreq, w.E_DelayTime, w.E_LocalAddr, w.E_TargetAddr}) {
      const QString text = field->text();
      for (const auto& [key, modifiers] : {std::pair{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Backtab, Qt::ShiftModifier}}) {
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClick(field, key, modifiers);
        QVERIFY2(!field->hasFocus(), qPrintable(field->objectName()));
        QCOMPARE(field->text(), text);
      }
    }
    QVERIFY(h.messages.empty());
  }

  void twoRefusedFieldsDoNotBounceTheFocus() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    Activate(w);
    w.E_LocalAddr->setText("300");  // refused too, were it checked on the way back
    TypeAndLeave(w.E_DelayTime, "256", w.E_LocalAddr);
    QTRY_COMPARE(QApplication::focusWidget(), w.E_DelayTime);
    QCoreApplication::processEvents();
    QCOMPARE(h.messages.size(), size_t{1});
    QCOMPARE(QApplication::focusWidget(), w.E_DelayTime);
  }

  void listsStoreCodesOnUserPicksOnly() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    for (const auto& [position, code] : {std::pair{1, 8}, {9, 9}, {2, 0}, {0, 7}}) {
      Pick(w.CB_RFCOMBaudRate, position);
      QCOMPARE(w.Module->SerialBaudRate, uint8_t(code));
    }
    Pick(w.CB_RFBaudrate, 6);
    Pick(w.CB_Power, 2);
    Pick(w.CB_Parity, 1);
    Pick(w.CB_RFWakeUpTime, 11);
    const ModuleSettings picked = *w.Module;
    QCOMPARE(picked.RfBaudRate, uint8_t{6});
    QCOMPARE(picked.RfPower, uint8_t{2});
    QCOMPARE(picked.SerialParity, uint8_t{1});
    QCOMPARE(picked.WakeUpTime, uint8_t{11});
    for (QComboBox* list : {w.CB_RFBaudrate, w.CB_Power, w.CB_RFCOMBaudRate, w.CB_Parity, w.CB_RFWakeUpTime}) {
      list->setCurrentIndex(3);  // selected by code: no change reaction
    }
    QVERIFY(*w.Module == picked);
  }

  void checkBoxesAndRadioButtonsStoreAlsoWhenSetByCode() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    w.CB_FECEnable->setChecked(true);
    w.CB_FECEnable->click();
    QCOMPARE(w.Module->FecEnable, uint8_t{0});
    w.CB_PackComplete->setChecked(false);
    QCOMPARE(w.Module->PackComplete, uint8_t{0});
    w.CB_PackComplete->setChecked(true);
    QCOMPARE(w.Module->PackComplete, uint8_t{1});
    w.RB_PackLength[2]->click();
    QCOMPARE(w.Module->PackLength, uint8_t{3});
    w.RB_PackLength[5]->setChecked(true);
    QCOMPARE(w.Module->PackLength, uint8_t{6});
    QVERIFY(!w.RB_PackLength[2]->isChecked());  // one group
    w.Module->PackLength = 0;  // as a read of a code no button stands for leaves it
    w.RB_PackLength[5]->click();
    QCOMPARE(w.Module->PackLength, uint8_t{6});
  }

  void portListSortedAndPositionKept() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    h.ports->SetPorts({"COM10", "COM2", "COM1"});
    w.CB_ZELCOMx->showPopup();
    w.CB_ZELCOMx->hidePopup();
    QCOMPARE(Entries(w.CB_ZELCOMx), (QStringList{"COM1", "COM2", "COM10"}));
    Pick(w.CB_ZELCOMx, 2);
    QCOMPARE(w.Exchange->PortName(), std::string("COM10"));
    h.ports->SetPorts({"COM10", "COM2", "COM1", "COM3"});
    w.CB_ZELCOMxDropDown();
    QCOMPARE(w.CB_ZELCOMx->currentText(), QString("COM3"));  // the position, not the name
    w.B_ReadConfigurationClick();  // the port shown is the port used
    QCOMPARE(w.Exchange->PortName(), std::string("COM3"));
    QCOMPARE(h.messages.back().text, U("该串口不存在或串口被占用！"));
    QCOMPARE(h.messages.back().title, U("警告"));
    h.ports->SetUnreadable();
    w.CB_ZELCOMxDropDown();
    QCOMPARE(w.CB_ZELCOMx->count(), 0);
  }

  void deviceNamesOfComPorts() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    for (const auto& [entry, device] : {std::pair{"COM12", "\\\\.\\COM12"}, {"COM9", "COM9"},
                                        {"\\\\.\\COM12", "\\\\.\\COM12"}}) {
      w.CB_ZELCOMx->clear();
      w.CB_ZELCOMx->addItem(entry);  // as the settings put a stored name
      w.CB_ZELCOMx->setCurrentIndex(0);
      w.B_WriteConfigurationClick();
      QCOMPARE(w.Exchange->PortName(), std::string(device));
    }
  }

  void longDevicePathKeptWhole() {
    WindowHarness h;
    const std::string path = "/dev/serial/by-id/usb-Kestrova_ZEL_USB_Adapter_0042-if00-port0";
    SelectModulePort(h, path);
    QCOMPARE(h.w().Exchange->PortName(), path);
  }
};

QTEST_MAIN(ConfigPageWindowTest)
#include "config_page_window_test.moc"
