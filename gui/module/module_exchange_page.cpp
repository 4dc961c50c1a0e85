// The configuration page's side of the module exchanges: the two buttons start one on the
// page's port, and its verdict reaches the labels, the controls and the caption. When the
// port a module answered on goes away, the page forgets the module.
#include <QComboBox>
#include <QLabel>

#include "core/module/module_exchange.h"
#include "gui/module/config_page.h"
#include "gui/widgets/controls.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/port_list_control.h"
#include "serial/port_source.h"
#include "gui/widgets/ui_text.h"

namespace {

const char* const kReadOk = QT_TRANSLATE_NOOP("WindowText", " - 读取配置成功！");
const char* const kWriteOk = QT_TRANSLATE_NOOP("WindowText", " - 写入配置成功！");
const char* const kExchangeFailed = QT_TRANSLATE_NOOP("WindowText", " - 读取（写入）配置失败！");

// Tells the user why an exchange did not start; nothing when it did.
void ReportStart(QWidget* page, ExchangeStart start) {
  const char* text = nullptr;
  switch (start) {
    case ExchangeStart::Started: return;
    case ExchangeStart::PortMissingOrBusy: text = kPortMissingOrBusy; break;
    case ExchangeStart::SettingsUnreadable: text = kPortSettingsReadFailed; break;
    case ExchangeStart::SettingsRefused: text = kPortSettingsWrong; break;
  }
  ShowMessageBox(page, WindowText::tr(kWarningTitle), WindowText::tr(text));
}

std::string PortEntry(const ConfigPage& page) { return PortNameOf(page.CB_ZELCOMx); }

const char* StatusText(ReplyOutcome outcome) {
  switch (outcome) {
    case ReplyOutcome::ReadOk: return kReadOk;
    case ReplyOutcome::WriteOk: return kWriteOk;
    case ReplyOutcome::Failed: break;
  }
  return kExchangeFailed;
}

}  // namespace

void ConfigPage::B_ReadConfigurationClick() { ReportStart(this, exchange_.StartRead(PortEntry(*this))); }

void ConfigPage::B_WriteConfigurationClick() { ReportStart(this, exchange_.StartWrite(PortEntry(*this), Module)); }

void ConfigPage::EvaluateModuleReply() {
  const std::optional<ExchangeVerdict> verdict = exchange_.DelayElapsed();
  if (!verdict) return;  // no exchange waited for a verdict
  if (verdict->outcome == ReplyOutcome::ReadOk) {
    Module = verdict->settings;
    L_Model->setText(QString::fromStdString(verdict->model));
    L_Version->setText(QString::fromStdString(verdict->version));
    ShowModuleSettings();
  }
  emit StatusCaption(WindowText::tr(StatusText(verdict->outcome)));
}

ModulePortRemoval ConfigPage::ModulePortRemoved() {
  if (!ports_) return ModulePortRemoval::Unknown;
  // An empty selection counts as present; a port list that cannot be read tells nothing.
  const std::string selected = PortEntry(*this);
  const std::optional<bool> listed = PortPresent(*ports_, selected);
  if (!listed) return ModulePortRemoval::Unknown;
  const bool modulePortPresent = selected.empty() || *listed;
  if (modulePortPresent || !exchange_.ModuleSeen()) return ModulePortRemoval::OtherDevice;
  exchange_.SetModuleSeen(false);
  L_Model->clear();
  L_Version->clear();
  return ModulePortRemoval::ModuleGone;
}
