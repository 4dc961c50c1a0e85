#pragma once
// The main window: one class, as thin as possible. It owns the process-wide state (ports,
// workers, receive store, terminal session, module settings) and the controls; its
// handlers are defined in the subsystem folders, one source file per page or panel:
//   gui/window/main_window.cpp         creation, close, message map, caption, message boxes
//   gui/terminal/terminal_page.cpp       terminal page layout
//   gui/terminal/port_settings.cpp       port choice, open/close, line settings, DTR/RTS (over
//                               TerminalSession, core/terminal/terminal_session.h)
//   gui/terminal/receive_display.cpp     receive display, toggle, clear, save
//   gui/terminal/help_links.cpp          help text and the maker's links
// The transmit side is a session of its own (core/transmit/transmit_session.h) with two panels that
// own their controls (TransmitPanel, PresetPanel); gui/terminal/transmit_host.cpp gives it the port.
//   gui/window/settings_io.cpp    LoadSettings / SaveSettings
//   gui/module/config_page.cpp      configuration page controls and handlers
//   gui/module/module_exchange_page.cpp  module read/write exchanges (over ModuleExchange)
//   gui/window/hotplug.cpp          device arrival/removal
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "core/terminal/terminal_session.h"
#include "core/terminal/worker_loops.h"
#include "serial/comm_types.h"
#include "gui/terminal/terminal_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QSocketNotifier;
class DeviceEventSource;
class DropDownComboBox;
class ModuleExchange;
class PortSource;
class ReceivePipeline;
class SleepingWorker;
class TransmitSession;
struct ModuleSettings;

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
  // ---- sessions ----
  // The terminal page's port: its device, name, line settings and whether the page has it open.
  std::unique_ptr<TerminalSession> Terminal;
  std::unique_ptr<ReceivePipeline> Receive;  // what the terminal port brings in
  std::unique_ptr<TransmitSession> Transmit;  // what goes out on it
  WorkerState Workers;  // the flags and counters of DelayThread and CountdownThread
  std::unique_ptr<ModuleSettings> Module;
  // The configuration page's exchanges with a module: its port (ModulePort), the port's
  // name, the reply buffer, the exchange that waits for its verdict, and ModuleSeen.
  std::unique_ptr<ModuleExchange> Exchange;

  // ---- pages ----
  QTabWidget* PageControl = nullptr;
  TerminalPage* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;

  // ---- controls: configuration page ----
  DropDownComboBox* CB_ZELCOMx = nullptr;
  QLabel* L_Model = nullptr;
  QLabel* L_Version = nullptr;
  QLineEdit* E_RFFreq = nullptr;
  QComboBox* CB_RFBaudrate = nullptr;
  QComboBox* CB_Power = nullptr;
  QComboBox* CB_RFCOMBaudRate = nullptr;
  QComboBox* CB_Parity = nullptr;
  QComboBox* CB_RFWakeUpTime = nullptr;
  QLineEdit* E_DelayTime = nullptr;
  QCheckBox* CB_FECEnable = nullptr;
  QLineEdit* E_LocalAddr = nullptr;
  QLineEdit* E_TargetAddr = nullptr;
  std::array<QRadioButton*, 6> RB_PackLength{};
  QCheckBox* CB_PackComplete = nullptr;
  QPushButton* B_ReadConfiguration = nullptr;
  QPushButton* B_WriteConfiguration = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QPlainTextEdit* M_About = nullptr;

  // ---- window lifecycle and message map (gui/window/main_window.cpp) ----
  void FormCreate();
  void FormClose();
  void WakeReceiveThread(uintptr_t wParam);
  void RestoreBaseCaption();

  // ---- settings file (gui/window/settings_io.cpp) ----
  void LoadSettings();
  QString SaveSettings();  // empty, or what the user is to be told: the file and why it was not written
  int LastSettingsSaveError = 0;  // errno of the last save; 0 after a save that landed
  int SettingsLoadError = 0;      // errno (EFBIG: too large) of a file read at start but not used

  // ---- configuration page (gui/module/config_page.cpp) ----
  void BuildConfigPage();
  void CB_ZELCOMxDropDown();
  void CB_ZELCOMxChange();
  void E_RFFreqExit();
  void CB_RFBaudrateChange();
  void CB_PowerChange();
  void CB_RFCOMBaudRateChange();
  void CB_ParityChange();
  void CB_RFWakeUpTimeChange();
  void E_DelayTimeExit();
  void E_LocalAddrExit();
  void E_TargetAddrExit();
  void CB_FECEnableClick();
  void CB_PackCompleteClick();
  void RB_PackLengthClick(int index);  // RB_PackLength1Click .. RB_PackLength6Click

  // ---- module exchange (gui/module/module_exchange_page.cpp) ----
  void B_ReadConfigurationClick();
  void B_WriteConfigurationClick();
  void GatherModuleReply(uintptr_t wParam);
  void EvaluateModuleReply();

  // ---- hot-plug (gui/window/hotplug.cpp) ----
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

  std::unique_ptr<SleepingWorker> DelayThread;
  std::unique_ptr<SleepingWorker> CountdownThread;
  QSocketNotifier* DeviceNotifier = nullptr;
  bool Closed = false;
};
