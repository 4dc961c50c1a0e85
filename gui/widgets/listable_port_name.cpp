#include "gui/widgets/listable_port_name.h"

#include <QString>
#include <algorithm>

bool CanListPortName(const std::string& name) {
  const bool control = std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
  return !control && QString::fromStdString(name).toStdString() == name;
}
