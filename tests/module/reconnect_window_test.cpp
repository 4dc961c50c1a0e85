// The terminal page picks its port up again by itself, in the window: a virtual port whose
// program is killed and started again, and a device that comes back under another path with
// the same identity; the close button ends a wait.
#include <unistd.h>

#include <QCheckBox>
#include <QFile>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "config_page_window_support.h"
#include "core/terminal/port_reconnection.h"
#include "demo/device_process.h"
#include "devices/virtual_port_events.h"
#include "gui/terminal/port_state_panel.h"
#include "gui/terminal/transmit_panel.h"
#include "gui/widgets/receive_view.h"
#include "serial/port_source.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

const char* const kArrived = " - 发现新设备！";
const char* const kReconnected = " - 串口已重新连接！";

bool OpenLook(TVornicSPComm& w) {
  return w.Terminal->IsOpen() && w.TabSheet1->B_OpenPort->text() == U("关闭串口") &&
         w.TabSheet1->Shape->color() == QColor(255, 0, 0) && w.TabSheet1->PortState->Awaited->text().isEmpty();
}

// Closed, but the button still offers to close: the page waits for its device.
bool WaitingLook(TVornicSPComm& w) {
  return !w.Terminal->IsOpen() && !w.Terminal->Port().IsOpen() && w.TabSheet1->B_OpenPort->text() == U("关闭串口") &&
         w.TabSheet1->Shape->color() == QColor(255, 200, 0) && !w.TabSheet1->PortState->Awaited->text().isEmpty();
}

bool ClosedLook(TVornicSPComm& w) {
  return !w.Terminal->IsOpen() && w.TabSheet1->B_OpenPort->text() == U("打开串口") &&
         w.TabSheet1->Shape->color() == QColor(Qt::white) && w.TabSheet1->PortState->Awaited->text().isEmpty();
}

void OpenAt57600(TVornicSPComm& w, const std::string& port) {
  QVERIFY(!w.Terminal->Switch(port));
  Pick(w.TabSheet1->CB_Baudrate, w.TabSheet1->CB_Baudrate->findText("57600"));
  w.TabSheet1->B_OpenPortClick();
  QVERIFY(OpenLook(w));
}

void Send(TVornicSPComm& w, const char* text) {
  w.TabSheet1->Transmitter->CB_TransmitHex->setChecked(false);
  w.TabSheet1->Transmitter->E_TransmitData->setText(text);
  w.TabSheet1->Transmitter->B_Transmit->click();
}

bool ShowsAtEnd(TVornicSPComm& w, const char* hex) {
  return WindowHarness::WaitUntil([&] { return w.TabSheet1->M_ReceiverData->Content().ends_with(hex); });
}

// The echo device announcing its terminal as a virtual port in `dir`.
std::unique_ptr<DeviceProcess> StartEcho(const std::string& link) {
  return std::make_unique<DeviceProcess>(ECHO_DEVICE_PATH, QStringList{"--link", QString::fromStdString(link)});
}

}  // namespace

class ReconnectWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void virtualPortComesBackWhenItsProgramIsStartedAgain() {
    TempDir dir;
    const std::string link = dir.File("echo");
    auto echo = StartEcho(link);
    QVERIFY(!echo->path().empty());
    WindowHarness h(WindowEnvironment{std::make_shared<DirectoryPortSource>(dir.path()),
                                      VirtualPortEvents::Create(dir.path()), nullptr});
    TVornicSPComm& w = h.w();
    CaptionLog log(w);
    OpenAt57600(w, link);
    Send(w, "one");
    QVERIFY(ShowsAtEnd(w, "6F 6E 65 "));

    echo->Stop();  // the program ends and removes its link
    QVERIFY(WindowHarness::WaitUntil([&] { return WaitingLook(w); }));
    const QString countBefore = w.TabSheet1->StatusPanels[2]->text();

    echo = StartEcho(link);
    QVERIFY(!echo->path().empty());
    QVERIFY(log.WaitForStatus(kReconnected));
    QVERIFY(OpenLook(w));
    QCOMPARE(w.Terminal->Port().GetBaudRate(), 57600);  // read back from the new terminal
    Send(w, "two");
    QVERIFY(ShowsAtEnd(w, "6F 6E 65 74 77 6F "));  // the window goes on where it was
    QVERIFY(w.TabSheet1->StatusPanels[2]->text() != countBefore);

    // Closing while it waits ends the wait: the next program is left alone.
    echo->Stop();
    QVERIFY(WindowHarness::WaitUntil([&] { return WaitingLook(w); }));
    w.TabSheet1->B_OpenPortClick();
    QVERIFY(ClosedLook(w));
    const int arrivals = log.Statuses().count(U(kArrived));
    echo = StartEcho(link);
    QVERIFY(WindowHarness::WaitUntil([&] { return log.Statuses().count(U(kArrived)) > arrivals; }));
    QVERIFY(ClosedLook(w));
    QVERIFY(!w.Terminal->Port().IsOpen());
    QVERIFY(h.messages.empty());
  }

  // The settings keep the device's identity beside its path: an adapter that the kernel
  // named anew while the program was not running is still the saved port at the next start.
  void savedPortIsFoundAgainUnderAnotherPathByItsIdentity() {
    PtyPair renumbered;
    QVERIFY(renumbered.ok());
    auto ports = std::make_shared<FakePortSource>(std::vector<std::string>{renumbered.path()});
    ports->SetDetails(renumbered.path(), {"10c4:ea60#0001", "CP2102 (0001)"});
    WindowHarness h(
        [](const QString& dir) {
          QFile file(dir + "/VornicSPCommTool.ini");
          QVERIFY(file.open(QIODevice::WriteOnly));
          file.write("[VornicSPCommTool_USART]\nSerial Port=/dev/ttyUSB7\nSerial Port Identity=10c4:ea60#0001\n");
        },
        WindowEnvironment{ports, std::make_shared<FakeDeviceEventSource>(), nullptr});
    QVERIFY(OpenLook(h.w()));
    QCOMPARE(h.w().Terminal->PortName(), renumbered.path());
    QVERIFY(h.messages.empty());
    const QString settings = h.settingsPath();
    h.Close();
    QFile file(settings);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.contains("Serial Port=" + QByteArray::fromStdString(renumbered.path())));
    QVERIFY(saved.contains("Serial Port Identity=10c4:ea60#0001"));
  }

  void deviceUnderAnotherPathWithTheSameIdentityIsReopened() {
    WindowHarness h;
    TVornicSPComm& w = h.w();
    auto adapter = std::make_unique<PtyPair>();
    PtyPair renumbered;
    QVERIFY(adapter->ok() && renumbered.ok());
    h.ports->SetPorts({adapter->path()});
    h.ports->SetDetails(adapter->path(), {"10c4:ea60#0001", "CP2102 (0001)"});
    OpenAt57600(w, adapter->path());

    adapter->CloseSlave();
    adapter->CloseMaster();  // pulled: the monitor sees the line go
    QVERIFY(WindowHarness::WaitUntil([&] { return WaitingLook(w); }));

    h.ports->SetPorts({renumbered.path()});
    h.ports->SetDetails(renumbered.path(), {"10c4:ea60#0001", "CP2102 (0001)"});
    h.devices->Push({DeviceEvent::Arrival, renumbered.path()});
    QVERIFY(WindowHarness::WaitUntil([&] { return OpenLook(w); }));
    QCOMPARE(w.Terminal->PortName(), renumbered.path());
    termios line{};
    tcgetattr(renumbered.slave(), &line);
    QCOMPARE(cfgetospeed(&line), speed_t(B57600));
    QVERIFY(renumbered.Send(std::string("back")));
    QVERIFY(ShowsAtEnd(w, "62 61 63 6B "));
    // A pseudo-terminal has no modem lines: shown as unavailable, not as off.
    QVERIFY(w.TabSheet1->PortState->Lines[0]->font().strikeOut());
    w.TabSheet1->SendBreak();
    QVERIFY(h.messages.empty());
  }
};

QTEST_MAIN(ReconnectWindowTest)
#include "reconnect_window_test.moc"
