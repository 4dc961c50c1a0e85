#pragma once
#include <QObject>

class PresetPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void rowsStandAtTheirPlaces();
  void cycleTicksSendThePresets();
  void eachButtonSendsItsOwnRow();
  void cycleHoldsTheTimedSendAndBringsItBack();
  void expandButtonShowsAndHidesThePanel();
};
