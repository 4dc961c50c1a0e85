// How the window repaints while bytes stream in. Not a thread test: painting a shown window
// makes Qt's own image thread pool run, whose locks ThreadSanitizer cannot see.
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

#include "support/pty_pair.h"
#include "support/window_harness.h"
#include "transmit/transmit_panel.h"

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

}  // namespace

class WindowRepaintTest : public QObject {
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
    h.w().B_OpenPortClick();
    WindowHarness::WaitUntil([] { return false; }, 200);  // the first layout of the shown page
    LayoutRequestCounter counter;
    for (QWidget* watched : {static_cast<QWidget*>(&h.w()), static_cast<QWidget*>(h.w().PageControl),
                             h.w().StatusPanels[2]->parentWidget()})
      watched->installEventFilter(&counter);
    for (int n = 1; n <= 20; ++n) {
      QVERIFY(pty.Send(std::string("x")));
      QVERIFY(WindowHarness::WaitUntil([&] { return h.w().StatusPanels[2]->text() == QString::fromUtf8("接收：%1").arg(n); }));
      h.w().Transmitter->B_TransmitClick();
    }
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 0);
  }
};

QTEST_MAIN(WindowRepaintTest)
#include "window_repaint_test.moc"
