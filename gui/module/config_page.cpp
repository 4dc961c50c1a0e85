// The configuration page's input rules and the change handlers that keep Module in step with
// the controls.
#include "gui/module/config_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "core/module/field_checks.h"
#include "core/module/frequency_text.h"
#include "core/module/module_exchange.h"
#include "gui/widgets/controls.h"
#include "gui/widgets/field_hooks.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/port_list_control.h"
#include "gui/widgets/ui_text.h"

namespace {

const char* const kFrequencyRange = QT_TRANSLATE_NOOP("WindowText", "输入范围为：390-470");
const char* const kByteRange = QT_TRANSLATE_NOOP("WindowText", "输入范围为：0-255");

// Digits and Backspace; "." only while the text has none yet.
std::optional<QChar> FrequencyKey(const QLineEdit* field, QChar typed) {
  if (typed == QChar('.')) return field->text().contains(QChar('.')) ? std::nullopt : std::optional(typed);
  return DigitsAndBackspace(typed);
}

// Set while the focus is on its way back into a refused field. The field that had taken the
// focus loses it again on the way and is not checked then: two refused fields would
// otherwise bounce the focus, and their messages, between them for ever.
bool refocusing = false;

// Tells the user and puts the focus back into `field` once the focus change in progress has
// finished (set from inside that change, it would be undone by it).
void Refuse(QWidget* page, QLineEdit* field, const QString& text) {
  ShowMessageBox(page, WindowText::tr(kNoticeTitle), text);
  refocusing = true;
  QTimer::singleShot(0, field, [field] {
    field->setFocus(Qt::OtherFocusReason);
    refocusing = false;
  });
}

void StorePosition(const QComboBox* list, uint8_t& field) {
  if (const int position = list->currentIndex(); position >= 0) field = static_cast<uint8_t>(position);
}

void SelectPosition(QComboBox* list, std::optional<int> position) { list->setCurrentIndex(position.value_or(-1)); }

void SelectCode(QComboBox* list, uint8_t code) {
  SelectPosition(list, PositionForCode(code, static_cast<size_t>(list->count())));
}

}  // namespace

void ConfigPage::ConnectHandlers() {
  connect(CB_ZELCOMx, &DropDownComboBox::droppedDown, this, [this] { CB_ZELCOMxDropDown(); });
  // activated: only the user's pick runs a change handler, never a selection made by code.
  connect(CB_ZELCOMx, &QComboBox::activated, this, [this] { CB_ZELCOMxChange(); });
  connect(CB_RFBaudrate, &QComboBox::activated, this, [this] { CB_RFBaudrateChange(); });
  connect(CB_Power, &QComboBox::activated, this, [this] { CB_PowerChange(); });
  connect(CB_RFCOMBaudRate, &QComboBox::activated, this, [this] { CB_RFCOMBaudRateChange(); });
  connect(CB_Parity, &QComboBox::activated, this, [this] { CB_ParityChange(); });
  connect(CB_RFWakeUpTime, &QComboBox::activated, this, [this] { CB_RFWakeUpTimeChange(); });
  // Check boxes and radio buttons store their value whenever their mark changes, also
  // when code sets it (a read reply, the settings at start).
  connect(CB_FECEnable, &QCheckBox::toggled, this, [this] { CB_FECEnableClick(); });
  connect(CB_PackComplete, &QCheckBox::toggled, this, [this] { CB_PackCompleteClick(); });
  // A click on the button already checked stores too: after a read with a code that no
  // button stands for, that is how the user takes the shown choice.
  for (int i = 0; i < static_cast<int>(RB_PackLength.size()); ++i) {
    QRadioButton* button = RB_PackLength[static_cast<size_t>(i)];
    connect(button, &QRadioButton::toggled, this, [this, i](bool checked) {
      if (checked) RB_PackLengthClick(i);
    });
    connect(button, &QRadioButton::clicked, this, [this, i] { RB_PackLengthClick(i); });
  }
  connect(B_ReadConfiguration, &QPushButton::clicked, this, [this] { B_ReadConfigurationClick(); });
  connect(B_WriteConfiguration, &QPushButton::clicked, this, [this] { B_WriteConfigurationClick(); });
}

void ConfigPage::InstallFieldRules() {
  QLineEdit* frequency = E_RFFreq;
  InstallKeyFilter(frequency, [frequency](QChar typed) { return FrequencyKey(frequency, typed); });
  const std::pair<QLineEdit*, void (ConfigPage::*)()> checkedFields[] = {
      {E_RFFreq, &ConfigPage::E_RFFreqExit},
      {E_DelayTime, &ConfigPage::E_DelayTimeExit},
      {E_LocalAddr, &ConfigPage::E_LocalAddrExit},
      {E_TargetAddr, &ConfigPage::E_TargetAddrExit}};
  for (const auto& [field, onExit] : checkedFields) {
    if (field != frequency) InstallKeyFilter(field, DigitsAndBackspace);
    InstallExitHandler(field, [this, onExit] {
      if (!refocusing) (this->*onExit)();
    });
  }
}

// ---- handlers ----

void ConfigPage::CB_ZELCOMxDropDown() { RefillPortList(CB_ZELCOMx, ports_.get()); }

void ConfigPage::CB_ZELCOMxChange() {
  if (IsNetworkEntry(CB_ZELCOMx) && !RunNetworkEntry(CB_ZELCOMx, ports_.get(), this, exchange_.PortName())) return;
  // Kept whole: device paths are often longer than the 19 characters a COM name needs.
  exchange_.SetPortName(PortNameOf(CB_ZELCOMx));
}

void ConfigPage::E_RFFreqExit() {
  const QString text = E_RFFreq->text();
  const FrequencyFieldCheck check = CheckFrequencyField(text.toStdString());
  switch (check.error) {
    case FrequencyFieldError::NotANumber: Refuse(this, E_RFFreq, WindowText::tr("“%1”不是有效的数字！").arg(text)); break;
    case FrequencyFieldError::OutOfRange: Refuse(this, E_RFFreq, WindowText::tr(kFrequencyRange)); break;
    case FrequencyFieldError::None: Module.RfFreq = check.khz; break;
  }
}

// The common check of the three byte fields: empty means 0, above 255 is refused (the field
// keeps the user's text and gets the focus back, the value stays).
void ConfigPage::LeaveByteField(QLineEdit* field, uint8_t& value) {
  if (field->text().isEmpty()) {
    field->setText("0");
    value = 0;
    return;
  }
  const std::optional<uint8_t> number = CheckByteField(field->text().toStdString());
  if (!number) {
    Refuse(this, field, WindowText::tr(kByteRange));
    return;
  }
  value = *number;
}

void ConfigPage::E_DelayTimeExit() { LeaveByteField(E_DelayTime, Module.DelayTime); }
void ConfigPage::E_LocalAddrExit() { LeaveByteField(E_LocalAddr, Module.LocalAddress); }
void ConfigPage::E_TargetAddrExit() { LeaveByteField(E_TargetAddr, Module.TargetAddress); }

void ConfigPage::CB_RFBaudrateChange() { StorePosition(CB_RFBaudrate, Module.RfBaudRate); }
void ConfigPage::CB_PowerChange() { StorePosition(CB_Power, Module.RfPower); }
void ConfigPage::CB_ParityChange() { StorePosition(CB_Parity, Module.SerialParity); }
void ConfigPage::CB_RFWakeUpTimeChange() { StorePosition(CB_RFWakeUpTime, Module.WakeUpTime); }

void ConfigPage::CB_RFCOMBaudRateChange() {
  if (const auto code = SerialRateCodeForPosition(CB_RFCOMBaudRate->currentIndex())) Module.SerialBaudRate = *code;
}

void ConfigPage::CB_FECEnableClick() { Module.FecEnable = CB_FECEnable->isChecked() ? 1 : 0; }
void ConfigPage::CB_PackCompleteClick() { Module.PackComplete = CB_PackComplete->isChecked() ? 1 : 0; }

// `index` 0..5 is the button RB_PackLength1..RB_PackLength6, standing for codes 1..6.
void ConfigPage::RB_PackLengthClick(int index) { Module.PackLength = static_cast<uint8_t>(index + 1); }

void ConfigPage::ShowModuleSettings() {
  const ModuleSettings shown = Module;  // the check boxes store back into the record as they change
  E_RFFreq->setText(QString::fromStdString(FrequencyText(shown.RfFreq)));
  SelectCode(CB_RFBaudrate, shown.RfBaudRate);
  SelectCode(CB_Power, shown.RfPower);
  SelectPosition(CB_RFCOMBaudRate, SerialRatePositionForCode(shown.SerialBaudRate));
  SelectCode(CB_Parity, shown.SerialParity);
  SelectCode(CB_RFWakeUpTime, shown.WakeUpTime);
  E_DelayTime->setText(QString::number(shown.DelayTime));
  CB_FECEnable->setChecked(shown.FecEnable & 1);
  E_LocalAddr->setText(QString::number(shown.LocalAddress));
  E_TargetAddr->setText(QString::number(shown.TargetAddress));
  if (const auto choice = PackLengthChoiceForCode(shown.PackLength)) {
    RB_PackLength[static_cast<size_t>(*choice)]->setChecked(true);
  }
  CB_PackComplete->setChecked(shown.PackComplete & 1);
  Module = shown;
}
