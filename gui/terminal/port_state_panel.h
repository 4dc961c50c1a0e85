#pragma once
// The status bar's panels of the terminal port's state: whether the page waits for a lost
// device to come back, and the four modem status lines.
#include <QLabel>
#include <QString>
#include <array>

struct LineState;

class PortStatePanel : public QWidget {
  Q_OBJECT
 public:
  explicit PortStatePanel(int height, QWidget* parent = nullptr);
  // The device that went under `port` is awaited; empty: nothing is awaited.
  void ShowAwaited(const QString& port);
  // Lit green while on, grey while off; struck through while the device has no such lines.
  void ShowLines(const LineState& state);

  QLabel* Awaited = nullptr;
  std::array<QLabel*, 4> Lines{};  // CTS, DSR, DCD, RI
};
