// Keys typed into the receive window go to the port on the pseudo-terminal.
#include "transmit/typed_keys_test.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>

#include "app/receive_view.h"
#include "transmit/open_terminal.h"

void TypedKeysTest::arrowKeysSendEscapeSequences() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  ReceiveView* view = t.w.M_ReceiverData;
  view->SetContent(std::string(4000, '\n'));  // something to scroll, were the keys not swallowed
  view->verticalScrollBar()->setValue(10);
  QTest::keyClick(view, Qt::Key_Left);
  QCOMPARE(t.Sent(3), (Bytes{0x1B, 0x5B, 0x44}));
  QCOMPARE(t.w.TransmittedCount, 3);
  QCOMPARE(t.Status(), U("发送3"));
  QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(view, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_Down);
  QCOMPARE(t.Sent(9), (Bytes{0x1B, '[', 'A', 0x1B, '[', 'C', 0x1B, '[', 'B'}));
  QVERIFY(t.More().empty());
  QCOMPARE(view->verticalScrollBar()->value(), 10);
  QCOMPARE(t.Status(), U("发送12"));
  // Any other key going down shows the count too, without the colon.
  t.w.StatusPanels[1]->setText(QString());
  QTest::keyClick(view, Qt::Key_Shift);
  QCOMPARE(t.Status(), U("发送12"));
}

void TypedKeysTest::typedCharactersGoOutAsBytes() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  ReceiveView* view = t.w.M_ReceiverData;
  QTest::keyClick(view, Qt::Key_Return);
  QCOMPARE(t.Sent(1), Bytes{0x0D});
  QVERIFY(t.More().empty());  // Enter is a lone carriage return
  QTest::keyClick(view, Qt::Key_Tab);
  QTest::keyClick(view, Qt::Key_Backspace);
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClicks(view, "x ~");
  QCOMPARE(t.Sent(7), (Bytes{0x09, 0x08, 0x01, 0x1A, 'x', ' ', '~'}));
  QCOMPARE(t.w.TransmittedCount, 8);
  QCOMPARE(t.Status(), U("发送8"));
  QVERIFY(view->Content().empty());                          // nothing typed is echoed
  QVERIFY(t.w.TerminalPort->GetEventMask() != win::EV_RXCHAR);  // typed keys leave the events alone
}

void TypedKeysTest::inputMethodTextGoesOutAsGbk() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  QInputMethodEvent commit;
  commit.setCommitString(U("中文"));
  QApplication::sendEvent(t.w.M_ReceiverData, &commit);
  QCOMPARE(t.Sent(4), (Bytes{0xD6, 0xD0, 0xCE, 0xC4}));
  QCOMPARE(t.w.TransmittedCount, 4);
  QCOMPARE(t.Status(), U("发送4"));
}

void TypedKeysTest::closedPortSendsAndCountsNothing() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  t.w.B_OpenPortClick();  // closes
  ReceiveView* view = t.w.M_ReceiverData;
  view->SetContent(std::string(4000, '\n'));
  view->verticalScrollBar()->setValue(10);
  QTest::keyClick(view, Qt::Key_Down);  // the key acts on the window as usual
  QCOMPARE(view->verticalScrollBar()->value(), 11);
  QTest::keyClicks(view, "ab");
  QTest::keyClick(view, Qt::Key_Return);
  QCOMPARE(t.w.TransmittedCount, 0);
  QCOMPARE(t.Status(), U("发送：0"));
  QVERIFY(t.harness.messages.empty());
  QVERIFY(t.More().empty());
}
