#pragma once
#include <QObject>

class PresetPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void rowsStandAtTheirPlaces();
  void onePassSendsTheDefaultPresets();
  void eachButtonSendsItsOwnRow();
  void cycleHoldsTheRepeatAndBringsItBack();
  void cyclePeriodRules();
  void closedPortPassGivesOneNoticePerPresetWithoutNesting();
  void expandButtonShowsAndHidesThePanel();
  void aPassOnAHeldLineSendsNothingAndTheNextTriesAgain();
  void cycleIntoAFullLineKeepsTheWindowAnswering();
};
