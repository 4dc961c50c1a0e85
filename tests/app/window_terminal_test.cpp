// The terminal page against real pseudo-terminals: opening, line settings and their
// failure paths, the receive display in both renderings, clear, save and close.
#include <signal.h>
#include <sys/resource.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include "core/module/module_exchange.h"
#include "core/settings/ini_storage.h"
#include "gui/module/config_page.h"
#include "gui/widgets/ui_text.h"
#include "gui/widgets/controls.h"
#include "core/receive/receive_store.h"
#include "gui/widgets/receive_view.h"
#include "serial/serial_port.h"
#include "gui/widgets/network_port_dialog.h"
#include "support/pty_pair.h"
#include "support/ser2net_process.h"
#include "support/temp_dir.h"
#include "support/window_feed.h"
#include "support/window_harness.h"
#include "gui/terminal/transmit_panel.h"

namespace {

bool OpenLook(TVornicSPComm& w) {
  return w.Terminal->IsOpen() && w.TabSheet1->B_OpenPort->text() == QString::fromUtf8("关闭串口") &&
         w.TabSheet1->Shape->color() == QColor(255, 0, 0);
}

bool ClosedLook(TVornicSPComm& w) {
  return !w.Terminal->IsOpen() && w.TabSheet1->B_OpenPort->text() == QString::fromUtf8("打开串口") &&
         w.TabSheet1->Shape->color() == QColor(Qt::white);
}

void OpenPty(WindowHarness& h, const PtyPair& pty) {
  QVERIFY(!h.w().Terminal->Switch(pty.path()));
  h.w().TabSheet1->B_OpenPortClick();
}

std::string Shown(TVornicSPComm& w) { return w.TabSheet1->M_ReceiverData->Content(); }

// The line as the device side sees it. A pseudo-terminal always reports 8 data bits without
// parity, so those two are read back through the port instead.
termios DeviceLine(const PtyPair& pty) {
  termios t{};
  tcgetattr(pty.slave(), &t);
  return t;
}

// The next modal dialog of the program gets `fill` done to it as a person would.
void WhenDialogShows(const std::function<void(NetworkPortDialog&)>& fill) {
  QTimer::singleShot(0, [fill] {
    QTRY_VERIFY(qobject_cast<NetworkPortDialog*>(QApplication::activeModalWidget()));
    fill(*qobject_cast<NetworkPortDialog*>(QApplication::activeModalWidget()));
  });
}

// As the user's pick: select the entry and run the list's change reaction.
void Pick(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  list->setCurrentIndex(index);
  emit list->activated(index);
}

// 115200 baud, 7 data bits, even parity, 2 stop bits, hardware flow control.
void PickUncommonLine(TVornicSPComm& w) {
  Pick(w.TabSheet1->CB_Baudrate, "115200");
  Pick(w.TabSheet1->CB_Data, "7");
  Pick(w.TabSheet1->CB_Check, "Even");
  Pick(w.TabSheet1->CB_Stop, "2");
  Pick(w.TabSheet1->CB_FlowControl, "Hardware");
}

bool HasUncommonLine(TVornicSPComm& w, const PtyPair& pty) {
  const termios line = DeviceLine(pty);
  return cfgetospeed(&line) == B115200 && (line.c_cflag & CSTOPB) && (line.c_cflag & CRTSCTS) &&
         w.Terminal->Port().GetDataBits() == 7 && w.Terminal->Port().GetParity() == 2 &&
         w.Terminal->Port().GetFlowControl() == 1;  // the handshake keeps DTR and RTS, boxes or not
}



}  // namespace

class WindowTerminalTest : public QObject {
  Q_OBJECT

 private slots:
  void startsClosedOnConfigurationPageWithoutMessages() {
    WindowHarness h;
    QVERIFY(ClosedLook(h.w()));
    QCOMPARE(h.w().PageControl->currentWidget(), h.w().TabSheet2);
    QVERIFY(h.messages.empty());
    QCOMPARE(h.w().width(), 816);
    // Every panel fits the window's size: a window system keeps a window at least as large as its
    // layout asks, so a wider layout would widen the window.
    QVERIFY2(h.w().minimumSizeHint().width() <= 816 && h.w().minimumSizeHint().height() <= 564,
             qPrintable(QString("minimum size %1x%2 (pages %3, %4, %5)").arg(h.w().minimumSizeHint().width()).arg(h.w().minimumSizeHint().height()).arg(h.w().TabSheet1->minimumSizeHint().width()).arg(h.w().TabSheet2->minimumSizeHint().width()).arg(h.w().PageControl->widget(2)->minimumSizeHint().width())));
    QCOMPARE(h.w().TabSheet1->StatusPanels[1]->text(), QString::fromUtf8("发送：0"));
    QCOMPARE(h.w().TabSheet1->StatusPanels[2]->text(), QString::fromUtf8("接收：0"));
  }

  // A port on another machine, added through the list's last entry, works as a local one:
  // it opens, its line reaches the far device, its bytes arrive; the settings keep it, and
  // the next start lists and opens it again. A bad entry in the dialog is refused first.
  void networkPortAddedFromTheListOpensAndIsKept() {
    PtyPair pty;
    Ser2netProcess server({{pty.path()}});
    QVERIFY(server.WaitListening());
    const QString name = QString::fromStdString(server.link(0).Name());
    QByteArray saved;
    {
      WindowHarness h;
      h.w().TabSheet1->CB_PortDropDown();
      WhenDialogShows([&](NetworkPortDialog& dialog) {
        dialog.E_Host->setText("127.0.0.1");
        dialog.E_NetPort->setText("70000");
        QTest::keyClick(&dialog, Qt::Key_Return);  // refused: the port is out of range
        QVERIFY(dialog.isVisible());
        dialog.E_NetPort->setText(QString::number(server.link(0).port));
        QTest::keyClick(&dialog, Qt::Key_Return);
      });
      Pick(h.w().TabSheet1->CB_Port, QString::fromUtf8("添加网络串口…"));
      QCOMPARE(h.messages.size(), size_t(1));
      QCOMPARE(h.messages[0].text, QString::fromUtf8("端口号应在1到65535之间！"));
      QCOMPARE(h.w().TabSheet1->CB_Port->currentText(), name);
      h.w().TabSheet1->B_OpenPortClick();
      QVERIFY(OpenLook(h.w()));
      Pick(h.w().TabSheet1->CB_Baudrate, "57600");
      QVERIFY(h.messages.size() == 1);
      QTRY_VERIFY([&] {
        const termios line = DeviceLine(pty);
        return cfgetospeed(&line) == B57600;
      }());
      h.w().TabSheet1->CB_HexDisplay->setChecked(false);
      pty.Send(std::string("over the network\xFF"));
      QTRY_COMPARE(Shown(h.w()), std::string("over the network\xFF"));
      // The configuration page lists it too.
      h.w().TabSheet2->CB_ZELCOMxDropDown();
      QVERIFY(h.w().TabSheet2->CB_ZELCOMx->findText(name) >= 0);
      h.Close();
      QFile file(h.settingsPath());
      QVERIFY(file.open(QIODevice::ReadOnly));
      saved = file.readAll();
    }
    QVERIFY(saved.contains("[VornicSPCommTool_Network]"));
    QVERIFY(saved.contains("Port1=" + name.toUtf8()));
    WindowHarness again([&](const QString& profileDir) {
      QFile file(profileDir + "/VornicSPCommTool.ini");
      if (file.open(QIODevice::WriteOnly)) file.write(saved);
    });
    QVERIFY(again.messages.empty());
    QTRY_VERIFY(OpenLook(again.w()));
    QCOMPARE(again.w().Terminal->PortName(), name.toStdString());
    again.w().TabSheet1->CB_PortDropDown();
    QVERIFY(again.w().TabSheet1->CB_Port->findText(name) >= 0);
  }

  void openAndCloseByButton() {
    PtyPair pty;
    WindowHarness h;
    OpenPty(h, pty);
    QVERIFY(h.messages.empty());
    QVERIFY(OpenLook(h.w()));
    QVERIFY(h.w().Terminal->Port().IsOpen());
    h.w().TabSheet1->B_OpenPortClick();
    QVERIFY(ClosedLook(h.w()));
    QVERIFY(!h.w().Terminal->Port().IsOpen());
  }

  void openFailuresShowTheirMessageAndStayClosed() {
    WindowHarness h;
    QVERIFY(!h.w().Terminal->Switch("/dev/nonexistent-port"));
    h.w().TabSheet1->B_OpenPortClick();
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(h.messages[0].title, QString::fromUtf8("警告"));
    QCOMPARE(h.messages[0].text, QString::fromUtf8("该串口不存在或串口被占用！"));
    QVERIFY(ClosedLook(h.w()));

    PtyPair pty;  // held by another port object: busy
    WindowSerialPort other;
    QCOMPARE(other.Open(pty.path().c_str(), 0, 0, false), 0u);
    OpenPty(h, pty);
    QCOMPARE(h.messages.size(), size_t(2));
    QVERIFY(ClosedLook(h.w()));
  }

  void refusedLineSettingTurnsPageClosed() {
    PtyPair pty;
    WindowHarness h;
    OpenPty(h, pty);
    QVERIFY(OpenLook(h.w()));
    h.w().TabSheet1->CB_Stop->setCurrentIndex(1);  // 1.5 stop bits with 8 data bits: no line can do it
    h.w().TabSheet1->CB_StopChange();
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(h.messages[0].text, QString::fromUtf8("串口参数设置有误，请检查并重新设置！"));
    QVERIFY(ClosedLook(h.w()));
    h.w().TabSheet1->CB_Stop->setCurrentIndex(0);
    h.w().TabSheet1->CB_StopChange();
    h.w().TabSheet1->B_OpenPortClick();
    QCOMPARE(h.messages.size(), size_t(1));
    QVERIFY(OpenLook(h.w()));
  }

  // The lists' picks reach the session; it applies them at the open (its own tests).
  void linePicksReachTheSession() {
    PtyPair pty;
    WindowHarness h;
    PickUncommonLine(h.w());
    const LineSettings& line = h.w().Terminal->Line();
    QCOMPARE(line.BaudRate, 115200u);
    QVERIFY(line.DataBits == 7 && line.Parity == 2 && line.StopBits == 2 && line.FlowControl == 1);
    h.w().TabSheet1->CB_DTR->setChecked(true);
    QVERIFY(line.Dtr && !line.Rts);
    QVERIFY(h.messages.empty());
    OpenPty(h, pty);
    QVERIFY(OpenLook(h.w()));
    QVERIFY(HasUncommonLine(h.w(), pty));
  }

  // A port picked while open moves the session; a move the device refuses shows the reason,
  // turns the page closed and stops the timed send.
  void pickedPortWhileOpenMovesTheSession() {
    PtyPair first, second;
    WindowHarness h;
    h.ports->SetPorts({first.path(), second.path()});
    OpenPty(h, first);
    h.w().TabSheet1->CB_Port->showPopup();
    h.w().TabSheet1->CB_Port->hidePopup();
    Pick(h.w().TabSheet1->CB_Port, QString::fromStdString(second.path()));
    QVERIFY(h.messages.empty());
    QVERIFY(OpenLook(h.w()));
    QCOMPARE(h.w().Terminal->PortName(), second.path());

    h.w().TabSheet1->Transmitter->CB_AutoTransmit->setChecked(true);
    QVERIFY(h.w().TabSheet1->Transmitter->Timer->isActive());
    LineSettings refused = h.w().Terminal->Line();
    refused.StopBits = 1;  // 1.5 stop bits with 8 data bits: no device takes that line
    h.w().Terminal->Restore(second.path(), refused);
    Pick(h.w().TabSheet1->CB_Port, QString::fromStdString(first.path()));
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(h.messages[0].text, QString::fromUtf8("串口参数设置有误，请检查并重新设置！"));
    QVERIFY(ClosedLook(h.w()));
    QVERIFY(!h.w().TabSheet1->Transmitter->Timer->isActive());
  }

  // Refused control lines as the page shows them: RTS only dims the lamp, DTR gives the page
  // up and stops the timed send. The device's own loss is not let in: no events run here.
  void refusedControlLinesReachTheScreen() {
    auto pty = std::make_unique<PtyPair>();
    WindowHarness h;
    OpenPty(h, *pty);
    h.w().TabSheet1->Transmitter->CB_AutoTransmit->setChecked(true);
    pty->CloseSlave();
    pty->CloseMaster();
    h.w().TabSheet1->CB_RTS->setChecked(true);
    QCOMPARE(h.messages.size(), size_t(1));
    QVERIFY(h.w().Terminal->IsOpen() && h.w().TabSheet1->B_OpenPort->text() == QString::fromUtf8("关闭串口"));
    QCOMPARE(h.w().TabSheet1->Shape->color(), QColor(Qt::white));
    QVERIFY(h.w().TabSheet1->Transmitter->Timer->isActive());
    h.w().TabSheet1->CB_DTR->setChecked(true);
    QCOMPARE(h.messages.size(), size_t(2));
    QCOMPARE(h.messages[1].text, h.messages[0].text);
    QVERIFY(ClosedLook(h.w()));
    QVERIFY(!h.w().TabSheet1->Transmitter->Timer->isActive());
  }

  void portListSortedAndRestoredByPosition() {
    WindowHarness h;
    h.ports->SetPorts({"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0"});
    h.w().TabSheet1->CB_PortDropDown();
    QCOMPARE(h.w().TabSheet1->CB_Port->count(), 3 + 1);  // and "添加网络串口…" last
    QCOMPARE(h.w().TabSheet1->CB_Port->itemText(0), QString("/dev/ttyACM0"));
    QCOMPARE(h.w().TabSheet1->CB_Port->itemText(2), QString("/dev/ttyUSB10"));
    h.w().TabSheet1->CB_Port->setCurrentIndex(2);
    h.w().TabSheet1->CB_PortChange();
    QCOMPARE(h.w().Terminal->PortName(), std::string("/dev/ttyUSB10"));
    h.ports->SetPorts({"/dev/ttyUSB2"});
    h.w().TabSheet1->CB_PortDropDown();
    QCOMPARE(h.w().TabSheet1->CB_Port->currentIndex(), -1);
    QCOMPARE(h.w().Terminal->PortName(), std::string("/dev/ttyUSB10"));
    h.ports->SetUnreadable();
    h.w().TabSheet1->CB_PortDropDown();
    QCOMPARE(h.w().TabSheet1->CB_Port->count(), 0);
  }

  // While a port is open, a rebuilt list shows that port wherever it now stands, and no
  // entry at all once it is no longer listed, never the port that took its place.
  void rebuiltListShowsTheOpenPort() {
    PtyPair pty;
    WindowHarness h;
    const QString open = QString::fromStdString(pty.path());
    h.ports->SetPorts({pty.path(), "/dev/ttyUSB3"});
    h.w().TabSheet1->CB_PortDropDown();
    Pick(h.w().TabSheet1->CB_Port, open);
    h.w().TabSheet1->B_OpenPortClick();
    QVERIFY(OpenLook(h.w()));
    h.ports->SetPorts({"/dev/modem0", pty.path(), "/dev/ttyUSB3"});  // a port sorted before it came
    h.w().TabSheet1->CB_PortDropDown();
    QCOMPARE(h.w().TabSheet1->CB_Port->currentText(), open);
    h.ports->SetPorts({"/dev/modem0", "/dev/ttyUSB3"});
    h.w().TabSheet1->CB_PortDropDown();
    QCOMPARE(h.w().TabSheet1->CB_Port->currentIndex(), -1);
    QCOMPARE(h.w().Terminal->PortName(), pty.path());
    QVERIFY(OpenLook(h.w()));
  }

  void receivedBytesShowInBothRenderings() {
    PtyPair pty;
    WindowHarness h;
    OpenPty(h, pty);
    pty.Send(std::string("A\0B", 3));
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()) == "41 00 42 "; }));
    QCOMPARE(h.w().TabSheet1->StatusPanels[2]->text(), QString::fromUtf8("接收：3"));
    h.w().TabSheet1->CB_HexDisplay->setChecked(false);
    QCOMPARE(Shown(h.w()), std::string("AB"));
    pty.Send(std::string("c\x08", 2));
    QVERIFY(WindowHarness::WaitUntil([&] { return h.w().TabSheet1->StatusPanels[2]->text() == QString::fromUtf8("接收：5"); }));
    QCOMPARE(Shown(h.w()), std::string("AB"));  // the backspace took the c back
    h.w().TabSheet1->CB_HexDisplay->setChecked(true);
    QCOMPARE(Shown(h.w()), std::string("41 00 42 63 08 "));
  }

  void manyChunksArriveCompleteAndInOrder() {
    PtyPair pty;
    WindowHarness h;
    OpenPty(h, pty);
    h.w().TabSheet1->CB_HexDisplay->setChecked(false);
    std::string sent;
    for (int i = 0; i < 20000; ++i) sent += static_cast<char>('a' + i % 26);
    SendWhileWindowReads(pty, sent);
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()).size() >= sent.size(); }, 10000));
    QCOMPARE(Shown(h.w()), sent);
    QCOMPARE(h.w().TabSheet1->StatusPanels[2]->text(), QString::fromUtf8("接收：20000"));
  }

  void clearResetsWindowCountersAndBuffers() {
    PtyPair pty;
    WindowHarness h;
    OpenPty(h, pty);
    pty.Send(std::string("xyz"));
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()) == "78 79 7A "; }));
    h.w().TabSheet1->B_ClearClick();
    QCOMPARE(Shown(h.w()), std::string());
    QCOMPARE(h.w().TabSheet1->StatusPanels[1]->text(), QString::fromUtf8("发送：0"));
    QCOMPARE(h.w().TabSheet1->StatusPanels[2]->text(), QString::fromUtf8("接收：0"));
    pty.Send(std::string("1"));
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()) == "31 "; }));
    h.w().TabSheet1->CB_HexDisplay->setChecked(false);
    QCOMPARE(Shown(h.w()), std::string("1"));
  }

  void saveWritesTheKeptBufferOfTheRendering() {
    PtyPair pty;
    WindowHarness h;
    QTemporaryDir cwd;
    const QString before = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    OpenPty(h, pty);
    pty.Send(std::string("hi"));
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()) == "68 69 "; }));
    h.w().TabSheet1->B_HelpClick();  // the help text is shown but never saved
    h.w().TabSheet1->B_SaveReceiverDataClick();
    const QStringList files = QDir(cwd.path()).entryList({"SAVE*.txt"});
    QDir::setCurrent(before);
    QCOMPARE(files.size(), 1);
    QFile saved(cwd.path() + "/" + files[0]);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("68 69 "));
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(h.messages[0].text, QString::fromUtf8("窗口内容已保存在此程序相同目录下！"));
  }

  void saveThatCannotWriteSaysSo() {
    WindowHarness h;
    const QString before = QDir::currentPath();
    QTemporaryDir cwd;
    QDir::setCurrent(cwd.path());
    QDir().rmdir(cwd.path());  // the current directory is gone: nothing can be created in it
    h.w().TabSheet1->B_SaveReceiverDataClick();
    QDir::setCurrent(before);
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(h.messages[0].title, QString::fromUtf8("警告"));
    QVERIFY(h.messages[0].text != QString::fromUtf8("窗口内容已保存在此程序相同目录下！"));
  }

  // The file size limit makes the kernel refuse the write part-way, as a full disk does.
  void saveThatRunsOutOfSpaceLeavesNoFileAndSaysSo() {
    PtyPair pty;
    WindowHarness h;
    QTemporaryDir cwd;
    const QString before = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    OpenPty(h, pty);
    const std::string received(1000, 'x');
    pty.Send(received);
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()).size() == received.size() * 3; }));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1024;  // the hex rendering holds 3000 bytes
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    h.w().TabSheet1->B_SaveReceiverDataClick();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    const QStringList left = QDir(cwd.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QDir::setCurrent(before);
    QCOMPARE(left, QStringList());
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(h.messages[0].title, QString::fromUtf8("警告"));
    QVERIFY(h.messages[0].text.startsWith(QString::fromUtf8("窗口内容保存失败：SAVE")));
  }

  void helpReplacesContentAndToggleBringsDataBack() {
    PtyPair pty;
    WindowHarness h;
    OpenPty(h, pty);
    pty.Send(std::string("Z"));
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()) == "5A "; }));
    h.w().TabSheet1->B_HelpClick();
    h.w().TabSheet1->B_HelpClick();
    const std::string help = Shown(h.w());
    QCOMPARE(std::count(help.begin(), help.end(), '\n'), 78L);
    h.w().TabSheet1->CB_HexDisplay->setChecked(false);
    h.w().TabSheet1->CB_HexDisplay->setChecked(true);
    QCOMPARE(Shown(h.w()), std::string("5A "));
  }

  // Without reconnection (reconnect_window_test has it on).
  void vanishedDeviceTurnsPageClosedAndCanReopen() {
    auto pty = std::make_unique<PtyPair>();
    WindowHarness h;
    h.w().TabSheet1->CB_Reconnect->setChecked(false);
    OpenPty(h, *pty);
    QVERIFY(OpenLook(h.w()));
    pty->CloseSlave();
    pty->CloseMaster();
    QVERIFY(WindowHarness::WaitUntil([&] { return ClosedLook(h.w()); }));
    QVERIFY(!h.w().Terminal->Port().IsOpen());
    PtyPair fresh;
    OpenPty(h, fresh);
    QVERIFY(OpenLook(h.w()));
  }

  void closingWhileBytesStreamEndsCleanly() {
    PtyPair pty;
    auto h = std::make_unique<WindowHarness>();
    OpenPty(*h, pty);
    std::atomic<bool> stop{false};
    fcntl(pty.master(), F_SETFL, fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
    std::thread writer([&] {
      const std::string block(4096, 'q');
      while (!stop) {
        if (write(pty.master(), block.data(), block.size()) < 0) usleep(1000);
      }
    });
    QVERIFY(WindowHarness::WaitUntil([&] { return h->w().TabSheet1->StatusPanels[2]->text() != QString::fromUtf8("接收：0"); }));
    h.reset();
    stop = true;
    writer.join();
  }

  // Virtual ports are links the user names. A name that does not come back from a list
  // entry as the same bytes, or cannot stand in the settings file, is left out of both
  // lists; every name the lists show opens.
  void portListsShowOnlyNamesThatOpenAsShown() {
    PtyPair pty;
    TempDir dir;  // removes by bytes: QTemporaryDir cannot remove a name that is no UTF-8
    const std::vector<std::string> names = {dir.File("line\nbreak"), dir.File("byte\xFF"), dir.File("端口")};
    for (const std::string& name : names) QCOMPARE(symlink(pty.path().c_str(), name.c_str()), 0);
    WindowHarness h;
    h.ports->SetPorts(names);
    h.w().TabSheet1->CB_PortDropDown();
    h.w().TabSheet2->CB_ZELCOMxDropDown();
    for (QComboBox* list : {static_cast<QComboBox*>(h.w().TabSheet1->CB_Port), static_cast<QComboBox*>(h.w().TabSheet2->CB_ZELCOMx)}) {
      QCOMPARE(list->count(), 1 + 1);  // and "添加网络串口…"
      QCOMPARE(list->itemText(0), QString::fromStdString(names[2]));
    }
    h.w().TabSheet1->CB_Port->setCurrentIndex(0);
    h.w().TabSheet1->CB_PortChange();
    QCOMPARE(h.w().Terminal->PortName(), names[2]);
    h.w().TabSheet1->B_OpenPortClick();
    QVERIFY(h.messages.empty());
    QVERIFY(OpenLook(h.w()));
  }

  // The lists say which device a path is; the port opens and is saved under its path.
  void listedDevicesAreNamedButOpenAndSaveByTheirPath() {
    PtyPair pty;
    const QString shown = QString::fromStdString(pty.path()) + U(" — CP2102 USB to UART (0001)");
    {
      WindowHarness h;
      h.ports->SetPorts({pty.path()});
      h.ports->SetDetails(pty.path(), {"10c4:ea60#0001", "CP2102 USB to UART (0001)"});
      h.w().TabSheet1->CB_PortDropDown();
      h.w().TabSheet2->CB_ZELCOMxDropDown();
      QCOMPARE(h.w().TabSheet2->CB_ZELCOMx->itemText(0), shown);
      Pick(h.w().TabSheet2->CB_ZELCOMx, shown);
      QCOMPARE(h.w().Exchange->PortName(), pty.path());
      Pick(h.w().TabSheet1->CB_Port, shown);
      QCOMPARE(h.w().Terminal->PortName(), pty.path());
      h.w().TabSheet1->B_OpenPortClick();
      QVERIFY(OpenLook(h.w()));
      h.w().TabSheet1->CB_PortDropDown();  // the open port's entry is found again by its name
      QCOMPARE(h.w().TabSheet1->CB_Port->currentText(), shown);
      h.Close();
      const IniDocument saved = LoadIniFile(h.settingsPath().toStdString()).document;
      QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Serial Port", "", 1000), pty.path());
      QCOMPARE(saved.ReadText("VornicSPCommTool_ZEL", "Serial Port", "", 1000), pty.path());
    }
  }
};

QTEST_MAIN(WindowTerminalTest)
#include "window_terminal_test.moc"
