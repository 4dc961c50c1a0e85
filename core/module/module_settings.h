#pragma once
// The parameters of a ZEL radio module and the code tables that give them meaning.
//
// `ModuleSettings` is what the configuration page shows and edits, what a write sends and
// what a successful read replaces. Every field is the raw code the module uses; a field may
// hold a code outside its table (a module can report one), and such a code is kept and
// written back unchanged. The defaults are those of a first run without a settings file.
//
// The text tables are the entries of the page's lists, in list order. For `RfBaudRate`,
// `WakeUpTime`, `SerialParity` and `RfPower` the code is the list position. The module's
// serial rate is the exception: its list runs from 300 to 115200 bit/s while the codes do
// not, see SerialRateCodeForPosition / SerialRatePositionForCode.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

struct ModuleSettings {
  uint32_t RfFreq = 433920;     // working frequency in whole kHz; 24 bits travel on the wire
  uint8_t RfBaudRate = 0;       // air-rate code (RfBaudRateTexts)
  uint8_t RfPower = 7;          // transmit power 0 (min) to 7 (max) (RfPowerTexts)
  uint8_t SerialBaudRate = 3;   // module serial-rate code (SerialRateCodeForPosition)
  uint8_t SerialParity = 0;     // 0 none, 1 odd, 2 even (SerialParityTexts)
  uint8_t WakeUpTime = 5;       // wake-up interval code (WakeUpTimeTexts)
  uint8_t DelayTime = 0;        // delay-trigger time in ms
  uint8_t FecEnable = 1;        // forward error correction, 0 or 1
  uint8_t LocalAddress = 58;    // the module's own address
  uint8_t TargetAddress = 58;   // the address the module sends to
  uint8_t PackLength = 5;       // packet-length code 1..6 = 2..64 bytes (PackLengthBytes)
  uint8_t PackComplete = 1;     // packet-complete mode, 0 or 1

  bool operator==(const ModuleSettings&) const = default;
};

inline constexpr std::array<std::string_view, 8> RfBaudRateTexts = {
    "1Kbps", "2Kbps", "5Kbps", "10Kbps", "25Kbps", "50Kbps", "100Kbps", "150Kbps"};

// " 50ms" carries a leading blank, as the module maker's own list does.
inline constexpr std::array<std::string_view, 12> WakeUpTimeTexts = {
    " 50ms", "100ms", "200ms", "400ms", "600ms", "1.0s",
    "1.5s",  "2.0s",  "2.5s",  "3.0s",  "4.0s",  "5.0s"};

inline constexpr std::array<std::string_view, 3> SerialParityTexts = {
    "Disabled", "Odd Parity", "Even Parity"};

inline constexpr std::array<std::string_view, 8> RfPowerTexts = {
    "0(MIN)", "1", "2", "3", "4", "5", "6", "7(MAX)"};

// The page's list of module serial rates, in list (rate) order.
inline constexpr std::array<std::string_view, 10> SerialRateListTexts = {
    "300bps",   "600bps",   "1200bps",  "2400bps",  "4800bps",
    "9600bps",  "19200bps", "38400bps", "57600bps", "115200bps"};

// Packet sizes in bytes of the packet-length codes 1 to 6 (index 0 is code 1).
inline constexpr std::array<unsigned, 6> PackLengthBytes = {2, 4, 8, 16, 32, 64};

// The list position that shows `code` in a list of `entries` entries where the code is the
// position; empty when the list has no such entry (the list then shows no selection).
std::optional<int> PositionForCode(uint8_t code, size_t entries);

// Module serial-rate code of a position of SerialRateListTexts: 0 and 1 give 7 and 8,
// 2 to 8 give 0 to 6, 9 gives 9. Empty for a position outside the list.
std::optional<uint8_t> SerialRateCodeForPosition(int position);

// List position of a module serial-rate code (the inverse of the above); empty above 9.
std::optional<int> SerialRatePositionForCode(uint8_t code);

// Index 0..5 of the packet-length choice (radio button) of code 1..6; empty for 0 and
// codes above 6, which match no choice.
std::optional<int> PackLengthChoiceForCode(uint8_t code);

// The model name of a model code, "Unknown Device" for a code not in the table.
std::string_view ModelText(uint8_t code);
