#pragma once
#include <QObject>

class TypedKeysTest : public QObject {
  Q_OBJECT
 private slots:
  void arrowKeysSendEscapeSequences();
  void typedCharactersGoOutAsBytes();
  void inputMethodTextGoesOutAsGbk();
  void closedPortSendsAndCountsNothing();
};
