#pragma once
// The terminal page's settings as plain values: its port and line, the transmit options and
// the preset rows. The settings file is loaded into this and saved from it; the page shows
// it on its controls and reads it back from them. The first-run values are not here but in
// the key table (settings_keys.h): loading a file that lacks the keys gives them.
//
// Texts a field shows are UTF-8, as the field has them; the file keeps them in GBK. The
// transmit texts and the port name are bytes, as the page keeps them while it runs.
#include <array>
#include <cstdint>
#include <string>

inline constexpr int kPresetRowCount = 32;

struct PresetRow {
  bool Hex = false;  // the row sends its text as hex
  std::string Text;  // UTF-8

  bool operator==(const PresetRow&) const = default;
};

struct TerminalSettings {
  std::string PortName;     // device name as bytes; "COM0" stands for none
  std::string PortIdentity; // the device's identity (USB ids and serial number); empty: none known
  uint32_t BaudRate = 0;
  uint8_t DataBits = 0;
  uint8_t StopBits = 0;     // code: 0 one, 1 one and a half, 2 two
  uint8_t Parity = 0;       // code: 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t FlowControl = 0;  // code: 0 none, 1 hardware, 2 software
  bool Dtr = false;
  bool Rts = false;
  bool AutoTransmit = false;
  std::string AutoTransmitTime;  // UTF-8: the period field's text, whatever it holds
  bool TransmitHex = false;
  bool TransmitNewLine = false;
  bool TransmitCr = false;
  std::string TransmitDataChar;  // GBK bytes of the character-mode text
  std::string TransmitDataHex;   // GBK bytes of the hex-mode text
  bool HexDisplay = false;
  bool Reconnect = false;  // a lost port is reopened once its device is back
  std::array<PresetRow, kPresetRowCount> Presets{};

  bool operator==(const TerminalSettings&) const = default;
};
