#pragma once
// Tab and Shift+Tab move the focus out of a field that filters its keys, and leave its text.
#include <QLineEdit>
#include <QtTest>
#include <utility>

inline void CheckTabKeysLeaveField(QLineEdit* field) {
  const QString text = field->text();
  for (const auto& [key, modifiers] : {std::pair{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Backtab, Qt::ShiftModifier}}) {
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClick(field, key, modifiers);
    QVERIFY2(!field->hasFocus(), qPrintable(field->objectName()));
    QCOMPARE(field->text(), text);
  }
}
