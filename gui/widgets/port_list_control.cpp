#include "gui/widgets/port_list_control.h"

#include <QComboBox>

#include "gui/widgets/listable_port_name.h"
#include "serial/port_name.h"
#include "serial/port_naming.h"
#include "serial/port_source.h"

namespace {

int EntryOpenAs(const QComboBox* list, const std::string& device) {
  for (int i = 0; i < list->count(); ++i) {
    if (DeviceNameForPort(list->itemText(i).toStdString()) == device) return i;
  }
  return -1;
}

}  // namespace

void RefillPortList(QComboBox* list, PortSource* source, const std::optional<std::string>& openDevice) {
  const int remembered = list->currentIndex();
  list->clear();
  std::optional<std::vector<std::string>> ports = source ? source->ListPorts() : std::nullopt;
  if (!ports) return;
  SortPortNames(*ports);
  for (const std::string& port : *ports) {
    if (CanListPortName(port)) list->addItem(QString::fromStdString(port));
  }
  if (openDevice) {
    list->setCurrentIndex(EntryOpenAs(list, *openDevice));
    return;
  }
  list->setCurrentIndex(remembered < list->count() ? remembered : -1);
}

void ShowSavedPort(QComboBox* list, const std::string& name) {
  if (name.empty() || (name.size() >= 4 && name[3] == '0') || !CanListPortName(name)) return;
  list->addItem(QString::fromStdString(name));
  list->setCurrentIndex(0);
}
