// The transmit panel of the terminal page: the transmit field and "发送", character and hex
// mode with a text kept for each, the line ends, and the timed repeat.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "app/default_button.h"
#include "app/field_hooks.h"
#include "app/gbk_codec.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "serial/serial_port.h"
#include "transmit/interval_field.h"
#include "transmit/send_session.h"
#include "transmit/text_send.h"
#include "transmit/typed_keys.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Controls of the panel, each named as the handlers call it.
QCheckBox* CheckBox(const char* name, const char* caption, bool checked) {
  auto* box = new QCheckBox(U(caption));
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

QLineEdit* Field(const char* name, const char* text) {
  auto* field = new QLineEdit(U(text));
  field->setObjectName(name);
  return field;
}

// Hex mode lets through only what hex byte text is made of: digits, upper-case "A"-"F"
// (lower case is made upper case first), space, Backspace and the clipboard keys.
std::optional<QChar> HexKey(QChar typed) {
  const char16_t c = typed.unicode();
  const QChar key = (c >= u'a' && c <= u'z') ? QChar(c - 32) : typed;
  const char16_t k = key.unicode();
  const bool digit = (k >= u'0' && k <= u'9') || (k >= u'A' && k <= u'F');
  const bool allowed = digit || k == u' ' || k == 8 || k == 3 || k == 22 || k == 24;
  if (!allowed) return std::nullopt;
  return key;
}

}  // namespace

void TVornicSPComm::BuildTransmitPanel() {
  E_TransmitData = Field("E_TransmitData", "abcdefg");
  E_TransmitData->setMaxLength(std::numeric_limits<int>::max());
  B_Transmit = new QPushButton(U("发送"));
  B_Transmit->setObjectName("B_Transmit");
  CB_TransmitHex = CheckBox("CB_TransmitHex", "HEX发送", true);
  CB_TransmitNewLine = CheckBox("CB_TransmitNewLine", "发送新行", false);
  CB_TransmitCR = CheckBox("CB_TransmitCR", "发送'\\n'", false);
  CB_AutoTransmit = CheckBox("CB_AutoTransmit", "定时发送", false);
  E_AutoTransmitTime = Field("E_AutoTransmitTime", "1000");
  E_AutoTransmitTime->setFixedWidth(60);
  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(1000);

  // The page's default button: Enter in the transmit field, an interval field or a check
  // box of the page presses it (once); in a preset row Enter sends that row.
  B_Transmit->setDefault(true);
  B_Transmit->setAutoDefault(false);
  InstallDefaultButton(TabSheet1, [this](QWidget* focus) -> QAbstractButton* {
    for (size_t n = 0; n < Buttons.size(); ++n) {
      if (focus == Edits[n] || focus == CheckBoxes[n]) return Buttons[n];
    }
    return B_Transmit;
  });

  auto* grid = new QGridLayout(TransmitArea);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* fieldRow = new QHBoxLayout;
  fieldRow->addWidget(new QLabel(U("字符串输入框：")));
  fieldRow->addWidget(E_TransmitData, 1);
  fieldRow->addWidget(B_Transmit);
  grid->addLayout(fieldRow, 0, 0);
  auto* modeRow = new QHBoxLayout;
  for (QCheckBox* box : {CB_TransmitHex, CB_TransmitNewLine, CB_TransmitCR}) modeRow->addWidget(box);
  modeRow->addStretch();
  grid->addLayout(modeRow, 1, 0);
  auto* repeatRow = new QHBoxLayout;
  repeatRow->addWidget(CB_AutoTransmit);
  repeatRow->addWidget(E_AutoTransmitTime);
  repeatRow->addWidget(new QLabel(U("ms/次")));
  repeatRow->addStretch();
  grid->addLayout(repeatRow, 2, 0);
  grid->setRowStretch(3, 1);

  connect(B_Transmit, &QPushButton::clicked, this, [this] { B_TransmitClick(); });
  InstallKeyFilter(E_TransmitData, [this](QChar typed) -> std::optional<QChar> {
    return CB_TransmitHex->isChecked() ? HexKey(typed) : typed;
  });
  InstallExitHandler(E_TransmitData, [this] { E_TransmitDataExit(); });
  connect(CB_TransmitHex, &QCheckBox::toggled, this, [this] { CB_TransmitHexClick(); });
  connect(CB_TransmitNewLine, &QCheckBox::toggled, this, [this] { CB_TransmitNewLineClick(); });
  connect(CB_TransmitCR, &QCheckBox::toggled, this, [this] { CB_TransmitCRClick(); });
  connect(CB_AutoTransmit, &QCheckBox::toggled, this, [this] { CB_AutoTransmitClick(); });
  SetUpIntervalField(E_AutoTransmitTime, [this] { E_AutoTransmitTimeExit(); });
  connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
  CB_TransmitNewLineClick();  // the enabled states of the line-end boxes for the hex mode
  ConnectReceiveKeys(*this);
}

void TVornicSPComm::ShowTransmittedCount(bool withColon) {
  StatusPanels[1]->setText(TransmittedCountText(withColon, TransmittedCount));
  StatusPanels[1]->setToolTip({});
}

// Sends the transmit field once, for a click (or Enter) or for a tick of the timed send.
static void SendTransmitField(TVornicSPComm& w, SendTrigger trigger) {
  SendSession session(w, trigger);
  const QString text = w.E_TransmitData->text();
  if (!w.TerminalPort->IsOpen()) {
    ShowMessageBox(&w, U(kNoticeTitle), U(kPortNotOpen));
  } else if (w.CB_TransmitHex->isChecked()) {
    // Characters GBK lacks can never be hex digits; they are passed over like any other.
    const GbkEncoded gbk = EncodeGbk(text.toStdString());
    session.Count(SendText(session.Writer(), gbk.bytes, true, LineEnd::None));
    session.ShowCount(true);
  } else {
    const std::string gbk = session.EncodeForSending(text);
    const LineEnd end = ChooseLineEnd(w.CB_TransmitNewLine->isChecked(), w.CB_TransmitCR->isChecked());
    session.Count(SendText(session.Writer(), gbk, false, end));
    session.ShowCount(true);
  }
  w.TerminalPort->SetEventMask(win::EV_RXCHAR);
}

void TVornicSPComm::B_TransmitClick() { SendTransmitField(*this, SendTrigger::User); }

void TVornicSPComm::E_TransmitDataExit() {
  std::string& slot = CB_TransmitHex->isChecked() ? TransmitDataHex : TransmitDataChar;
  slot = KeepOrEncodeGbk(E_TransmitData->text().toStdString(), slot);
}

// Which line-end box may be used. Every change of the three boxes applies the whole table,
// so the result never depends on the order in which code sets the marks.
static void ApplyLineEndStates(TVornicSPComm& w) {
  const bool hex = w.CB_TransmitHex->isChecked();
  const bool newLine = w.CB_TransmitNewLine->isChecked();
  const bool lineFeed = w.CB_TransmitCR->isChecked();
  w.CB_TransmitNewLine->setEnabled(!hex && (newLine || !lineFeed));
  w.CB_TransmitCR->setEnabled(!hex && !newLine);
}

void TVornicSPComm::CB_TransmitHexClick() {
  ApplyLineEndStates(*this);
  const std::string& slot = CB_TransmitHex->isChecked() ? TransmitDataHex : TransmitDataChar;
  E_TransmitData->setText(QString::fromStdString(DecodeGbk(slot)));
}

void TVornicSPComm::CB_TransmitNewLineClick() { ApplyLineEndStates(*this); }

void TVornicSPComm::CB_TransmitCRClick() { ApplyLineEndStates(*this); }

void TVornicSPComm::CB_AutoTransmitClick() {
  if (!CB_AutoTransmit->isChecked()) {
    E_AutoTransmitTime->setEnabled(true);
    Timer->stop();
    return;
  }
  if (!TakeInterval(this, E_AutoTransmitTime, Timer)) return;
  E_AutoTransmitTime->setEnabled(false);
  StartIfTicking(Timer);
}

void TVornicSPComm::E_AutoTransmitTimeExit() { RejectEmptyField(this, E_AutoTransmitTime); }

void TVornicSPComm::TimerTimer() {
  if (SendSession::Running(*this)) return;  // a tick from inside a send's notice
  if (TerminalPort->IsOpen()) SendTransmitField(*this, SendTrigger::Timer);
}
