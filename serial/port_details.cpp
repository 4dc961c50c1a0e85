#include "serial/port_details.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <charconv>

#include "serial/udev_handles.h"

namespace {

std::string Value(const std::function<const char*(const char*)>& property, const char* key) {
  const char* value = property(key);
  return value != nullptr ? std::string(value) : std::string();
}

// udev's own model name is a C identifier ("CP2102_USB_to_UART_Bridge_Controller"); the
// hardware database's has its blanks.
std::string ModelName(const std::function<const char*(const char*)>& property) {
  std::string model = Value(property, "ID_MODEL_FROM_DATABASE");
  if (model.empty()) model = Value(property, "ID_MODEL_ENC");
  if (model.empty()) model = Value(property, "ID_MODEL");
  std::string decoded;
  for (size_t i = 0; i < model.size(); ++i) {
    // ID_MODEL_ENC escapes blanks and other bytes as \xNN.
    unsigned byte = 0;
    if (model[i] == '\\' && i + 3 < model.size() && model[i + 1] == 'x' &&
        std::from_chars(model.data() + i + 2, model.data() + i + 4, byte, 16).ptr == model.data() + i + 4) {
      decoded += static_cast<char>(byte);
      i += 3;
    } else {
      decoded += model[i] == '_' ? ' ' : model[i];
    }
  }
  while (!decoded.empty() && decoded.back() == ' ') decoded.pop_back();
  return decoded;
}

}  // namespace

PortDetails DetailsFromProperties(const std::function<const char*(const char*)>& property) {
  PortDetails details;
  const std::string vendorId = Value(property, "ID_VENDOR_ID");
  const std::string productId = Value(property, "ID_MODEL_ID");
  const std::string serial = Value(property, "ID_SERIAL_SHORT");
  const std::string place = Value(property, "ID_PATH");
  if (!vendorId.empty() && !productId.empty() && (!serial.empty() || !place.empty())) {
    details.identity = vendorId + ":" + productId + (serial.empty() ? "@" + place : "#" + serial);
  }
  std::string name = ModelName(property);
  if (name.empty()) name = Value(property, "ID_VENDOR");
  if (!name.empty() && !serial.empty()) name += " (" + serial + ")";
  details.description = name.empty() ? serial : name;
  return details;
}

PortDetails UdevPortDetails(const std::string& path) {
  struct stat node{};
  if (::stat(path.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) return {};
  UdevPtr context(udev_new());
  if (!context) return {};
  UdevDevicePtr device(udev_device_new_from_devnum(context.get(), 'c', node.st_rdev));
  if (!device) return {};
  return DetailsFromProperties(
      [&](const char* key) { return udev_device_get_property_value(device.get(), key); });
}
