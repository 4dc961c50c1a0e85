#pragma once
// The main window: its three pages, the sessions they work over, the window's message map and
// the workers of the caption countdown and of the module's reply delay. The pages own their
// controls and handlers (gui/terminal/terminal_page.h, gui/module/config_page.h); the
// sessions own their state and logic and know nothing of widgets (core/). Here:
//   gui/window/main_window.cpp   creation, close, message map, caption
//   gui/window/settings_io.cpp   the settings file loaded into and saved from the pages
//   gui/window/hotplug.cpp       device arrival and removal notices
#include <QWidget>
#include <memory>

#include "core/settings/interface_settings.h"
#include "core/terminal/worker_loops.h"
#include "gui/module/config_page.h"
#include "gui/plot/plot_page.h"
#include "gui/widgets/frame_pacer.h"
#include "gui/terminal/terminal_page.h"
#include "serial/comm_types.h"

class QSocketNotifier;
class QTabWidget;
class ArrivalClock;
class ChunkQueue;
class DeviceEventSource;
class ModuleExchange;
class NetworkPortBook;
class PortSource;
class ReceivePipeline;
class SleepingWorker;

// What the window needs from the outside world; tests inject their own.
struct WindowEnvironment {
  std::shared_ptr<PortSource> ports;          // the machine's serial ports (both lists, hot-plug)
  std::shared_ptr<DeviceEventSource> devices; // device arrivals/removals; null: no notices
  std::shared_ptr<const ArrivalClock> clock;   // arrival times of received bytes; null: the system clock
};

class TVornicSPComm : public QWidget, public MessageTarget {
  Q_OBJECT

 public:
  explicit TVornicSPComm(WindowEnvironment environment = {}, QWidget* parent = nullptr);
  ~TVornicSPComm() override;

  // Thread-safe: queues (message, wParam, lParam) for the message map.
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Routes one message to its handler (user-interface thread).
  void DispatchMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

  QString BaseCaption() const;
  void ShowStatusCaption(const QString& suffix);  // caption + one more second of countdown
  void RestoreBaseCaption();
  // Raises ReadDelayRequest (read) or WriteDelayRequest and resumes DelayThread, which then
  // posts WM_MODULE_DELAYED once the module had its time to answer (the module exchange's
  // reply delay).
  void RequestReplyDelay(bool read);
  // Tests order the countdown by replacing its one-second pause.
  SleepingWorker& CountdownWorkerForTesting() { return *CountdownThread; }

  // ---- sessions ----
  // The terminal page's port: its device, name, line settings and whether the page has it open.
  std::unique_ptr<TerminalSession> Terminal;
  // Every chunk the terminal port brings in, on its way to the plot page; outlives Receive,
  // whose worker fills it.
  std::unique_ptr<ChunkQueue> PlotFeed;
  std::unique_ptr<ReceivePipeline> Receive;   // what the terminal port brings in
  std::unique_ptr<TransmitSession> Transmit;  // what goes out on it
  // The configuration page's exchanges with a module: its port, the port's name, the reply
  // buffer, the exchange that waits for its verdict, and whether a module answered.
  std::unique_ptr<ModuleExchange> Exchange;
  WorkerState Workers;  // the flags and counters of DelayThread and CountdownThread
  // The ports on other machines the user added; Environment.ports lists them too.
  std::shared_ptr<NetworkPortBook> NetworkPorts;

  // ---- pages ----
  QTabWidget* PageControl = nullptr;
  TerminalPage* TabSheet1 = nullptr;
  ConfigPage* TabSheet2 = nullptr;
  PlotPage* TabSheet3 = nullptr;

  // ---- lifecycle (main_window.cpp) ----
  void FormCreate();
  void FormClose();

  // ---- settings file (settings_io.cpp) ----
  void LoadSettings();
  QString SaveSettings();  // empty, or what the user is to be told: the file and why it was not written
  int LastSettingsSaveError = 0;  // errno of the last save; 0 after a save that landed
  int SettingsLoadError = 0;      // errno (EFBIG: too large) of a file read at start but not used
  // The language key as the file had it; the window's language itself is chosen before the
  // window exists (gui/window/interface_language.h), and saving writes the key back unchanged.
  InterfaceSettings Interface;

  // ---- hot-plug (hotplug.cpp) ----
  void HandleDeviceChange(uintptr_t event);
  void ReadDeviceEvents();

  WindowEnvironment Environment;

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void CreateSessions();
  void BuildWindow();
  void StartWorkers();
  void StopAndJoinWorkers();
  // What came since the last show, on the terminal and the plot page. True while bytes keep
  // coming: the window then looks again an interval later without being told.
  bool ShowReceived();

  std::unique_ptr<SleepingWorker> DelayThread;
  std::unique_ptr<SleepingWorker> CountdownThread;
  QSocketNotifier* DeviceNotifier = nullptr;
  bool Closed = false;
  // WM_RECEIVE_SHOW is served at most 40 times a second: a fast stream does not paint per chunk.
  FramePacer ReceiveShowPacer{[this] { return ShowReceived(); }};
  int64_t ShownReceivedCount = 0;
};
