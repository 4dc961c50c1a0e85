// The configuration page shown from, and read back into, the plain settings the settings
// file is loaded into and saved from.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "core/module/module_exchange.h"
#include "gui/module/config_page.h"
#include "gui/widgets/controls.h"
#include "gui/widgets/port_list_control.h"

namespace {

std::string Typed(const QLineEdit* field) { return field->text().toStdString(); }

}  // namespace

ModulePageSettings ConfigPage::ReadSettings() const {
  ModulePageSettings s;
  s.PortName = exchange_.PortName();
  s.Module = Module;
  s.Module.FecEnable = CB_FECEnable->isChecked() ? 1 : 0;
  s.Module.PackComplete = CB_PackComplete->isChecked() ? 1 : 0;
  s.RfFreqText = Typed(E_RFFreq);
  s.DelayTimeText = Typed(E_DelayTime);
  s.LocalAddressText = Typed(E_LocalAddr);
  s.TargetAddressText = Typed(E_TargetAddr);
  return s;
}

void ConfigPage::ApplySettings(const ModulePageSettings& s) {
  exchange_.SetPortName(s.PortName);
  ShowSavedPort(CB_ZELCOMx, s.PortName);
  Module = s.Module;
  ShowModuleSettings();
  // The fields as the user left them, which may differ from the numbers they stand for.
  E_RFFreq->setText(QString::fromStdString(s.RfFreqText));
  E_DelayTime->setText(QString::fromStdString(s.DelayTimeText));
  E_LocalAddr->setText(QString::fromStdString(s.LocalAddressText));
  E_TargetAddr->setText(QString::fromStdString(s.TargetAddressText));
}
