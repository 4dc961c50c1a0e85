#include "serial/network_port_book.h"

#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>

#include "serial/network_address.h"

NetworkPortBook::NetworkPortBook(std::shared_ptr<PortSource> local) : local_(std::move(local)) {}

std::optional<std::vector<std::string>> NetworkPortBook::ListPorts() {
  std::optional<std::vector<std::string>> ports = local_ ? local_->ListPorts() : std::nullopt;
  if (!ports && names_.empty()) return ports;
  if (!ports) ports.emplace();
  ports->insert(ports->end(), names_.begin(), names_.end());
  return ports;
}

PortDetails NetworkPortBook::Describe(const std::string& name) {
  return local_ && !IsNetworkPortName(name) ? local_->Describe(name) : PortDetails{};
}

void NetworkPortBook::SetNames(const std::vector<std::string>& names) {
  names_.clear();
  for (const std::string& name : names) Add(name);
}

bool NetworkPortBook::Add(const std::string& name) {
  if (!ParseNetworkAddress(name) || names_.size() >= kMaxPorts) return false;
  if (std::find(names_.begin(), names_.end(), name) != names_.end()) return false;
  names_.push_back(name);
  return true;
}

void NetworkPortBook::Remove(const std::string& name) { std::erase(names_, name); }

bool HostResolves(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return false;
  ::freeaddrinfo(found);
  return true;
}
