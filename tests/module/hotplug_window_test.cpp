// Device arrivals and removals through the window's notifier and message map: the captions,
// that the module page forgets its module when its port goes (the rules of when are tested
// on the page alone, config_page_test), and how status texts chain their seconds.
#include <unistd.h>

#include <QLabel>
#include <QtTest>

#include "gui/module/config_page.h"
#include "core/terminal/messages.h"
#include "config_page_window_support.h"
#include "devices/device_events.h"
#include "core/module/module_exchange.h"
#include "devices/virtual_port_events.h"
#include "serial/port_source.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace {

const char* const kArrived = " - 发现新设备！";
const char* const kRemoved = " - 设备被移除！";
const char* const kModuleRemoved = " - ZEL设备被移除！";

void Plug(WindowHarness& h) { h.devices->Push({DeviceEvent::Arrival, "/dev/ttyUSB7"}); }
void Pull(WindowHarness& h) { h.devices->Push({DeviceEvent::RemoveComplete, "/dev/ttyUSB7"}); }

// A module page that has seen a module on its port and shows its model and version.
void ModuleShown(TVornicSPComm& w) {
  w.Exchange->SetModuleSeen(true);
  w.TabSheet2->L_Model->setText("ZEL-A1");
  w.TabSheet2->L_Version->setText("1.2.3");
}

void ModuleShown(WindowHarness& h) {
  SelectModulePort(h, "/dev/ttyUSB7");
  ModuleShown(h.w());
}

bool LabelsKept(TVornicSPComm& w) {
  return w.TabSheet2->L_Model->text() == "ZEL-A1" && w.TabSheet2->L_Version->text() == "1.2.3";
}

// A virtual port as a device simulator announces it: a link in the port directory to its
// pseudo-terminal, and a window that lists and watches that directory.
struct VirtualPortWindow {
  VirtualPortWindow() {
    if (::symlink(pty.path().c_str(), link.c_str()) != 0) return;
    h = std::make_unique<WindowHarness>(
        WindowEnvironment{std::make_shared<DirectoryPortSource>(dir.path()), VirtualPortEvents::Create(dir.path()), nullptr});
  }
  // The simulator dies: its side of the pseudo-terminal closes, the link stays behind. The
  // test keeps the other side open, so the terminal's number is not given out again.
  void ProgramDies() { pty.CloseMaster(); }

  TempDir dir;
  PtyPair pty;
  std::string link = dir.File("sim");
  std::unique_ptr<WindowHarness> h;
};

void DropDown(DropDownComboBox* list) {
  list->showPopup();
  list->hidePopup();
}

}  // namespace

class HotplugWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void onePlugGivesOneCaptionAndOneSecond() {
    WindowHarness h;
    const auto gate = CountdownGate::Install(h.w());
    h.ports->SetPorts({"/dev/ttyUSB0", "/dev/ttyUSB7"});
    CaptionLog log(h.w());
    const int listed = h.ports->listCount();
    Plug(h);
    QVERIFY(log.WaitForStatus(kArrived));
    QCOMPARE(log.Statuses(), QStringList{U(kArrived)});
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 1);
    QCOMPARE(h.ports->listCount(), listed);  // the lists are not rebuilt
    QCOMPARE(h.w().TabSheet2->CB_ZELCOMx->count(), 0);
  }

  void moduleSeenThenItsPortPulled() {
    WindowHarness h;
    const auto gate = CountdownGate::Install(h.w());
    ModuleShown(h);
    CaptionLog log(h.w());
    h.ports->SetPorts({"/dev/ttyUSB0"});
    Pull(h);
    QVERIFY(log.WaitForStatus(kModuleRemoved));
    QVERIFY(!h.w().Exchange->ModuleSeen());
    QVERIFY(h.w().TabSheet2->L_Model->text().isEmpty() && h.w().TabSheet2->L_Version->text().isEmpty());
    QCOMPARE(h.w().TabSheet2->CB_ZELCOMx->currentText(), QString("/dev/ttyUSB7"));  // stays until next drop-down
    Pull(h);  // once reported, a further removal is an ordinary one
    QVERIFY(WindowHarness::WaitUntil([&] { return log.Statuses().size() == 2; }));
    QCOMPARE(log.Statuses().last(), U(kRemoved));
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 2);
  }

  void virtualPortWhoseProgramDiedIsRemoved() {
    {
      VirtualPortWindow v;  // the module page's port
      QVERIFY(v.h);
      TVornicSPComm& w = v.h->w();
      const auto gate = CountdownGate::Install(w);
      DropDown(w.TabSheet2->CB_ZELCOMx);
      Pick(w.TabSheet2->CB_ZELCOMx, 0);
      QCOMPARE(w.TabSheet2->CB_ZELCOMx->currentText(), QString::fromStdString(v.link));
      ModuleShown(w);
      CaptionLog log(w);
      v.ProgramDies();
      QVERIFY(log.WaitForStatus(kModuleRemoved));
      QVERIFY(w.TabSheet2->L_Model->text().isEmpty() && w.TabSheet2->L_Version->text().isEmpty());
      DropDown(w.TabSheet2->CB_ZELCOMx);
      QCOMPARE(w.TabSheet2->CB_ZELCOMx->count(), 1);  // only "添加网络串口…"
    }
    {
      VirtualPortWindow v;  // the terminal page's port, open
      QVERIFY(v.h);
      TVornicSPComm& w = v.h->w();
      const auto gate = CountdownGate::Install(w);
      DropDown(w.TabSheet1->CB_Port);
      Pick(w.TabSheet1->CB_Port, 0);
      w.TabSheet1->B_OpenPortClick();
      QVERIFY(w.Terminal->IsOpen());
      CaptionLog log(w);
      v.ProgramDies();
      QVERIFY(log.WaitForStatus(kRemoved));
      QVERIFY(WindowHarness::WaitUntil([&] { return !w.Terminal->IsOpen(); }));
      DropDown(w.TabSheet1->CB_Port);
      QCOMPARE(w.TabSheet1->CB_Port->count(), 1);  // only "添加网络串口…"
      QVERIFY(v.h->messages.empty());
    }
  }

  void unreadablePortListReportsNothing() {
    WindowHarness h;
    const auto gate = CountdownGate::Install(h.w());
    ModuleShown(h);
    h.ports->SetUnreadable();
    CaptionLog log(h.w());
    Pull(h);
    Plug(h);  // queued behind the removal: once it shows, the removal has been handled
    QVERIFY(log.WaitForStatus(kArrived));
    QCOMPARE(log.Statuses(), QStringList{U(kArrived)});
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 1);
    QVERIFY(h.w().Exchange->ModuleSeen() && LabelsKept(h.w()));
  }

  void otherDeviceChangeEventsAreIgnored() {
    WindowHarness h;
    CaptionLog log(h.w());
    h.w().DispatchMessage(win::WM_DEVICECHANGE, 0x0007, 0);  // a configuration change, not a plug
    QVERIFY(log.Statuses().isEmpty());
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 0);
  }

  void statusTextsChainTheirSeconds() {
    WindowHarness h;
    const auto gate = CountdownGate::Install(h.w());
    CaptionLog log(h.w());
    Plug(h);
    QVERIFY(log.WaitForStatus(kArrived));
    QVERIFY(gate->WaitEntered(1));  // the first second is running
    Pull(h);
    QVERIFY(log.WaitForStatus(kRemoved));
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 2);
    gate->Release();
    QVERIFY(gate->WaitEntered(2));  // one second passed, one more to go
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(h.w().windowTitle(), h.w().BaseCaption() + U(kRemoved));
    gate->Release();
    QVERIFY(WindowHarness::WaitUntil([&] { return h.w().windowTitle() == h.w().BaseCaption(); }));
    QCOMPARE(h.w().Workers.CountdownSeconds.load(), 0);
  }

  void windowWithoutDeviceNoticesRunsQuietly() {
    QTemporaryDir profile;
    setenv("USERPROFILE", profile.path().toLocal8Bit().constData(), 1);
    std::vector<ShownMessage> messages;
    SetMessageObserver([&](const QString& title, const QString& text) { messages.push_back({title, text}); });
    WindowEnvironment environment;
    environment.ports = std::make_shared<FakePortSource>();
    environment.devices = std::make_shared<NoDeviceEvents>();
    {
      TVornicSPComm w(environment);
      w.ReadDeviceEvents();
      QCOMPARE(w.windowTitle(), w.BaseCaption());
    }
    SetMessageObserver({});
    QVERIFY(messages.empty());
  }
};

QTEST_MAIN(HotplugWindowTest)
#include "hotplug_window_test.moc"
