#pragma once
// Names of ports on other machines: "rfc2217://HOST:PORT" (telnet with com port control) and
// "tcp://HOST:PORT" (the bytes alone). HOST is a name, an IPv4 address or an IPv6 address
// in brackets ("rfc2217://[::1]:2000").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct NetworkAddress {
  enum class Protocol : uint8_t { Rfc2217, RawTcp };
  Protocol protocol = Protocol::Rfc2217;
  std::string host;
  uint16_t port = 0;
};

// True when the name starts like a network port name (whether or not the rest is valid).
bool IsNetworkPortName(std::string_view name);
// The address a network port name stands for; nullopt when the host is empty or the port
// is not a number from 1 to 65535.
std::optional<NetworkAddress> ParseNetworkAddress(std::string_view name);
