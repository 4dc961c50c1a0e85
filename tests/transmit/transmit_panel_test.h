#pragma once
#include <QObject>

class TransmitPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void hexTextSendsEachByteAndCountsIt();
  void characterTextGetsTheChosenLineEnd();
  void lineEndBoxesFollowTheTable();
  void switchingModesRestoresEachTextExactly();
  void hexModeFiltersTypedKeys();
  void enterInTheFieldSendsOnceInBothModes();
  void enterElsewhereOnThePagePressesSendOrTheRowsButton();
  void tabAndShiftTabLeaveTheFilteredFields();
  void closedPortGivesOneNoticeAndSendsNothing();
  void repeatIntervalRules();
  void timerTickSendsOnlyOnAnOpenPort();
  void intervalFieldTakesDigitsAndRefusesEmpty();
  void unencodableCharactersGoOutAsQuestionMarks();
  void aHeldLineReturnsWithinTheBound();
  void timedSendIntoAFullLineKeepsTheWindowAnswering();
};
