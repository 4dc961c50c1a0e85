#pragma once
// The small dialog that adds a port on another machine: protocol, host and TCP port. Its OK
// checks what was typed and says what is wrong (an empty field, a port outside 1 to 65535, a
// host name that does not resolve) before it closes.
#include <QDialog>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;

class NetworkPortDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NetworkPortDialog(QWidget* parent = nullptr);

  // The checks of OK: the port's name ("rfc2217://HOST:PORT", "tcp://HOST:PORT"), or nothing
  // after the message that says why not.
  std::optional<std::string> CheckedName();
  // What OK gave; empty before, or when the dialog was cancelled.
  const std::optional<std::string>& Name() const { return name_; }

  QComboBox* CB_Protocol = nullptr;
  QLineEdit* E_Host = nullptr;
  QLineEdit* E_NetPort = nullptr;

 private:
  void TryAccept();
  std::optional<std::string> name_;
};

// Runs the dialog; the name of the port to add, or nothing when the user cancelled.
std::optional<std::string> AskNetworkPort(QWidget* parent);
