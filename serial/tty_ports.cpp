#include "serial/tty_ports.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "serial/terminal_device.h"
#include "serial/udev_handles.h"

namespace fs = std::filesystem;

namespace {

std::optional<long> ParseLong(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<std::string> ReadSmallFile(const fs::path& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::string text, line;
  while (std::getline(in, line)) text += line + '\n';
  return text;
}

// The DEVNAME= line of a sysfs uevent file: the node's path below /dev.
std::optional<std::string> DevNameFromUevent(const std::string& uevent) {
  constexpr std::string_view kKey = "DEVNAME=";
  size_t pos = 0;
  while (pos < uevent.size()) {
    size_t end = uevent.find('\n', pos);
    if (end == std::string::npos) end = uevent.size();
    std::string_view line(uevent.data() + pos, end - pos);
    if (line.starts_with(kKey)) return std::string(line.substr(kKey.size()));
    pos = end + 1;
  }
  return std::nullopt;
}

TtyRecord RecordFromSysfs(const fs::path& ttyDir, const std::string& devDir,
                          const std::optional<TtyDriverTable>& drivers) {
  TtyRecord record;
  record.name = ttyDir.filename().string();
  std::error_code ec;
  record.hasHardwareParent = fs::exists(ttyDir / "device", ec);
  if (auto type = ReadSmallFile(ttyDir / "type")) record.uartType = ParseLong(*type);
  std::string devName = record.name;
  if (auto uevent = ReadSmallFile(ttyDir / "uevent")) {
    if (auto fromUevent = DevNameFromUevent(*uevent)) devName = *fromUevent;
  }
  record.devnode = devDir + "/" + devName;
  record.devnodeIsTerminal = MayBeTerminal(record.devnode, drivers);
  return record;
}

TtyRecord RecordFromUdev(udev_device* device, const std::optional<TtyDriverTable>& drivers) {
  TtyRecord record;
  if (const char* name = udev_device_get_sysname(device)) record.name = name;
  if (const char* node = udev_device_get_devnode(device)) record.devnode = node;
  record.devnodeIsTerminal = !record.devnode.empty() && MayBeTerminal(record.devnode, drivers);
  record.hasHardwareParent = udev_device_get_parent(device) != nullptr;  // borrowed, not owned
  if (const char* type = udev_device_get_sysattr_value(device, "type")) record.uartType = ParseLong(type);
  return record;
}

}  // namespace

bool IsSerialPortRecord(const TtyRecord& record) {
  if (record.devnode.empty() || !record.devnodeIsTerminal) return false;
  const bool bluetoothSerial = record.name.starts_with("rfcomm");
  if (!record.hasHardwareParent && !bluetoothSerial) return false;
  return !record.uartType || *record.uartType != 0;
}

std::vector<std::string> SerialPortPaths(const std::vector<TtyRecord>& records) {
  std::vector<std::string> paths;
  for (const TtyRecord& record : records) {
    if (IsSerialPortRecord(record)) paths.push_back(record.devnode);
  }
  return paths;
}

std::optional<std::vector<TtyRecord>> ScanTtysWithUdev() {
  UdevPtr context(udev_new());
  if (!context) return std::nullopt;
  UdevEnumeratePtr enumerate(udev_enumerate_new(context.get()));
  if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(enumerate.get()) < 0) {
    return std::nullopt;
  }
  const std::optional<TtyDriverTable> drivers = TtyDriverTable::Read();
  std::vector<TtyRecord> records;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
    UdevDevicePtr device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    if (device) records.push_back(RecordFromUdev(device.get(), drivers));  // a device gone meanwhile is skipped
  }
  return records;
}

std::optional<std::vector<TtyRecord>> ScanTtysInSysfs(const std::string& classDir, const std::string& devDir) {
  std::error_code ec;
  fs::directory_iterator it(classDir, ec);
  if (ec) return std::nullopt;
  const std::optional<TtyDriverTable> drivers = TtyDriverTable::Read();
  std::vector<TtyRecord> records;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    records.push_back(RecordFromSysfs(it->path(), devDir, drivers));
  }
  return records;
}
