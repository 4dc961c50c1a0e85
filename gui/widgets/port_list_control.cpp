#include "gui/widgets/port_list_control.h"

#include <QComboBox>
#include <algorithm>
#include <QInputDialog>

#include "gui/widgets/listable_port_name.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/network_port_dialog.h"
#include "gui/widgets/ui_text.h"
#include "serial/network_port_book.h"
#include "serial/port_name.h"
#include "serial/port_naming.h"
#include "serial/port_source.h"

namespace {

// Item data of the entries that are actions rather than ports.
constexpr int kActionRole = Qt::UserRole + 1;
enum NetworkAction { kAddNetworkPort = 1, kRemoveNetworkPort = 2 };

void AddNetworkEntries(QComboBox* list, PortSource* source) {
  const auto* book = dynamic_cast<const NetworkPortBook*>(source);
  if (!book) return;
  list->addItem(WindowText::tr("添加网络串口…"), QVariant());
  list->setItemData(list->count() - 1, kAddNetworkPort, kActionRole);
  if (book->Names().empty()) return;
  list->addItem(WindowText::tr("删除网络串口…"), QVariant());
  list->setItemData(list->count() - 1, kRemoveNetworkPort, kActionRole);
}

int PortEntryCount(const QComboBox* list) {
  int count = 0;
  while (count < list->count() && !list->itemData(count, kActionRole).isValid()) ++count;
  return count;
}

// The user picks one of the book's ports to remove; nothing when he cancels.
std::optional<std::string> AskPortToRemove(QWidget* parent, const NetworkPortBook& book) {
  QStringList names;
  for (const std::string& name : book.Names()) names << QString::fromStdString(name);
  bool chosen = false;
  const QString name = QInputDialog::getItem(parent, WindowText::tr("删除网络串口"), WindowText::tr("网络串口："), names, 0, false, &chosen);
  if (!chosen) return std::nullopt;
  return name.toStdString();
}

int EntryOpenAs(const QComboBox* list, const std::string& device) {
  for (int i = 0; i < PortEntryCount(list); ++i) {
    if (DeviceNameForPort(PortNameOf(list, i)) == device) return i;
  }
  return -1;
}

void AddPort(QComboBox* list, const std::string& name, const std::string& description) {
  const QString shown = QString::fromStdString(name);
  list->addItem(description.empty() ? shown : shown + U(" — ") + QString::fromStdString(description),
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
  AddNetworkEntries(list, source);
  if (openDevice) {
    list->setCurrentIndex(EntryOpenAs(list, *openDevice));
    return;
  }
  list->setCurrentIndex(remembered < PortEntryCount(list) ? remembered : -1);
}

bool IsNetworkEntry(const QComboBox* list) {
  return list->currentIndex() >= 0 && list->itemData(list->currentIndex(), kActionRole).isValid();
}

std::optional<std::string> RunNetworkEntry(QComboBox* list, PortSource* source, QWidget* parent,
                                           const std::optional<std::string>& keep) {
  auto* book = dynamic_cast<NetworkPortBook*>(source);
  const int action = list->itemData(list->currentIndex(), kActionRole).toInt();
  std::optional<std::string> added;
  if (book && action == kAddNetworkPort) {
    added = AskNetworkPort(parent);
    const auto& names = book->Names();
    if (added && !book->Add(*added) && std::find(names.begin(), names.end(), *added) == names.end()) {
      ShowMessageBox(parent, WindowText::tr(kWarningTitle), WindowText::tr("网络串口已满（最多%1个），请先删除一个！").arg(NetworkPortBook::kMaxPorts));
      added.reset();
    }
  } else if (book && action == kRemoveNetworkPort) {
    if (const std::optional<std::string> removed = AskPortToRemove(parent, *book)) book->Remove(*removed);
  }
  RefillPortList(list, source, added ? added : keep);
  if (!added && !keep) list->setCurrentIndex(-1);
  return added;
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
