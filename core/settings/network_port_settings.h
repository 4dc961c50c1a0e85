#pragma once
// The ports on other machines the user added, as the settings file keeps them: one name per
// slot ("rfc2217://HOST:PORT" or "tcp://HOST:PORT"), empty slots unused.
#include <array>
#include <string>

#include "serial/network_port_book.h"

struct NetworkPortSettings {
  std::array<std::string, NetworkPortBook::kMaxPorts> Ports;

  bool operator==(const NetworkPortSettings&) const = default;
};
