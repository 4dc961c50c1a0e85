#pragma once
// The ports on other machines the user added: kept by their names ("rfc2217://HOST:PORT",
// "tcp://HOST:PORT") and listed after the machine's own ports, so that every port list, the
// removal check of hot-plug and the saved settings see them as ports like any other.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serial/port_source.h"

class NetworkPortBook final : public PortSource {
 public:
  static constexpr size_t kMaxPorts = 16;

  // `local` lists the machine's ports; null lists none.
  explicit NetworkPortBook(std::shared_ptr<PortSource> local);

  // The machine's ports and then the network ports. A machine list that cannot be read
  // still gives the network ports (they do not depend on it).
  std::optional<std::vector<std::string>> ListPorts() override;
  // The machine's source knows its own ports; a network port is described by its name.
  PortDetails Describe(const std::string& name) override;

  const std::vector<std::string>& Names() const { return names_; }
  // Takes saved names: names that are not network port names, repeats and names beyond
  // kMaxPorts are left out.
  void SetNames(const std::vector<std::string>& names);
  // False when the name is not a network port name, is there already, or the book is full.
  bool Add(const std::string& name);
  void Remove(const std::string& name);

 private:
  std::shared_ptr<PortSource> local_;
  std::vector<std::string> names_;
};

// True when `host` resolves to an address. Waits for the system's resolver: call it away
// from the user-interface thread.
bool HostResolves(const std::string& host);
