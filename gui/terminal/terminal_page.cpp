// The terminal page's layout and wiring: receive window with the preset panel at its right, a
// two-row strip of buttons, the line settings / transmit / links strip, and the status bar.
#include "gui/terminal/terminal_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "gui/widgets/controls.h"
#include "gui/widgets/default_button.h"
#include "gui/widgets/message_box.h"
#include "gui/terminal/count_panel.h"
#include "core/text/maker.h"
#include "gui/widgets/receive_view.h"
#include "gui/terminal/port_state_panel.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/receive_tools.h"
#include "gui/terminal/transmit_panel.h"
#include "gui/terminal/typed_keys.h"
#include "gui/widgets/ui_text.h"
#include "core/terminal/line_state_watch.h"
#include "core/terminal/port_reconnection.h"

namespace {

template <typename T>
T* Named(T* control, const char* name) {
  control->setObjectName(name);
  return control;
}

QComboBox* FixedList(QWidget* parent, const char* name, const QStringList& items, int selected) {
  auto* list = Named(new QComboBox(parent), name);
  list->addItems(items);
  list->setCurrentIndex(selected);
  return list;
}

QPushButton* DisabledButton(const char* caption) {
  auto* button = new QPushButton(WindowText::tr(caption));
  button->setEnabled(false);
  return button;
}

// `font` at the largest pixel size up to `largest` at which `text` fits `width`: the fonts a
// system has differ in width, and a cut-off web address is no use.
QFont FittingFont(QFont font, const QString& text, int width, int largest) {
  for (int size = largest; size > 8; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).horizontalAdvance(text) <= width) break;
  }
  return font;
}

}  // namespace

TerminalPage::TerminalPage(TerminalSession& terminal, ReceivePipeline& receive, TransmitSession& transmit,
                           std::shared_ptr<PortSource> ports, QWidget* parent)
    : QWidget(parent), terminal_(terminal), receive_(receive), transmit_(transmit), ports_(std::move(ports)) {
  setObjectName("this");
  transmit_.SetListener(this);
  Build();
  ConnectControls();
}

TerminalPage::~TerminalPage() {
  transmit_.SetListener(nullptr);
  // The panels talk to the transmit session while they go: before the other controls.
  delete Transmitter;
  delete Presets;
}

void TerminalPage::Build() {
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(2, 2, 2, 0);
  page->setSpacing(2);

  // Receive window and the (hidden) preset panel at its right.
  auto* upper = new QHBoxLayout;
  M_ReceiverData = Named(new ReceiveView(this), "M_ReceiverData");
  Presets = new PresetPanel(transmit_, this);
  upper->addWidget(M_ReceiverData, 1);
  upper->addWidget(Presets);
  page->addLayout(upper, 1);

  // Two rows: file controls and display buttons; port choice and open button.
  auto* strip = new QWidget(this);
  strip->setFixedHeight(55);
  auto* rows = new QGridLayout(strip);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setVerticalSpacing(2);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(DisabledButton(QT_TRANSLATE_NOOP("WindowText", "打开文件")));
  auto* fileName = new QLineEdit(WindowText::tr("文件名"));
  fileName->setEnabled(false);
  fileRow->addWidget(fileName, 1);
  fileRow->addWidget(DisabledButton(QT_TRANSLATE_NOOP("WindowText", "发送文件")));
  B_SaveReceiverData = Named(new QPushButton(WindowText::tr("保存窗口")), "B_SaveReceiverData");
  B_Clear = Named(new QPushButton(WindowText::tr("清除窗口")), "B_Clear");
  CB_HexDisplay = Named(new QCheckBox(WindowText::tr("HEX显示")), "CB_HexDisplay");
  CB_HexDisplay->setChecked(true);
  fileRow->addWidget(B_SaveReceiverData);
  fileRow->addWidget(B_Clear);
  fileRow->addStretch();
  fileRow->addWidget(CB_HexDisplay);
  rows->addLayout(fileRow, 0, 0);

  auto* portRow = new QHBoxLayout;
  portRow->addWidget(new QLabel(WindowText::tr("串口号：")));
  CB_Port = Named(new DropDownComboBox, "CB_Port");
  CB_Port->setMinimumWidth(140);
  portRow->addWidget(CB_Port);
  Shape = Named(new LampWidget, "Shape");
  portRow->addWidget(Shape);
  B_OpenPort = Named(new QPushButton(WindowText::tr("打开串口")), "B_OpenPort");
  B_Help = Named(new QPushButton(WindowText::tr("帮助")), "B_Help");
  portRow->addWidget(B_OpenPort);
  portRow->addWidget(B_Help);
  portRow->addStretch();
  portRow->addWidget(Presets->B_Expand);
  rows->addLayout(portRow, 1, 0);
  page->addWidget(strip);

  // Line settings column, control lines with the transmit panel, and the links panel.
  auto* lower = new QWidget(this);
  lower->setFixedHeight(138);
  auto* lowerRow = new QHBoxLayout(lower);
  lowerRow->setContentsMargins(0, 0, 0, 0);
  auto* settings = new QWidget(lower);
  settings->setFixedWidth(248);
  auto* grid = new QGridLayout(settings);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(1);
  const QStringList rates = {"110", "300", "600", "1200", "2400", "4800", "9600", "14400",
                             "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
  CB_Baudrate = FixedList(settings, "CB_Baudrate", rates, 6);
  CB_Data = FixedList(settings, "CB_Data", {"5", "6", "7", "8"}, 3);
  CB_Stop = FixedList(settings, "CB_Stop", {"1", "1.5", "2"}, 0);
  CB_Check = FixedList(settings, "CB_Check", {"None", "Odd", "Even", "Mark", "Space"}, 0);
  CB_FlowControl = FixedList(settings, "CB_FlowControl", {"None", "Hardware", "Software"}, 0);
  const std::pair<const char*, QComboBox*> labelled[] = {
      {QT_TRANSLATE_NOOP("WindowText", "波特率："), CB_Baudrate},
      {QT_TRANSLATE_NOOP("WindowText", "数据位："), CB_Data},
      {QT_TRANSLATE_NOOP("WindowText", "停止位："), CB_Stop},
      {QT_TRANSLATE_NOOP("WindowText", "校验位："), CB_Check},
      {QT_TRANSLATE_NOOP("WindowText", "流控制："), CB_FlowControl}};
  int row = 0;
  for (const auto& [label, list] : labelled) {
    grid->addWidget(new QLabel(WindowText::tr(label)), row, 0);
    grid->addWidget(list, row++, 1);
  }
  lowerRow->addWidget(settings);

  auto* middle = new QVBoxLayout;
  auto* lines = new QHBoxLayout;
  CB_DTR = Named(new QCheckBox("DTR"), "CB_DTR");
  CB_RTS = Named(new QCheckBox("RTS"), "CB_RTS");
  lines->addWidget(CB_DTR);
  lines->addWidget(CB_RTS);
  BuildReconnection(lines);
  lines->addStretch();
  middle->addLayout(lines);
  Transmitter = new TransmitPanel(transmit_, lower);
  middle->addWidget(Transmitter, 1);
  lowerRow->addLayout(middle, 1);

  auto* links = new QFrame(lower);
  links->setFrameShape(QFrame::StyledPanel);
  links->setFixedWidth(230);
  auto* linksColumn = new QVBoxLayout(links);
  Label24 = Named(new LinkLabel(U(kMakerName)), "Label24");
  Label23 = Named(new LinkLabel(U(kMakerWebAddress)), "Label23");
  QFont big = font();
  big.setPixelSize(32);
  Label24->setFont(big);
  const QMargins margins = linksColumn->contentsMargins();
  Label23->setFont(FittingFont(big, U(kMakerWebAddress), 230 - margins.left() - margins.right() - 4, 20));
  Label23->setStyleSheet("color: green");
  for (LinkLabel* label : {Label24, Label23}) {
    label->setCursor(Qt::PointingHandCursor);
    label->setAlignment(Qt::AlignCenter);
    linksColumn->addWidget(label);
  }
  lowerRow->addWidget(links);
  page->addWidget(lower);
  BuildStatusBar();
  BuildLineState();
}

void TerminalPage::BuildStatusBar() {
  StatusBar = Named(new QStatusBar(this), "StatusBar");
  StatusBar->setFixedHeight(19);
  StatusBar->setSizeGripEnabled(false);
  const char* panelTexts[] = {kMakerWebAddress, QT_TRANSLATE_NOOP("WindowText", "发送：0"),
                              QT_TRANSLATE_NOOP("WindowText", "接收：0")};
  // Fixed in both directions: a label whose size may change asks its parents for a new
  // layout on every setText, and the tab widget then repaints the whole page. The counters
  // change with every chunk received, so that would repaint the window many times a second.
  // The bar keeps 3 px above and 2 px below its items.
  constexpr int kPanelHeight = 19 - 3 - 2;
  for (int i = 0; i < 3; ++i) {
    StatusPanels[i] = new QLabel(WindowText::tr(panelTexts[i]));
    StatusPanels[i]->setFixedSize(150, kPanelHeight);
    StatusPanels[i]->setFrameShape(QFrame::Panel);
    StatusPanels[i]->setFrameShadow(QFrame::Sunken);
    StatusBar->addWidget(StatusPanels[i]);
  }
  StatusPanels[0]->setAlignment(Qt::AlignCenter);
  PortState = new PortStatePanel(kPanelHeight);
  StatusBar->addWidget(PortState);
  layout()->addWidget(StatusBar);
}

void TerminalPage::ConnectControls() {
  Tools = new ReceiveTools(*this, terminal_, receive_, *M_ReceiverData, *StatusBar);
  connect(CB_Port, &DropDownComboBox::droppedDown, this, [this] { CB_PortDropDown(); });
  connect(CB_Port, &QComboBox::activated, this, [this] { CB_PortChange(); });
  connect(B_OpenPort, &QPushButton::clicked, this, [this] { B_OpenPortClick(); });
  connect(CB_Baudrate, &QComboBox::activated, this, [this] { CB_BaudrateChange(); });
  connect(CB_Data, &QComboBox::activated, this, [this] { CB_DataChange(); });
  connect(CB_Stop, &QComboBox::activated, this, [this] { CB_StopChange(); });
  connect(CB_Check, &QComboBox::activated, this, [this] { CB_CheckChange(); });
  connect(CB_FlowControl, &QComboBox::activated, this, [this] { CB_FlowControlChange(); });
  connect(CB_DTR, &QCheckBox::toggled, this, [this] { CB_DTRClick(); });
  connect(CB_RTS, &QCheckBox::toggled, this, [this] { CB_RTSClick(); });
  connect(CB_HexDisplay, &QCheckBox::toggled, this, [this] { CB_HexDisplayClick(); });
  connect(B_Clear, &QPushButton::clicked, this, [this] { B_ClearClick(); });
  connect(B_SaveReceiverData, &QPushButton::clicked, this, [this] { B_SaveReceiverDataClick(); });
  CB_HexDisplayClick();  // the empty window takes the wrap of the rendering the box starts with
  connect(B_Help, &QPushButton::clicked, this, [this] { B_HelpClick(); });
  connect(Label23, &LinkLabel::pressed, this, [this] { OpenMakerAddress(); });
  connect(Label24, &LinkLabel::pressed, this, [this] { OpenMakerAddress(); });

  // Enter in the transmit field, an interval field or a check box of the page presses "发送"
  // (once); in a preset row Enter sends that row.
  InstallDefaultButton(this, [this](QWidget* focus) -> QAbstractButton* {
    if (QAbstractButton* row = Presets->RowButtonOf(focus)) return row;
    return Transmitter->B_Transmit;
  });
  connect(Presets, &PresetPanel::CycleSwitched, Transmitter, &TransmitPanel::ShowTimedState);
  ConnectReceiveKeys(*M_ReceiverData, *Transmitter);
  Tools->TakeKeysFirst();
}

void TerminalPage::OpenQuietly() {
  if (terminal_.Open()) return;
  SetPortLook(true);
  Opened();
}

void TerminalPage::Closing() {
  Transmitter->Timer->stop();
  Presets->Timer1->stop();
  StopWaiting();
  FollowLines(false);
  Transmitter->E_TransmitDataExit();
  Tools->PortShown(PortMark::Closed);
  terminal_.Close();
}

void TerminalPage::PortNotOpen() {
  ShowMessageBox(this, WindowText::tr(kNoticeTitle), WindowText::tr(kPortNotOpen));
}

void TerminalPage::CountChanged(const CountNote& note) { ShowCountNote(StatusPanels[1], note); }
