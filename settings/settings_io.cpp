// Loading both pages' settings at start and saving them at close. The file is read once and
// written once; keys are written in a fixed order so that a new file reads the same way as
// the other OS's version writes it.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "app/controls.h"
#include "app/gbk_codec.h"
#include "app/listable_port_name.h"
#include "app/main_window.h"
#include "module/frequency_text.h"
#include "module/module_settings.h"
#include "settings/ini_storage.h"
#include "settings/profile_path.h"
#include "settings/settings_keys.h"
#include "transmit/preset_panel.h"
#include "transmit/transmit_panel.h"
#include "transmit/transmit_session.h"

namespace {

// Device paths on Linux run longer than the other OS's 19-character port names
// (/dev/serial/by-id/..., a virtual port's link); keep them whole.
constexpr size_t kPortNameMax = 1023;
constexpr size_t kLongTextMax = 1022;
constexpr size_t kIntervalTextMax = 127;

QString FromGbk(const std::string& bytes) { return QString::fromStdString(DecodeGbk(bytes)); }

// A saved port other than "COM0" becomes the only, selected entry of its list. A name the
// list cannot carry is not shown: the port is still used under its saved name, where a
// garbled entry would be taken for a port that does not exist.
void ShowSavedPort(QComboBox* list, const std::string& name) {
  if (name.empty() || (name.size() >= 4 && name[3] == '0') || !CanListPortName(name)) return;
  list->addItem(QString::fromStdString(name));
  list->setCurrentIndex(0);
}

// Selects the entry at `position`, or none; the list's change reaction does not run.
void SelectPosition(QComboBox* list, std::optional<int> position) {
  list->setCurrentIndex(position && *position < list->count() ? *position : -1);
}

// Selects the entry showing `text`; a value the list does not offer leaves it as it was.
void SelectIfListed(QComboBox* list, const QString& text) {
  if (const int index = list->findText(text); index >= 0) list->setCurrentIndex(index);
}

uint8_t Low8(int32_t value) { return static_cast<uint8_t>(value); }

class SettingsReader {
 public:
  SettingsReader(const IniDocument& ini, const char* section) : ini_(ini), section_(section) {}
  int32_t Int(std::string_view key, int32_t fallback) const { return ini_.ReadInt(section_, key, fallback); }
  uint8_t Byte(std::string_view key, int32_t fallback) const { return Low8(Int(key, fallback)); }
  bool Flag(std::string_view key, int32_t fallback) const { return Int(key, fallback) != 0; }
  std::string Text(std::string_view key, std::string_view fallback, size_t max) const {
    return ini_.ReadText(section_, key, fallback, max);
  }

 private:
  const IniDocument& ini_;
  const char* section_;
};

class SettingsWriter {
 public:
  SettingsWriter(IniDocument& ini, const char* section) : ini_(ini), section_(section) {}
  // A value that cannot stand in a line (a line break pasted into a field) keeps the old
  // value of its key rather than breaking the file.
  void Text(std::string_view key, const std::string& value) { (void)ini_.Write(section_, key, value); }
  void Int(std::string_view key, int64_t value) { (void)ini_.WriteInt(section_, key, value); }
  void Flag(std::string_view key, const QAbstractButton* box) { Int(key, box->isChecked() ? 1 : 0); }
  // A field's text in GBK. While the field still shows what the file's value (as a load reads
  // it, cut to `maxBytes`) decodes to, the value stays as the file has it: bytes that are no
  // GBK would not survive a decode and encode, and an over-long value stays whole.
  void Field(std::string_view key, const QLineEdit* field, size_t maxBytes = SIZE_MAX) {
    const std::optional<std::string> stored = ini_.Find(section_, key);
    const std::string read = stored ? stored->substr(0, GbkPrefixLength(*stored, maxBytes)) : std::string();
    const std::string bytes = KeepOrEncodeGbk(field->text().toStdString(), read);
    if (!stored || bytes != read) Text(key, bytes);
  }

 private:
  IniDocument& ini_;
  const char* section_;
};

bool Loaded(const IniLoad& load) {
  return load.status == FileRead::Status::kRead || load.status == FileRead::Status::kMissing;
}

// What the close tells the user when the settings could not be kept: the file and why.
QString NotSavedText(const std::string& path, bool reading, int error) {
  const QString why = reading && error == EFBIG ? QString::fromUtf8("文件过大")
                                                : QString::fromLocal8Bit(std::strerror(error));
  return QString::fromUtf8(reading ? "设置文件读取失败，本次的设置未保存：" : "设置文件保存失败：") +
         QString::fromLocal8Bit(path) + QString::fromUtf8("（") + why + QString::fromUtf8("）");
}

}  // namespace

void TVornicSPComm::LoadSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return;
  const IniLoad load = LoadIniFile(*path);
  // A file that could not be read whole is not used at all (the defaults stand): a part of it
  // could hold anything.
  SettingsLoadError = Loaded(load) ? 0 : (load.error ? load.error : EIO);
  const IniDocument none;
  LoadTerminalSettings(SettingsLoadError ? none : load.document);
  LoadModuleSettings(SettingsLoadError ? none : load.document);
}

void TVornicSPComm::LoadTerminalSettings(const IniDocument& ini) {
  const SettingsReader r(ini, kUsartSection);
  TerminalPortName = r.Text("Serial Port", "COM0", kPortNameMax);
  ShowSavedPort(CB_Port, TerminalPortName);
  TerminalBaudRate = static_cast<uint32_t>(r.Int("Baud Rate", 9600));
  SelectIfListed(CB_Baudrate, QString::number(TerminalBaudRate));
  TerminalDataBits = r.Byte("Data Bits", 8);
  SelectIfListed(CB_Data, QString::number(TerminalDataBits));
  TerminalStopBits = r.Byte("Stop Bits", 0);
  if (TerminalStopBits <= 2) CB_Stop->setCurrentIndex(TerminalStopBits);
  TerminalParity = r.Byte("Parity", 0);
  if (TerminalParity <= 4) CB_Check->setCurrentIndex(TerminalParity);
  TerminalFlowControl = r.Byte("Flow Control", 0);
  if (TerminalFlowControl <= 2) CB_FlowControl->setCurrentIndex(TerminalFlowControl);
  CB_DTR->setChecked(r.Flag("DTR", 0));
  CB_RTS->setChecked(r.Flag("RTS", 0));
  // The period goes in first, so that a restored timed send runs with the restored period.
  Transmitter->E_AutoTransmitTime->setText(FromGbk(r.Text("Auto Transmit Time", "1000", kIntervalTextMax)));
  Transmitter->CB_AutoTransmit->setChecked(r.Flag("Auto Transmit", 0));
  Transmitter->CB_TransmitHex->setChecked(r.Flag("Transmit Hex", 1));
  Transmitter->CB_TransmitNewLine->setChecked(r.Flag("Transmit New Line", 0));
  Transmitter->CB_TransmitCR->setChecked(r.Flag("Transmit CR", 0));
  if (std::string text = r.Text("Transmit Data Char", "abcdefg", kLongTextMax); !text.empty()) Transmit->TransmitDataChar = text;
  if (std::string text = r.Text("Transmit Data Hex", "12 FF 00 30", kLongTextMax); !text.empty()) Transmit->TransmitDataHex = text;
  Transmitter->CB_TransmitHexClick();  // the field and the line-end boxes as the mode wants them
  CB_HexDisplay->setChecked(r.Flag("Hex Display", 1));
  for (int row = 0; row < 32; ++row) {
    Presets->CheckBoxes[row]->setChecked(r.Flag(PresetHexKey(row), row == 0 ? 1 : 0));
    const std::string text = r.Text(PresetStringKey(row), PresetDefaultText(row), kLongTextMax);
    if (!text.empty()) Presets->Edits[row]->setText(FromGbk(text));
  }
}

void TVornicSPComm::LoadModuleSettings(const IniDocument& ini) {
  const SettingsReader r(ini, kZelSection);
  ModuleSettings& m = *Module;
  ModulePortName = r.Text("Serial Port", "COM0", kPortNameMax);
  ShowSavedPort(CB_ZELCOMx, ModulePortName);
  const std::string frequency = r.Text("RF Freq", "433.920", kFrequencyTextLimit);
  // A text that is no number keeps the frequency the page had; the field then shows that one.
  const FrequencyParse parsed = ParseFrequencyText(frequency);
  if (parsed.ok()) m.RfFreq = parsed.khz;
  E_RFFreq->setText(parsed.ok() ? FromGbk(frequency) : QString::fromStdString(FrequencyText(m.RfFreq)));
  m.RfBaudRate = r.Byte("RF Baud Rate", 0);
  SelectPosition(CB_RFBaudrate, PositionForCode(m.RfBaudRate, RfBaudRateTexts.size()));
  m.RfPower = r.Byte("RF Power", 7);
  SelectPosition(CB_Power, PositionForCode(m.RfPower, RfPowerTexts.size()));
  m.SerialBaudRate = r.Byte("ZEL Serial Baud Rate", 3);
  SelectPosition(CB_RFCOMBaudRate, SerialRatePositionForCode(m.SerialBaudRate));
  m.SerialParity = r.Byte("Serial Parity", 0);
  SelectPosition(CB_Parity, PositionForCode(m.SerialParity, SerialParityTexts.size()));
  m.WakeUpTime = r.Byte("Wake Up Time", 5);
  SelectPosition(CB_RFWakeUpTime, PositionForCode(m.WakeUpTime, WakeUpTimeTexts.size()));
  m.DelayTime = r.Byte("Delay Time", 0);
  E_DelayTime->setText(QString::number(m.DelayTime));
  m.FecEnable = r.Flag("FEC Enable", 1) ? 1 : 0;
  CB_FECEnable->setChecked(m.FecEnable != 0);
  m.LocalAddress = r.Byte("Local Address", 58);
  E_LocalAddr->setText(QString::number(m.LocalAddress));
  m.TargetAddress = r.Byte("Target Address", 58);
  E_TargetAddr->setText(QString::number(m.TargetAddress));
  m.PackLength = r.Byte("Pack Length", 5);
  if (const std::optional<int> choice = PackLengthChoiceForCode(m.PackLength)) RB_PackLength[*choice]->setChecked(true);
  m.PackComplete = r.Flag("Pack Complete", 1) ? 1 : 0;
  CB_PackComplete->setChecked(m.PackComplete != 0);
}

QString TVornicSPComm::SaveSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return {};
  // The file is read again, so that what others wrote into it meanwhile stays. A file that
  // could not be read, at start or now, is left alone: its values were never seen, and
  // writing ours over it would destroy them.
  IniLoad load = LoadIniFile(*path);
  if (SettingsLoadError != 0 || !Loaded(load)) {
    LastSettingsSaveError = SettingsLoadError ? SettingsLoadError : (load.error ? load.error : EIO);
    return NotSavedText(*path, true, LastSettingsSaveError);
  }
  SaveTerminalSettings(load.document);
  SaveModuleSettings(load.document);
  LastSettingsSaveError = SaveIniFile(*path, load.document);
  return LastSettingsSaveError ? NotSavedText(*path, false, LastSettingsSaveError) : QString();
}

void TVornicSPComm::SaveTerminalSettings(IniDocument& ini) {
  SettingsWriter w(ini, kUsartSection);
  w.Text("Serial Port", TerminalPortName);
  w.Int("Baud Rate", static_cast<int32_t>(TerminalBaudRate));
  w.Int("Data Bits", TerminalDataBits);
  w.Int("Stop Bits", TerminalStopBits);
  w.Int("Parity", TerminalParity);
  w.Int("Flow Control", TerminalFlowControl);
  w.Flag("DTR", CB_DTR);
  w.Flag("RTS", CB_RTS);
  w.Flag("Auto Transmit", Transmitter->CB_AutoTransmit);
  w.Field("Auto Transmit Time", Transmitter->E_AutoTransmitTime, kIntervalTextMax);
  w.Flag("Transmit Hex", Transmitter->CB_TransmitHex);
  w.Flag("Transmit New Line", Transmitter->CB_TransmitNewLine);
  w.Flag("Transmit CR", Transmitter->CB_TransmitCR);
  w.Text("Transmit Data Char", Transmit->TransmitDataChar);
  w.Text("Transmit Data Hex", Transmit->TransmitDataHex);
  w.Flag("Hex Display", CB_HexDisplay);
  for (int row = 0; row < 32; ++row) {
    w.Flag(PresetHexKey(row), Presets->CheckBoxes[row]);
    w.Field(PresetStringKey(row), Presets->Edits[row], kLongTextMax);
  }
}

void TVornicSPComm::SaveModuleSettings(IniDocument& ini) {
  const ModuleSettings& m = *Module;
  SettingsWriter w(ini, kZelSection);
  w.Text("Serial Port", ModulePortName);
  w.Field("RF Freq", E_RFFreq, kFrequencyTextLimit);
  w.Int("RF Baud Rate", m.RfBaudRate);
  w.Int("RF Power", m.RfPower);
  w.Int("ZEL Serial Baud Rate", m.SerialBaudRate);
  w.Int("Serial Parity", m.SerialParity);
  w.Int("Wake Up Time", m.WakeUpTime);
  w.Field("Delay Time", E_DelayTime);
  w.Flag("FEC Enable", CB_FECEnable);
  w.Field("Local Address", E_LocalAddr);
  w.Field("Target Address", E_TargetAddr);
  w.Int("Pack Length", m.PackLength);
  w.Flag("Pack Complete", CB_PackComplete);
}
