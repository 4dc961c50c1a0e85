#pragma once
#include <QObject>

class TypedKeysTest : public QObject {
  Q_OBJECT
 private slots:
  void arrowKeysAreSentAndSwallowed();
  void typedCharactersAndInputMethodTextGoOut();
  void onAClosedPortKeysActOnTheWindowAsUsual();
};
