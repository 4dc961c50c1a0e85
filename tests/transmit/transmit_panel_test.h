#pragma once
#include <QObject>

class TransmitPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void clickSendsTheFieldAndTheCountShows();
  void lineEndBoxesFollowTheirMarks();
  void switchingModesRestoresEachTextExactly();
  void hexModeFiltersTypedKeys();
  void enterInTheFieldSendsOnceInBothModes();
  void enterElsewhereOnThePagePressesSendOrTheRowsButton();
  void tabAndShiftTabLeaveTheFilteredFields();
  void closedPortGivesOneNoticeAndSendsNothing();
  void repeatBoxDrivesTheTimer();
  void timerTicksSendTheField();
  void intervalFieldTakesDigitsAndRefusesEmpty();
};
