#include "serial/port_name.h"

#include <algorithm>

namespace {

constexpr std::string_view kComPrefix = "COM";

// True for COM followed by one or more decimal digits and nothing else.
bool IsComName(std::string_view name) {
  if (!name.starts_with(kComPrefix) || name.size() == kComPrefix.size()) return false;
  return std::all_of(name.begin() + kComPrefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// True when the digits after "COM" make a number above 9. Leading zeros do not count, and
// a long run of digits is compared by its length rather than converted, so it cannot
// overflow.
bool ComNumberAboveNine(std::string_view name) {
  std::string_view digits = name.substr(kComPrefix.size());
  const size_t firstSignificant = digits.find_first_not_of('0');
  if (firstSignificant == std::string_view::npos) return false;
  return digits.size() - firstSignificant >= 2;
}

}  // namespace

std::string DeviceNameForPort(const std::string& listed) {
  if (listed.starts_with(kDeviceNamespacePrefix)) return listed;
  if (IsComName(listed) && ComNumberAboveNine(listed)) return std::string(kDeviceNamespacePrefix) + listed;
  return listed;
}
