// Loading both pages' settings at start and saving them at close: the pages' controls and
// state shown from, and read back into, the plain settings the file is loaded into and
// saved from.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "gui/widgets/controls.h"
#include "gui/widgets/port_list_control.h"
#include "gui/window/main_window.h"
#include "gui/module/config_page.h"
#include "core/settings/profile_path.h"
#include "core/settings/settings_file.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/transmit_panel.h"
#include "core/transmit/transmit_session.h"

namespace {

QString Shown(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string Typed(const QLineEdit* field) { return field->text().toStdString(); }

// Selects the entry showing `text`; a value the list does not offer leaves it as it was.
void SelectIfListed(QComboBox* list, const QString& text) {
  if (const int index = list->findText(text); index >= 0) list->setCurrentIndex(index);
}

// Selects entry `code` of a list whose entries stand for the codes 0..last; any other code
// leaves the list as it was. The list's change reaction does not run.
void SelectCodeUpTo(QComboBox* list, uint8_t code, uint8_t last) {
  if (code <= last) list->setCurrentIndex(code);
}

TerminalSettings ReadTerminalSettings(const TVornicSPComm& w) {
  TerminalSettings s;
  const LineSettings& line = w.Terminal->Line();
  s.PortName = w.Terminal->PortName();
  s.BaudRate = line.BaudRate;
  s.DataBits = line.DataBits;
  s.StopBits = line.StopBits;
  s.Parity = line.Parity;
  s.FlowControl = line.FlowControl;
  s.Dtr = w.CB_DTR->isChecked();
  s.Rts = w.CB_RTS->isChecked();
  s.AutoTransmit = w.Transmitter->CB_AutoTransmit->isChecked();
  s.AutoTransmitTime = Typed(w.Transmitter->E_AutoTransmitTime);
  s.TransmitHex = w.Transmitter->CB_TransmitHex->isChecked();
  s.TransmitNewLine = w.Transmitter->CB_TransmitNewLine->isChecked();
  s.TransmitCr = w.Transmitter->CB_TransmitCR->isChecked();
  s.TransmitDataChar = w.Transmit->TransmitDataChar;
  s.TransmitDataHex = w.Transmit->TransmitDataHex;
  s.HexDisplay = w.CB_HexDisplay->isChecked();
  for (int row = 0; row < kPresetRowCount; ++row) s.Presets[row] = {w.Presets->CheckBoxes[row]->isChecked(), Typed(w.Presets->Edits[row])};
  return s;
}

// Setting a check box runs its click reaction, as the user's click would.
void ShowTerminalSettings(TVornicSPComm& w, const TerminalSettings& s) {
  // Loaded while closed: the line applies at the next open.
  w.Terminal->Restore(s.PortName, {s.BaudRate, s.DataBits, s.Parity, s.StopBits, s.FlowControl, s.Dtr, s.Rts});
  ShowSavedPort(w.CB_Port, s.PortName);
  SelectIfListed(w.CB_Baudrate, QString::number(s.BaudRate));
  SelectIfListed(w.CB_Data, QString::number(s.DataBits));
  SelectCodeUpTo(w.CB_Stop, s.StopBits, 2);
  SelectCodeUpTo(w.CB_Check, s.Parity, 4);
  SelectCodeUpTo(w.CB_FlowControl, s.FlowControl, 2);
  w.CB_DTR->setChecked(s.Dtr);
  w.CB_RTS->setChecked(s.Rts);
  // The period goes in first, so that a restored timed send runs with the restored period.
  w.Transmitter->E_AutoTransmitTime->setText(Shown(s.AutoTransmitTime));
  w.Transmitter->CB_AutoTransmit->setChecked(s.AutoTransmit);
  w.Transmitter->CB_TransmitHex->setChecked(s.TransmitHex);
  w.Transmitter->CB_TransmitNewLine->setChecked(s.TransmitNewLine);
  w.Transmitter->CB_TransmitCR->setChecked(s.TransmitCr);
  w.Transmit->TransmitDataChar = s.TransmitDataChar;
  w.Transmit->TransmitDataHex = s.TransmitDataHex;
  w.Transmitter->CB_TransmitHexClick();  // the field and the line-end boxes as the mode wants them
  w.CB_HexDisplay->setChecked(s.HexDisplay);
  for (int row = 0; row < kPresetRowCount; ++row) {
    w.Presets->CheckBoxes[row]->setChecked(s.Presets[row].Hex);
    w.Presets->Edits[row]->setText(Shown(s.Presets[row].Text));
  }
}

// What the close tells the user when the settings could not be kept: the file and why.
QString NotSavedText(const std::string& path, const SettingsSaveResult& result) {
  const QString why = result.unread && result.error == EFBIG ? QString::fromUtf8("文件过大")
                                                              : QString::fromLocal8Bit(std::strerror(result.error));
  return QString::fromUtf8(result.unread ? "设置文件读取失败，本次的设置未保存：" : "设置文件保存失败：") +
         QString::fromLocal8Bit(path) + QString::fromUtf8("（") + why + QString::fromUtf8("）");
}

}  // namespace

void TVornicSPComm::LoadSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return;
  // Loaded over what the pages hold: a few texts keep it when the file's value is empty.
  AllSettings settings{ReadTerminalSettings(*this), TabSheet2->ReadSettings()};
  SettingsLoadError = LoadSettingsFile(*path, settings);
  ShowTerminalSettings(*this, settings.Terminal);
  TabSheet2->ApplySettings(settings.Module);
}

QString TVornicSPComm::SaveSettings() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) return {};
  const AllSettings settings{ReadTerminalSettings(*this), TabSheet2->ReadSettings()};
  const SettingsSaveResult result = SaveSettingsFile(*path, settings, SettingsLoadError);
  LastSettingsSaveError = result.error;
  return result.error ? NotSavedText(*path, result) : QString();
}
