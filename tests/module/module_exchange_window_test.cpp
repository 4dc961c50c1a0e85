// The window's wiring of the module exchanges: a button of the configuration page starts one
// on the page's port, the port's events and the reply delay come back through the window's
// message map, and the verdict reaches the page's labels and the window's caption. Against
// the module simulator. How the page shows a verdict is tested on the page alone
// (config_page_test), the exchange itself without any widget (module_exchange_test).
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "config_page_window_support.h"
#include "core/module/module_exchange.h"
#include "gui/module/config_page.h"
#include "module/simulator_process.h"

namespace {

// A window whose module list has picked `port`. Its status captions stay: the countdown that
// would bring the base caption back is held.
struct Page {
  explicit Page(const std::string& port) { SelectModulePort(h, port); }
  TVornicSPComm& w() { return h.w(); }
  ConfigPage& page() { return *h.w().TabSheet2; }
  std::vector<ShownMessage>& messages() { return h.messages; }
  WindowHarness h;
  std::shared_ptr<CountdownGate> gate = CountdownGate::Install(h.w());
};

// Clicks a button and waits until the exchange it started has been judged; true when the
// caption then shows `status`.
bool Exchange(Page& page, QPushButton* button, const char* status) {
  TVornicSPComm& w = page.w();
  button->click();
  return WindowHarness::WaitUntil([&] { return !w.Exchange->Waiting(); }) &&
         w.windowTitle() == w.BaseCaption() + U(status);
}

}  // namespace

class ModuleExchangeWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void buttonsReachTheExchangeAndVerdictsTheScreen() {
    SimulatorProcess module({});
    Page page(module.path());
    QVERIFY(Exchange(page, page.page().B_ReadConfiguration, kReadOkStatus));
    QCOMPARE(page.page().L_Model->text(), QString("ZEL-B1 FIFO"));
    QCOMPARE(page.page().L_Version->text(), QString("1.0.5"));
    QVERIFY(page.w().Exchange->ModuleSeen());
    QVERIFY(Exchange(page, page.page().B_WriteConfiguration, kWriteOkStatus));
    QVERIFY(Exchange(page, page.page().B_ReadConfiguration, kReadOkStatus));  // the delay runs again
    QVERIFY(page.messages().empty());
  }

  void failedExchangeShowsItsCaption() {
    SimulatorProcess module({"--garbage"});
    Page page(module.path());
    QVERIFY(Exchange(page, page.page().B_ReadConfiguration, kFailedStatus));
    QVERIFY(page.messages().empty());
  }

  // A port that cannot be had is a warning; the caption stays.
  void missingPortIsWarnedAbout() {
    Page page("/dev/no-such-port");
    for (QPushButton* button : {page.page().B_ReadConfiguration, page.page().B_WriteConfiguration}) {
      button->click();
      QCOMPARE(page.messages().back().title, U("警告"));
      QCOMPARE(page.messages().back().text, U("该串口不存在或串口被占用！"));
      QVERIFY(!page.w().Exchange->Waiting());
    }
    QCOMPARE(page.messages().size(), size_t{2});
    QCOMPARE(page.w().windowTitle(), page.w().BaseCaption());
  }
};

QTEST_MAIN(ModuleExchangeWindowTest)
#include "module_exchange_window_test.moc"
