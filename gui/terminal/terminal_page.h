#pragma once
// The terminal page: port choice and line settings, the receive window with its buttons, the
// transmit and preset panels, the maker's links and the status bar. It owns its controls and
// forwards each choice to its sessions: the terminal session (the port and its line), the
// receive pipeline (what came in) and the transmit session (what goes out), whose notices it
// shows. Handlers are a few lines over a session.
#include <QWidget>
#include <array>
#include <memory>

#include "core/terminal/terminal_session.h"
#include "core/transmit/transmit_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;
class DropDownComboBox;
class LampWidget;
class LinkLabel;
class LineStateWatch;
class MessageTarget;
class PortReconnection;
class PortSource;
class PortStatePanel;
class PresetPanel;
class QTimer;
class ReceivePipeline;
class ReceiveTools;
class ReceiveView;
class TransmitPanel;
struct LogSettings;
struct TerminalSettings;

class TerminalPage : public QWidget, public TransmitListener {
  Q_OBJECT

 public:
  TerminalPage(TerminalSession& terminal, ReceivePipeline& receive, TransmitSession& transmit,
               std::shared_ptr<PortSource> ports, QWidget* parent = nullptr);
  ~TerminalPage() override;

  // ---- the window's part ----
  // At start: opens the saved port without a word; a port that is gone or refuses its
  // settings leaves the page closed.
  void OpenQuietly();
  // At close: timers stop, the transmit field's text is kept, the port is closed.
  void Closing();
  // The device of the open port reported an I/O error: it is gone. With reconnection on,
  // the page waits for it to come back (gui/terminal/port_reconnect_view.cpp).
  void TerminalPortLost();
  // A device arrived: perhaps the one the page waits for.
  void DeviceArrived();
  PortReconnection& Reconnection() { return *reconnect_; }
  // The modem lines or error counts changed (gui/terminal/line_state_view.cpp).
  void ShowLineState();
  // The receive window's menu entry: a break of 250 ms on the open port.
  void SendBreak();
  // The receive worker has news.
  void ShowPendingReceive();

  // The page's settings, and back.
  TerminalSettings ReadSettings() const;
  void ApplySettings(const TerminalSettings& settings);
  LogSettings ReadLogSettings() const;
  void ApplyLogSettings(const LogSettings& settings);

  // ---- port choice and line settings ----
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
  void CB_ReconnectClick();

  // ---- receive display, help and links ----
  void CB_HexDisplayClick();
  void B_ClearClick();
  void B_SaveReceiverDataClick();
  void B_HelpClick();
  void OpenMakerAddress();

  // ---- the transmit session's notices ----
  void PortNotOpen() override;
  void CountChanged(const CountNote& note) override;

  // ---- controls ----
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
  QCheckBox* CB_Reconnect = nullptr;  // reopen a lost port once its device is back
  QTimer* ReconnectTimer = nullptr;   // the retry while the page waits for its device
  QCheckBox* CB_HexDisplay = nullptr;
  QPushButton* B_Clear = nullptr;
  QPushButton* B_SaveReceiverData = nullptr;
  LinkLabel* Label23 = nullptr;
  LinkLabel* Label24 = nullptr;
  TransmitPanel* Transmitter = nullptr;  // transmit field, line ends, timed send, typed keys
  PresetPanel* Presets = nullptr;        // P_Expand: the 32 presets and their cycle; B_Expand
  QStatusBar* StatusBar = nullptr;
  std::array<QLabel*, 3> StatusPanels{};
  PortStatePanel* PortState = nullptr;
  ReceiveTools* Tools = nullptr;  // time stamps, pause, search, capture: the window's menu

 signals:
  // Something for the window's caption, as the device notices are shown.
  void StatusCaption(const QString& suffix);

 private:
  void Build();
  void BuildStatusBar();
  void ConnectControls();
  void SetPortLook(bool open);  // lamp + button caption
  void GiveUpTerminalPort();    // closed look, timed send stopped
  void Warn(const TerminalFault& fault);
  // A setting the open device refused: the session is closed already, the page follows.
  void ShowLineOutcome(const TerminalOutcome& outcome);
  // Reconnection (port_reconnect_view.cpp).
  void BuildReconnection(QLayout* lines);
  void Opened();  // the port is open: the device to wait for, should it go
  void BuildLineState();
  void FollowLines(bool open);  // the modem lines are watched while the port is open
  void RetryReconnect();
  void StopWaiting();

  TerminalSession& terminal_;
  ReceivePipeline& receive_;
  TransmitSession& transmit_;
  std::shared_ptr<PortSource> ports_;
  // The saved port as the start found it, and the device identity it was saved with.
  std::string savedPort_;
  std::string savedIdentity_;
  std::unique_ptr<PortReconnection> reconnect_;
  std::unique_ptr<MessageTarget> lineNotices_;  // the watch's notices, queued to this page
  std::unique_ptr<LineStateWatch> lines_;
  QTimer* breakEnd_ = nullptr;
};
