#include "core/module/module_settings.h"

namespace {

struct ModelName {
  uint8_t code;
  std::string_view text;
};

constexpr ModelName kModels[] = {
    {0x01, "ZEL-A1"}, {0x02, "ZEL-A2"}, {0x03, "ZEL-B1"},      {0x04, "ZEL-C1"},
    {0x08, "ZEL-D1"}, {0x11, "ZEL-A3"}, {0x13, "ZEL-B1 FIFO"},
};

// Position of SerialRateListTexts -> module code.
constexpr std::array<uint8_t, SerialRateListTexts.size()> kSerialRateCodes = {7, 8, 0, 1, 2, 3, 4, 5, 6, 9};

}  // namespace

std::optional<int> PositionForCode(uint8_t code, size_t entries) {
  if (code >= entries) return std::nullopt;
  return code;
}

std::optional<uint8_t> SerialRateCodeForPosition(int position) {
  if (position < 0 || static_cast<size_t>(position) >= kSerialRateCodes.size()) return std::nullopt;
  return kSerialRateCodes[static_cast<size_t>(position)];
}

std::optional<int> SerialRatePositionForCode(uint8_t code) {
  for (size_t position = 0; position < kSerialRateCodes.size(); ++position) {
    if (kSerialRateCodes[position] == code) return static_cast<int>(position);
  }
  return std::nullopt;
}

std::optional<int> PackLengthChoiceForCode(uint8_t code) {
  if (code < 1 || code > PackLengthBytes.size()) return std::nullopt;
  return code - 1;
}

std::string_view ModelText(uint8_t code) {
  for (const ModelName& model : kModels) {
    if (model.code == code) return model.text;
  }
  return "Unknown Device";
}
