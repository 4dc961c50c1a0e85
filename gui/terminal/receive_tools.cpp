#include "gui/terminal/receive_tools.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>
#include <cstring>

#include "core/capture/capture_file.h"
#include "core/settings/profile_path.h"
#include "core/terminal/receive_pipeline.h"
#include "core/terminal/terminal_session.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/receive_search_bar.h"
#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"

namespace {

constexpr int kStatusPanelWidth = 110;
constexpr const char* kDefaultCaptureSubfolder = "/VornicSPComm/logs";
constexpr uint32_t kMaxCaptureFileMegabytes = 1024 * 1024;

QAction* NewAction(QObject* parent, const char* name, const char* text, bool checkable = false) {
  auto* action = new QAction(WindowText::tr(text), parent);
  action->setObjectName(name);
  action->setCheckable(checkable);
  return action;
}

QString Why(int error) { return error ? WindowText::tr("（") + QString::fromLocal8Bit(std::strerror(error)) + WindowText::tr("）") : QString(); }

QString Path(const std::string& path) { return QString::fromLocal8Bit(path); }

bool Is(Qt::KeyboardModifiers modifiers, Qt::KeyboardModifiers wanted) {
  return (modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier)) == wanted;
}

}  // namespace

QString CaptureFailureText(const CaptureFailure& failure) {
  switch (failure.step) {
    case CaptureStep::Name: return WindowText::tr("记录文件名格式无效：") + Path(failure.path);
    case CaptureStep::Folder: return WindowText::tr("记录文件夹不可用：") + Path(failure.path) + Why(failure.error);
    case CaptureStep::Create: return WindowText::tr("记录文件无法创建：") + Path(failure.path) + Why(failure.error);
    case CaptureStep::Write: return WindowText::tr("记录文件写入失败，记录已停止：") + Path(failure.path) + Why(failure.error);
    case CaptureStep::Overrun: return WindowText::tr("记录文件写入跟不上接收，记录已停止：") + Path(failure.path);
  }
  return {};
}

ReceiveTools::ReceiveTools(QWidget& page, const TerminalSession& terminal, ReceivePipeline& receive, ReceiveView& view,
                           QStatusBar& statusBar)
    : QObject(&page), page_(page), terminal_(terminal), receive_(receive), view_(view), feed_(receive, view) {
  setObjectName("ReceiveTools");
  StatusPanel = new QLabel(&statusBar);
  StatusPanel->setObjectName("L_ReceiveState");
  // Fixed, as the other panels: a label that may change size lays the page out again.
  StatusPanel->setFixedSize(kStatusPanelWidth, statusBar.height() - 5);
  StatusPanel->setFrameShape(QFrame::Panel);
  StatusPanel->setFrameShadow(QFrame::Sunken);
  statusBar.addPermanentWidget(StatusPanel);
  SearchBar = new ReceiveSearchBar(view_);
  BuildActions();
  connect(&view_, &ReceiveView::MenuOpening, this, [this](QMenu* menu) { ExtendMenu(*menu); });
  ApplySettings(ReadSettings());
}

ReceiveTools::~ReceiveTools() { receive_.Capture().Stop(); }

void ReceiveTools::BuildActions() {
  A_Search = NewAction(this, "A_Search", QT_TRANSLATE_NOOP("WindowText", "查找..."));
  A_Search->setShortcut(QKeySequence("Ctrl+F"));
  A_TimeStamps = NewAction(this, "A_TimeStamps", QT_TRANSLATE_NOOP("WindowText", "显示时间戳"), true);
  A_TimeStamps->setShortcut(QKeySequence("Ctrl+Shift+T"));
  A_StampGap = NewAction(this, "A_StampGap", QT_TRANSLATE_NOOP("WindowText", "HEX时间戳分行间隔..."));
  A_Pause = NewAction(this, "A_Pause", QT_TRANSLATE_NOOP("WindowText", "暂停显示"), true);
  A_Pause->setShortcut(QKeySequence("Ctrl+Shift+P"));
  A_Capture = NewAction(this, "A_Capture", QT_TRANSLATE_NOOP("WindowText", "开始记录"));
  A_Capture->setShortcut(QKeySequence("Ctrl+Shift+L"));
  A_FormatRaw = NewAction(this, "A_FormatRaw", QT_TRANSLATE_NOOP("WindowText", "原始数据"), true);
  A_FormatText = NewAction(this, "A_FormatText", QT_TRANSLATE_NOOP("WindowText", "文本行（带时间戳）"), true);
  A_FormatHex = NewAction(this, "A_FormatHex", QT_TRANSLATE_NOOP("WindowText", "HEX行（带时间戳）"), true);
  auto* formats = new QActionGroup(this);
  for (QAction* format : {A_FormatRaw, A_FormatText, A_FormatHex}) formats->addAction(format);
  A_CaptureOnOpen = NewAction(this, "A_CaptureOnOpen", QT_TRANSLATE_NOOP("WindowText", "打开串口时自动记录"), true);
  A_CaptureFolder = NewAction(this, "A_CaptureFolder", QT_TRANSLATE_NOOP("WindowText", "记录文件夹..."));
  A_CaptureName = NewAction(this, "A_CaptureName", QT_TRANSLATE_NOOP("WindowText", "记录文件名格式..."));
  A_CaptureSize = NewAction(this, "A_CaptureSize", QT_TRANSLATE_NOOP("WindowText", "记录文件大小上限..."));
  // Shortcuts are shown in the menu only: the window hands the keys over (HandleKey), since
  // it takes every typed key for the port before an application shortcut could.
  for (QAction* action : {A_Search, A_TimeStamps, A_Pause, A_Capture}) action->setShortcutContext(Qt::WidgetShortcut);

  connect(A_Search, &QAction::triggered, this, [this] { SearchBar->Open(); });
  connect(A_TimeStamps, &QAction::triggered, this, [this] { ToggleStamps(); });
  connect(A_StampGap, &QAction::triggered, this, [this] { AskStampGap(); });
  connect(A_Pause, &QAction::triggered, this, [this] { TogglePause(); });
  connect(A_Capture, &QAction::triggered, this, [this] { ToggleCapture(); });
  connect(A_FormatRaw, &QAction::triggered, this, [this] { settings_.CaptureFormat = 0; });
  connect(A_FormatText, &QAction::triggered, this, [this] { settings_.CaptureFormat = 1; });
  connect(A_FormatHex, &QAction::triggered, this, [this] { settings_.CaptureFormat = 2; });
  connect(A_CaptureOnOpen, &QAction::triggered, this, [this](bool on) { settings_.CaptureOnOpen = on; });
  connect(A_CaptureFolder, &QAction::triggered, this, [this] { AskCaptureFolder(); });
  connect(A_CaptureName, &QAction::triggered, this, [this] { AskCaptureName(); });
  connect(A_CaptureSize, &QAction::triggered, this, [this] { AskCaptureSize(); });
}

void ReceiveTools::ExtendMenu(QMenu& menu) {
  menu.addSeparator();
  menu.addAction(A_Search);
  menu.addSeparator();
  menu.addAction(A_TimeStamps);
  menu.addAction(A_StampGap);
  menu.addAction(A_Pause);
  menu.addSeparator();
  A_Capture->setText(Capturing() ? WindowText::tr("停止记录") : WindowText::tr("开始记录"));
  menu.addAction(A_Capture);
  QMenu* format = menu.addMenu(WindowText::tr("记录格式"));
  format->addActions({A_FormatRaw, A_FormatText, A_FormatHex});
  menu.addAction(A_CaptureOnOpen);
  menu.addAction(A_CaptureFolder);
  menu.addAction(A_CaptureName);
  menu.addAction(A_CaptureSize);
}

void ReceiveTools::TakeKeysFirst() {
  ReceiveViewKeyHooks hooks = view_.KeyHooks();
  hooks.KeyDown = [this, next = hooks.KeyDown](int key, Qt::KeyboardModifiers modifiers) {
    return HandleKey(key, modifiers) || (next && next(key, modifiers));
  };
  view_.SetKeyHooks(std::move(hooks));
}

bool ReceiveTools::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
  if (key == Qt::Key_F && Is(modifiers, Qt::ControlModifier)) {
    SearchBar->Open();
  } else if (key == Qt::Key_F3 && !SearchBar->isHidden()) {
    if (modifiers & Qt::ShiftModifier) {
      SearchBar->Previous();
    } else {
      SearchBar->Next();
    }
  } else if (key == Qt::Key_T && Is(modifiers, ctrlShift)) {
    ToggleStamps();
  } else if ((key == Qt::Key_P && Is(modifiers, ctrlShift)) || (key == Qt::Key_Pause && Is(modifiers, {}))) {
    TogglePause();
  } else if (key == Qt::Key_L && Is(modifiers, ctrlShift)) {
    ToggleCapture();
  } else {
    return false;
  }
  return true;
}

void ReceiveTools::ShowRendering(bool hex) {
  feed_.SetHex(hex);
  SearchBar->Refresh();
}

LogSettings ReceiveTools::ReadSettings() const { return settings_; }

void ReceiveTools::ApplySettings(const LogSettings& settings) {
  settings_ = settings;
  settings_.StampGapMs = std::clamp<uint32_t>(settings_.StampGapMs, kMinHexGapMs, kMaxHexGapMs);
  settings_.CaptureFileMegabytes = std::clamp<uint32_t>(settings_.CaptureFileMegabytes, 1, kMaxCaptureFileMegabytes);
  if (settings_.CaptureFormat > 2) settings_.CaptureFormat = 0;
  if (settings_.CaptureNamePattern.empty()) settings_.CaptureNamePattern = kDefaultCaptureNamePattern;
  A_TimeStamps->setChecked(settings_.TimeStamps);
  A_CaptureOnOpen->setChecked(settings_.CaptureOnOpen);
  (settings_.CaptureFormat == 1 ? A_FormatText : settings_.CaptureFormat == 2 ? A_FormatHex : A_FormatRaw)->setChecked(true);
  if (feed_.Stamps() != settings_.TimeStamps || feed_.GapMs() != static_cast<int>(settings_.StampGapMs)) {
    feed_.SetStamps(settings_.TimeStamps, static_cast<int>(settings_.StampGapMs));
    SearchBar->Refresh();
  }
  ShowStatus();
}

void ReceiveTools::ToggleStamps() {
  settings_.TimeStamps = !settings_.TimeStamps;
  A_TimeStamps->setChecked(settings_.TimeStamps);
  feed_.SetStamps(settings_.TimeStamps, static_cast<int>(settings_.StampGapMs));
  view_.ScrollToBottom();
  SearchBar->Refresh();
  ShowStatus();
}

void ReceiveTools::TogglePause() {
  feed_.SetPaused(!feed_.Paused());
  A_Pause->setChecked(feed_.Paused());
  if (!feed_.Paused()) SearchBar->Refresh();
  ShowStatus();
}

void ReceiveTools::ToggleCapture() {
  if (Capturing()) {
    StopCapture();
  } else {
    StartCapture();
  }
}

bool ReceiveTools::Capturing() const { return receive_.Capture().Running(); }

std::string ReceiveTools::PortShort() const {
  return terminal_.PortName() == "COM0" ? std::string() : PortShortName(terminal_.PortName());
}

CaptureOptions ReceiveTools::Options() const {
  CaptureOptions options;
  if (settings_.CaptureFolder.empty()) {
    options.Folder = ProfileDirectory().value_or(std::string()) + kDefaultCaptureSubfolder;
    options.CreateFolder = true;
  } else {
    options.Folder = settings_.CaptureFolder;
  }
  options.NamePattern = settings_.CaptureNamePattern;
  options.Format = static_cast<CaptureFormat>(settings_.CaptureFormat);
  options.MaxFileBytes = static_cast<uint64_t>(settings_.CaptureFileMegabytes) << 20;
  options.HexGapMs = static_cast<int>(settings_.StampGapMs);
  return options;
}

bool ReceiveTools::StartCapture() {
  if (Capturing()) return true;
  const std::optional<CaptureFailure> failure = receive_.Capture().Start(Options(), PortShort(), this);
  ShowStatus();
  if (failure) ShowMessageBox(&page_, WindowText::tr(kWarningTitle), CaptureFailureText(*failure));
  return !failure;
}

void ReceiveTools::StopCapture() {
  receive_.Capture().Stop();
  ShowStatus();
}

void ReceiveTools::PortShown(PortMark mark) {
  const bool open = mark == PortMark::Opened || mark == PortMark::Back;
  const std::string port = PortShort();
  if (open && portShownOpen_ && port == shownPort_) return;
  if (!open && !portShownOpen_) return;
  if (open && portShownOpen_) receive_.Capture().Mark(PortMark::Closed, shownPort_);  // another port now
  if (open) {
    if (settings_.CaptureOnOpen && !Capturing()) StartCapture();
    receive_.Capture().Mark(portLost_ ? PortMark::Back : PortMark::Opened, port);
    shownPort_ = port;
    portLost_ = false;
  } else {
    receive_.Capture().Mark(mark, shownPort_);
    portLost_ = mark == PortMark::Lost;
  }
  portShownOpen_ = open;
}

void ReceiveTools::ShowStatus() {
  QStringList parts;
  if (Capturing()) {
    const std::string path = receive_.Capture().CurrentPath();
    parts << WindowText::tr("记录中 ") + Path(path.substr(path.rfind('/') + 1));
  }
  if (feed_.Paused()) parts << WindowText::tr("暂停", "display state");
  if (feed_.Stamps()) parts << WindowText::tr("时间戳", "display state");
  const QString text = parts.join(U("  "));
  StatusPanel->setToolTip(Capturing() ? Path(receive_.Capture().CurrentPath()) : QString());
  StatusPanel->setText(QFontMetrics(StatusPanel->font()).elidedText(text, Qt::ElideMiddle, kStatusPanelWidth - 8));
}

void ReceiveTools::CaptureFileStarted(const std::string&) {
  QMetaObject::invokeMethod(this, [this] { ShowStatus(); }, Qt::QueuedConnection);
}

void ReceiveTools::CaptureFailed(const CaptureFailure& failure) {
  QMetaObject::invokeMethod(this, [this, failure] { CaptureStopped(failure); }, Qt::QueuedConnection);
}

void ReceiveTools::CaptureStopped(const CaptureFailure& failure) {
  receive_.Capture().Stop();  // the writer has ended: this only joins it
  ShowStatus();
  ShowMessageBox(&page_, WindowText::tr(kWarningTitle), CaptureFailureText(failure));
}

void ReceiveTools::AskStampGap() {
  bool ok = false;
  const int gap = QInputDialog::getInt(&page_, WindowText::tr("HEX时间戳分行间隔"), WindowText::tr("两字节间隔超过此值（毫秒）时另起一行："),
                                       static_cast<int>(settings_.StampGapMs), kMinHexGapMs, kMaxHexGapMs, 1, &ok);
  if (!ok) return;
  settings_.StampGapMs = static_cast<uint32_t>(gap);
  if (!feed_.Stamps()) return;
  feed_.SetStamps(true, gap);
  SearchBar->Refresh();
}

void ReceiveTools::AskCaptureFolder() {
  const QString folder = QFileDialog::getExistingDirectory(&page_, WindowText::tr("记录文件夹"), Path(Options().Folder));
  if (!folder.isEmpty()) settings_.CaptureFolder = folder.toLocal8Bit().toStdString();
}

void ReceiveTools::AskCaptureName() {
  bool ok = false;
  const QString pattern = QInputDialog::getText(
      &page_, WindowText::tr("记录文件名格式"), WindowText::tr("%Y %m %d %H %M %S 为日期时间，<port> 为串口名："), QLineEdit::Normal,
      Path(settings_.CaptureNamePattern), &ok);
  if (!ok) return;
  const std::string bytes = pattern.toLocal8Bit().toStdString();
  if (!ExpandCaptureName(bytes, 0, "ttyS0")) {
    ShowMessageBox(&page_, WindowText::tr(kWarningTitle), WindowText::tr("记录文件名格式无效：") + pattern);
    return;
  }
  settings_.CaptureNamePattern = bytes;
}

void ReceiveTools::AskCaptureSize() {
  bool ok = false;
  const int megabytes = QInputDialog::getInt(&page_, WindowText::tr("记录文件大小上限"), WindowText::tr("文件达到此大小（MB）时另起新文件："),
                                             static_cast<int>(settings_.CaptureFileMegabytes), 1,
                                             static_cast<int>(kMaxCaptureFileMegabytes), 1, &ok);
  if (ok) settings_.CaptureFileMegabytes = static_cast<uint32_t>(megabytes);
}
