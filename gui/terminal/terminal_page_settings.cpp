// The terminal page's settings: shown on its controls at start and read back at close. The
// line goes to the terminal session as it was saved; the port opens with it later.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "core/settings/terminal_settings.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/receive_tools.h"
#include "gui/terminal/terminal_page.h"
#include "gui/terminal/transmit_panel.h"
#include "gui/widgets/controls.h"
#include "gui/widgets/port_list_control.h"
#include "serial/port_source.h"

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

}  // namespace

TerminalSettings TerminalPage::ReadSettings() const {
  TerminalSettings s;
  const LineSettings& line = terminal_.Line();
  s.PortName = terminal_.PortName();
  // The identity lets the next start find the device under another path; a device that is
  // not here now keeps the identity it was saved with.
  s.PortIdentity = ports_ ? ports_->Describe(s.PortName).identity : std::string();
  if (s.PortIdentity.empty() && s.PortName == savedPort_) s.PortIdentity = savedIdentity_;
  s.BaudRate = line.BaudRate;
  s.DataBits = line.DataBits;
  s.StopBits = line.StopBits;
  s.Parity = line.Parity;
  s.FlowControl = line.FlowControl;
  s.Dtr = CB_DTR->isChecked();
  s.Rts = CB_RTS->isChecked();
  s.AutoTransmit = Transmitter->CB_AutoTransmit->isChecked();
  s.AutoTransmitTime = Typed(Transmitter->E_AutoTransmitTime);
  s.TransmitHex = Transmitter->CB_TransmitHex->isChecked();
  s.TransmitNewLine = Transmitter->CB_TransmitNewLine->isChecked();
  s.TransmitCr = Transmitter->CB_TransmitCR->isChecked();
  s.TransmitDataChar = transmit_.TransmitDataChar;
  s.TransmitDataHex = transmit_.TransmitDataHex;
  s.HexDisplay = CB_HexDisplay->isChecked();
  s.Reconnect = CB_Reconnect->isChecked();
  for (int row = 0; row < kPresetRowCount; ++row) s.Presets[row] = {Presets->CheckBoxes[row]->isChecked(), Typed(Presets->Edits[row])};
  return s;
}

// Setting a check box runs its click reaction, as the user's click would.
void TerminalPage::ApplySettings(const TerminalSettings& s) {
  // A USB adapter may come back under another path: the device that shows the saved identity
  // is the saved port, wherever it is now.
  std::string port = s.PortName;
  if (ports_) port = FindPortByIdentity(*ports_, s.PortIdentity, s.PortName).value_or(s.PortName);
  savedPort_ = port;
  savedIdentity_ = s.PortIdentity;
  // Loaded while closed: the line applies at the next open.
  terminal_.Restore(port, {s.BaudRate, s.DataBits, s.Parity, s.StopBits, s.FlowControl, s.Dtr, s.Rts});
  ShowSavedPort(CB_Port, port);
  SelectIfListed(CB_Baudrate, QString::number(s.BaudRate));
  SelectIfListed(CB_Data, QString::number(s.DataBits));
  SelectCodeUpTo(CB_Stop, s.StopBits, 2);
  SelectCodeUpTo(CB_Check, s.Parity, 4);
  SelectCodeUpTo(CB_FlowControl, s.FlowControl, 2);
  CB_DTR->setChecked(s.Dtr);
  CB_RTS->setChecked(s.Rts);
  // The period goes in first, so that a restored timed send runs with the restored period.
  Transmitter->E_AutoTransmitTime->setText(Shown(s.AutoTransmitTime));
  Transmitter->CB_AutoTransmit->setChecked(s.AutoTransmit);
  Transmitter->CB_TransmitHex->setChecked(s.TransmitHex);
  Transmitter->CB_TransmitNewLine->setChecked(s.TransmitNewLine);
  Transmitter->CB_TransmitCR->setChecked(s.TransmitCr);
  transmit_.TransmitDataChar = s.TransmitDataChar;
  transmit_.TransmitDataHex = s.TransmitDataHex;
  Transmitter->CB_TransmitHexClick();  // the field and the line-end boxes as the mode wants them
  CB_HexDisplay->setChecked(s.HexDisplay);
  CB_Reconnect->setChecked(s.Reconnect);
  for (int row = 0; row < kPresetRowCount; ++row) {
    Presets->CheckBoxes[row]->setChecked(s.Presets[row].Hex);
    Presets->Edits[row]->setText(Shown(s.Presets[row].Text));
  }
}


LogSettings TerminalPage::ReadLogSettings() const { return Tools->ReadSettings(); }
void TerminalPage::ApplyLogSettings(const LogSettings& settings) { Tools->ApplySettings(settings); }
