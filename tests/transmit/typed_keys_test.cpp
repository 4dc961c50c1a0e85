// Keys typed into the receive window reach the transmit session; the port is a
// pseudo-terminal.
#include "transmit/typed_keys_test.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>

#include "gui/widgets/receive_view.h"
#include "transmit/open_terminal.h"

void TypedKeysTest::arrowKeysAreSentAndSwallowed() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  ReceiveView* view = t.w.TabSheet1->M_ReceiverData;
  view->SetContent(std::string(4000, '\n'));  // something to scroll, were the keys not swallowed
  view->verticalScrollBar()->setValue(10);
  QTest::keyClick(view, Qt::Key_Left);
  QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(view, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_Down);
  QCOMPARE(t.Sent(12), (Bytes{0x1B, '[', 'D', 0x1B, '[', 'A', 0x1B, '[', 'C', 0x1B, '[', 'B'}));
  QVERIFY(t.More().empty());
  QCOMPARE(view->verticalScrollBar()->value(), 10);
  QCOMPARE(t.Status(), U("发送12"));
  // Any other key going down shows the count too, without the colon.
  t.w.TabSheet1->StatusPanels[1]->setText(QString());
  QTest::keyClick(view, Qt::Key_Shift);
  QCOMPARE(t.Status(), U("发送12"));
}

void TypedKeysTest::typedCharactersAndInputMethodTextGoOut() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  ReceiveView* view = t.w.TabSheet1->M_ReceiverData;
  QTest::keyClick(view, Qt::Key_Return);
  QTest::keyClick(view, Qt::Key_Tab);
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(view, "x");
  QInputMethodEvent commit;
  commit.setCommitString(U("中文"));
  QApplication::sendEvent(view, &commit);
  QCOMPARE(t.Sent(8), (Bytes{0x0D, 0x09, 0x01, 'x', 0xD6, 0xD0, 0xCE, 0xC4}));
  QVERIFY(t.More().empty());  // Enter is a lone carriage return
  QCOMPARE(t.Status(), U("发送8"));
  QVERIFY(view->Content().empty());  // nothing typed is echoed
}

void TypedKeysTest::onAClosedPortKeysActOnTheWindowAsUsual() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  t.w.TabSheet1->B_OpenPortClick();  // closes
  ReceiveView* view = t.w.TabSheet1->M_ReceiverData;
  view->SetContent(std::string(4000, '\n'));
  view->verticalScrollBar()->setValue(10);
  QTest::keyClick(view, Qt::Key_Down);
  QCOMPARE(view->verticalScrollBar()->value(), 11);
  QTest::keyClicks(view, "ab");
  QCOMPARE(t.Count(), 0);
  QCOMPARE(t.Status(), U("发送：0"));
  QVERIFY(t.harness.messages.empty());
  QVERIFY(t.More().empty());
}
