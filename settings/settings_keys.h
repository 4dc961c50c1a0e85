#pragma once
// Section names and the preset key family of the settings file.
#include <string>

inline constexpr const char* kUsartSection = "VornicSPCommTool_USART";
inline constexpr const char* kZelSection = "VornicSPCommTool_ZEL";

// Keys of preset row 0..31: "Hex1"/"String1" .. "Hex32"/"String32".
inline std::string PresetHexKey(int row) { return "Hex" + std::to_string(row + 1); }
inline std::string PresetStringKey(int row) { return "String" + std::to_string(row + 1); }

// What a preset row holds when the file has nothing for it (and before any file is read).
inline const char* PresetDefaultText(int row) {
  return row == 0 ? "12 00 FF 88" : row == 1 ? "output string" : "";
}
