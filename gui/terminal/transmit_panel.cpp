#include "gui/terminal/transmit_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "gui/widgets/field_hooks.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/interval_field.h"
#include "core/transmit/transmit_session.h"
#include "gui/terminal/typed_keys.h"
#include "gui/widgets/ui_text.h"

namespace {

// Controls of the panel, each named as the handlers call it.
QCheckBox* CheckBox(const char* name, const char* caption, bool checked) {
  auto* box = new QCheckBox(WindowText::tr(caption));
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

QLineEdit* Field(const char* name, const char* text) {
  auto* field = new QLineEdit(WindowText::tr(text));
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

TransmitPanel::TransmitPanel(TransmitSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("TransmitArea");
  E_TransmitData = Field("E_TransmitData", "abcdefg");
  E_TransmitData->setMaxLength(std::numeric_limits<int>::max());
  B_Transmit = new QPushButton(WindowText::tr("发送"));
  B_Transmit->setObjectName("B_Transmit");
  CB_TransmitHex = CheckBox("CB_TransmitHex", QT_TRANSLATE_NOOP("WindowText", "HEX发送"), true);
  CB_TransmitNewLine = CheckBox("CB_TransmitNewLine", QT_TRANSLATE_NOOP("WindowText", "发送新行"), false);
  CB_TransmitCR = CheckBox("CB_TransmitCR", QT_TRANSLATE_NOOP("WindowText", "发送'\\n'"), false);
  CB_AutoTransmit = CheckBox("CB_AutoTransmit", QT_TRANSLATE_NOOP("WindowText", "定时发送"), false);
  E_AutoTransmitTime = Field("E_AutoTransmitTime", "1000");
  E_AutoTransmitTime->setFixedWidth(60);
  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(session_.TimedSend().interval);
  // The page's default button: Enter in the transmit field, an interval field or a check
  // box of the page presses it (the page decides which button Enter presses).
  B_Transmit->setDefault(true);
  B_Transmit->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* fieldRow = new QHBoxLayout;
  fieldRow->addWidget(new QLabel(WindowText::tr("字符串输入框：")));
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
  repeatRow->addWidget(new QLabel(WindowText::tr("ms/次")));
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
  session_.SetHex(CB_TransmitHex->isChecked());
  ApplyLineEndStates();  // the enabled states of the line-end boxes for the hex mode
}

void TransmitPanel::B_TransmitClick() { session_.SendField(E_TransmitData->text().toStdString()); }

void TransmitPanel::E_TransmitDataExit() { session_.StoreField(E_TransmitData->text().toStdString()); }

// Every change of the three boxes applies the whole table.
void TransmitPanel::ApplyLineEndStates() {
  session_.SetLineEnds(CB_TransmitNewLine->isChecked(), CB_TransmitCR->isChecked());
  const LineEndBoxes usable = session_.UsableLineEnds();
  CB_TransmitNewLine->setEnabled(usable.newLine);
  CB_TransmitCR->setEnabled(usable.lineFeed);
}

void TransmitPanel::CB_TransmitHexClick() {
  session_.SetHex(CB_TransmitHex->isChecked());
  ApplyLineEndStates();
  E_TransmitData->setText(QString::fromStdString(session_.FieldText()));
}

void TransmitPanel::CB_TransmitNewLineClick() { ApplyLineEndStates(); }

void TransmitPanel::CB_TransmitCRClick() { ApplyLineEndStates(); }

void TransmitPanel::CB_AutoTransmitClick() {
  const bool on = CB_AutoTransmit->isChecked();
  const std::optional<int32_t> period = on ? ParseInterval(E_AutoTransmitTime->text()) : std::nullopt;
  if (!session_.SwitchTimedSend(on, period)) return ShowIntervalRefused(window(), E_AutoTransmitTime);
  ShowTimedState();
}

void TransmitPanel::ShowTimedState() {
  const bool cycleOn = session_.CycleOn();
  E_AutoTransmitTime->setEnabled(session_.TimedPeriodEditable());
  CB_AutoTransmit->setEnabled(!cycleOn);
  CB_TransmitHex->setEnabled(!cycleOn);
  FollowTimerState(Timer, session_.TimedSend());
}

void TransmitPanel::StopTimedSend() {
  session_.StopTimedSend();
  Timer->stop();
}

void TransmitPanel::E_AutoTransmitTimeExit() { RejectEmptyField(window(), E_AutoTransmitTime); }

void TransmitPanel::TimerTimer() { session_.TimedTick(E_TransmitData->text().toStdString()); }

bool TransmitPanel::M_ReceiverDataKeyDown(int key) { return session_.KeyDown(ArrowKeyOf(key)); }

void TransmitPanel::M_ReceiverDataKeyPress(const QString& typed) { session_.KeysTyped(typed.toStdString()); }
