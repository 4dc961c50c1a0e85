#include "app/port_list_control.h"

#include <QComboBox>

#include "app/listable_port_name.h"
#include "serial/port_naming.h"
#include "serial/port_source.h"

void RefillPortList(QComboBox* list, PortSource* source) {
  const int remembered = list->currentIndex();
  list->clear();
  std::optional<std::vector<std::string>> ports = source ? source->ListPorts() : std::nullopt;
  if (!ports) return;
  SortPortNames(*ports);
  for (const std::string& port : *ports) {
    if (CanListPortName(port)) list->addItem(QString::fromStdString(port));
  }
  list->setCurrentIndex(remembered < list->count() ? remembered : -1);
}
