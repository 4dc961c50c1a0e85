#pragma once
// The receive window's tools beyond showing: time stamps, pause, search and the capture to
// file. They live in the window's context menu (after "复制" and "全选") and on keys the
// window keeps for itself instead of sending them:
//   Ctrl+F            查找 (the search bar); F3 / Shift+F3 next / previous match
//   Ctrl+Shift+T      显示时间戳
//   Ctrl+Shift+P, Pause  暂停显示
//   Ctrl+Shift+L      开始记录 / 停止记录
// One more status bar panel shows what is on. The capture's failures (the writer thread
// reports them) come back to the user-interface thread and end in a message.
#include <QObject>
#include <memory>
#include <string>

#include "core/capture/capture_recorder.h"
#include "core/settings/log_settings.h"
#include "gui/terminal/receive_feed.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;
class ReceivePipeline;
class ReceiveSearchBar;
class ReceiveView;
class TerminalSession;

class ReceiveTools : public QObject, public CaptureListener {
  Q_OBJECT

 public:
  ReceiveTools(QWidget& page, const TerminalSession& terminal, ReceivePipeline& receive, ReceiveView& view,
               QStatusBar& statusBar);
  ~ReceiveTools() override;  // stops a capture

  ReceiveFeed& Feed() { return feed_; }
  // The keys above go to the tools before the window's own key handling sees them.
  void TakeKeysFirst();
  // The rendering was switched (HEX显示).
  void ShowRendering(bool hex);

  LogSettings ReadSettings() const;
  void ApplySettings(const LogSettings& settings);

  // The page shows the port opened, closed or lost: marker lines, and the capture that starts
  // with the port.
  void PortShown(PortMark mark);

  void ToggleStamps();
  void TogglePause();
  void ToggleCapture();
  // False when the capture could not start (the user has been told why).
  bool StartCapture();
  void StopCapture();
  bool Capturing() const;

  QAction* A_Search = nullptr;
  QAction* A_TimeStamps = nullptr;
  QAction* A_StampGap = nullptr;
  QAction* A_Pause = nullptr;
  QAction* A_Capture = nullptr;
  QAction* A_FormatRaw = nullptr;
  QAction* A_FormatText = nullptr;
  QAction* A_FormatHex = nullptr;
  QAction* A_CaptureOnOpen = nullptr;
  QAction* A_CaptureFolder = nullptr;
  QAction* A_CaptureName = nullptr;
  QAction* A_CaptureSize = nullptr;
  QLabel* StatusPanel = nullptr;
  ReceiveSearchBar* SearchBar = nullptr;

 private:
  void BuildActions();
  void ExtendMenu(QMenu& menu);
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
  void ShowStatus();
  void CaptureStopped(const CaptureFailure& failure);
  CaptureOptions Options() const;
  std::string PortShort() const;
  void AskStampGap();
  void AskCaptureFolder();
  void AskCaptureName();
  void AskCaptureSize();

  // Writer thread.
  void CaptureFileStarted(const std::string& path) override;
  void CaptureFailed(const CaptureFailure& failure) override;

  QWidget& page_;
  const TerminalSession& terminal_;
  ReceivePipeline& receive_;
  ReceiveView& view_;
  ReceiveFeed feed_;
  LogSettings settings_;
  bool portShownOpen_ = false;
  bool portLost_ = false;
  std::string shownPort_;  // the port the last "opened" marker named
};

// What the user is told when a capture could not start or stopped.
QString CaptureFailureText(const CaptureFailure& failure);
