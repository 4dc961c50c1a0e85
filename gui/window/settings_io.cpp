// Loading both pages' settings at start and saving them at close: the file is loaded into and
// saved from plain settings, which each page shows on its controls and reads back.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/settings/profile_path.h"
#include "core/settings/settings_file.h"
#include "core/settings/plot_settings.h"
#include "gui/module/config_page.h"
#include "gui/terminal/terminal_page.h"
#include "gui/window/main_window.h"
#include "serial/network_port_book.h"
#include "gui/widgets/ui_text.h"

namespace {

// What the close tells the user when the settings could not be kept: the file and why.
QString NotSavedText(const std::string& path, const SettingsSaveResult& result) {
  const QString why = result.unread && result.error == EFBIG ? WindowText::tr("文件过大")
                                                              : QString::fromLocal8Bit(std::strerror(result.error));
  return (result.unread ? WindowText::tr("设置文件读取失败，本次的设置未保存：") : WindowText::tr("设置文件保存失败：")) +
         QString::fromLocal8Bit(path) + WindowText::tr("（") + why + WindowText::tr("）");
}

NetworkPortSettings SavedNetworkPorts(const NetworkPortBook& book) {
  NetworkPortSettings saved;
  std::copy(book.Names().begin(), book.Names().end(), saved.Ports.begin());
  return saved;
}

}  // namespace

void TVornicSPComm::LoadSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return;
  // Loaded over what the pages hold: a few texts keep it when the file's value is empty.
  AllSettings settings{TabSheet1->ReadSettings(), TabSheet2->ReadSettings(), TabSheet1->ReadLogSettings(),
                       SavedNetworkPorts(*NetworkPorts), TabSheet3->ReadSettings(), Interface};
  SettingsLoadError = LoadSettingsFile(*path, settings);
  Interface = settings.Interface;
  NetworkPorts->SetNames({settings.Network.Ports.begin(), settings.Network.Ports.end()});
  TabSheet1->ApplySettings(settings.Terminal);
  TabSheet1->ApplyLogSettings(settings.Log);
  TabSheet2->ApplySettings(settings.Module);
  TabSheet3->ApplySettings(settings.Plot);
}

QString TVornicSPComm::SaveSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return {};
  const AllSettings settings{TabSheet1->ReadSettings(), TabSheet2->ReadSettings(), TabSheet1->ReadLogSettings(),
                             SavedNetworkPorts(*NetworkPorts), TabSheet3->ReadSettings(), Interface};
  const SettingsSaveResult result = SaveSettingsFile(*path, settings, SettingsLoadError);
  LastSettingsSaveError = result.error;
  return result.error ? NotSavedText(*path, result) : QString();
}
