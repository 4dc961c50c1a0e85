// The preset panel beside the receive window: 32 preset strings, each with a hex box and a
// send button, the automatic cycle over all of them, and the button that shows the panel.
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "app/gbk_codec.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "serial/serial_port.h"
#include "transmit/interval_field.h"
#include "transmit/send_session.h"
#include "transmit/text_send.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Geometry of the panel, in pixels.
constexpr int kRowTop = 24;
constexpr int kRowPitch = 16;
constexpr int kRowHeight = 17;
constexpr int kCheckBoxX = 0, kCheckBoxWidth = 17;
constexpr int kEditX = 16, kEditWidth = 169;
constexpr int kButtonX = 182, kButtonWidth = 35;
constexpr int kFootHeight = 23;

QString Numbered(const char* family, int row) { return QString::fromLatin1(family) + QString::number(row); }

// A caption centred over its column; one wider than its column ("HEX" over the 17-pixel
// check boxes) starts at the column's left edge and takes the room its text needs.
void AddHeader(QWidget* rows, const char* caption, int x, int width) {
  auto* label = new QLabel(U(caption), rows);
  const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 1;
  if (needed <= width) {
    label->setGeometry(x, 4, width, 16);
    label->setAlignment(Qt::AlignCenter);
  } else {
    label->setGeometry(x, 4, needed, 16);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
}

// Keeps the rows above the foot strip and the strip along the panel's bottom; rows that do
// not fit are cut off by their area (the panel does not scroll).
class PanelLayout : public QObject {
 public:
  PanelLayout(QWidget* panel, QWidget* rows, QWidget* foot) : QObject(panel), rows_(rows), foot_(foot) {
    panel->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) Place(static_cast<QWidget*>(watched));
    return false;
  }

  void Place(QWidget* panel) {
    const int width = panel->width();
    const int rowsHeight = std::max(0, panel->height() - kFootHeight);
    rows_->setGeometry(0, 0, width, rowsHeight);
    foot_->setGeometry(0, rowsHeight, width, kFootHeight);
  }

 private:
  QWidget* rows_;
  QWidget* foot_;
};

}  // namespace

static void BuildPresetRows(TVornicSPComm& w, QWidget* rows) {
  AddHeader(rows, "HEX", kCheckBoxX, kEditX);
  AddHeader(rows, "字符串", kEditX, kEditWidth);
  AddHeader(rows, "发送", kButtonX, kButtonWidth);
  for (int n = 1; n <= 32; ++n) {
    const int y = kRowTop + kRowPitch * (n - 1);
    auto* box = new QCheckBox(rows);
    box->setObjectName(Numbered("CheckBox", n));
    box->setGeometry(kCheckBoxX, y, kCheckBoxWidth, kRowHeight);
    auto* edit = new QLineEdit(rows);
    edit->setObjectName(Numbered("Edit", n));
    edit->setGeometry(kEditX, y, kEditWidth, kRowHeight);
    edit->setMaxLength(std::numeric_limits<int>::max());
    auto* button = new QPushButton(QString::number(n), rows);
    button->setObjectName(Numbered("Button", n));
    button->setGeometry(kButtonX, y, kButtonWidth, kRowHeight);
    QObject::connect(button, &QPushButton::clicked, &w, [&w, n] { w.PresetButtonClick(n); });
    w.CheckBoxes[n - 1] = box;
    w.Edits[n - 1] = edit;
    w.Buttons[n - 1] = button;
  }
  w.Edits[0]->setText(QStringLiteral("12 00 FF 88"));
  w.CheckBoxes[0]->setChecked(true);
  w.Edits[1]->setText(QStringLiteral("output string"));
}

static void BuildCycleStrip(TVornicSPComm& w, QWidget* foot) {
  auto* row = new QHBoxLayout(foot);
  row->setContentsMargins(0, 2, 0, 2);
  row->setSpacing(2);
  w.CB_SendAutoCycle = new QCheckBox(U("自动循环发送，间隔："), foot);
  w.CB_SendAutoCycle->setObjectName("CB_SendAutoCycle");
  w.E_ExpandTime = new QLineEdit(QStringLiteral("1000"), foot);
  w.E_ExpandTime->setObjectName("E_ExpandTime");
  row->addWidget(w.CB_SendAutoCycle);
  row->addWidget(w.E_ExpandTime, 1);
  row->addWidget(new QLabel(QStringLiteral("ms"), foot));
}

void TVornicSPComm::BuildPresetPanel() {
  auto* rows = new QWidget(P_Expand);
  rows->setObjectName("PresetRows");
  auto* foot = new QWidget(P_Expand);
  foot->setObjectName("PresetCycle");
  BuildPresetRows(*this, rows);
  BuildCycleStrip(*this, foot);
  (new PanelLayout(P_Expand, rows, foot))->Place(P_Expand);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(B_Expand, &QPushButton::clicked, this, [this] { B_ExpandClick(); });
  connect(CB_SendAutoCycle, &QCheckBox::toggled, this, [this] { CB_SendAutoCycleClick(); });
  SetUpIntervalField(E_ExpandTime, [this] { E_ExpandTimeExit(); });
}

// One preset within a send session: a pass shares one session across its presets, so that
// a blocked line costs the pass one write bound, not one per preset.
static void SendPresetIn(TVornicSPComm& w, SendSession& session, const QString& text, bool hex) {
  if (text.isEmpty()) return;
  if (!w.TerminalPort->IsOpen()) {
    ShowMessageBox(&w, U(kNoticeTitle), U(kPortNotOpen));
  } else {
    // Characters GBK lacks cannot be hex digits, so they are only noted for character text.
    const std::string gbk = hex ? EncodeGbk(text.toStdString()).bytes : session.EncodeForSending(text);
    const LineEnd end =
        hex ? LineEnd::None : ChooseLineEnd(w.CB_TransmitNewLine->isChecked(), w.CB_TransmitCR->isChecked());
    session.Count(SendText(session.Writer(), gbk, hex, end));
    session.ShowCount(true);
  }
  w.TerminalPort->SetEventMask(win::EV_RXCHAR);
}

void TVornicSPComm::SendPreset(const QString& text, bool hex) {
  SendSession session(*this);
  SendPresetIn(*this, session, text, hex);
}

void TVornicSPComm::PresetButtonClick(int row) {
  SendPreset(Edits[row - 1]->text(), CheckBoxes[row - 1]->isChecked());
}

void TVornicSPComm::B_ExpandClick() {
  ExpandShown = !ExpandShown;
  P_Expand->setVisible(ExpandShown);
  B_Expand->setText(U(ExpandShown ? "隐藏" : "扩展"));
}

void TVornicSPComm::CB_SendAutoCycleClick() {
  if (CB_SendAutoCycle->isChecked()) {
    for (QWidget* control : std::initializer_list<QWidget*>{E_ExpandTime, E_AutoTransmitTime, CB_AutoTransmit,
                                                           CB_TransmitHex})
      control->setEnabled(false);
    Timer->stop();
    if (TakeInterval(this, E_ExpandTime, Timer1)) StartIfTicking(Timer1);
    return;
  }
  for (QWidget* control : std::initializer_list<QWidget*>{E_ExpandTime, CB_AutoTransmit, CB_TransmitHex})
    control->setEnabled(true);
  if (CB_AutoTransmit->isChecked()) {
    StartIfTicking(Timer);
    E_AutoTransmitTime->setEnabled(false);
  } else {
    Timer->stop();
    E_AutoTransmitTime->setEnabled(true);
  }
  Timer1->stop();
}

void TVornicSPComm::Timer1Timer() {
  // A tick from inside a notice of this (or another) send would nest a second pass.
  if (SendSession::Running(*this) || !CB_SendAutoCycle->isChecked()) return;
  SendSession session(*this, SendTrigger::Timer);
  for (int n = 0; n < 32; ++n) {
    if (session.Writer().Blocked()) break;  // the rest would only wait for the same bound
    SendPresetIn(*this, session, Edits[n]->text(), CheckBoxes[n]->isChecked());
  }
}

void TVornicSPComm::E_ExpandTimeExit() { RejectEmptyField(this, E_ExpandTime); }
