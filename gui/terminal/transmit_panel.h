#pragma once
// The transmit panel of the terminal page: the transmit field and "发送", character and hex
// mode with a text kept for each, the line ends, and the timed send. Its handlers are a few
// lines over the transmit session, which decides what goes on the line. The keys typed into
// the receive window arrive here too: the window routes them.
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTimer;
class TransmitSession;

class TransmitPanel : public QWidget {
  Q_OBJECT

 public:
  TransmitPanel(TransmitSession& session, QWidget* parent);

  // The cycle of the presets was switched: it holds or releases the timed send.
  void ShowTimedState();
  // The terminal port was given up: the timed send stops, its box stays checked.
  void StopTimedSend();

  void B_TransmitClick();
  void E_TransmitDataExit();
  void CB_TransmitHexClick();
  void CB_TransmitNewLineClick();
  void CB_TransmitCRClick();
  void CB_AutoTransmitClick();
  void E_AutoTransmitTimeExit();
  void TimerTimer();
  bool M_ReceiverDataKeyDown(int key);                // true: the key was swallowed
  void M_ReceiverDataKeyPress(const QString& typed);  // typed characters, input-method text

  QLineEdit* E_TransmitData = nullptr;
  QPushButton* B_Transmit = nullptr;
  QCheckBox* CB_TransmitHex = nullptr;
  QCheckBox* CB_TransmitNewLine = nullptr;
  QCheckBox* CB_TransmitCR = nullptr;
  QCheckBox* CB_AutoTransmit = nullptr;
  QLineEdit* E_AutoTransmitTime = nullptr;
  QTimer* Timer = nullptr;

 private:
  void ApplyLineEndStates();

  TransmitSession& session_;
};
