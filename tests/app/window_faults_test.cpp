// The terminal page when things go wrong around it: the device hangs up while bytes stream
// in, the port is opened and closed a thousand times, and the window is closed while a
// stream comes in and both senders run.
#include <sys/ioctl.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

#include "gui/widgets/controls.h"
#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"
#include "serial/serial_port.h"
#include "core/settings/ini_storage.h"
#include "support/process_resources.h"
#include "support/pty_pair.h"
#include "support/window_harness.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/transmit_panel.h"

namespace {

bool OpenLook(TVornicSPComm& w) {
  return w.Terminal->IsOpen() && w.TabSheet1->B_OpenPort->text() == U("关闭串口") && w.TabSheet1->Shape->color() == QColor(255, 0, 0);
}

bool ClosedLook(TVornicSPComm& w) {
  return !w.Terminal->IsOpen() && w.TabSheet1->B_OpenPort->text() == U("打开串口") && w.TabSheet1->Shape->color() == QColor(Qt::white);
}

void OpenPty(WindowHarness& h, const PtyPair& pty) {
  QVERIFY(!h.w().Terminal->Switch(pty.path()));
  h.w().TabSheet1->B_OpenPortClick();
}

uint64_t ReceivedCount(TVornicSPComm& w) { return w.TabSheet1->StatusPanels[2]->text().section(U("："), 1).toULongLong(); }

// Plays a device that streams `total` bytes (or until stopped or the line is gone) and
// reads whatever the window sends, so that the window's writes never wait for the line.
class StreamingPeer {
 public:
  // held: the stream waits for Release(); the peer reads from the start.
  StreamingPeer(const PtyPair& pty, size_t total, bool held = false) : pty_(pty), total_(total), held_(held) {
    fcntl(pty.master(), F_SETFL, fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
  }
  ~StreamingPeer() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Release() { held_ = false; }
  size_t Written() const { return written_; }
  size_t Drained() const { return drained_; }

 private:
  void Run() {
    std::string block(4096, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
    char sink[4096];
    while (!stop_) {
      const bool streaming = !held_ && written_ < total_;
      pollfd ready{pty_.master(), static_cast<short>(POLLIN | (streaming ? POLLOUT : 0)), 0};
      if (poll(&ready, 1, 20) < 0 || (ready.revents & (POLLERR | POLLNVAL))) return;
      if (ready.revents & POLLIN) {
        const ssize_t n = read(pty_.master(), sink, sizeof sink);
        if (n > 0) drained_ += static_cast<size_t>(n);
      }
      if ((ready.revents & POLLOUT) && streaming) {
        const ssize_t n = write(pty_.master(), block.data(), std::min(block.size(), total_ - written_));
        if (n > 0) written_ += static_cast<size_t>(n);
        else if (n < 0 && errno == EIO) return;  // hung up
      }
    }
  }

  const PtyPair& pty_;
  const size_t total_;
  std::atomic<bool> held_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> written_{0};
  std::atomic<size_t> drained_{0};
  std::thread thread_;
};

// The key names of every section of a settings file, as "section/key".
QSet<QString> KeysOf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QSet<QString> keys;
  QString section;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.startsWith('[')) section = QString::fromLatin1(line.mid(1, line.indexOf(']') - 1));
    else if (line.contains('=')) keys.insert(section + "/" + QString::fromLatin1(line.left(line.indexOf('='))));
  }
  return keys;
}

}  // namespace

class WindowFaultsTest : public QObject {
  Q_OBJECT

 private slots:
  // Hung up by the kernel (as when a USB adapter is pulled) or the far side closed, both in
  // the middle of a stream: the page turns closed, and another device opens and works.
  void hangUpWhileStreamingClosesThePageAndANewDeviceWorks() {
    for (const bool kernelHangUp : {true, false}) {
      WindowHarness h;
      // The page as it was before it could wait for a device to come back.
      h.w().TabSheet1->CB_Reconnect->setChecked(false);
      auto pty = std::make_unique<PtyPair>();
      OpenPty(h, *pty);
      QVERIFY(OpenLook(h.w()));
      StreamingPeer peer(*pty, 1 << 20);
      QVERIFY(WindowHarness::WaitUntil([&] { return ReceivedCount(h.w()) > 16384; }));
      if (kernelHangUp) {
        if (ioctl(pty->slave(), TIOCVHANGUP) != 0) QSKIP("hanging up a terminal needs CAP_SYS_ADMIN here");
      } else {
        peer.Stop();
        pty->CloseSlave();
        pty->CloseMaster();
      }
      QVERIFY(WindowHarness::WaitUntil([&] { return ClosedLook(h.w()); }, 10000));
      QVERIFY(!h.w().Terminal->Port().IsOpen());
      peer.Stop();
      const uint64_t before = ReceivedCount(h.w());

      PtyPair fresh;
      OpenPty(h, fresh);
      QVERIFY(OpenLook(h.w()));
      QVERIFY(fresh.Send(std::string("after")));
      // Chunks the old device delivered before it went may still be on their way to the
      // window; they count too, so only the new device's bytes at the end are certain.
      QVERIFY(WindowHarness::WaitUntil([&] {
        return h.w().TabSheet1->M_ReceiverData->Content().ends_with("61 66 74 65 72 ");  // "after" in hex
      }));
      QVERIFY(ReceivedCount(h.w()) >= before + 5);
      QVERIFY(h.messages.empty());
    }
  }

  void thousandOpenCloseClicksLeaveNothingBehind() {
    PtyPair pty;
    WindowHarness h;
    const auto cycle = [&] {
      OpenPty(h, pty);
      QVERIFY(OpenLook(h.w()));
      h.w().TabSheet1->B_OpenPortClick();
      QVERIFY(ClosedLook(h.w()));
      QCoreApplication::processEvents();
    };
    cycle();  // first use sets up what stays for the window's life
    const ProcessResources before;
    for (int n = 0; n < 1000 && !QTest::currentTestFailed(); ++n) cycle();
    const ProcessResources after;
    QCOMPARE(after.descriptors, before.descriptors);
    QCOMPARE(after.threads, before.threads);
    if (before.heap && after.heap)
      QVERIFY2(static_cast<long long>(*after.heap) - static_cast<long long>(*before.heap) < 256 * 1024,
               qPrintable(QString("heap grew by %1 bytes").arg(static_cast<long long>(*after.heap) - *before.heap)));
    QVERIFY(h.messages.empty());
  }

  // Closing must not wait for the stream or a sender, and the file it saves is whole.
  void closingDuringStreamAndBothSendersSavesACompleteFile() {
    QSet<QString> expectedKeys;
    {
      WindowHarness reference;
      reference.Close();
      expectedKeys = KeysOf(reference.settingsPath());
    }
    QVERIFY(expectedKeys.size() > 64);

    PtyPair pty;
    auto h = std::make_unique<WindowHarness>();
    TVornicSPComm& w = h->w();
    const QString settingsPath = h->settingsPath();
    OpenPty(*h, pty);
    QVERIFY(OpenLook(w));
    StreamingPeer peer(pty, 1 << 20, true);
    w.TabSheet1->Transmitter->CB_TransmitHex->setChecked(false);
    w.TabSheet1->Transmitter->E_TransmitData->setText("timed");
    w.TabSheet1->Transmitter->E_AutoTransmitTime->setText("1");
    w.TabSheet1->Transmitter->CB_AutoTransmit->setChecked(true);
    QVERIFY(WindowHarness::WaitUntil([&] { return peer.Drained() >= 50; }));
    for (int row = 0; row < 32; ++row) w.TabSheet1->Presets->Edits[row]->setText(QString("preset %1").arg(row + 1));
    w.TabSheet1->Presets->CheckBoxes[0]->setChecked(false);
    w.TabSheet1->Presets->E_ExpandTime->setText("1");
    w.TabSheet1->Presets->CB_SendAutoCycle->setChecked(true);
    const size_t beforeCycle = peer.Drained();
    QVERIFY(WindowHarness::WaitUntil([&] { return peer.Drained() > beforeCycle + 32 * 9; }));
    peer.Release();
    QVERIFY(WindowHarness::WaitUntil([&] { return ReceivedCount(w) > 64 * 1024; }));
    QVERIFY(peer.Written() < (1u << 20));  // still streaming

    QElapsedTimer closing;
    closing.start();
    h->Close();
    QVERIFY2(closing.elapsed() < 5000, "closing waited for the line");
    QVERIFY(!w.Terminal->Port().IsOpen());
    QCOMPARE(w.LastSettingsSaveError, 0);
    QCOMPARE(KeysOf(settingsPath), expectedKeys);
    const IniDocument saved = LoadIniFile(settingsPath.toStdString()).document;
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "String32", "", 100), std::string("preset 32"));
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Transmit Data Char", "", 100), std::string("timed"));
    QCOMPARE(saved.ReadInt("VornicSPCommTool_USART", "Auto Transmit", 0), 1);
    QCOMPARE(saved.ReadText("VornicSPCommTool_USART", "Serial Port", "", 100), pty.path());
    h.reset();
    peer.Stop();
  }
};

QTEST_MAIN(WindowFaultsTest)
#include "window_faults_test.moc"
