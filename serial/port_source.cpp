#include "serial/port_source.h"

#include <algorithm>

#include "serial/tty_ports.h"
#include "serial/virtual_ports.h"

namespace {

std::optional<std::vector<std::string>> ListHardwarePorts() {
  auto records = ScanTtysWithUdev();
  if (!records) records = ScanTtysInSysfs("/sys/class/tty", "/dev");
  if (!records) return std::nullopt;
  return SerialPortPaths(*records);
}

}  // namespace

SystemPortSource::SystemPortSource() : SystemPortSource(VirtualPortDirectory()) {}

SystemPortSource::SystemPortSource(std::string virtualPortDir) : virtualPortDir_(std::move(virtualPortDir)) {}

std::optional<std::vector<std::string>> SystemPortSource::ListPorts() {
  auto hardware = ListHardwarePorts();
  auto virtualPorts = ListVirtualPorts(virtualPortDir_);
  if (!hardware && !virtualPorts) return std::nullopt;
  std::vector<std::string> ports = hardware.value_or(std::vector<std::string>{});
  if (virtualPorts) ports.insert(ports.end(), virtualPorts->begin(), virtualPorts->end());
  return ports;
}

PortDetails SystemPortSource::Describe(const std::string& name) {
  // A virtual port is its link: whatever terminal it leads to now is the same port.
  if (name.starts_with(virtualPortDir_ + "/")) return {};
  return UdevPortDetails(name);
}

std::optional<std::vector<std::string>> DirectoryPortSource::ListPorts() { return ListVirtualPorts(dir_); }

std::optional<bool> PortPresent(PortSource& source, const std::string& name) {
  auto ports = source.ListPorts();
  if (!ports) return std::nullopt;
  return std::find(ports->begin(), ports->end(), name) != ports->end();
}

std::optional<std::string> FindPortByIdentity(PortSource& source, const std::string& identity,
                                              const std::string& preferred) {
  if (identity.empty()) return std::nullopt;
  const std::optional<std::vector<std::string>> ports = source.ListPorts();
  if (!ports) return std::nullopt;
  const auto shows = [&](const std::string& port) { return source.Describe(port).identity == identity; };
  if (std::find(ports->begin(), ports->end(), preferred) != ports->end() && shows(preferred)) return preferred;
  for (const std::string& port : *ports) {
    if (port != preferred && shows(port)) return port;
  }
  return std::nullopt;
}
