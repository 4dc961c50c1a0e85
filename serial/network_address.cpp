#include "serial/network_address.h"

#include <charconv>

namespace {

constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr std::string_view kTcpScheme = "tcp://";

}  // namespace

bool IsNetworkPortName(std::string_view name) {
  return name.starts_with(kRfc2217Scheme) || name.starts_with(kTcpScheme);
}

std::optional<NetworkAddress> ParseNetworkAddress(std::string_view name) {
  NetworkAddress address;
  if (name.starts_with(kRfc2217Scheme)) {
    name.remove_prefix(kRfc2217Scheme.size());
  } else if (name.starts_with(kTcpScheme)) {
    address.protocol = NetworkAddress::Protocol::RawTcp;
    name.remove_prefix(kTcpScheme.size());
  } else {
    return std::nullopt;
  }
  const size_t colon = name.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = name.substr(0, colon);
  const std::string_view port = name.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  else if (host.find(':') != std::string_view::npos) return std::nullopt;  // IPv6 needs its brackets
  if (host.empty() || port.empty()) return std::nullopt;
  unsigned number = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
  if (error != std::errc() || end != port.data() + port.size() || number < 1 || number > 65535) return std::nullopt;
  address.host = std::string(host);
  address.port = static_cast<uint16_t>(number);
  return address;
}
