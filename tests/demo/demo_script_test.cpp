// The program's command line and its scripted demo run: a full run against the module
// simulator and the echo device, and each way a run can fail, in the offscreen window.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/module/config_page.h"
#include "gui/window/demo_script.h"
#include "core/text/gbk_codec.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/receive_view.h"
#include "gui/window/start_options.h"
#include "demo/device_process.h"
#include "support/pty_pair.h"
#include "support/window_harness.h"
#include "core/text/hex_codec.h"
#include "core/transmit/transmit_session.h"

namespace {

// What the simulated module holds in these tests: 434.500 MHz, addresses 12 and 34, ...
const char* const kModuleBlock = "06 A1 44 04 05 04 02 02 14 00 0C 22 06 00";

// A settings file naming the terminal port and the module port ("" leaves a key out).
std::function<void(const QString&)> Settings(const std::string& terminalPort, const std::string& modulePort) {
  return [=](const QString& profileDir) {
    QFile file(profileDir + "/VornicSPCommTool.ini");
    if (!file.open(QIODevice::WriteOnly)) return;
    QByteArray text = "[VornicSPCommTool_USART]\n";
    if (!terminalPort.empty()) text += "Serial Port=" + QByteArray::fromStdString(terminalPort) + "\n";
    text += "[VornicSPCommTool_ZEL]\n";
    if (!modulePort.empty()) text += "Serial Port=" + QByteArray::fromStdString(modulePort) + "\n";
    file.write(text);
  };
}

// One demo run on a harness window; the printed lines are kept.
struct Run {
  Run(WindowHarness& h, const QString& outputDir, int stepTimeoutMs = 10000)
      : script(h.w(), outputDir, [this](const QString& line) { printed << line; }, stepTimeoutMs) {}

  // Starts the run and waits for its end; true when it ended.
  bool Complete() {
    QSignalSpy finished(&script, &DemoScript::finished);
    script.Start();
    return finished.count() > 0 || finished.wait(20000);
  }
  QString Printed() const { return printed.join('\n'); }

  QStringList printed;
  DemoScript script;
};

QString Hex(const std::string& bytes) {
  return QString::fromStdString(ToHexText({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()})).trimmed();
}

}  // namespace

class DemoScriptTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    // A run replaces the harness's record of message boxes; no box may ever reach the screen.
    SetMessageObserver([](const QString&, const QString&) {});
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("demoDir");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("error");
    QTest::newRow("plain start") << QStringList{} << QString() << false << false;
    QTest::newRow("demo") << QStringList{"--demo-script", "/tmp/pictures"} << "/tmp/pictures" << false << false;
    QTest::newRow("demo, = form") << QStringList{"--demo-script=out"} << "out" << false << false;
    QTest::newRow("help") << QStringList{"--help"} << QString() << true << false;
    QTest::newRow("demo without a directory") << QStringList{"--demo-script"} << QString() << false << true;
    QTest::newRow("empty directory") << QStringList{"--demo-script="} << QString() << false << true;
    QTest::newRow("unknown option") << QStringList{"--fast"} << QString() << false << true;
    QTest::newRow("stray argument") << QStringList{"COM1"} << QString() << false << true;
  }
  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, demoDir);
    QFETCH(bool, help);
    QFETCH(bool, error);
    arguments.prepend("vornicspcomm");
    const StartOptions options = ParseStartOptions(arguments);
    QCOMPARE(options.demoScriptDir.value_or(QString()), demoDir);
    QCOMPARE(options.showHelp, help);
    QCOMPARE(!options.error.isEmpty(), error);
    QVERIFY(StartOptionsUsage().contains("--demo-script <directory>"));
  }

  void fullRunReadsTheModuleAndGetsTheLineBack() {
    DeviceProcess module(ZEL_SIMULATOR_PATH, {"--version", "2.1.0", "--block", kModuleBlock});
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    WindowHarness h(Settings(echo.path(), module.path()));
    QTemporaryDir out;
    const QString pictures = out.path() + "/pictures";
    Run run(h, pictures);
    QVERIFY(run.Complete());
    QVERIFY2(run.script.ExitStatus() == 0, qPrintable(run.script.Failure()));

    // The page shows what the module holds, and the exchange is printed byte for byte.
    QCOMPARE(h.w().TabSheet2->L_Version->text(), QString("2.1.0"));
    QCOMPARE(h.w().TabSheet2->E_RFFreq->text().toDouble(), 434.5);
    QCOMPARE(h.w().TabSheet2->E_TargetAddr->text(), QString("34"));
    QVERIFY(run.Printed().contains("sent      FF 56 AE 35 A9 55 8A  (identify)"));
    QVERIFY(run.Printed().contains("received  24 00 00 13 02 01 00 24 00 00 00 00 " + QString(kModuleBlock)));
    QVERIFY(run.Printed().contains("version 2.1.0"));
    QVERIFY(run.Printed().contains("addresses 12 -> 34"));

    // The line went out as GBK and came back whole, shown as text.
    const std::string line = EncodeGbk(kDemoLine).bytes;
    QCOMPARE(h.w().TabSheet1->M_ReceiverData->Content(), line);
    QCOMPARE(run.printed.filter("sent      " + Hex(line)).size(), 1);
    QCOMPARE(run.printed.filter("received  " + Hex(line)).size(), 1);
    QVERIFY(run.Printed().contains(QString::fromUtf8(kDemoLine)));

    // A picture of each page, as large as the window, and the window closed at the end.
    QCOMPARE(run.script.Pictures(), (QStringList{pictures + "/configuration.png", pictures + "/terminal.png"}));
    for (const QString& picture : run.script.Pictures()) {
      const QImage image(picture);
      QVERIFY2(!image.isNull(), qPrintable(picture));
      QCOMPARE(image.size(), h.w().size() * h.w().devicePixelRatio());
    }
    QVERIFY(!h.w().isVisible());
  }

  void silentModuleEndsTheRunAtTheRead() {
    DeviceProcess module(ZEL_SIMULATOR_PATH, {"--silent"});
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    WindowHarness h(Settings(echo.path(), module.path()));
    QTemporaryDir out;
    Run run(h, out.path());
    QVERIFY(run.Complete());
    QCOMPARE(run.script.ExitStatus(), 1);
    QVERIFY2(run.script.Failure().startsWith("the module read failed:"), qPrintable(run.script.Failure()));
    QVERIFY(run.script.Pictures().isEmpty());
    QVERIFY(run.Printed().contains("Demo failed: the module read failed"));
    QVERIFY(!h.w().isVisible());
  }

  void missingModulePortIsReportedNotShown() {
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    QTemporaryDir out;
    WindowHarness h(Settings(echo.path(), (out.path() + "/no-such-port").toStdString()));
    Run run(h, out.path());
    QVERIFY(run.Complete());
    QCOMPARE(run.script.ExitStatus(), 1);
    QVERIFY2(run.script.Failure().contains(QString::fromUtf8("该串口不存在或串口被占用！")),
             qPrintable(run.script.Failure()));
  }

  void closedTerminalPortStopsBeforeSending() {
    DeviceProcess module(ZEL_SIMULATOR_PATH, {});
    WindowHarness h(Settings("", module.path()));
    QTemporaryDir out;
    Run run(h, out.path());
    QVERIFY(run.Complete());
    QCOMPARE(run.script.ExitStatus(), 1);
    QVERIFY2(run.script.Failure().contains("is not open"), qPrintable(run.script.Failure()));
    QCOMPARE(run.script.Pictures(), QStringList{out.path() + "/configuration.png"});
    QCOMPARE(h.w().Transmit->TransmittedCount(), 0);
  }

  void lineThatNeverComesBackTimesOut() {
    DeviceProcess module(ZEL_SIMULATOR_PATH, {});
    PtyPair deaf;  // a device that takes the line and answers nothing
    WindowHarness h(Settings(deaf.path(), module.path()));
    QTemporaryDir out;
    Run run(h, out.path(), 300);
    QVERIFY(run.Complete());
    QCOMPARE(run.script.ExitStatus(), 1);
    QCOMPARE(run.script.Failure(), QString("timed out waiting for the line to come back"));
    QCOMPARE(deaf.Receive(EncodeGbk(kDemoLine).bytes.size()), [] {
      const std::string line = EncodeGbk(kDemoLine).bytes;
      return std::vector<uint8_t>(line.begin(), line.end());
    }());
    QVERIFY(!QFile::exists(out.path() + "/terminal.png"));
  }

  void pictureDirectoryThatCannotBeMadeFailsAtOnce() {
    QTemporaryDir out;
    QFile blocker(out.path() + "/file");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    WindowHarness h(Settings("", ""));
    Run run(h, out.path() + "/file/pictures");
    QVERIFY(run.Complete());
    QCOMPARE(run.script.ExitStatus(), 1);
    QVERIFY(run.script.Failure().startsWith("cannot make the directory"));
  }
};

QTEST_MAIN(DemoScriptTest)
#include "demo_script_test.moc"
