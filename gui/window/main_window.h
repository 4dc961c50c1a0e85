#pragma once
// The main window: one class, as thin as possible. It owns the process-wide state (ports,
// workers, receive store, terminal session, module exchange) and the controls; its
// handlers are defined in the subsystem folders, one source file per page or panel:
//   gui/window/main_window.cpp         creation, close, message map, caption, message boxes
//   gui/terminal/terminal_page.cpp       terminal page layout
//   gui/terminal/port_settings.cpp       port choice, open/close, line settings, DTR/RTS (over
//                               TerminalSession, core/terminal/terminal_session.h)
//   gui/terminal/receive_display.cpp     receive display, toggle, clear, save
//   gui/terminal/help_links.cpp          help text and the maker's links
// The transmit side is a session of its own (core/transmit/transmit_session.h) with two panels that
// own their controls (TransmitPanel, PresetPanel); gui/terminal/transmit_host.cpp gives it the port.
// The configuration page is a widget of its own (ConfigPage, gui/module/config_page.h).
//   gui/window/settings_io.cpp    LoadSettings / SaveSettings
//   gui/window/hotplug.cpp          device arrival/removal
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "core/receive/receive_store.h"
#include "core/terminal/terminal_session.h"
#include "core/terminal/worker_loops.h"
#include "serial/comm_types.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QSocketNotifier;
class ConfigPage;
class DeviceEventSource;
class DropDownComboBox;
class LampWidget;
class LinkLabel;
class ModuleExchange;
class PortSource;
class PresetPanel;
class ReceiveStore;
class ReceiveView;
class SleepingWorker;
class TransmitPanel;
class TransmitSession;
class WindowTransmitHost;

// What the window needs from the outside world; tests inject their own.
struct WindowEnvironment {
  std::shared_ptr<PortSource> ports;          // the machine's serial ports (both lists, hot-plug)
  std::shared_ptr<DeviceEventSource> devices; // device arrivals/removals; null: no notices
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
  // Raises ReadDelayRequest (read) or WriteDelayRequest and resumes DelayThread, which then
  // posts WM_MODULE_DELAYED once the module had its time to answer (the module exchange's
  // reply delay).
  void RequestReplyDelay(bool read);
  // Tests order the countdown by replacing its one-second pause.
  SleepingWorker& CountdownWorkerForTesting() { return *CountdownThread; }

  // ---- process-wide state ----
  // The terminal page's port: its device, name, line settings and whether the page has it open.
  std::unique_ptr<TerminalSession> Terminal;
  WorkerState Workers;
  std::unique_ptr<ReceiveStore> Receive;
  std::unique_ptr<WindowTransmitHost> TransmitHost;  // the port and notices of the session
  std::unique_ptr<TransmitSession> Transmit;
  // The configuration page's exchanges with a module: its port (ModulePort), the port's
  // name, the reply buffer, the exchange that waits for its verdict, and ModuleSeen.
  std::unique_ptr<ModuleExchange> Exchange;

  // ---- controls: window ----
  QTabWidget* PageControl = nullptr;
  QWidget* TabSheet1 = nullptr;
  ConfigPage* TabSheet2 = nullptr;  // the configuration page, its controls and handlers
  QStatusBar* StatusBar = nullptr;
  std::array<QLabel*, 3> StatusPanels{};

  // ---- controls: terminal page (port, line settings, receive, links) ----
  ReceiveView* M_ReceiverData = nullptr;
  LampWidget* Shape = nullptr;
  QPushButton* B_OpenPort = nullptr;
  QPushButton* B_Help = nullptr;
  DropDownComboBox* CB_Port = nullptr;
  QComboBox* CB_Baudrate = nullptr;
  QComboBox* CB_Data = nullptr;
  QComboBox* CB_Stop = nullptr;
  QComboBox* CB_Check = nullptr;
  QComboBox* CB_FlowControl = nullptr;
  QCheckBox* CB_DTR = nullptr;
  QCheckBox* CB_RTS = nullptr;
  QCheckBox* CB_HexDisplay = nullptr;
  QPushButton* B_Clear = nullptr;
  QPushButton* B_SaveReceiverData = nullptr;
  LinkLabel* Label23 = nullptr;
  LinkLabel* Label24 = nullptr;
  TransmitPanel* Transmitter = nullptr;  // transmit field, line ends, timed send, typed keys
  PresetPanel* Presets = nullptr;        // P_Expand: the 32 presets and their cycle; B_Expand

  // ---- window lifecycle and message map (gui/window/main_window.cpp) ----
  void FormCreate();
  void FormClose();
  void WakeReceiveThread(uintptr_t wParam);
  void RestoreBaseCaption();

  // ---- port choice and line settings (gui/terminal/port_settings.cpp) ----
  void CB_PortDropDown();
  void CB_PortChange();
  void B_OpenPortClick();
  void CB_BaudrateChange();
  void CB_DataChange();
  void CB_StopChange();
  void CB_CheckChange();
  void CB_FlowControlChange();
  void CB_DTRClick();
  void CB_RTSClick();
  void SetPortLook(bool open);        // lamp + button caption
  void GiveUpTerminalPort();          // closed look, Timer stopped
  void ShowLineOutcome(const TerminalOutcome& outcome);  // a refusal: message, then given up
  void TerminalPortLost(uintptr_t wParam);

  // ---- receive display (gui/terminal/receive_display.cpp) ----
  void ShowPendingReceive();
  void CB_HexDisplayClick();
  void B_ClearClick();
  void B_SaveReceiverDataClick();

  // ---- help and links (gui/terminal/help_links.cpp) ----
  void B_HelpClick();
  void OpenMakerAddress();

  // ---- settings file (gui/window/settings_io.cpp) ----
  void LoadSettings();
  QString SaveSettings();  // empty, or what the user is to be told: the file and why it was not written
  int LastSettingsSaveError = 0;  // errno of the last save; 0 after a save that landed
  int SettingsLoadError = 0;      // errno (EFBIG: too large) of a file read at start but not used

  // ---- hot-plug (gui/window/hotplug.cpp) ----
  void HandleDeviceChange(uintptr_t event);
  void ReadDeviceEvents();

  WindowEnvironment Environment;

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildWindow();
  void BuildTerminalPage();
  void ConnectTransmitSide();
  void ConnectPortSettings();
  void ConnectReceiveDisplay();
  void ConnectHelpLinks();
  void StartWorkers();
  void StopAndJoinWorkers();

  ReceiveUpdate PendingUpdate;  // reused by every display update: no allocation per update
  std::unique_ptr<SleepingWorker> DelayThread;
  std::unique_ptr<SleepingWorker> CountdownThread;
  std::unique_ptr<SleepingWorker> ReceiveThread;
  QSocketNotifier* DeviceNotifier = nullptr;
  bool Closed = false;
};
