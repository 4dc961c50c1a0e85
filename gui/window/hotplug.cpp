// Devices plugged in or pulled out while the program runs: one caption per plug or pull,
// and when the configuration page's port has gone after a module answered on it, the page
// forgets the module's model and version; an arrival may be the terminal page's lost device,
// which the page then reopens. No list is rebuilt.
#include "gui/window/main_window.h"
#include "core/terminal/messages.h"
#include "devices/device_events.h"
#include "gui/module/config_page.h"
#include "gui/terminal/terminal_page.h"
#include "gui/widgets/ui_text.h"

namespace {

const char* const kDeviceArrived = QT_TRANSLATE_NOOP("WindowText", " - 发现新设备！");
const char* const kModuleDeviceRemoved = QT_TRANSLATE_NOOP("WindowText", " - ZEL设备被移除！");
const char* const kDeviceRemoved = QT_TRANSLATE_NOOP("WindowText", " - 设备被移除！");

uintptr_t DeviceChangeEvent(DeviceEvent::Kind kind) {
  return kind == DeviceEvent::Arrival ? win::DBT_DEVICEARRIVAL : win::DBT_DEVICEREMOVECOMPLETE;
}

}  // namespace

void TVornicSPComm::ReadDeviceEvents() {
  if (!Environment.devices) return;
  // The source already gives one event per plug or pull; each goes through the message map
  // as the system's device-change message would.
  for (const DeviceEvent& event : Environment.devices->ReadEvents()) {
    DispatchMessage(win::WM_DEVICECHANGE, DeviceChangeEvent(event.kind), 0);
  }
}

void TVornicSPComm::HandleDeviceChange(uintptr_t event) {
  if (event == win::DBT_DEVICEARRIVAL) {
    ShowStatusCaption(WindowText::tr(kDeviceArrived));
    TabSheet1->DeviceArrived();
    return;
  }
  if (event != win::DBT_DEVICEREMOVECOMPLETE) return;
  // A port list that cannot be read tells nothing, and the removal is then not reported at all.
  switch (TabSheet2->ModulePortRemoved()) {
    case ModulePortRemoval::Unknown: break;
    case ModulePortRemoval::OtherDevice: ShowStatusCaption(WindowText::tr(kDeviceRemoved)); break;
    case ModulePortRemoval::ModuleGone: ShowStatusCaption(WindowText::tr(kModuleDeviceRemoved)); break;
  }
}
