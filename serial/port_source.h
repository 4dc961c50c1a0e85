#pragma once
// Where the port lists come from. The window asks a PortSource each time a list drops down
// and when it checks whether a port is still there; tests and the window's own tests hand
// in their own source.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serial/port_details.h"

class PortSource {
 public:
  virtual ~PortSource() = default;
  // The ports present now, by the name they open under, in the source's own order (callers
  // sort with SortPortNames / InsertPortName). Empty optional: the list cannot be read at
  // all; an empty vector: it was read and there are no ports.
  virtual std::optional<std::vector<std::string>> ListPorts() = 0;
  // What is known of the port listed as `name` now; empty details when nothing is.
  virtual PortDetails Describe(const std::string& name) {
    static_cast<void>(name);
    return {};
  }
};

// The machine's serial ports: hardware ports from libudev (or sysfs when libudev cannot be
// used) followed by the virtual ports announced in VirtualPortDirectory(). Empty optional
// only when neither the hardware list nor the virtual port directory could be read.
class SystemPortSource : public PortSource {
 public:
  SystemPortSource();
  // `virtualPortDir` replaces the default directory of virtual ports.
  explicit SystemPortSource(std::string virtualPortDir);
  std::optional<std::vector<std::string>> ListPorts() override;
  PortDetails Describe(const std::string& name) override;

 private:
  std::string virtualPortDir_;
};

// The ports announced by links in one directory (see virtual_ports.h): a source of
// pseudo-terminals for tests and for machines without serial hardware.
class DirectoryPortSource : public PortSource {
 public:
  explicit DirectoryPortSource(std::string dir) : dir_(std::move(dir)) {}
  std::optional<std::vector<std::string>> ListPorts() override;

 private:
  std::string dir_;
};

// True when `source` lists a port named exactly `name` (case-sensitive). A source that
// cannot be read tells nothing: the result is then empty.
std::optional<bool> PortPresent(PortSource& source, const std::string& name);

// The listed port that shows the device identity `identity` (see PortDetails): `preferred`
// when it shows it (the kernel mostly gives a device back its old name), else the first other
// port that does. Nothing when none does or the list cannot be read.
std::optional<std::string> FindPortByIdentity(PortSource& source, const std::string& identity,
                                              const std::string& preferred);
