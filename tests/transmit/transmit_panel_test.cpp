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

#include "transmit/bounded_write.h"
#include "transmit/open_terminal.h"

namespace {

void SetMode(TVornicSPComm& w, bool hex, const QString& text) {
  w.CB_TransmitHex->setChecked(hex);
  w.E_TransmitData->setText(text);
}

void SetLineEnds(TVornicSPComm& w, bool newLine, bool lineFeed) {
  w.CB_TransmitNewLine->setChecked(newLine);
  w.CB_TransmitCR->setChecked(lineFeed);
}

bool ActivateWindow(TVornicSPComm& w) {
  w.PageControl->setCurrentWidget(w.TabSheet1);
  w.show();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}

}  // namespace

void TransmitPanelTest::hexTextSendsEachByteAndCountsIt() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  QVERIFY(t.w.TerminalPort->GetEventMask() != win::EV_RXCHAR);
  SetMode(t.w, true, "12 00 FF 88");
  QCOMPARE(t.Transmit(4), (Bytes{0x12, 0x00, 0xFF, 0x88}));
  QCOMPARE(t.w.TerminalPort->GetEventMask(), win::EV_RXCHAR);  // a send narrows the events to received bytes
  QCOMPARE(t.w.TransmittedCount, 4);
  QCOMPARE(t.Status(), U("发送：4"));

  t.w.E_TransmitData->setText("1");
  QCOMPARE(t.Transmit(1), Bytes{0x01});
  QCOMPARE(t.Status(), U("发送：5"));

  t.w.E_TransmitData->setText(U("xyz 中"));  // no digit at all: nothing sent, count kept
  t.w.B_TransmitClick();
  QVERIFY(t.More().empty());
  QCOMPARE(t.Status(), U("发送：5"));
}

void TransmitPanelTest::characterTextGetsTheChosenLineEnd() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  SetMode(t.w, false, "AB");
  SetLineEnds(t.w, true, false);
  QCOMPARE(t.Transmit(4), (Bytes{0x41, 0x42, 0x0D, 0x0A}));
  QCOMPARE(t.Status(), U("发送：4"));

  SetLineEnds(t.w, false, true);
  t.w.E_TransmitData->setText("x");
  QCOMPARE(t.Transmit(2), (Bytes{'x', 0x0A}));

  SetLineEnds(t.w, false, false);
  t.w.E_TransmitData->setText(U("中"));  // sent as its GBK bytes
  QCOMPARE(t.Transmit(2), (Bytes{0xD6, 0xD0}));
  QCOMPARE(t.Status(), U("发送：8"));

  // An empty field with a new line sends the line end alone.
  SetLineEnds(t.w, true, false);
  t.w.E_TransmitData->clear();
  QCOMPARE(t.Transmit(2), (Bytes{0x0D, 0x0A}));
  QVERIFY(t.More().empty());
  QCOMPARE(t.w.TransmittedCount, 10);
}

void TransmitPanelTest::lineEndBoxesFollowTheTable() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  const auto enabled = [&w] {
    return std::pair{w.CB_TransmitNewLine->isEnabled(), w.CB_TransmitCR->isEnabled()};
  };
  SetMode(w, false, "");
  SetLineEnds(w, false, false);
  QCOMPARE(enabled(), std::pair(true, true));
  SetLineEnds(w, true, false);
  QCOMPARE(enabled(), std::pair(true, false));
  SetLineEnds(w, false, true);
  QCOMPARE(enabled(), std::pair(false, true));
  // Both marks, as only the settings file can set them: only CR LF goes out.
  SetLineEnds(w, true, true);
  QCOMPARE(enabled(), std::pair(true, false));
  QCOMPARE(t.Transmit(2), (Bytes{0x0D, 0x0A}));
  QVERIFY(t.More().empty());
  // Hex mode disables both and never appends a line end; the marks stay as they were.
  w.CB_TransmitHex->setChecked(true);
  QCOMPARE(enabled(), std::pair(false, false));
  QVERIFY(w.CB_TransmitNewLine->isChecked() && w.CB_TransmitCR->isChecked());
  w.E_TransmitData->setText("12");
  QCOMPARE(t.Transmit(1), Bytes{0x12});
  QVERIFY(t.More().empty());
  w.CB_TransmitHex->setChecked(false);
  QCOMPARE(enabled(), std::pair(true, false));
}

void TransmitPanelTest::switchingModesRestoresEachTextExactly() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  SetMode(w, false, "");
  w.E_TransmitData->setFocus();
  QTRY_VERIFY(w.E_TransmitData->hasFocus());
  w.E_TransmitData->setText(U("  Hello, 世界 abc "));
  QTest::mouseClick(w.CB_TransmitHex, Qt::LeftButton);  // the click takes the focus first
  QVERIFY(w.CB_TransmitHex->isChecked());
  w.E_TransmitData->setFocus();
  QTRY_VERIFY(w.E_TransmitData->hasFocus());
  w.E_TransmitData->setText("0A 0b ,, 7");
  QTest::mouseClick(w.CB_TransmitHex, Qt::LeftButton);
  QVERIFY(!w.CB_TransmitHex->isChecked());
  QCOMPARE(w.E_TransmitData->text(), U("  Hello, 世界 abc "));
  QTest::mouseClick(w.CB_TransmitHex, Qt::LeftButton);
  QCOMPARE(w.E_TransmitData->text(), U("0A 0b ,, 7"));
  QVERIFY(t.harness.messages.empty());
}

void TransmitPanelTest::hexModeFiltersTypedKeys() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  QLineEdit* field = w.E_TransmitData;
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
  QLineEdit* field = t.w.E_TransmitData;
  field->setFocus();
  QTRY_VERIFY(field->hasFocus());
  SetMode(t.w, true, "5A");
  QTest::keyClick(field, Qt::Key_Return);
  QCOMPARE(t.Sent(1), Bytes{0x5A});
  SetMode(t.w, false, "Z");
  QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(t.Sent(1), Bytes{'Z'});
  QVERIFY(t.More().empty());
  QCOMPARE(t.w.TransmittedCount, 2);
  QCOMPARE(field->text(), QString("Z"));
}

void TransmitPanelTest::enterElsewhereOnThePagePressesSendOrTheRowsButton() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  w.B_ExpandClick();
  SetMode(w, true, "7E");
  const auto enterIn = [](QWidget* control) {
    control->setFocus();
    if (!QTest::qWaitFor([control] { return control->hasFocus(); })) return false;
    QTest::keyClick(control, Qt::Key_Return);
    return true;
  };
  // Fields and check boxes of the page press "发送"; Enter does not toggle a box.
  for (QWidget* control : std::initializer_list<QWidget*>{w.E_AutoTransmitTime, w.CB_TransmitHex, w.CB_DTR,
                                                         w.E_ExpandTime, w.CB_SendAutoCycle}) {
    QVERIFY2(enterIn(control), qPrintable(control->objectName()));
    QCOMPARE(t.Sent(1), Bytes{0x7E});
  }
  QVERIFY(w.CB_TransmitHex->isChecked() && !w.CB_DTR->isChecked() && !w.CB_SendAutoCycle->isChecked());
  // A preset row sends itself, from its field or its box.
  QVERIFY(enterIn(w.Edits[1]));
  QCOMPARE(t.Sent(13), Bytes(std::begin("output string"), std::end("output string") - 1));
  QVERIFY(enterIn(w.CheckBoxes[0]));
  QCOMPARE(t.Sent(4), (Bytes{0x12, 0x00, 0xFF, 0x88}));
  // A button with the focus presses itself.
  QVERIFY(enterIn(w.B_Expand));
  QVERIFY(!w.ExpandShown);
  QVERIFY(t.More().empty());
  QVERIFY(t.harness.messages.empty());
}

void TransmitPanelTest::tabAndShiftTabLeaveTheFilteredFields() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  w.B_ExpandClick();
  SetMode(w, true, "12");
  for (QLineEdit* field : {w.E_TransmitData, w.E_AutoTransmitTime, w.E_ExpandTime}) {
    const QString text = field->text();
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Backtab, Qt::ShiftModifier}}) {
      field->setFocus();
      QTRY_VERIFY(field->hasFocus());
      QTest::keyClick(field, key, modifiers);
      QVERIFY2(!field->hasFocus(), qPrintable(field->objectName()));
      QCOMPARE(field->text(), text);
    }
  }
  QVERIFY(t.harness.messages.empty());
}

void TransmitPanelTest::closedPortGivesOneNoticeAndSendsNothing() {
  OpenTerminal t(false);
  t.w.B_TransmitClick();
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].title, U("提示"));
  QCOMPARE(t.harness.messages[0].text, U("串口还未打开！"));
  QCOMPARE(t.Status(), U("发送：0"));
  QCOMPARE(t.w.TransmittedCount, 0);
}

void TransmitPanelTest::repeatIntervalRules() {
  OpenTerminal t(false);
  auto& w = t.w;
  w.E_AutoTransmitTime->setText("0");
  w.CB_AutoTransmit->setChecked(true);
  QVERIFY(!w.Timer->isActive());  // 0 never ticks
  QVERIFY(!w.E_AutoTransmitTime->isEnabled());
  w.CB_AutoTransmit->setChecked(false);
  QVERIFY(w.E_AutoTransmitTime->isEnabled());

  w.E_AutoTransmitTime->setText("250");
  w.CB_AutoTransmit->setChecked(true);
  QVERIFY(w.Timer->isActive());
  QCOMPARE(w.Timer->interval(), 250);
  w.CB_AutoTransmit->setChecked(false);
  QVERIFY(!w.Timer->isActive());

  for (const char* bad : {"2147483648", "12ab", ""}) {
    t.harness.messages.clear();
    w.E_AutoTransmitTime->setText(bad);
    w.CB_AutoTransmit->setChecked(true);
    QCOMPARE(t.harness.messages.size(), size_t(1));
    QCOMPARE(t.harness.messages[0].title, U("警告"));
    QVERIFY(t.harness.messages[0].text.contains(U("不是有效的整数值")));
    QVERIFY(w.CB_AutoTransmit->isChecked());
    QVERIFY(!w.Timer->isActive());
    QCOMPARE(w.Timer->interval(), 250);  // neither started nor changed
    QVERIFY(w.E_AutoTransmitTime->isEnabled());
    w.CB_AutoTransmit->setChecked(false);
  }
}

void TransmitPanelTest::timerTickSendsOnlyOnAnOpenPort() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  SetMode(t.w, false, "T");
  SetLineEnds(t.w, false, false);
  t.w.TimerTimer();
  QCOMPARE(t.Sent(1), Bytes{'T'});
  t.w.B_OpenPortClick();  // closes
  QVERIFY(!t.w.TerminalPort->IsOpen());
  t.w.TimerTimer();
  QVERIFY(t.harness.messages.empty());
  QCOMPARE(t.w.TransmittedCount, 1);
  t.w.B_OpenPortClick();  // opens again: the ticks send again
  t.w.E_TransmitData->setText("U");
  t.w.TimerTimer();
  QCOMPARE(t.Sent(1), Bytes{'U'});
}

void TransmitPanelTest::intervalFieldTakesDigitsAndRefusesEmpty() {
  OpenTerminal t(false);
  auto& w = t.w;
  QVERIFY(ActivateWindow(w));
  w.B_ExpandClick();  // shows E_ExpandTime, the other period field
  QLineEdit* field = w.E_AutoTransmitTime;
  field->clear();
  field->setFocus();
  QTRY_VERIFY(field->hasFocus());
  QTest::keyClicks(field, "1a2-3 ");
  QCOMPARE(field->text(), QString("123"));
  field->clear();
  QVERIFY(t.harness.messages.empty());

  // Leaving it empty for the other (also empty) period field: one warning, focus back here,
  // and no warning from the other field bouncing the focus back and forth.
  w.E_ExpandTime->clear();
  w.E_ExpandTime->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(field->hasFocus());
  QVERIFY(!WindowHarness::WaitUntil([&] { return t.harness.messages.size() > 1; }, 300));
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].title, U("警告"));
  QCOMPARE(t.harness.messages[0].text, U("请输入一个正整数！"));

  // "0" is not empty: it passes.
  QTest::keyClick(field, Qt::Key_0);
  w.B_Transmit->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(w.B_Transmit->hasFocus());
  QCOMPARE(t.harness.messages.size(), size_t(1));
}

void TransmitPanelTest::unencodableCharactersGoOutAsQuestionMarks() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  SetMode(t.w, false, U("A😀B"));
  SetLineEnds(t.w, false, false);
  QCOMPARE(t.Transmit(3), (Bytes{'A', '?', 'B'}));
  QCOMPARE(t.w.TransmittedCount, 3);
  QVERIFY(t.Status().startsWith(U("发送：3")));
  QVERIFY(t.Status().contains('?'));
  t.w.E_TransmitData->setText("C");  // the note goes with the next clean send
  t.w.B_TransmitClick();
  QCOMPARE(t.Status(), U("发送：4"));
}

void TransmitPanelTest::aHeldLineReturnsWithinTheBound() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  QVERIFY(t.HoldLine());
  SetMode(t.w, true, "01 02 03 04 05 06 07 08");
  bool deliveredAfterwards = false;
  QTimer::singleShot(0, &t.w, [&] { deliveredAfterwards = true; });
  QElapsedTimer clock;
  clock.start();
  t.w.B_TransmitClick();
  const qint64 took = clock.elapsed();
  const LineFrame frame{t.w.TerminalBaudRate, t.w.TerminalDataBits, t.w.TerminalParity, t.w.TerminalStopBits};
  QVERIFY2(took < WriteBoundMs(1, frame) + 1000, qPrintable(QString::number(took)));
  // The byte handed over stays counted; the bytes after the blocked write were not sent.
  QCOMPARE(t.w.TransmittedCount, 1);
  QVERIFY(t.Status().startsWith(U("发送：1")));
  QVERIFY(t.Status().contains(U("线路阻塞")));
  // The window answers again at once.
  QVERIFY(WindowHarness::WaitUntil([&] { return deliveredAfterwards; }, 500));
}

void TransmitPanelTest::timedSendIntoAFullLineKeepsTheWindowAnswering() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  SetMode(w, true, "12 FF 00 30");
  QVERIFY(t.FillLine());
  w.E_AutoTransmitTime->setText("1");
  w.CB_AutoTransmit->setChecked(true);
  // Each tick that waited for the full line used to hold the window for a write's bound
  // (two seconds and more); a skipped tick costs a look at the line. The limit here is only
  // a guard for a busy machine.
  const qint64 longest = OpenTerminal::LongestEventLoopGap(2500);
  QVERIFY2(longest < 1000, qPrintable(QString::number(longest)));
  QVERIFY(t.Status().contains(U("线路阻塞")));
  const int32_t held = w.TransmittedCount;  // skipped ticks hand nothing over, so count nothing
  OpenTerminal::LongestEventLoopGap(100);
  QCOMPARE(w.TransmittedCount, held);
  QVERIFY(t.harness.messages.empty());

  // Once the peer reads, the ticks send again, whole and counted.
  QVERIFY(!t.More().empty());
  QVERIFY(WindowHarness::WaitUntil([&] { return w.TransmittedCount >= held + 40; }));
  QVERIFY(!t.Status().contains(U("线路阻塞")));
  w.CB_AutoTransmit->setChecked(false);
  const Bytes sent = t.More();
  QCOMPARE(sent.size(), size_t(w.TransmittedCount - held));
  for (size_t i = 0; i < sent.size(); ++i) QCOMPARE(sent[i], (Bytes{0x12, 0xFF, 0x00, 0x30})[i % 4]);
}
