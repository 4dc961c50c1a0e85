#pragma once
// Rebuilding a port drop-down list from the port source, as both pages do when their list is
// opened, and showing the port the settings file names.
#include <optional>
#include <string>

class QComboBox;
class QWidget;
class PortSource;

// Lists the present ports in natural order, each with what the source knows of it. With `openDevice`, the device name a port is
// open under, its entry is selected again (none when it is no longer listed), so the list
// never shows another port than the one in use; otherwise the remembered position is (by
// position, not by name). When the source cannot be read the list stays empty. Names the
// list cannot carry (see listable_port_name.h) are left out.
void RefillPortList(QComboBox* list, PortSource* source, const std::optional<std::string>& openDevice = std::nullopt);

// The name of the port a list's entry `index` stands for (the current entry by default):
// entries may show more than the name ("/dev/ttyUSB0 — CP2102 USB to UART (0001)"), so the
// name travels with the entry. Empty when no entry is chosen.
std::string PortNameOf(const QComboBox* list, int index = -2);

// A saved port other than "COM0" becomes the only, selected entry of its list. A name the
// list cannot carry is not shown: the port is still used under its saved name, where a
// garbled entry would be taken for a port that does not exist.
void ShowSavedPort(QComboBox* list, const std::string& name);

// A list over a NetworkPortBook ends with "添加网络串口…" and, while the book holds ports,
// "删除网络串口…": entries that run a dialog instead of naming a port.
bool IsNetworkEntry(const QComboBox* list);
// The chosen entry is a network entry: runs its dialog, changes the book and refills the list.
// Returns the port added (selected in the list); nothing when the user cancelled or removed a
// port, and the list then selects `keep` again (no entry when it is not listed).
std::optional<std::string> RunNetworkEntry(QComboBox* list, PortSource* source, QWidget* parent,
                                           const std::optional<std::string>& keep);
