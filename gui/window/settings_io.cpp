// Loading both pages' settings at start and saving them at close: the pages' controls and
// state shown from, and read back into, the plain settings the file is loaded into and
// saved from.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "gui/widgets/controls.h"
#include "gui/widgets/port_list_control.h"
#include "gui/window/main_window.h"
#include "gui/module/config_page.h"
#include "core/module/module_exchange.h"
#include "core/module/module_settings.h"
#include "core/settings/profile_path.h"
#include "core/settings/settings_file.h"
#include "gui/terminal/terminal_page.h"

namespace {

QString Shown(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string Typed(const QLineEdit* field) { return field->text().toStdString(); }

ModulePageSettings ReadModulePageSettings(const TVornicSPComm& w) {
  ModulePageSettings s;
  s.PortName = w.Exchange->PortName();
  s.Module = *w.Module;
  s.Module.FecEnable = w.CB_FECEnable->isChecked() ? 1 : 0;
  s.Module.PackComplete = w.CB_PackComplete->isChecked() ? 1 : 0;
  s.RfFreqText = Typed(w.E_RFFreq);
  s.DelayTimeText = Typed(w.E_DelayTime);
  s.LocalAddressText = Typed(w.E_LocalAddr);
  s.TargetAddressText = Typed(w.E_TargetAddr);
  return s;
}

void ShowModulePageSettings(TVornicSPComm& w, const ModulePageSettings& s) {
  w.Exchange->SetPortName(s.PortName);
  ShowSavedPort(w.CB_ZELCOMx, s.PortName);
  *w.Module = s.Module;
  ShowModuleSettings(w);
  w.E_RFFreq->setText(Shown(s.RfFreqText));
  w.E_DelayTime->setText(Shown(s.DelayTimeText));
  w.E_LocalAddr->setText(Shown(s.LocalAddressText));
  w.E_TargetAddr->setText(Shown(s.TargetAddressText));
}

// What the close tells the user when the settings could not be kept: the file and why.
QString NotSavedText(const std::string& path, const SettingsSaveResult& result) {
  const QString why = result.unread && result.error == EFBIG ? QString::fromUtf8("文件过大")
                                                              : QString::fromLocal8Bit(std::strerror(result.error));
  return QString::fromUtf8(result.unread ? "设置文件读取失败，本次的设置未保存：" : "设置文件保存失败：") +
         QString::fromLocal8Bit(path) + QString::fromUtf8("（") + why + QString::fromUtf8("）");
}

}  // namespace

void TVornicSPComm::LoadSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return;
  // Loaded over what the pages hold: a few texts keep it when the file's value is empty.
  AllSettings settings{TabSheet1->ReadSettings(), ReadModulePageSettings(*this)};
  SettingsLoadError = LoadSettingsFile(*path, settings);
  TabSheet1->ApplySettings(settings.Terminal);
  ShowModulePageSettings(*this, settings.Module);
}

QString TVornicSPComm::SaveSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return {};
  const AllSettings settings{TabSheet1->ReadSettings(), ReadModulePageSettings(*this)};
  const SettingsSaveResult result = SaveSettingsFile(*path, settings, SettingsLoadError);
  LastSettingsSaveError = result.error;
  return result.error ? NotSavedText(*path, result) : QString();
}
