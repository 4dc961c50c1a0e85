#include "gui/widgets/port_list_control.h"

#include <QComboBox>

#include "gui/widgets/listable_port_name.h"
#include "serial/port_name.h"
#include "serial/port_naming.h"
#include "serial/port_source.h"

namespace {

int EntryOpenAs(const QComboBox* list, const std::string& device) {
  for (int i = 0; i < list->count(); ++i) {
    if (DeviceNameForPort(PortNameOf(list, i)) == device) return i;
  }
  return -1;
}

void AddPort(QComboBox* list, const std::string& name, const std::string& description) {
  const QString shown = QString::fromStdString(name);
  list->addItem(description.empty() ? shown : shown + QString::fromUtf8(" — ") + QString::fromStdString(description),
                shown);
}

}  // namespace

void RefillPortList(QComboBox* list, PortSource* source, const std::optional<std::string>& openDevice) {
  const int remembered = list->currentIndex();
  list->clear();
  std::optional<std::vector<std::string>> ports = source ? source->ListPorts() : std::nullopt;
  if (!ports) return;
  SortPortNames(*ports);
  for (const std::string& port : *ports) {
    if (CanListPortName(port)) AddPort(list, port, source->Describe(port).description);
  }
  if (openDevice) {
    list->setCurrentIndex(EntryOpenAs(list, *openDevice));
    return;
  }
  list->setCurrentIndex(remembered < list->count() ? remembered : -1);
}

void ShowSavedPort(QComboBox* list, const std::string& name) {
  if (name.empty() || (name.size() >= 4 && name[3] == '0') || !CanListPortName(name)) return;
  AddPort(list, name, {});
  list->setCurrentIndex(0);
}

std::string PortNameOf(const QComboBox* list, int index) {
  if (index == -2) index = list->currentIndex();
  if (index < 0 || index >= list->count()) return {};
  const QVariant name = list->itemData(index);
  return (name.isValid() ? name.toString() : list->itemText(index)).toStdString();
}
