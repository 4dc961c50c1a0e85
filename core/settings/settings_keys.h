#pragma once
// Every key of the settings file, described once: its section, its name, its default (the
// value when the file lacks the key), its limits and the member it maps to. Loading and
// saving both walk these descriptions, so a key cannot be read one way and written another.
//
// DescribeSettingsKeys hands the keys, in the order the file has them, to `keys`, which
// offers one call per kind of value:
//   Section(name)                               the keys that follow belong to this section
//   Bytes(key, default, maxBytes, member[, e])  text kept as bytes (port names, GBK texts)
//   Text(key, default, maxBytes, member[, e])   text shown by a field: GBK in the file, UTF-8
//                                               in the member
//   Number(key, default, member)                a 32-bit number
//   Byte(key, default, member)                  a number of which the low 8 bits are kept
//   Flag(key, default, member)                  a check mark: written 1 or 0, any non-zero
//                                               number reads as set
//   ByteField(key, default, number, text)       a number a field shows: read as a Byte (the
//                                               field then shows it in decimal), written as
//                                               the field's text
//   FrequencyField(key, default, maxBytes, khz, text)
//                                               a frequency text in MHz: read as text; when it
//                                               is a frequency it sets `khz`, else the field
//                                               shows `khz` as it was; written as the text
// maxBytes cuts a value read (never inside a GBK character); an over-long value that nobody
// changed is still saved whole. `e` is EmptyValue::kKeepsMember for texts whose empty value
// in the file leaves the member as it was, kNotWritten for list slots that stay out of the
// file while empty.
#include <cstddef>
#include <string>

#include "core/capture/capture_options.h"
#include "core/module/frequency_text.h"
#include "core/settings/interface_settings.h"
#include "core/settings/log_settings.h"
#include "core/settings/module_page_settings.h"
#include "core/settings/network_port_settings.h"
#include "core/settings/plot_settings.h"
#include "core/settings/terminal_settings.h"

// kNotWritten: an empty value is left out of the file unless the file has the key already
// (slots of a list that are not in use).
enum class EmptyValue { kIsAValue, kKeepsMember, kNotWritten };

// Device paths on Linux run longer than the other OS's 19-character port names
// (/dev/serial/by-id/..., a virtual port's link); keep them whole.
inline constexpr size_t kPortNameMaxBytes = 1023;
inline constexpr size_t kLongTextMaxBytes = 1022;
inline constexpr size_t kIntervalTextMaxBytes = 127;

// Both sections name their page's port with this key.
inline constexpr const char* kPortKey = "Serial Port";

// The text of preset row 0..31 on a first run.
inline const char* PresetDefaultText(int row) {
  return row == 0 ? "12 00 FF 88" : row == 1 ? "output string" : "";
}

// `Settings` is TerminalSettings or const TerminalSettings (for saving).
template <class Keys, class Settings>
void DescribeTerminalKeys(Keys& keys, Settings& s) {
  keys.Bytes(kPortKey, "COM0", kPortNameMaxBytes, s.PortName);
  keys.Number("Baud Rate", 9600, s.BaudRate);
  keys.Byte("Data Bits", 8, s.DataBits);
  keys.Byte("Stop Bits", 0, s.StopBits);
  keys.Byte("Parity", 0, s.Parity);
  keys.Byte("Flow Control", 0, s.FlowControl);
  keys.Flag("DTR", false, s.Dtr);
  keys.Flag("RTS", false, s.Rts);
  keys.Flag("Auto Transmit", false, s.AutoTransmit);
  keys.Text("Auto Transmit Time", "1000", kIntervalTextMaxBytes, s.AutoTransmitTime);
  keys.Flag("Transmit Hex", true, s.TransmitHex);
  keys.Flag("Transmit New Line", false, s.TransmitNewLine);
  keys.Flag("Transmit CR", false, s.TransmitCr);
  keys.Bytes("Transmit Data Char", "abcdefg", kLongTextMaxBytes, s.TransmitDataChar, EmptyValue::kKeepsMember);
  keys.Bytes("Transmit Data Hex", "12 FF 00 30", kLongTextMaxBytes, s.TransmitDataHex, EmptyValue::kKeepsMember);
  keys.Flag("Hex Display", true, s.HexDisplay);
  for (int row = 0; row < kPresetRowCount; ++row) {
    const std::string number = std::to_string(row + 1);
    keys.Flag("Hex" + number, row == 0, s.Presets[row].Hex);
    keys.Text("String" + number, PresetDefaultText(row), kLongTextMaxBytes, s.Presets[row].Text,
              EmptyValue::kKeepsMember);
  }
  keys.Flag("Reconnect", true, s.Reconnect);
  keys.Bytes("Serial Port Identity", "", kPortNameMaxBytes, s.PortIdentity, EmptyValue::kNotWritten);
}

// `Settings` is ModulePageSettings or const ModulePageSettings (for saving).
template <class Keys, class Settings>
void DescribeModuleKeys(Keys& keys, Settings& s) {
  auto& m = s.Module;
  keys.Bytes(kPortKey, "COM0", kPortNameMaxBytes, s.PortName);
  keys.FrequencyField("RF Freq", "433.920", kFrequencyTextLimit, m.RfFreq, s.RfFreqText);
  keys.Byte("RF Baud Rate", 0, m.RfBaudRate);
  keys.Byte("RF Power", 7, m.RfPower);
  keys.Byte("ZEL Serial Baud Rate", 3, m.SerialBaudRate);
  keys.Byte("Serial Parity", 0, m.SerialParity);
  keys.Byte("Wake Up Time", 5, m.WakeUpTime);
  keys.ByteField("Delay Time", 0, m.DelayTime, s.DelayTimeText);
  keys.Flag("FEC Enable", true, m.FecEnable);
  keys.ByteField("Local Address", 58, m.LocalAddress, s.LocalAddressText);
  keys.ByteField("Target Address", 58, m.TargetAddress, s.TargetAddressText);
  keys.Byte("Pack Length", 5, m.PackLength);
  keys.Flag("Pack Complete", true, m.PackComplete);
}

// `Settings` is LogSettings or const LogSettings (for saving).
template <class Keys, class Settings>
void DescribeLogKeys(Keys& keys, Settings& s) {
  keys.Flag("Time Stamps", false, s.TimeStamps);
  keys.Number("Stamp Gap ms", kDefaultHexGapMs, s.StampGapMs);
  keys.Bytes("Capture Folder", "", kPortNameMaxBytes, s.CaptureFolder);
  keys.Bytes("Capture File Name", kDefaultCaptureNamePattern, kLongTextMaxBytes, s.CaptureNamePattern,
             EmptyValue::kKeepsMember);
  keys.Byte("Capture Format", 0, s.CaptureFormat);
  keys.Flag("Capture On Open", false, s.CaptureOnOpen);
  keys.Number("Capture File MB", static_cast<int32_t>(kDefaultCaptureMaxFileBytes >> 20), s.CaptureFileMegabytes);
}

// `Settings` is NetworkPortSettings or const NetworkPortSettings.
template <class Keys, class Settings>
void DescribeNetworkPortKeys(Keys& keys, Settings& s) {
  for (size_t slot = 0; slot < s.Ports.size(); ++slot)
    keys.Bytes("Port" + std::to_string(slot + 1), "", kPortNameMaxBytes, s.Ports[slot], EmptyValue::kNotWritten);
}

// `Settings` is PlotSettings or const PlotSettings (for saving).
template <class Keys, class Settings>
void DescribePlotKeys(Keys& keys, Settings& s) {
  keys.Byte("Input", 0, s.Input);
  keys.Text("Frame Start", "AA 55", kIntervalTextMaxBytes, s.FrameStart);
  keys.Number("Frame Values", 3, s.FrameValues);
  keys.Byte("Frame Type", 3, s.FrameType);
  keys.Flag("Frame Big Endian", false, s.FrameBigEndian);
  keys.Flag("Time Axis", false, s.TimeAxis);
  keys.Number("Window Samples", 1000, s.WindowSamples);
  keys.Flag("Auto Scale", true, s.AutoScale);
  keys.Text("Y Min", "-100", kIntervalTextMaxBytes, s.YMin);
  keys.Text("Y Max", "100", kIntervalTextMaxBytes, s.YMax);
  keys.Flag("Trigger", false, s.Trigger);
  keys.Byte("Trigger Series", 0, s.TriggerSeries);
  keys.Flag("Trigger Falling", false, s.TriggerFalling);
  keys.Text("Trigger Level", "0", kIntervalTextMaxBytes, s.TriggerLevel);
}

// `Settings` is InterfaceSettings or const InterfaceSettings (for saving).
template <class Keys, class Settings>
void DescribeInterfaceKeys(Keys& keys, Settings& s) {
  keys.Bytes("Language", "", kPortNameMaxBytes, s.Language, EmptyValue::kNotWritten);
}

// Every page's settings, the receive window's tools, the network ports and the window's
// language: everything the file holds of this program.
struct AllSettings {
  TerminalSettings Terminal;
  ModulePageSettings Module;
  LogSettings Log;
  NetworkPortSettings Network;
  PlotSettings Plot;
  InterfaceSettings Interface;

  bool operator==(const AllSettings&) const = default;
};

// `Settings` is AllSettings or const AllSettings.
template <class Keys, class Settings>
void DescribeSettingsKeys(Keys& keys, Settings& all) {
  keys.Section("VornicSPCommTool_USART");
  DescribeTerminalKeys(keys, all.Terminal);
  keys.Section("VornicSPCommTool_ZEL");
  DescribeModuleKeys(keys, all.Module);
  keys.Section("VornicSPCommTool_Log");
  DescribeLogKeys(keys, all.Log);
  keys.Section("VornicSPCommTool_Network");
  DescribeNetworkPortKeys(keys, all.Network);
  keys.Section("VornicSPCommTool_Plot");
  DescribePlotKeys(keys, all.Plot);
  keys.Section("VornicSPCommTool_Interface");
  DescribeInterfaceKeys(keys, all.Interface);
}
