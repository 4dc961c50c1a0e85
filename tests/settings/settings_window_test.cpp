// The settings file through the window: what a first run shows, that a saved file restores
// the controls and the ports, what the page shows for values its lists do not offer, and that
// the user is told when the file cannot be kept. What the file itself holds is tested without
// a window (settings_file_test).
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "gui/module/config_page.h"
#include "gui/widgets/controls.h"
#include "core/module/module_exchange.h"
#include "core/module/module_settings.h"
#include "serial/serial_port.h"
#include "core/settings/ini_storage.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"
#include "support/file_bytes.h"
#include "support/window_harness.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/transmit_panel.h"
#include "core/transmit/transmit_session.h"

namespace {



// Starts a window whose profile holds `ini` as its settings file.
std::unique_ptr<WindowHarness> StartWith(const QByteArray& ini) {
  return std::make_unique<WindowHarness>(
      [&](const QString& dir) { WriteFile(dir + "/VornicSPCommTool.ini", ini); });
}

IniDocument SavedDocument(WindowHarness& h) {
  return LoadIniFile(h.settingsPath().toStdString()).document;
}

}  // namespace

class SettingsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunShowsDefaultsAndCreatesBothSections() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    QCOMPARE(w.TabSheet1->CB_Baudrate->currentText(), QString("9600"));
    QCOMPARE(w.TabSheet1->CB_Data->currentText(), QString("8"));
    QCOMPARE(w.TabSheet1->CB_Stop->currentText(), QString("1"));
    QCOMPARE(w.TabSheet1->CB_Check->currentText(), QString("None"));
    QCOMPARE(w.TabSheet1->CB_FlowControl->currentText(), QString("None"));
    QVERIFY(!w.TabSheet1->CB_DTR->isChecked() && !w.TabSheet1->CB_RTS->isChecked() && !w.TabSheet1->Transmitter->CB_AutoTransmit->isChecked());
    QCOMPARE(w.TabSheet1->Transmitter->E_AutoTransmitTime->text(), QString("1000"));
    QVERIFY(w.TabSheet1->Transmitter->CB_TransmitHex->isChecked() && w.TabSheet1->CB_HexDisplay->isChecked());
    QCOMPARE(w.TabSheet1->Transmitter->E_TransmitData->text(), QString("12 FF 00 30"));
    QCOMPARE(w.TabSheet1->Presets->Edits[0]->text(), QString("12 00 FF 88"));
    QVERIFY(w.TabSheet1->Presets->CheckBoxes[0]->isChecked());
    QCOMPARE(w.TabSheet1->Presets->Edits[1]->text(), QString("output string"));
    QCOMPARE(w.TabSheet2->E_RFFreq->text(), QString("433.920"));
    QCOMPARE(w.TabSheet2->CB_RFBaudrate->currentText(), QString("1Kbps"));
    QCOMPARE(w.TabSheet2->CB_Power->currentText(), QString("7(MAX)"));
    QCOMPARE(w.TabSheet2->CB_RFCOMBaudRate->currentText(), QString("9600bps"));
    QCOMPARE(w.TabSheet2->CB_Parity->currentText(), QString("Disabled"));
    QCOMPARE(w.TabSheet2->CB_RFWakeUpTime->currentText(), QString("1.0s"));
    QCOMPARE(w.TabSheet2->E_DelayTime->text(), QString("0"));
    QVERIFY(w.TabSheet2->CB_FECEnable->isChecked() && w.TabSheet2->CB_PackComplete->isChecked());
    QCOMPARE(w.TabSheet2->E_LocalAddr->text(), QString("58"));
    QCOMPARE(w.TabSheet2->E_TargetAddr->text(), QString("58"));
    QVERIFY(w.TabSheet2->RB_PackLength[4]->isChecked());
    QCOMPARE(w.Terminal->PortName(), std::string("COM0"));
    QCOMPARE(w.Exchange->PortName(), std::string("COM0"));
    QCOMPARE(w.TabSheet1->CB_Port->count(), 0);
    QCOMPARE(w.TabSheet2->CB_ZELCOMx->count(), 0);
    QVERIFY(!QFile::exists(h.settingsPath()));
    h.Close();
    QCOMPARE(w.LastSettingsSaveError, 0);
    const IniDocument saved = SavedDocument(h);
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Transmit Data Hex", "", 100), std::string("12 FF 00 30"));
    QCOMPARE(saved.ReadText("VornicSPCommTool_ZEL", "RF Freq", "", 100), std::string("433.920"));
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "String32", "x", 100), std::string());
  }

  // Values the lists do not offer leave them as they were, while the page keeps the value.
  void oddSavedValuesAreShownAsTheyCome() {
    auto h = StartWith(
        "[VornicSPCommTool_USART]\r\nBaud Rate=12345\r\nData Bits=9\r\nString1=\r\n"
        "[VornicSPCommTool_ZEL]\r\nZEL Serial Baud Rate=12\r\nLocal Address=300\r\nRF Freq=433.925\r\n");
    TVornicSPComm& w = h->w();
    QCOMPARE(w.Terminal->Line().BaudRate, 12345u);
    QCOMPARE(w.TabSheet1->CB_Baudrate->currentText(), QString("9600"));
    QCOMPARE(int(w.Terminal->Line().DataBits), 9);
    QCOMPARE(w.TabSheet1->CB_Data->currentText(), QString("8"));
    QCOMPARE(w.TabSheet1->Presets->Edits[0]->text(), QString("12 00 FF 88"));  // an empty value leaves the row as it was
    QCOMPARE(int(w.TabSheet2->Module.SerialBaudRate), 12);
    QCOMPARE(w.TabSheet2->CB_RFCOMBaudRate->currentIndex(), -1);
    QCOMPARE(w.TabSheet2->E_LocalAddr->text(), QString("44"));
    QCOMPARE(int(w.TabSheet2->Module.LocalAddress), 44);
    QCOMPARE(w.TabSheet2->E_RFFreq->text(), QString("433.925"));
    QCOMPARE(w.TabSheet2->Module.RfFreq, 433925u);
  }

  void serialRateCodesSelectTheirEntries() {
    for (const auto& [code, text] : {std::pair{7, "300bps"}, std::pair{8, "600bps"}, std::pair{9, "115200bps"}}) {
      auto h = StartWith("[VornicSPCommTool_ZEL]\nZEL Serial Baud Rate=" + QByteArray::number(code) + "\n");
      QCOMPARE(h->w().TabSheet2->CB_RFCOMBaudRate->currentText(), QString(text));
    }
  }

  void savedPortOpensAtStartUnlessItIsCom0() {
    PtyPair pty;
    auto h = StartWith("[VornicSPCommTool_USART]\nFlow Control=2\nSerial Port=" + QByteArray::fromStdString(pty.path()) +
                       "\n");
    QVERIFY(h->w().Terminal->IsOpen());
    termios line{};
    QCOMPARE(tcgetattr(pty.slave(), &line), 0);
    QVERIFY((line.c_iflag & IXON) && (line.c_iflag & IXOFF));  // the saved flow control is in force
    QCOMPARE(h->w().TabSheet1->CB_Port->count(), 1);
    QCOMPARE(h->w().TabSheet1->CB_Port->currentText(), QString::fromStdString(pty.path()));
    h.reset();
    auto com0 = StartWith("[VornicSPCommTool_USART]\nSerial Port=COM0\n");
    QVERIFY(!com0->w().Terminal->IsOpen());
    QCOMPARE(com0->w().TabSheet1->CB_Port->count(), 0);
    QVERIFY(com0->messages.empty());
  }

  // A hand-edited file may name any file as the port: only a terminal is opened, a file is
  // neither shown as received data nor written to by timed sends.
  void savedPortThatIsNoTerminalIsNeverOpened() {
    QTemporaryDir scratch;
    const QString notes = scratch.path() + "/notes.txt";
    WriteFile(notes, "keep me\n");
    const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
    QCOMPARE(utimensat(AT_FDCWD, notes.toLocal8Bit().constData(), longAgo, 0), 0);
    auto h = StartWith("[VornicSPCommTool_USART]\nSerial Port=" + notes.toLocal8Bit() +
                       "\nAuto Transmit Time=10\nAuto Transmit=1\n");
    TVornicSPComm& w = h->w();
    QVERIFY(!w.Terminal->IsOpen());
    QVERIFY(!w.Terminal->Port().IsOpen());
    QVERIFY(h->messages.empty());  // start-up fails silently, as for a missing port
    w.TabSheet1->Transmitter->TimerTimer();
    w.TabSheet1->Transmitter->B_TransmitClick();
    QCOMPARE(h->messages.size(), size_t{1});
    QCOMPARE(h->messages[0].text, QString::fromUtf8("串口还未打开！"));
    w.TabSheet1->B_OpenPortClick();
    QCOMPARE(h->messages.size(), size_t{2});
    QCOMPARE(h->messages[1].text, QString::fromUtf8("该串口不存在或串口被占用！"));
    QVERIFY(!w.Terminal->Port().IsOpen());
    w.TabSheet1->Transmitter->TimerTimer();
    h->Close();
    QCOMPARE(ReadFile(notes), QByteArray("keep me\n"));
    struct stat st{};
    QCOMPARE(stat(notes.toLocal8Bit().constData(), &st), 0);
    QCOMPARE(st.st_mtim.tv_sec, longAgo[1].tv_sec);
  }

  // A saved name the lists cannot show (a byte that is not UTF-8) is still the port used,
  // under its own bytes; the lists show no garbled entry that would name another path.
  void savedPortNameTheListsCannotShowStillOpens() {
    PtyPair pty;
    TempDir scratch;  // removes by bytes: QTemporaryDir cannot remove a name that is no UTF-8
    const QByteArray link = QByteArray::fromStdString(scratch.File("port\xFF"));
    QCOMPARE(symlink(pty.path().c_str(), link.constData()), 0);
    auto h = StartWith("[VornicSPCommTool_USART]\nSerial Port=" + link + "\n[VornicSPCommTool_ZEL]\nSerial Port=" +
                       link + "\n");
    QVERIFY(h->w().Terminal->IsOpen());
    QCOMPARE(h->w().TabSheet1->CB_Port->count(), 0);
    QCOMPARE(h->w().TabSheet2->CB_ZELCOMx->count(), 0);
    QCOMPARE(h->w().Exchange->PortName(), link.toStdString());
    h->Close();
    QCOMPARE(QByteArray::fromStdString(SavedDocument(*h).ReadText("VornicSPCommTool_ZEL", "Serial Port", "", 1023)), link);
  }

  void refusedDataBitsFailStartUpSilently() {
    PtyPair pty;
    auto h = StartWith("[VornicSPCommTool_USART]\nData Bits=9\nSerial Port=" + QByteArray::fromStdString(pty.path()) +
                       "\n");
    QVERIFY(!h->w().Terminal->IsOpen());
    QVERIFY(h->w().Terminal->Port().IsOpen());
    QVERIFY(h->messages.empty());
  }

  void hexModeFieldIsSavedUnderTransmitDataHex() {
    WindowHarness h;
    h.w().TabSheet1->Transmitter->E_TransmitData->setText("AA BB");
    h.w().Transmit->TransmitDataChar = "chars";
    h.Close();
    const IniDocument saved = SavedDocument(h);
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Transmit Data Hex", "", 100), std::string("AA BB"));
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Transmit Data Char", "", 100), std::string("chars"));
  }

  void everythingClosedWithComesBack() {
    QTemporaryDir profile;
    const QString iniPath = profile.path() + "/VornicSPCommTool.ini";
    WriteFile(iniPath, "; kept comment\n[Other]\nkeep=me\n[VornicSPCommTool_USART]\nUnknown Key=stays\n");
    QRandomGenerator random(20261208);
    const auto randomText = [&](int length) {
      QString text;
      const QString alphabet = QString::fromUtf8(" =;\"'abcXYZ019串口调试工具#[]");
      for (int i = 0; i < length; ++i) text += alphabet[random.bounded(alphabet.size())];
      return text;
    };
    std::vector<QString> presets;
    std::vector<bool> hexMarks;
    {
      WindowHarness h([&](const QString& dir) { QFile::copy(iniPath, dir + "/VornicSPCommTool.ini"); });
      TVornicSPComm& w = h.w();
      w.TabSheet1->CB_Baudrate->setCurrentIndex(12);
      w.TabSheet1->CB_BaudrateChange();
      w.TabSheet1->CB_Check->setCurrentIndex(3);
      w.TabSheet1->CB_CheckChange();
      w.TabSheet1->CB_DTR->setChecked(true);
      w.TabSheet1->Transmitter->CB_TransmitHex->setChecked(false);
      w.TabSheet1->Transmitter->E_TransmitData->setText(QString::fromUtf8(" 发送 \"quoted\" = ; "));
      for (int row = 0; row < 32; ++row) {
        presets.push_back(randomText(random.bounded(1, 40)));
        hexMarks.push_back(random.bounded(2) == 1);
        w.TabSheet1->Presets->Edits[row]->setText(presets.back());
        w.TabSheet1->Presets->CheckBoxes[row]->setChecked(hexMarks.back());
      }
      w.TabSheet2->E_RFFreq->setText("390.001");
      w.TabSheet2->E_RFFreqExit();
      w.TabSheet2->CB_Power->setCurrentIndex(2);
      w.TabSheet2->CB_PowerChange();
      w.TabSheet2->E_LocalAddr->setText("7");
      w.TabSheet2->E_LocalAddrExit();
      w.TabSheet2->RB_PackLength[1]->setChecked(true);
      h.Close();
      QFile::remove(iniPath);
      QVERIFY(QFile::copy(h.settingsPath(), iniPath));
    }
    WindowHarness again([&](const QString& dir) { QFile::copy(iniPath, dir + "/VornicSPCommTool.ini"); });
    TVornicSPComm& w = again.w();
    QCOMPARE(w.TabSheet1->CB_Baudrate->currentText(), QString("115200"));
    QCOMPARE(w.TabSheet1->CB_Check->currentText(), QString("Mark"));
    QVERIFY(w.TabSheet1->CB_DTR->isChecked());
    QVERIFY(!w.TabSheet1->Transmitter->CB_TransmitHex->isChecked());
    QCOMPARE(w.TabSheet1->Transmitter->E_TransmitData->text(), QString::fromUtf8(" 发送 \"quoted\" = ; "));
    for (int row = 0; row < 32; ++row) {
      QCOMPARE(w.TabSheet1->Presets->Edits[row]->text(), presets[row]);
      QCOMPARE(w.TabSheet1->Presets->CheckBoxes[row]->isChecked(), bool(hexMarks[row]));
    }
    QCOMPARE(w.TabSheet2->Module.RfFreq, 390001u);
    QCOMPARE(int(w.TabSheet2->Module.RfPower), 2);
    QCOMPARE(int(w.TabSheet2->Module.LocalAddress), 7);
    QCOMPARE(int(w.TabSheet2->Module.PackLength), 2);
    again.Close();
    const IniDocument saved = SavedDocument(again);
    QCOMPARE(saved.ReadText("Other", "keep", "", 10), std::string("me"));
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Unknown Key", "", 10), std::string("stays"));
    QVERIFY(ReadFile(again.settingsPath()).startsWith("; kept comment\n[Other]\nkeep=me\n"));
  }

  // A file beyond the size limit or a directory in the file's place: the close tells the
  // user once which file was not saved.
  void filesThatCannotBeUsedAreReportedAtClose() {
    auto huge = std::make_unique<WindowHarness>([&](const QString& dir) {
      QFile file(dir + "/VornicSPCommTool.ini");
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("[VornicSPCommTool_USART]\nBaud Rate=115200\n");
      file.resize(qint64(kIniMaxFileBytes) + 1);  // sparse: no disk space taken
    });
    QCOMPARE(huge->w().Terminal->Line().BaudRate, 9600u);
    huge->Close();
    QCOMPARE(huge->w().LastSettingsSaveError, EFBIG);
    QCOMPARE(QFileInfo(huge->settingsPath()).size(), qint64(kIniMaxFileBytes) + 1);
    QCOMPARE(huge->messages.size(), size_t(1));
    QCOMPARE(huge->messages[0].title, QString::fromUtf8("警告"));
    QVERIFY(huge->messages[0].text.contains(huge->settingsPath()));
    QVERIFY(huge->messages[0].text.contains(QString::fromUtf8("文件过大")));

    WindowHarness directory([](const QString& dir) { QDir(dir).mkdir("VornicSPCommTool.ini"); });
    directory.Close();
    QCOMPARE(directory.w().LastSettingsSaveError, EISDIR);
    QCOMPARE(directory.messages.size(), size_t(1));
    QVERIFY(directory.messages[0].text.contains(directory.settingsPath()));
  }

  // Bytes that are no GBK show as replacement characters; a transmit text nobody touched
  // must still go back into the file as it was.
  void transmitTextNobodyEditedKeepsItsBytes() {
    auto h = StartWith("[VornicSPCommTool_USART]\nTransmit Data Hex=12 \x81\x20\xFF\n");
    QVERIFY(h->w().TabSheet1->Transmitter->E_TransmitData->text().contains(QChar(0xFFFD)));
    h->Close();
    QVERIFY(ReadFile(h->settingsPath()).contains("\nTransmit Data Hex=12 \x81\x20\xFF\n"));
  }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
