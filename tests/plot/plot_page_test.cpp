// The plot page in the real window over a pseudo-terminal: a peer prints three series and the
// page holds exactly those samples, unreadable input is counted while the terminal page goes
// on showing everything, and the paused view stays put while data keep being kept, zooms
// and reads values under the cursor.
#include <fcntl.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "core/plot/sample_history.h"
#include "core/settings/plot_settings.h"
#include "core/terminal/receive_pipeline.h"
#include "core/text/hex_codec.h"
#include "gui/plot/plot_page.h"
#include "gui/plot/plot_view.h"
#include "gui/terminal/terminal_page.h"
#include "gui/widgets/receive_view.h"
#include "support/pty_pair.h"
#include "support/window_feed.h"
#include "support/window_harness.h"

namespace {


// Sample i of the peer's three series.
float A(int i) { return static_cast<float>(i % 300) * 0.25f - 40; }
float B(int i) { return std::sin(i * 0.05f) * 50 + 0.25f; }
float C(int i) { return (i / 100) % 2 ? -20.5f : 20.5f; }

std::string ThreeSeries(int from, int to) {
  std::string text;
  char line[96];
  for (int i = from; i < to; ++i) {
    std::snprintf(line, sizeof line, "%.9g, %.9g; %.9g\r\n", A(i), B(i), C(i));
    text += line;
  }
  return text;
}

struct PlotOnPty {
  PtyPair pty;
  WindowHarness harness;
  TVornicSPComm& w = harness.w();
  PlotPage& page = *harness.w().TabSheet3;

  bool Open() {
    if (!pty.ok() || w.Terminal->Switch(pty.path())) return false;
    w.TabSheet1->B_OpenPortClick();
    return w.Terminal->IsOpen();
  }
  bool WaitForSamples(int64_t count) {
    return WindowHarness::WaitUntil([&] { return page.History().End() >= count; }, 20000);
  }
};

}  // namespace

class PlotPageTest : public QObject {
  Q_OBJECT

 private slots:
  void thirdPageAfterTheTwoWindowStillOpensOnConfiguration() {
    WindowHarness h;
    QCOMPARE(h.w().PageControl->count(), 3);
    QCOMPARE(h.w().PageControl->tabText(2), QString::fromUtf8("波形显示"));
    QCOMPARE(h.w().PageControl->currentWidget(), h.w().TabSheet2);
  }

  // Every setting reaches a control and comes back from it; values the controls cannot show
  // leave them as they were.
  void settingsComeBackFromTheControls() {
    WindowHarness h;
    PlotPage& page = *h.w().TabSheet3;
    const PlotSettings chosen{1, "A5 5A 01", 7, 6, true, true, 250000, false, "-2.5", "12", true, 4, true, "1.25"};
    page.ApplySettings(chosen);
    QCOMPARE(page.ReadSettings(), chosen);
    QVERIFY(!page.CB_AutoScale->isChecked() && page.E_YMin->isEnabled() && page.E_FrameStart->isEnabled());
    PlotSettings odd = chosen;
    odd.Input = 9;
    odd.FrameValues = 17;
    odd.FrameType = 7;
    odd.WindowSamples = 99;
    odd.TriggerSeries = 16;
    page.ApplySettings(odd);
    QCOMPARE(page.ReadSettings(), chosen);
  }

  void holdsExactlyWhatThePeerPrintedAndCountsWhatItCouldNotRead() {
    PlotOnPty p;
    QVERIFY(p.Open());
    const std::string first = ThreeSeries(0, 2000);
    // Garbage between good lines: words, NaN, binary bytes, a 100 kB line without an end
    // (closed by the next line end), a line with another count of values.
    const std::string bad = "hello\r\nnan,1,2\r\n\x01\x02\xff\r\n" + std::string(100 * 1024, '7') + "\r\n1,2\r\n";
    const std::string second = ThreeSeries(2000, 3000);
    SendWhileWindowReads(p.pty, first + bad + second);
    QVERIFY(p.WaitForSamples(3000));
    QVERIFY(WindowHarness::WaitUntil([&] { return p.w.Receive->ReceivedCount() == static_cast<int64_t>(first.size() + bad.size() + second.size()); }));
    const SampleHistory& h = p.page.History();
    QCOMPARE(h.End(), 3000);
    QCOMPARE(h.SeriesCount(), 3);
    for (int i = 0; i < 3000; ++i) {
      QVERIFY2(h.Value(0, i) == A(i) && h.Value(1, i) == B(i) && h.Value(2, i) == C(i), qPrintable(QString::number(i)));
      if (i) QVERIFY(h.TimeUs(i) >= h.TimeUs(i - 1));
    }
    QCOMPARE(p.page.Recorder().UnreadableCount(), 5);
    p.page.Refresh();
    QVERIFY(p.page.L_PlotCounts->text().contains(QString::fromUtf8("无法解析 5")));
    QVERIFY(!p.page.Legend[2]->isHidden() && p.page.Legend[3]->isHidden());
    // The terminal page was not disturbed: it shows the bytes up to the last one.
    const std::string tail = second.substr(second.size() - 40);
    QVERIFY(WindowHarness::WaitUntil([&] {
      const std::string shown = p.w.TabSheet1->M_ReceiverData->Content();
      const std::string expected = ToHexText({reinterpret_cast<const uint8_t*>(tail.data()), tail.size()});
      return shown.size() >= expected.size() && shown.compare(shown.size() - expected.size(), expected.size(), expected) == 0;
    }));
  }

  void pausedViewStaysWhileSamplesAreKeptAndZoomsAndReadsTheCursor() {
    PlotOnPty p;
    QVERIFY(p.Open());
    p.w.resize(900, 600);
    p.w.show();
    p.w.PageControl->setCurrentWidget(&p.page);
    QVERIFY(QTest::qWaitForWindowExposed(&p.w));
    SendWhileWindowReads(p.pty, ThreeSeries(0, 1500));
    QVERIFY(p.WaitForSamples(1500));
    QTest::mouseClick(p.page.B_PlotRun, Qt::LeftButton);
    QVERIFY(p.page.Paused());
    const auto frozen = p.page.View->SamplesInView();
    QCOMPARE(frozen, (std::pair<int64_t, int64_t>(500, 1500)));
    SendWhileWindowReads(p.pty, ThreeSeries(1500, 2500));
    QVERIFY(p.WaitForSamples(2500));
    p.page.Refresh();
    QCOMPARE(p.page.View->SamplesInView(), frozen);
    // Three notches in around the middle: the view narrows around the mouse.
    PlotView& view = *p.page.View;
    const QPoint middle = view.rect().center();
    QWheelEvent wheel(middle, view.mapToGlobal(middle), QPoint(), QPoint(0, 360), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    const auto [first, last] = view.SamplesInView();
    QVERIFY2(last - first < 1000 / 1.9 && first > 500 && last < 1500, qPrintable(QString("%1 %2").arg(first).arg(last)));
    // The cursor reads the sample under the mouse.
    QTest::mouseMove(&view, middle);
    const std::optional<int64_t> at = view.CursorSample();
    QVERIFY(at && *at > first && *at < last);
    // Running again follows the newest samples.
    QTest::mouseClick(p.page.B_PlotRun, Qt::LeftButton);
    QCOMPARE(p.page.View->SamplesInView(), (std::pair<int64_t, int64_t>(1500, 2500)));
    if (const QByteArray picture = qgetenv("SP_PLOT_PICTURE"); !picture.isEmpty()) {
      QTest::mouseClick(p.page.B_PlotRun, Qt::LeftButton);
      view.ShowSamples(1900, 2300);
      view.SetCursorX(middle.x() + 60);
      p.page.Refresh();
      QVERIFY(p.w.grab().save(QString::fromLocal8Bit(picture), "PNG"));
    }
  }
};

QTEST_MAIN(PlotPageTest)
#include "plot_page_test.moc"
