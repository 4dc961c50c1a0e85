// The shown window while bytes stream in: how it repaints, where hex lines wrap, following
// the end, a GBK lead byte at the end of the stream. Not a thread test: painting a shown
// window makes Qt's own image thread pool run, whose locks ThreadSanitizer cannot see.
#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

#include "gui/widgets/controls.h"
#include "core/terminal/receive_pipeline.h"
#include "gui/widgets/receive_view.h"
#include "support/pty_pair.h"
#include "support/window_harness.h"
#include "gui/terminal/transmit_panel.h"

namespace {

// Counts the layout requests that reach the watched widgets.
class LayoutRequestCounter : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::LayoutRequest) ++count;
    return false;
  }
};


std::string Shown(TVornicSPComm& w) { return w.TabSheet1->M_ReceiverData->Content(); }

void OpenPty(WindowHarness& h, const PtyPair& pty) {
  QVERIFY(!h.w().Terminal->Switch(pty.path()));
  h.w().TabSheet1->B_OpenPortClick();
}

// The terminal page in sight, so that the receive window has its real size.
void ShowTerminalPage(WindowHarness& h) {
  h.w().show();
  h.w().PageControl->setCurrentWidget(h.w().TabSheet1);
  QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
}

}  // namespace

class ShownWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // The counters change with every chunk; if that laid the page out again, the whole window
  // would be repainted each time and a steady stream would keep a core busy.
  void counterUpdatesDoNotLayOutThePageAgain() {
    PtyPair pty;
    WindowHarness h;
    h.w().PageControl->setCurrentWidget(h.w().TabSheet1);
    h.w().show();
    QVERIFY(!h.w().Terminal->Switch(pty.path()));
    h.w().TabSheet1->B_OpenPortClick();
    WindowHarness::WaitUntil([] { return false; }, 200);  // the first layout of the shown page
    LayoutRequestCounter counter;
    for (QWidget* watched : {static_cast<QWidget*>(&h.w()), static_cast<QWidget*>(h.w().PageControl),
                             h.w().TabSheet1->StatusPanels[2]->parentWidget()})
      watched->installEventFilter(&counter);
    for (int n = 1; n <= 20; ++n) {
      QVERIFY(pty.Send(std::string("x")));
      QVERIFY(WindowHarness::WaitUntil([&] { return h.w().TabSheet1->StatusPanels[2]->text() == QString::fromUtf8("接收：%1").arg(n); }));
      h.w().TabSheet1->Transmitter->B_TransmitClick();
    }
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 0);
  }

  // At every width a hex line starts with a whole pair.
  void hexPairsStayWholeWhereLinesWrap() {
    PtyPair pty;
    WindowHarness h;
    ShowTerminalPage(h);
    OpenPty(h, pty);
    std::string sent;
    for (int i = 0; i < 300; ++i) sent += static_cast<char>(i * 37);
    pty.Send(sent);
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()).size() == 3 * sent.size(); }));
    ReceiveView& view = *h.w().TabSheet1->M_ReceiverData;
    for (int step = 0; step < 3; ++step) {
      const size_t columns = view.Columns();
      h.w().resize(h.w().width() + static_cast<int>(view.CellWidth()), h.w().height());
      QVERIFY(WindowHarness::WaitUntil([&] { return view.Columns() != columns; }));
      for (size_t start : view.Lines().Starts()) QCOMPARE(start % 3, size_t(0));
    }
  }

  // Toggling the rendering or showing the help puts the top of the window in sight; the next
  // bytes bring the end back into view, as every append does.
  void windowFollowsNewBytesAfterToggleAndHelp() {
    PtyPair pty;
    WindowHarness h;
    ShowTerminalPage(h);
    OpenPty(h, pty);
    ReceiveView& view = *h.w().TabSheet1->M_ReceiverData;
    pty.Send(std::string(4000, 'r'));
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()).size() == 12000; }));
    QVERIFY(view.IsAtBottom());
    h.w().TabSheet1->CB_HexDisplay->setChecked(false);
    h.w().TabSheet1->CB_HexDisplay->setChecked(true);
    QCOMPARE(view.FirstVisibleLine(), size_t(0));
    pty.Send("s");
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()).size() == 12003; }));
    QVERIFY(view.IsAtBottom());
    h.w().TabSheet1->B_HelpClick();
    QCOMPARE(view.FirstVisibleLine(), size_t(0));
    QVERIFY(!view.IsAtBottom());
    pty.Send("t");
    QVERIFY(WindowHarness::WaitUntil([&] { return Shown(h.w()).ends_with("74 "); }));
    QVERIFY(view.IsAtBottom());
  }

  // A device that ends on the first byte of a GBK character: it shows (as U+FFFD) once the
  // line stays quiet, and turns into the character if the second byte comes after all.
  void trailingLeadByteShowsOnceTheLineIsQuiet() {
    PtyPair pty;
    WindowHarness h;
    ShowTerminalPage(h);
    OpenPty(h, pty);
    h.w().TabSheet1->CB_HexDisplay->setChecked(false);
    ReceiveView& view = *h.w().TabSheet1->M_ReceiverData;
    pty.Send("A\xC4");
    QVERIFY(WindowHarness::WaitUntil([&] { return view.VisibleText().text == QString::fromUtf8("A\uFFFD"); }));
    QCOMPARE(Shown(h.w()), std::string("A\xC4"));
    QCOMPARE(h.w().Receive->Snapshot(false), std::string("A\xC4"));  // what a save writes
    pty.Send("\xE3");
    QVERIFY(WindowHarness::WaitUntil([&] { return view.VisibleText().text == QString::fromUtf8("A你"); }));
  }
};

QTEST_MAIN(ShownWindowTest)
#include "shown_window_test.moc"
