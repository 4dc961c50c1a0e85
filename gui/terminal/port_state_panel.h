#pragma once
// The status bar's panel of the terminal port's state: whether the page waits for a lost
// device to come back.
#include <QLabel>
#include <QString>

class PortStatePanel : public QLabel {
  Q_OBJECT
 public:
  explicit PortStatePanel(QWidget* parent = nullptr);
  // The device that went under `port` is awaited; empty: nothing is awaited.
  void ShowAwaited(const QString& port);
};
