#include "gui/window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QCheckBox>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <new>
#include <thread>

#include "core/text/maker.h"
#include "gui/widgets/message_box.h"
#include "core/terminal/messages.h"
#include "core/plot/chunk_queue.h"
#include "core/terminal/receive_pipeline.h"
#include "core/terminal/sleeping_worker.h"
#include "core/terminal/thread_handoff.h"
#include "devices/device_events.h"
#include "core/module/module_exchange.h"
#include "serial/network_port_book.h"
#include "serial/serial_port.h"
#include "gui/module/config_page.h"
#include "gui/terminal/terminal_page.h"
#include "gui/widgets/ui_text.h"

namespace {

// A window message carried through Qt's thread-safe event queue.
class WindowMessageEvent : public QEvent {
 public:
  WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
      : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam) {}
  static QEvent::Type EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  const uint32_t message;
  const uintptr_t wParam;
  const intptr_t lParam;
};

// The module exchange's time as the page lives it: the identify-to-read pause holds the
// user-interface thread, so that the page cannot react until the read request is out, and
// the reply delay is DelayThread's, ending in WM_MODULE_DELAYED.
class DelayThreadClock final : public ExchangeClock {
 public:
  explicit DelayThreadClock(TVornicSPComm& window) : window_(window) {}
  void Pause(std::chrono::milliseconds length) override { std::this_thread::sleep_for(length); }
  void StartReplyDelay(ExchangeKind kind) override { window_.RequestReplyDelay(kind == ExchangeKind::Read); }

 private:
  TVornicSPComm& window_;
};

}  // namespace

TVornicSPComm::TVornicSPComm(WindowEnvironment environment, QWidget* parent)
    : QWidget(parent), Environment(std::move(environment)) {
  setObjectName("TVornicSPComm");
  // Every list, and the check whether a port is still there, sees the ports the user added
  // on other machines beside the machine's own.
  NetworkPorts = std::make_shared<NetworkPortBook>(std::move(Environment.ports));
  Environment.ports = NetworkPorts;
  CreateSessions();
  BuildWindow();
  FormCreate();
}

TVornicSPComm::~TVornicSPComm() {
  if (!Closed) FormClose();
  // The pages talk to the sessions while they go, and the sessions are members: pages first.
  delete PageControl;
}

void TVornicSPComm::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* event = new WindowMessageEvent(message, wParam, lParam);
  AnnounceHandOff(event);
  QCoreApplication::postEvent(this, event);
}

bool TVornicSPComm::event(QEvent* e) {
  AcceptHandOff(e);  // before the first read: a window message was filled on another thread
  if (e->type() != WindowMessageEvent::EventType()) return QWidget::event(e);
  const auto* m = static_cast<WindowMessageEvent*>(e);
  DispatchMessage(m->message, m->wParam, m->lParam);
  return true;
}

void TVornicSPComm::DispatchMessage(uint32_t message, uintptr_t wParam, intptr_t /*lParam*/) {
  if (Closed) return;
  switch (message) {
    case win::WM_DEVICECHANGE: HandleDeviceChange(wParam); break;
    case win::WM_PORT_EVENT:
      if (wParam & win::EV_RXCHAR) Receive->BytesArrived();
      if ((wParam >> 16) & win::CE_IOE) TabSheet1->TerminalPortLost();
      break;
    case win::WM_MODULE_PORT_EVENT: Exchange->OnPortEvent(wParam); break;
    case win::WM_RECEIVE_SHOW:
      if (Receive->LargeBacklog()) {
        ReceiveShowPacer.RunNow();
      } else {
        ReceiveShowPacer.Request();
      }
      break;
    case win::WM_MODULE_TIMEOUT: RestoreBaseCaption(); break;
    case win::WM_MODULE_DELAYED: TabSheet2->EvaluateModuleReply(); break;
    default: break;
  }
}

bool TVornicSPComm::ShowReceived() {
  if (Closed) return false;
  TabSheet1->ShowPendingReceive();  // first: a chunk that comes after this take posts anew
  TabSheet3->TakeReceived();
  const int64_t count = Receive->ReceivedCount();
  if (count != ShownReceivedCount) {
    ShownReceivedCount = count;
    Receive->ExpectLook();
    return true;
  }
  // Quiet for an interval: chunks post again, and one that came just now is looked at.
  return Receive->ReleaseLook();
}

QString TVornicSPComm::BaseCaption() const {
  return WindowText::tr(kCaptionPrefix) + QString::fromUtf8(kMakerWebAddress);
}

void TVornicSPComm::ShowStatusCaption(const QString& suffix) {
  setWindowTitle(BaseCaption() + suffix);
  Workers.CountdownSeconds.fetch_add(1);
  CountdownThread->Resume();
}

void TVornicSPComm::RequestReplyDelay(bool read) {
  (read ? Workers.ReadDelayRequest : Workers.WriteDelayRequest).store(true);
  DelayThread->Resume();
}

void TVornicSPComm::RestoreBaseCaption() { setWindowTitle(BaseCaption()); }

void TVornicSPComm::BuildWindow() {
  setWindowTitle(BaseCaption());
  resize(816, 564);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  TabSheet1 = new TerminalPage(*Terminal, *Receive, *Transmit, Environment.ports);
  TabSheet2 = new ConfigPage(*Exchange, Environment.ports);
  connect(TabSheet2, &ConfigPage::StatusCaption, this, &TVornicSPComm::ShowStatusCaption);
  connect(TabSheet1, &TerminalPage::StatusCaption, this, &TVornicSPComm::ShowStatusCaption);
  PageControl->addTab(TabSheet1, WindowText::tr("串口调试工具"));
  PageControl->addTab(TabSheet2, WindowText::tr("ZEL配置工具"));
  TabSheet3 = new PlotPage(*PlotFeed);
  PageControl->addTab(TabSheet3, WindowText::tr("波形显示"));
  layout->addWidget(PageControl);
  PageControl->setCurrentWidget(TabSheet2);
}

void TVornicSPComm::StartWorkers() {
  // Created suspended, in this order; each sleeps until its users wake it.
  DelayThread = std::make_unique<SleepingWorker>(
      [this](SleepingWorker& self) { RunDelayLoop(self, Workers, *this); }, Workers.StopWorkers);
  CountdownThread = std::make_unique<SleepingWorker>(
      [this](SleepingWorker& self) { RunCountdownLoop(self, Workers, *this); }, Workers.StopWorkers);
}

void TVornicSPComm::CreateSessions() {
  Terminal = std::make_unique<TerminalSession>(*this, win::WM_PORT_EVENT);
  PlotFeed = std::make_unique<ChunkQueue>();
  Receive = std::make_unique<ReceivePipeline>(Terminal->Port(), *this, ReceiveStore::kDefaultKeptBytes, Environment.clock);
  Receive->SetTap(PlotFeed.get());
  Terminal->SetReader([receive = Receive.get()] { receive->ReadArrived(); });
  Transmit = std::make_unique<TransmitSession>(*Terminal);
  Exchange = std::make_unique<ModuleExchange>(*this, win::WM_MODULE_PORT_EVENT, std::make_unique<DelayThreadClock>(*this));
}

void TVornicSPComm::FormCreate() {
  StartWorkers();
  LoadSettings();
  if (!Receive->Ready()) {
    ShowMessageBox(this, WindowText::tr(kWarningTitle), WindowText::tr("内存分配失败，应用程序将关闭！"));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return;
  }
  if (Environment.devices && Environment.devices->fd() >= 0) {
    DeviceNotifier = new QSocketNotifier(Environment.devices->fd(), QSocketNotifier::Read, this);
    connect(DeviceNotifier, &QSocketNotifier::activated, this, [this] { ReadDeviceEvents(); });
  }
  TabSheet1->OpenQuietly();
}

void TVornicSPComm::closeEvent(QCloseEvent* e) {
  if (!Closed) FormClose();
  e->accept();
}

void TVornicSPComm::FormClose() {
  Closed = true;
  Workers.StopWorkers.store(true, std::memory_order_release);
  TabSheet1->Closing();
  Exchange->ClosePort();
  const QString settingsNotSaved = SaveSettings();
  StopAndJoinWorkers();
  // Last, when nothing runs any more: the box waits for the user.
  if (!settingsNotSaved.isEmpty()) ShowMessageBox(this, WindowText::tr(kWarningTitle), settingsNotSaved);
}

void TVornicSPComm::StopAndJoinWorkers() {
  for (SleepingWorker* worker : {DelayThread.get(), CountdownThread.get()}) {
    if (worker) worker->Resume();
  }
  for (SleepingWorker* worker : {DelayThread.get(), CountdownThread.get()}) {
    if (worker) worker->Join();
  }
  Terminal->SetReader({});  // the port may outlive the pipeline
  Receive->Stop();
}
