#pragma once
// The preset panel beside the receive window (P_Expand): 32 preset strings, each with a hex
// box and a send button, the automatic cycle over all of them, and "扩展", the button that
// shows the panel (the page places it in its port row). The controls hold the presets; the
// transmit session sends them and keeps the cycle's state.
#include <QWidget>
#include <array>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTimer;
class TransmitSession;
struct Preset;

class PresetPanel : public QWidget {
  Q_OBJECT

 public:
  PresetPanel(TransmitSession& session, QWidget* parent);

  // The button of the row that `focus` belongs to, or null when it is no control of a row.
  QAbstractButton* RowButtonOf(const QWidget* focus) const;

  void SendPreset(const QString& text, bool hex);
  void PresetButtonClick(int row);  // Button1Click .. Button32Click
  void B_ExpandClick();
  void CB_SendAutoCycleClick();
  void Timer1Timer();
  void E_ExpandTimeExit();

  std::array<QCheckBox*, 32> CheckBoxes{};
  std::array<QLineEdit*, 32> Edits{};
  std::array<QPushButton*, 32> Buttons{};
  QCheckBox* CB_SendAutoCycle = nullptr;
  QLineEdit* E_ExpandTime = nullptr;
  QTimer* Timer1 = nullptr;
  QPushButton* B_Expand = nullptr;
  bool ExpandShown = false;

 signals:
  // The cycle was switched on or off: the timed send is held or comes back.
  void CycleSwitched();

 private:
  void BuildRows(QWidget* rows);
  void BuildCycleStrip(QWidget* foot);
  Preset PresetAt(int row) const;

  TransmitSession& session_;
};
