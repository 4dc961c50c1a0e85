// The demo's helper programs: the echo device (bytes come back unchanged, the port can be
// reopened, the link lives as long as the device, a stalled reader does not keep it from
// ending) and the port lister the run script asks.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <filesystem>
#include <numeric>

#include "demo/device_process.h"
#include "module/simulator_process.h"
#include "support/temp_dir.h"

namespace {

std::vector<uint8_t> EveryByteValue(int rounds) {
  std::vector<uint8_t> bytes(256 * rounds);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

// A directory of virtual ports as the program trusts it: owned by the user, private.
QString PortDirectory(const QTemporaryDir& dir) {
  const QString ports = dir.path() + "/ports";
  QDir().mkpath(ports);
  chmod(ports.toLocal8Bit().constData(), 0700);
  return ports;
}

struct ListOutput {
  int exitCode = -1;
  QStringList lines;
};

ListOutput ListPorts(const QString& portDir, const QStringList& arguments = {}) {
  QProcess lister;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("VORNICSPCOMM_PORTS_DIR", portDir);
  lister.setProcessEnvironment(environment);
  lister.start(LIST_PORTS_PATH, arguments);
  if (!lister.waitForFinished(10000)) return {};
  return {lister.exitCode(), QString::fromLocal8Bit(lister.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)};
}

}  // namespace

class DemoToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void echoSendsBackEveryByteUnchanged() {
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    QVERIFY(!echo.path().empty());
    ModuleLine line(echo.path());
    QVERIFY(line.ok());
    const std::vector<uint8_t> sent = EveryByteValue(8);
    QVERIFY(line.Send(sent));
    QCOMPARE(line.Receive(sent.size()), sent);
    QCOMPARE(echo.Stop(), 0);
  }

  void echoServesTheNextOpenAfterAClose() {
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    for (const std::string text : {"first open", "second open", "third open"}) {
      ModuleLine line(echo.path());
      QVERIFY(line.ok());
      QVERIFY(line.Send(text));
      const std::vector<uint8_t> back = line.Receive(text.size());
      QCOMPARE(std::string(back.begin(), back.end()), text);
      // Nothing of an earlier open comes along.
      QVERIFY(line.Receive(1, nullptr, 50).empty());
    }
  }

  void linkNamesTheDeviceWhileItRuns() {
    QTemporaryDir dir;
    const QString link = dir.path() + "/echo";
    DeviceProcess echo(ECHO_DEVICE_PATH, {"--link", link});
    QCOMPARE(QFile::symLinkTarget(link), QString::fromStdString(echo.path()));
    ModuleLine line(link.toStdString());
    QVERIFY(line.Send(std::string("via the link")));
    QCOMPARE(line.Receive(12).size(), size_t{12});
    QCOMPARE(echo.Stop(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
  }

  void stopsWhileTheProgramReadsNothing() {
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    const int fd = open(echo.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(fd >= 0);
    ModuleLine raw(echo.path());  // puts the line in raw mode; both descriptors share it
    // Write until the line takes no more: the echo fills this side's input and then waits
    // to write the rest back.
    const std::vector<uint8_t> chunk = EveryByteValue(16);
    size_t written = 0;
    for (int quiet = 0; quiet < 20;) {
      const ssize_t n = write(fd, chunk.data(), chunk.size());
      if (n > 0) {
        written += static_cast<size_t>(n);
        quiet = 0;
        continue;
      }
      QCOMPARE(errno, EAGAIN);
      pollfd room{fd, POLLOUT, 0};
      if (poll(&room, 1, 20) == 0) ++quiet;
    }
    QVERIFY(written > 16 * 1024);
    QCOMPARE(echo.Stop(), 0);
    close(fd);
  }

  void echoRefusesAnUnknownArgument() {
    DeviceProcess echo(ECHO_DEVICE_PATH, {"--loud"});
    QCOMPARE(echo.WaitForExit(), 2);
    QVERIFY(echo.StandardError().contains("usage: echo_device"));
  }

  void listerShowsTheVirtualPortsOfTheDirectory() {
    QTemporaryDir dir;
    const QString ports = PortDirectory(dir);
    DeviceProcess echo(ECHO_DEVICE_PATH, {"--link", ports + "/echo"});
    QVERIFY(QFile::link(ports + "/nothing-there", ports + "/gone"));
    QFile plain(ports + "/note");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    const ListOutput all = ListPorts(ports);
    QCOMPARE(all.exitCode, 0);
    QVERIFY(all.lines.contains(ports + "/echo"));
    QVERIFY(!all.lines.contains(ports + "/gone"));
    QVERIFY(!all.lines.contains(ports + "/note"));
    // The device is the user's own: it may be opened.
    const ListOutput usable = ListPorts(ports, {"--usable"});
    QCOMPARE(usable.exitCode, 0);
    QVERIFY(usable.lines.contains(ports + "/echo"));
  }

  // One port a line whatever the link is called, and only links to terminals.
  void listerWritesEachPortOnOneLine() {
    TempDir dir;  // removes by bytes: QTemporaryDir cannot remove a name that is no UTF-8
    const std::string ports = dir.File("ports");
    QCOMPARE(mkdir(ports.c_str(), 0700), 0);
    DeviceProcess echo(ECHO_DEVICE_PATH, {});
    QVERIFY(!echo.path().empty());
    for (const char* name : {"/line\nbreak", "/byte\xFF", "/back\\slash", "/端口"}) {
      QCOMPARE(symlink(echo.path().c_str(), (ports + name).c_str()), 0);
    }
    QCOMPARE(symlink("/dev/null", (ports + "/null").c_str()), 0);
    WriteTestFile(ports + "/notes", "no port");
    QCOMPARE(symlink((ports + "/notes").c_str(), (ports + "/to-notes").c_str()), 0);

    const ListOutput all = ListPorts(QString::fromStdString(ports));
    QCOMPARE(all.exitCode, 0);
    const QString prefix = QString::fromStdString(ports);
    QStringList virtualPorts;
    for (const QString& line : all.lines) {
      if (line.startsWith(prefix)) virtualPorts << line.mid(prefix.size());
    }
    virtualPorts.sort();
    QCOMPARE(virtualPorts, QStringList({"/back\\\\slash", "/byte\\xFF", "/line\\nbreak", "/端口"}));
  }

  void listerLeavesOutPortsTheUserMayNotOpen() {
    if (geteuid() == 0) QSKIP("root may open every device");
    QTemporaryDir dir;
    const QString ports = PortDirectory(dir);
    DeviceProcess echo(ECHO_DEVICE_PATH, {"--link", ports + "/echo"});
    QCOMPARE(chmod(echo.path().c_str(), 0), 0);
    QVERIFY(ListPorts(ports).lines.contains(ports + "/echo"));
    QVERIFY(!ListPorts(ports, {"--usable"}).lines.contains(ports + "/echo"));
  }

  void listerIgnoresADirectoryOthersMayWriteTo() {
    QTemporaryDir dir;
    const QString ports = PortDirectory(dir);
    DeviceProcess echo(ECHO_DEVICE_PATH, {"--link", ports + "/echo"});
    QCOMPARE(chmod(ports.toLocal8Bit().constData(), 0777), 0);
    QVERIFY(!ListPorts(ports).lines.contains(ports + "/echo"));
  }

  void listerRefusesAnUnknownArgument() { QCOMPARE(ListPorts(QString(), {"--all"}).exitCode, 2); }
};

QTEST_GUILESS_MAIN(DemoToolsTest)
#include "tools_test.moc"
