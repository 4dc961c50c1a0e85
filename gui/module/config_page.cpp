// The ZEL configuration page's handlers: the input rules of its fields and the reactions
// that keep ModuleSettings in step with the controls, so that a write sends the record as it
// stands and never reads the controls. Layout: config_page_layout.cpp; exchanges:
// module_exchange.cpp.
#include "gui/module/config_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "gui/widgets/controls.h"
#include "gui/widgets/field_hooks.h"
#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/port_list_control.h"
#include "core/module/frequency_text.h"
#include "core/module/module_exchange.h"
#include "core/module/module_settings.h"
#include "gui/widgets/ui_text.h"

namespace {

const char* const kFrequencyRange = "输入范围为：390-470";
const char* const kByteRange = "输入范围为：0-255";

// Digits and Backspace; "." only while the text has none yet.
std::optional<QChar> FrequencyKey(const QLineEdit* field, QChar typed) {
  if (typed == QChar('.')) return field->text().contains(QChar('.')) ? std::nullopt : std::optional(typed);
  return DigitsAndBackspace(typed);
}

void Notice(QWidget* window, const QString& text) { ShowMessageBox(window, U(kNoticeTitle), text); }

// Set while the focus is on its way back into a refused field. The field that had taken the
// focus loses it again on the way and is not checked then: two refused fields would
// otherwise bounce the focus, and their messages, between them for ever.
bool refocusing = false;

// Tells the user and puts the focus back into `field` once the focus change in progress has
// finished (set from inside that change, it would be undone by it).
void Refuse(QWidget* window, QLineEdit* field, const QString& text) {
  Notice(window, text);
  refocusing = true;
  QTimer::singleShot(0, field, [field] {
    field->setFocus(Qt::OtherFocusReason);
    refocusing = false;
  });
}

// The common check of the three byte fields: empty means 0, above 255 is refused (the field
// keeps the user's text and gets the focus back, the value stays).
void LeaveByteField(TVornicSPComm& w, QLineEdit* field, uint8_t& value) {
  if (field->text().isEmpty()) {
    field->setText("0");
    value = 0;
    return;
  }
  bool isNumber = false;
  const uint number = field->text().toUInt(&isNumber);
  if (!isNumber || number > 255) {
    Refuse(&w, field, U(kByteRange));
    return;
  }
  value = static_cast<uint8_t>(number);
}

void StorePosition(const QComboBox* list, uint8_t& field) {
  if (const int position = list->currentIndex(); position >= 0) field = static_cast<uint8_t>(position);
}

void SelectPosition(QComboBox* list, std::optional<int> position) { list->setCurrentIndex(position.value_or(-1)); }

void SelectCode(QComboBox* list, uint8_t code) {
  SelectPosition(list, PositionForCode(code, static_cast<size_t>(list->count())));
}

}  // namespace

static void ConnectHandlers(TVornicSPComm& w) {
  QObject::connect(w.CB_ZELCOMx, &DropDownComboBox::droppedDown, &w, [&w] { w.CB_ZELCOMxDropDown(); });
  // activated: only the user's pick runs a change handler, never a selection made by code.
  QObject::connect(w.CB_ZELCOMx, &QComboBox::activated, &w, [&w] { w.CB_ZELCOMxChange(); });
  QObject::connect(w.CB_RFBaudrate, &QComboBox::activated, &w, [&w] { w.CB_RFBaudrateChange(); });
  QObject::connect(w.CB_Power, &QComboBox::activated, &w, [&w] { w.CB_PowerChange(); });
  QObject::connect(w.CB_RFCOMBaudRate, &QComboBox::activated, &w, [&w] { w.CB_RFCOMBaudRateChange(); });
  QObject::connect(w.CB_Parity, &QComboBox::activated, &w, [&w] { w.CB_ParityChange(); });
  QObject::connect(w.CB_RFWakeUpTime, &QComboBox::activated, &w, [&w] { w.CB_RFWakeUpTimeChange(); });
  // Check boxes and radio buttons store their value whenever their mark changes, also
  // when code sets it (a read reply, the settings at start).
  QObject::connect(w.CB_FECEnable, &QCheckBox::toggled, &w, [&w] { w.CB_FECEnableClick(); });
  QObject::connect(w.CB_PackComplete, &QCheckBox::toggled, &w, [&w] { w.CB_PackCompleteClick(); });
  // A click on the button already checked stores too: after a read with a code that no
  // button stands for, that is how the user takes the shown choice.
  for (int i = 0; i < static_cast<int>(w.RB_PackLength.size()); ++i) {
    QRadioButton* button = w.RB_PackLength[static_cast<size_t>(i)];
    QObject::connect(button, &QRadioButton::toggled, &w, [&w, i](bool checked) {
      if (checked) w.RB_PackLengthClick(i);
    });
    QObject::connect(button, &QRadioButton::clicked, &w, [&w, i] { w.RB_PackLengthClick(i); });
  }
  QObject::connect(w.B_ReadConfiguration, &QPushButton::clicked, &w, [&w] { w.B_ReadConfigurationClick(); });
  QObject::connect(w.B_WriteConfiguration, &QPushButton::clicked, &w, [&w] { w.B_WriteConfigurationClick(); });
}

static void InstallFieldRules(TVornicSPComm& w) {
  QLineEdit* frequency = w.E_RFFreq;
  InstallKeyFilter(frequency, [frequency](QChar typed) { return FrequencyKey(frequency, typed); });
  InstallExitHandler(frequency, [&w] {
    if (!refocusing) w.E_RFFreqExit();
  });
  const std::pair<QLineEdit*, void (TVornicSPComm::*)()> byteFields[] = {
      {w.E_DelayTime, &TVornicSPComm::E_DelayTimeExit},
      {w.E_LocalAddr, &TVornicSPComm::E_LocalAddrExit},
      {w.E_TargetAddr, &TVornicSPComm::E_TargetAddrExit}};
  for (const auto& [field, onExit] : byteFields) {
    InstallKeyFilter(field, DigitsAndBackspace);
    InstallExitHandler(field, [&w, onExit] {
      if (!refocusing) (w.*onExit)();
    });
  }
}

void ConnectConfigPage(TVornicSPComm& w) {
  ConnectHandlers(w);
  InstallFieldRules(w);
}

// ---- handlers ----

void TVornicSPComm::CB_ZELCOMxDropDown() { RefillPortList(CB_ZELCOMx, Environment.ports.get()); }

void TVornicSPComm::CB_ZELCOMxChange() {
  // Kept whole: device paths are often longer than the 19 characters a COM name needs.
  Exchange->SetPortName(CB_ZELCOMx->currentText().toStdString());
}

void TVornicSPComm::E_RFFreqExit() {
  const QString text = E_RFFreq->text();
  const FrequencyParse parsed = ParseFrequencyText(text.toStdString());
  if (parsed.error == FrequencyTextError::NotANumber) {
    Refuse(this, E_RFFreq, U("“%1”不是有效的数字！").arg(text));
  } else if (!parsed.ok() || !IsFrequencyInRange(parsed.khz)) {
    Refuse(this, E_RFFreq, U(kFrequencyRange));
  } else {
    Module->RfFreq = parsed.khz;
  }
}

void TVornicSPComm::E_DelayTimeExit() { LeaveByteField(*this, E_DelayTime, Module->DelayTime); }
void TVornicSPComm::E_LocalAddrExit() { LeaveByteField(*this, E_LocalAddr, Module->LocalAddress); }
void TVornicSPComm::E_TargetAddrExit() { LeaveByteField(*this, E_TargetAddr, Module->TargetAddress); }

void TVornicSPComm::CB_RFBaudrateChange() { StorePosition(CB_RFBaudrate, Module->RfBaudRate); }
void TVornicSPComm::CB_PowerChange() { StorePosition(CB_Power, Module->RfPower); }
void TVornicSPComm::CB_ParityChange() { StorePosition(CB_Parity, Module->SerialParity); }
void TVornicSPComm::CB_RFWakeUpTimeChange() { StorePosition(CB_RFWakeUpTime, Module->WakeUpTime); }

void TVornicSPComm::CB_RFCOMBaudRateChange() {
  if (const auto code = SerialRateCodeForPosition(CB_RFCOMBaudRate->currentIndex())) Module->SerialBaudRate = *code;
}

void TVornicSPComm::CB_FECEnableClick() { Module->FecEnable = CB_FECEnable->isChecked() ? 1 : 0; }
void TVornicSPComm::CB_PackCompleteClick() { Module->PackComplete = CB_PackComplete->isChecked() ? 1 : 0; }

// `index` 0..5 is the button RB_PackLength1..RB_PackLength6, standing for codes 1..6.
void TVornicSPComm::RB_PackLengthClick(int index) { Module->PackLength = static_cast<uint8_t>(index + 1); }

void ShowModuleSettings(TVornicSPComm& w) {
  const ModuleSettings shown = *w.Module;  // the check boxes store back into the record as they change
  w.E_RFFreq->setText(QString::fromStdString(FrequencyText(shown.RfFreq)));
  SelectCode(w.CB_RFBaudrate, shown.RfBaudRate);
  SelectCode(w.CB_Power, shown.RfPower);
  SelectPosition(w.CB_RFCOMBaudRate, SerialRatePositionForCode(shown.SerialBaudRate));
  SelectCode(w.CB_Parity, shown.SerialParity);
  SelectCode(w.CB_RFWakeUpTime, shown.WakeUpTime);
  w.E_DelayTime->setText(QString::number(shown.DelayTime));
  w.CB_FECEnable->setChecked(shown.FecEnable & 1);
  w.E_LocalAddr->setText(QString::number(shown.LocalAddress));
  w.E_TargetAddr->setText(QString::number(shown.TargetAddress));
  if (const auto choice = PackLengthChoiceForCode(shown.PackLength)) {
    w.RB_PackLength[static_cast<size_t>(*choice)]->setChecked(true);
  }
  w.CB_PackComplete->setChecked(shown.PackComplete & 1);
  *w.Module = shown;
}
