// The configuration page's side of the module exchanges: the two buttons start one on the
// page's port, and its verdict reaches the labels, the controls and the caption.
#include <QComboBox>
#include <QLabel>

#include "gui/widgets/controls.h"
#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "gui/module/config_page.h"
#include "core/module/module_exchange.h"

namespace {

const char* const kReadOk = " - 读取配置成功！";
const char* const kWriteOk = " - 写入配置成功！";
const char* const kExchangeFailed = " - 读取（写入）配置失败！";

// Tells the user why an exchange did not start; nothing when it did.
void ReportStart(TVornicSPComm& w, ExchangeStart start) {
  const char* text = nullptr;
  switch (start) {
    case ExchangeStart::Started: return;
    case ExchangeStart::PortMissingOrBusy: text = kPortMissingOrBusy; break;
    case ExchangeStart::SettingsUnreadable: text = kPortSettingsReadFailed; break;
    case ExchangeStart::SettingsRefused: text = kPortSettingsWrong; break;
  }
  ShowMessageBox(&w, QString::fromUtf8(kWarningTitle), QString::fromUtf8(text));
}

std::string PortEntry(const TVornicSPComm& w) { return w.CB_ZELCOMx->currentText().toStdString(); }

void ShowReadReply(TVornicSPComm& w, const ExchangeVerdict& verdict) {
  *w.Module = verdict.settings;
  w.L_Model->setText(QString::fromStdString(verdict.model));
  w.L_Version->setText(QString::fromStdString(verdict.version));
  ShowModuleSettings(w);
}

const char* StatusText(ReplyOutcome outcome) {
  switch (outcome) {
    case ReplyOutcome::ReadOk: return kReadOk;
    case ReplyOutcome::WriteOk: return kWriteOk;
    case ReplyOutcome::Failed: break;
  }
  return kExchangeFailed;
}

}  // namespace

void TVornicSPComm::B_ReadConfigurationClick() { ReportStart(*this, Exchange->StartRead(PortEntry(*this))); }

void TVornicSPComm::B_WriteConfigurationClick() {
  ReportStart(*this, Exchange->StartWrite(PortEntry(*this), *Module));
}

void TVornicSPComm::GatherModuleReply(uintptr_t wParam) { Exchange->OnPortEvent(wParam); }

void TVornicSPComm::EvaluateModuleReply() {
  const std::optional<ExchangeVerdict> verdict = Exchange->DelayElapsed();
  if (!verdict) return;  // no exchange waited for a verdict
  if (verdict->outcome == ReplyOutcome::ReadOk) ShowReadReply(*this, *verdict);
  ShowStatusCaption(QString::fromUtf8(StatusText(verdict->outcome)));
}
