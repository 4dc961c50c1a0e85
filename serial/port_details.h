#pragma once
// What the system knows about a port beyond its path: which device it is (so that a USB
// adapter the kernel hands another /dev/ttyUSBn is still recognised) and how to name it to
// a person ("CP2102 USB to UART (0001)").
#include <functional>
#include <string>

struct PortDetails {
  // The same device under any path: vendor, product and serial number of a USB device, or
  // where it has no serial number, vendor and product at its place on the bus. Empty when
  // only the path tells one device from another (built-in ports, virtual ports).
  std::string identity;
  // Model and serial number as udev names them; empty when nothing is known.
  std::string description;

  bool operator==(const PortDetails&) const = default;
};

// The details from a device's udev properties; `property` gives a property's value, or
// null when the device lacks it.
PortDetails DetailsFromProperties(const std::function<const char*(const char*)>& property);

// The details of the tty device behind `path` (a link is followed) as udev has them now;
// empty details when udev cannot be asked or does not know the device.
PortDetails UdevPortDetails(const std::string& path);
