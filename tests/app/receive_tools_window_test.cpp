// The receive window's tools in the real window, on a pseudo-terminal, with a clock the test
// sets: time stamps for data already shown and data still coming, in both renderings; the
// keys that switch them are not sent; pause and resume lose nothing; a capture that starts
// with the port and marks its events; a capture that cannot start; a hex search that finds a
// pair split by a wrapped line.
#include <poll.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "core/settings/log_settings.h"
#include "core/terminal/receive_pipeline.h"
#include "core/text/gbk_codec.h"
#include "gui/terminal/receive_tools.h"
#include "gui/widgets/receive_search_bar.h"
#include "gui/widgets/receive_view.h"
#include "support/pty_pair.h"
#include "support/set_clock.h"
#include "support/temp_dir.h"
#include "support/window_harness.h"

namespace {

std::string Shown(TVornicSPComm& w) { return w.TabSheet1->M_ReceiverData->Content(); }

bool SentNothing(const PtyPair& pty) {
  pollfd p{pty.master(), POLLIN, 0};
  return ::poll(&p, 1, 0) == 0;
}

}  // namespace

class ReceiveToolsWindowTest : public QObject {
  Q_OBJECT

 private:
  std::shared_ptr<SetClock> clock_;
  std::unique_ptr<WindowHarness> h_;
  std::unique_ptr<PtyPair> pty_;

  TVornicSPComm& w() { return h_->w(); }
  ReceiveTools& tools() { return *w().TabSheet1->Tools; }
  ReceiveView& view() { return *w().TabSheet1->M_ReceiverData; }

  // Sends `bytes` at the clock's time `ms` and waits until the window has taken them in.
  void Arrive(const std::string& bytes, int64_t ms) {
    clock_->Set(ms);
    const int64_t target = w().Receive->ReceivedCount() + static_cast<int64_t>(bytes.size());
    QVERIFY(pty_->Send(bytes));
    QVERIFY(WindowHarness::WaitUntil([&] {
      return w().Receive->ReceivedCount() == target &&
             w().TabSheet1->StatusPanels[2]->text() == QString::fromUtf8("接收：") + QString::number(target);
    }));
  }

  void Open() {
    QVERIFY(!w().Terminal->Switch(pty_->path()));
    w().TabSheet1->B_OpenPortClick();
    QVERIFY(w().Terminal->IsOpen());
  }

 private slots:
  void init() {
    UseUtcLocalTime();
    clock_ = std::make_shared<SetClock>(kMorningMs);
    h_ = std::make_unique<WindowHarness>(
        WindowEnvironment{std::make_shared<FakePortSource>(), std::make_shared<FakeDeviceEventSource>(), clock_});
    pty_ = std::make_unique<PtyPair>();
    QVERIFY(pty_->ok());
    w().TabSheet1->CB_HexDisplay->setChecked(false);
  }
  void cleanup() {
    h_.reset();
    pty_.reset();
  }

  void stampsCoverWhatIsShownAndWhatComes() {
    Open();
    Arrive("ab\r\ncd", kMorningMs);
    Arrive("e\nf", kMorningMs + 1234);
    QTest::keyClick(&view(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(SentNothing(*pty_));  // the switch is no control character for the port
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] ab\r\n[10:31:42.000] cde\n[10:31:43.234] f"));
    QVERIFY(tools().StatusPanel->text().contains(QString::fromUtf8("时间戳")));

    w().TabSheet1->CB_HexDisplay->setChecked(true);
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] 61 62 0D 0A 63 64\n[10:31:43.234] 65 0A 66"));
    Arrive("g", kMorningMs + 1250);  // within the gap: the same line
    Arrive("h", kMorningMs + 2000);
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] 61 62 0D 0A 63 64\n[10:31:43.234] 65 0A 66 67\n"
                                     "[10:31:44.000] 68"));
    QTest::keyClick(&view(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Shown(w()), std::string("61 62 0D 0A 63 64 65 0A 66 67 68 "));
  }

  // A backspace re-sets the stamped text from what is kept: whether it takes back only text
  // of its own chunk (the stamped lines shown stay) or text already shown, the window is the
  // stamped rendering of the kept text.
  void backspacesKeepTheStampedTextExact() {
    Open();
    QTest::keyClick(&view(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    Arrive("ab\n", kMorningMs);
    Arrive("x\by", kMorningMs + 100);
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] ab\n[10:31:42.100] y"));
    Arrive("cd\bq", kMorningMs + 200);
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] ab\n[10:31:42.100] ycq"));
    Arrive("\b\b\bz", kMorningMs + 300);
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] ab\n[10:31:42.300] z"));
    Arrive("\b\b!", kMorningMs + 400);
    QCOMPARE(Shown(w()), std::string("[10:31:42.000] ab!"));
  }

  void pauseFreezesTheViewAndResumeLosesNothing() {
    Open();
    Arrive("before\n", kMorningMs);
    QTest::keyClick(&view(), Qt::Key_Pause);
    QVERIFY(tools().StatusPanel->text().contains(QString::fromUtf8("暂停")));
    std::string during;
    for (int i = 0; i < 40; ++i) during += "line " + std::to_string(i) + "\n";
    Arrive(during, kMorningMs + 10);  // the count runs on
    QCOMPARE(Shown(w()), std::string("before\n"));
    QTest::keyClick(&view(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(SentNothing(*pty_));
    QCOMPARE(Shown(w()), "before\n" + during);
    Arrive("after", kMorningMs + 20);
    QCOMPARE(Shown(w()), "before\n" + during + "after");
    QVERIFY(!tools().StatusPanel->text().contains(QString::fromUtf8("暂停")));
  }

  void captureStartsWithThePortAndMarksItsEvents() {
    TempDir dir;
    LogSettings settings = w().TabSheet1->ReadLogSettings();
    settings.CaptureFolder = dir.path();
    settings.CaptureFormat = 1;  // text lines
    settings.CaptureOnOpen = true;
    settings.CaptureNamePattern = "cap.log";
    w().TabSheet1->ApplyLogSettings(settings);
    Open();
    QVERIFY(tools().Capturing());
    QVERIFY(tools().StatusPanel->text().contains(QString::fromUtf8("记录中 cap.log")));
    Arrive("boot\r\nok\n", kMorningMs + 5);
    clock_->Set(kMorningMs + 9);
    w().TabSheet1->B_OpenPortClick();  // closes
    tools().StopCapture();
    const std::string port = pty_->path().substr(pty_->path().rfind('/') + 1);
    const std::string marker = "[10:31:42.009] " + EncodeGbk("==== 串口已关闭 ").bytes + port + " ====\n";
    QCOMPARE(ReadTestFile(dir.File("cap.log")),
             "[10:31:42.000] " + EncodeGbk("==== 开始记录 ").bytes + port + " ====\n" +
             "[10:31:42.000] " + EncodeGbk("==== 串口已打开 ").bytes + port + " ====\n" +
             "[10:31:42.005] boot\r\n[10:31:42.005] ok\n" + marker +
             "[10:31:42.009] " + EncodeGbk("==== 停止记录 ").bytes + port + " ====\n");

    // A folder that is not there: a message, no capture, reception goes on.
    settings.CaptureFolder = dir.File("gone");
    w().TabSheet1->ApplyLogSettings(settings);
    h_->messages.clear();
    Open();
    QVERIFY(!tools().Capturing());
    QCOMPARE(h_->messages.size(), size_t{1});
    QVERIFY(h_->messages[0].text.contains(QString::fromUtf8("记录文件夹不可用")));
    Arrive("still here", kMorningMs + 20);
  }

  void hexSearchFindsAPairSplitByAWrappedLine() {
    w().TabSheet1->CB_HexDisplay->setChecked(true);
    Open();
    Arrive(std::string(300, 'A'), kMorningMs);
    QVERIFY(view().Lines().LineCount() > 1);
    const size_t pairsPerLine = view().Lines().LineStart(1) / 3;
    w().TabSheet1->B_ClearClick();
    Arrive(std::string(pairsPerLine - 1, 'A') + "\r\n", kMorningMs);
    QTest::keyClick(&view(), Qt::Key_F, Qt::ControlModifier);
    ReceiveSearchBar& bar = *tools().SearchBar;
    QVERIFY(!bar.isHidden());
    bar.HexBytes->setChecked(true);
    QTest::keyClicks(bar.Pattern, "0d 0a");
    QCOMPARE(bar.Count->text(), QString("1/1"));
    const SearchMatch match = view().Matches().at(0);
    QVERIFY(view().Lines().LineOf(match.begin) != view().Lines().LineOf(match.end - 1));
    QCOMPARE(view().SelectedText(), QString("0D 0A"));
    QTest::keyClick(bar.Pattern, Qt::Key_Escape);
    QVERIFY(bar.isHidden());
    QVERIFY(view().Matches().empty());
  }
};

QTEST_MAIN(ReceiveToolsWindowTest)
#include "receive_tools_window_test.moc"
