// The transmit panel with the window's port open on a pseudo-terminal.
#include "transmit/transmit_panel_test.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "support/tab_keys.h"
#include "transmit/open_terminal.h"

namespace {

void SetMode(TVornicSPComm& w, bool hex, const QString& text) {
  w.TabSheet1->Transmitter->CB_TransmitHex->setChecked(hex);
  w.TabSheet1->Transmitter->E_TransmitData->setText(text);
}

void SetLineEnds(TVornicSPComm& w, bool newLine, bool lineFeed) {
  w.TabSheet1->Transmitter->CB_TransmitNewLine->setChecked(newLine);
  w.TabSheet1->Transmitter->CB_TransmitCR->setChecked(lineFeed);
}

bool ActivateWindow(TVornicSPComm& w) {
  w.PageControl->setCurrentWidget(w.TabSheet1);
  w.show();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}

}  // namespace

void TransmitPanelTest::clickSendsTheFieldAndTheCountShows() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  TransmitPanel& p = *t.w.TabSheet1->Transmitter;
  SetMode(t.w, true, "12 00 FF 88");
  QTest::mouseClick(p.B_Transmit, Qt::LeftButton);
  QCOMPARE(t.Sent(4), (Bytes{0x12, 0x00, 0xFF, 0x88}));
  QCOMPARE(t.Status(), U("发送：4"));
  // The mode and line end of the boxes reach the session.
  SetMode(t.w, false, U("A😀"));
  SetLineEnds(t.w, true, false);
  QCOMPARE(t.Transmit(4), (Bytes{'A', '?', 0x0D, 0x0A}));
  QVERIFY(t.Status().startsWith(U("发送：8")));
  QVERIFY(t.Status().contains('?'));  // the note, explained in the tool tip
  QVERIFY(!t.w.TabSheet1->StatusPanels[1]->toolTip().isEmpty());
  // "清除窗口" clears the count and the note.
  t.w.TabSheet1->B_ClearClick();
  QCOMPARE(t.Status(), U("发送：0"));
  QVERIFY(t.w.TabSheet1->StatusPanels[1]->toolTip().isEmpty());
}

void TransmitPanelTest::lineEndBoxesFollowTheirMarks() {
  OpenTerminal t(false);
  TransmitPanel& p = *t.w.TabSheet1->Transmitter;
  const auto enabled = [&p] { return std::pair{p.CB_TransmitNewLine->isEnabled(), p.CB_TransmitCR->isEnabled()}; };
  QCOMPARE(enabled(), std::pair(false, false));  // hex mode at creation
  SetMode(t.w, false, "");
  QCOMPARE(enabled(), std::pair(true, true));
  p.CB_TransmitNewLine->setChecked(true);
  QCOMPARE(enabled(), std::pair(true, false));
  p.CB_TransmitNewLine->setChecked(false);
  p.CB_TransmitCR->setChecked(true);
  QCOMPARE(enabled(), std::pair(false, true));
  p.CB_TransmitHex->setChecked(true);
  QCOMPARE(enabled(), std::pair(false, false));
  QVERIFY(p.CB_TransmitCR->isChecked());  // the marks stay as they were
}

void TransmitPanelTest::switchingModesRestoresEachTextExactly() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  SetMode(w, false, "");
  w.TabSheet1->Transmitter->E_TransmitData->setFocus();
  QTRY_VERIFY(w.TabSheet1->Transmitter->E_TransmitData->hasFocus());
  w.TabSheet1->Transmitter->E_TransmitData->setText(U("  Hello, 世界 abc "));
  QTest::mouseClick(w.TabSheet1->Transmitter->CB_TransmitHex, Qt::LeftButton);  // the click takes the focus first
  QVERIFY(w.TabSheet1->Transmitter->CB_TransmitHex->isChecked());
  w.TabSheet1->Transmitter->E_TransmitData->setFocus();
  QTRY_VERIFY(w.TabSheet1->Transmitter->E_TransmitData->hasFocus());
  w.TabSheet1->Transmitter->E_TransmitData->setText("0A 0b ,, 7");
  QTest::mouseClick(w.TabSheet1->Transmitter->CB_TransmitHex, Qt::LeftButton);
  QVERIFY(!w.TabSheet1->Transmitter->CB_TransmitHex->isChecked());
  QCOMPARE(w.TabSheet1->Transmitter->E_TransmitData->text(), U("  Hello, 世界 abc "));
  QTest::mouseClick(w.TabSheet1->Transmitter->CB_TransmitHex, Qt::LeftButton);
  QCOMPARE(w.TabSheet1->Transmitter->E_TransmitData->text(), U("0A 0b ,, 7"));
  QVERIFY(t.harness.messages.empty());
}

void TransmitPanelTest::hexModeFiltersTypedKeys() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  QLineEdit* field = w.TabSheet1->Transmitter->E_TransmitData;
  SetMode(w, true, "");
  field->setFocus();
  QTest::keyClicks(field, "a1g f,9Zb");
  QCOMPARE(field->text(), QString("A1 F9B"));
  QTest::keyClick(field, Qt::Key_Backspace);
  QCOMPARE(field->text(), QString("A1 F9"));

  // Input-method text passes through the same filter.
  QInputMethodEvent chinese;
  chinese.setCommitString(U("中c"));
  QApplication::sendEvent(field, &chinese);
  QCOMPARE(field->text(), QString("A1 F9C"));

  // The clipboard keys pass (as the platform delivers them, with their control character),
  // and pasted text is not filtered.
  QApplication::clipboard()->setText("xyz");
  QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
  QApplication::sendEvent(field, &paste);
  QCOMPARE(field->text(), QString("A1 F9Cxyz"));

  SetMode(w, false, "");
  QTest::keyClicks(field, "ag,");
  QCOMPARE(field->text(), QString("ag,"));
}

void TransmitPanelTest::enterInTheFieldSendsOnceInBothModes() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  QVERIFY(ActivateWindow(t.w));
  SetLineEnds(t.w, false, false);
  QLineEdit* field = t.w.TabSheet1->Transmitter->E_TransmitData;
  field->setFocus();
  QTRY_VERIFY(field->hasFocus());
  SetMode(t.w, true, "5A");
  QTest::keyClick(field, Qt::Key_Return);
  QCOMPARE(t.Sent(1), Bytes{0x5A});
  SetMode(t.w, false, "Z");
  QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(t.Sent(1), Bytes{'Z'});
  QVERIFY(t.More().empty());
  QCOMPARE(t.Count(), 2);
  QCOMPARE(field->text(), QString("Z"));
}

void TransmitPanelTest::enterElsewhereOnThePagePressesSendOrTheRowsButton() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  w.TabSheet1->Presets->B_ExpandClick();
  SetMode(w, true, "7E");
  const auto enterIn = [](QWidget* control) {
    control->setFocus();
    if (!QTest::qWaitFor([control] { return control->hasFocus(); })) return false;
    QTest::keyClick(control, Qt::Key_Return);
    return true;
  };
  // Fields and check boxes of the page press "发送"; Enter does not toggle a box.
  for (QWidget* control : std::initializer_list<QWidget*>{w.TabSheet1->Transmitter->E_AutoTransmitTime, w.TabSheet1->Transmitter->CB_TransmitHex,
                                                         w.TabSheet1->CB_DTR, w.TabSheet1->Presets->E_ExpandTime, w.TabSheet1->Presets->CB_SendAutoCycle}) {
    QVERIFY2(enterIn(control), qPrintable(control->objectName()));
    QCOMPARE(t.Sent(1), Bytes{0x7E});
  }
  QVERIFY(w.TabSheet1->Transmitter->CB_TransmitHex->isChecked() && !w.TabSheet1->CB_DTR->isChecked());
  QVERIFY(!w.TabSheet1->Presets->CB_SendAutoCycle->isChecked());
  // A preset row sends itself, from its field or its box.
  QVERIFY(enterIn(w.TabSheet1->Presets->Edits[1]));
  QCOMPARE(t.Sent(13), Bytes(std::begin("output string"), std::end("output string") - 1));
  QVERIFY(enterIn(w.TabSheet1->Presets->CheckBoxes[0]));
  QCOMPARE(t.Sent(4), (Bytes{0x12, 0x00, 0xFF, 0x88}));
  // A button with the focus presses itself.
  QVERIFY(enterIn(w.TabSheet1->Presets->B_Expand));
  QVERIFY(!w.TabSheet1->Presets->ExpandShown);
  QVERIFY(t.More().empty());
  QVERIFY(t.harness.messages.empty());
}

void TransmitPanelTest::tabAndShiftTabLeaveTheFilteredFields() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  w.TabSheet1->Presets->B_ExpandClick();
  SetMode(w, true, "12");
  for (QLineEdit* field :
       {w.TabSheet1->Transmitter->E_TransmitData, w.TabSheet1->Transmitter->E_AutoTransmitTime, w.TabSheet1->Presets->E_ExpandTime}) {
    CheckTabKeysLeaveField(field);
    if (QTest::currentTestFailed()) return;
  }
  QVERIFY(t.harness.messages.empty());
}

void TransmitPanelTest::closedPortGivesOneNoticeAndSendsNothing() {
  OpenTerminal t(false);
  t.w.TabSheet1->Transmitter->B_TransmitClick();
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].title, U("提示"));
  QCOMPARE(t.harness.messages[0].text, U("串口还未打开！"));
  QCOMPARE(t.Status(), U("发送：0"));
  QCOMPARE(t.Count(), 0);
}

void TransmitPanelTest::repeatBoxDrivesTheTimer() {
  OpenTerminal t(false);
  TransmitPanel& p = *t.w.TabSheet1->Transmitter;
  p.E_AutoTransmitTime->setText("250");
  p.CB_AutoTransmit->setChecked(true);
  QVERIFY(p.Timer->isActive());
  QCOMPARE(p.Timer->interval(), 250);
  QVERIFY(!p.E_AutoTransmitTime->isEnabled());
  p.CB_AutoTransmit->setChecked(false);
  QVERIFY(!p.Timer->isActive());
  QVERIFY(p.E_AutoTransmitTime->isEnabled());

  p.E_AutoTransmitTime->setText("2147483648");
  p.CB_AutoTransmit->setChecked(true);
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].title, U("警告"));
  QCOMPARE(t.harness.messages[0].text, U("“2147483648”不是有效的整数值！"));
  QVERIFY(!p.Timer->isActive());
  QCOMPARE(p.Timer->interval(), 250);  // neither started nor changed
  QVERIFY(p.E_AutoTransmitTime->isEnabled());
}

void TransmitPanelTest::timerTicksSendTheField() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  SetMode(t.w, false, "T");
  SetLineEnds(t.w, false, false);
  t.w.TabSheet1->Transmitter->E_AutoTransmitTime->setText("1");
  t.w.TabSheet1->Transmitter->CB_AutoTransmit->setChecked(true);
  QVERIFY(WindowHarness::WaitUntil([&] { return t.Count() >= 3; }));
  t.w.TabSheet1->Transmitter->CB_AutoTransmit->setChecked(false);
  const Bytes sent = t.More();
  QCOMPARE(sent, Bytes(size_t(t.Count()), 'T'));
  QCOMPARE(t.Status(), QString(U("发送：%1")).arg(t.Count()));
}

void TransmitPanelTest::intervalFieldTakesDigitsAndRefusesEmpty() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  w.TabSheet1->Presets->B_ExpandClick();  // shows E_ExpandTime, the other period field
  QLineEdit* field = w.TabSheet1->Transmitter->E_AutoTransmitTime;
  field->clear();
  field->setFocus();
  QTRY_VERIFY(field->hasFocus());
  QTest::keyClicks(field, "1a2-3 ");
  QCOMPARE(field->text(), QString("123"));
  field->clear();
  QVERIFY(t.harness.messages.empty());

  // Leaving it empty for the other (also empty) period field: one warning, focus back here,
  // and no warning from the other field bouncing the focus back and forth.
  w.TabSheet1->Presets->E_ExpandTime->clear();
  w.TabSheet1->Presets->E_ExpandTime->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(field->hasFocus());
  QVERIFY(!WindowHarness::WaitUntil([&] { return t.harness.messages.size() > 1; }, 300));
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].title, U("警告"));
  QCOMPARE(t.harness.messages[0].text, U("请输入一个正整数！"));

  // "0" is not empty: it passes.
  QTest::keyClick(field, Qt::Key_0);
  w.TabSheet1->Transmitter->B_Transmit->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(w.TabSheet1->Transmitter->B_Transmit->hasFocus());
  QCOMPARE(t.harness.messages.size(), size_t(1));
}
