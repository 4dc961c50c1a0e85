// Soak: the main window sends for a long time (600 s unless the first argument gives other
// seconds) on a pseudo-terminal at 256000 bit/s to an echo peer paced at that line's byte
// rate, with the timed send and the preset cycle as its senders, and shows the echo in text
// rendering. The two senders cannot tick at the same time: checking the cycle holds the
// timed send, unchecking it lets the timed send go on. So "定时发送" stays checked all along
// and the cycle is checked and unchecked in turns (15 s each unless the second argument says
// otherwise), which also exercises the hand-over between them. At the end both stop, the
// echo drains, and the program compares what the window counted as sent, what the peer read
// and echoed, and what the window counted and showed as received, checks the content both
// ways, and prints resident memory over the run. Baselines of the same run: the line's byte
// rate, and a plain read() loop's CPU per MB. Exit code 1 when a check fails.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/text/gbk_codec.h"
#include "core/terminal/receive_pipeline.h"
#include "gui/window/main_window.h"
#include "core/receive/receive_store.h"
#include "gui/widgets/receive_view.h"
#include "bench_support.h"
#include "soak_echo_peer.h"
#include "soak_message_check.h"
#include "soak_stream_digest.h"
#include "support/window_harness.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/transmit_panel.h"
#include "core/transmit/transmit_session.h"

namespace {

constexpr uint32_t kBaudRate = 256000;
constexpr double kLineBytesPerSecond = kBaudRate / 10.0;  // 8N1: start bit, 8 data bits, stop bit
constexpr int kTimedIntervalMs = 20;
constexpr size_t kTimedTextBytes = 356;  // + CR LF: 358 bytes every 20 ms
constexpr int kCycleIntervalMs = 100;
constexpr size_t kPresetTextBytes = 55;  // 31 character presets + CR LF, and one hex preset of 4 bytes
constexpr int kSampleSeconds = 10;
constexpr int kSettleSeconds = 60;
constexpr long kGrowthToleranceKb = 2048;
constexpr int kFollowMs = 1000;  // well within the time the window takes to drop its oldest quarter
constexpr int kDrainMs = 15000;
constexpr char kLineEnd[] = "\r\n";  // "发送新行" is checked

// The texts the window is given, and the bytes each of them puts on the line.
struct SoakTexts {
  QString timed;
  std::vector<QString> presets;  // 32
  std::string timedBytes;
  std::vector<std::string> passBytes;  // what each preset sends, in pass order
  size_t PassSize() const {
    size_t size = 0;
    for (const std::string& p : passBytes) size += p.size();
    return size;
  }
};

// A text of exactly `bytes` GBK bytes: its own first character, a label with Chinese
// characters (two bytes each), then ASCII filler.
QString CharacterText(QChar first, const QString& label, size_t bytes) {
  QString text = QString(first) + label;
  const size_t labelBytes = EncodeGbk(text.toStdString()).bytes.size();
  for (size_t i = labelBytes; i < bytes; ++i)
    text += QChar(static_cast<char16_t>(u'0' + i % 43));  // '0'..'Z', no backspace
  return text;
}

std::string LineBytes(const QString& text) { return EncodeGbk(text.toStdString()).bytes + kLineEnd; }

SoakTexts MakeTexts() {
  SoakTexts t;
  t.timed = CharacterText(u'#', QString::fromUtf8("定时发送，回显检查 "), kTimedTextBytes);
  t.timedBytes = LineBytes(t.timed);
  t.presets.push_back(QStringLiteral("12 34 FF 88"));  // a hex preset: four 1-byte writes
  t.passBytes.push_back(std::string("\x12\x34\xFF\x88", 4));
  for (int n = 2; n <= 32; ++n) {
    const int i = n - 2;
    const QChar first = i < 26 ? QChar(u'A' + i) : QChar(u'a' + (i - 26));
    t.presets.push_back(CharacterText(first, QString::fromUtf8("预置%1号 ").arg(n), kPresetTextBytes));
    t.passBytes.push_back(LineBytes(t.presets.back()));
  }
  return t;
}

void PrintLoad(const SoakTexts& t) {
  const double timed = t.timedBytes.size() * 1000.0 / kTimedIntervalMs;
  const double cycle = t.PassSize() * 1000.0 / kCycleIntervalMs;
  std::printf("line: %u bit/s, 10 bits a byte = %.0f bytes/s\n", kBaudRate, kLineBytesPerSecond);
  std::printf("offered load, timed send:   %zu bytes every %d ms = %.0f bytes/s (%.1f%% of the line)\n",
              t.timedBytes.size(), kTimedIntervalMs, timed, 100 * timed / kLineBytesPerSecond);
  std::printf("offered load, preset cycle: %zu bytes (32 presets) every %d ms = %.0f bytes/s (%.1f%% of the line)\n",
              t.PassSize(), kCycleIntervalMs, cycle, 100 * cycle / kLineBytesPerSecond);
}

// The terminal page in view, the echo in text rendering, the port open at 256000 bit/s.
bool OpenOnPty(TVornicSPComm& w, const PtyPair& pty) {
  w.show();
  w.PageControl->setCurrentWidget(w.TabSheet1);
  w.TabSheet1->Presets->B_ExpandClick();
  w.TabSheet1->CB_HexDisplay->setChecked(false);
  w.TabSheet1->CB_Baudrate->setCurrentIndex(w.TabSheet1->CB_Baudrate->findText(QString::number(kBaudRate)));
  w.TabSheet1->CB_BaudrateChange();
  if (w.Terminal->IsOpen()) w.TabSheet1->B_OpenPortClick();
  if (!w.Terminal->Switch(pty.path())) w.TabSheet1->B_OpenPortClick();
  return pty.ok() && w.Terminal->IsOpen() && w.Terminal->Line().BaudRate == kBaudRate;
}

void SetUpSenders(TVornicSPComm& w, const SoakTexts& t) {
  w.TabSheet1->Transmitter->CB_TransmitHex->setChecked(false);
  w.TabSheet1->Transmitter->CB_TransmitNewLine->setChecked(true);
  w.TabSheet1->Transmitter->E_TransmitData->setText(t.timed);
  w.TabSheet1->Transmitter->E_AutoTransmitTime->setText(QString::number(kTimedIntervalMs));
  for (int n = 0; n < 32; ++n) {
    w.TabSheet1->Presets->Edits[n]->setText(t.presets[n]);
    w.TabSheet1->Presets->CheckBoxes[n]->setChecked(n == 0);
  }
  w.TabSheet1->Presets->E_ExpandTime->setText(QString::number(kCycleIntervalMs));
}

// The number behind the prefix of a status panel ("接收：1234").
int64_t PanelCount(const QLabel* panel) {
  const QString text = panel->text();
  return text.mid(text.indexOf(QString::fromUtf8("：")) + 1).toLongLong();
}

// Follows the receive window as one stream. The panel "接收：" holds the count of everything
// shown and the window keeps only the newest bytes, so its content is the stream's bytes
// [count - content size, count); each Take() adds those not taken before to a digest. Bytes
// the window dropped before they were taken are counted as a gap.
class ShownStream {
 public:
  explicit ShownStream(uint64_t expectedBytes) : digest_(expectedBytes) {}

  void Take(const TVornicSPComm& w) {
    const std::string& content = w.TabSheet1->M_ReceiverData->Content();
    const auto end = static_cast<uint64_t>(PanelCount(w.TabSheet1->StatusPanels[2]));
    if (end < content.size()) return;
    const uint64_t start = end - content.size();
    if (start > taken_) {
      gapBytes_ += start - taken_;
      taken_ = start;
    }
    if (end <= taken_) return;
    digest_.Add(reinterpret_cast<const uint8_t*>(content.data()) + (taken_ - start), end - taken_);
    taken_ = end;
  }

  uint64_t Taken() const { return taken_; }
  uint64_t GapBytes() const { return gapBytes_; }
  const StreamDigest& Digest() const { return digest_; }

 private:
  StreamDigest digest_;
  uint64_t taken_ = 0;
  uint64_t gapBytes_ = 0;
};

struct RssSample {
  int second;
  long kb;
};

struct Memory {
  long atSettle = -1;
  long maxAfter = -1;
  long final = -1;
  long GrowthKb() const { return maxAfter - atSettle; }
};

Memory Summarize(const std::vector<RssSample>& samples, int settleSecond, long finalKb) {
  Memory m;
  m.final = finalKb;
  m.maxAfter = finalKb;
  for (const RssSample& s : samples) {
    if (s.second <= settleSecond)
      m.atSettle = s.kb;
    else
      m.maxAfter = std::max(m.maxAfter, s.kb);
  }
  return m;
}

bool Verdict(bool pass, const char* what) {
  std::printf("%s %s\n", pass ? "PASS" : "FAIL", what);
  return pass;
}

unsigned long long Ull(uint64_t n) { return static_cast<unsigned long long>(n); }

struct Options {
  int seconds = 600;
  int phaseSeconds = 15;
  // Memory is compared from this second on: the first minute, or the first half of a short run.
  int SettleSecond() const { return std::min(kSettleSeconds, seconds / 2 / kSampleSeconds * kSampleSeconds); }
};

// One soak: the window on the pty, the peer, the senders taking turns, the samples, and the
// figures and verdicts at the end.
class Soak {
 public:
  Soak(const Options& options, const SoakTexts& texts)
      : options_(options),
        texts_(texts),
        w_(harness_.w()),
        sentCheck_(texts.timedBytes, texts.passBytes),
        expectedBytes_(static_cast<uint64_t>(options.seconds * kLineBytesPerSecond) + 65536),
        peerDigest_(expectedBytes_),
        shown_(expectedBytes_) {
    samples_.reserve(options.seconds / kSampleSeconds + 2);
  }

  bool Open() {
    if (!OpenOnPty(w_, pty_)) return false;
    SetUpSenders(w_, texts_);
    return true;
  }

  void Run() {
    peer_ = std::make_unique<EchoPeer>(pty_.master(), kLineBytesPerSecond, [this](const uint8_t* bytes, size_t n) {
      peerDigest_.Add(bytes, n);
      sentCheck_.Add(bytes, n);
    });
    clock_.start();
    cpuStart_ = CpuSeconds();
    probe_.Start();
    w_.TabSheet1->Transmitter->CB_AutoTransmit->setChecked(true);
    QTimer phase, follow, sample;
    Every(phase, options_.phaseSeconds * 1000, [this] { SwitchSender(); });
    Every(follow, kFollowMs, [this] { Follow(); });
    Every(sample, kSampleSeconds * 1000, [this] { Sample(); });
    QEventLoop soak;
    QTimer::singleShot(options_.seconds * 1000, Qt::PreciseTimer, &soak, &QEventLoop::quit);
    soak.exec();
  }

  // Stops both senders, lets the echo come back, then stops the peer.
  void StopAndDrain() {
    w_.TabSheet1->Transmitter->CB_AutoTransmit->setChecked(false);  // first, or unchecking the cycle would restart it
    w_.TabSheet1->Presets->CB_SendAutoCycle->setChecked(false);
    sendSeconds_ = clock_.elapsed() / 1000.0;
    sent_ = static_cast<uint32_t>(w_.Transmit->TransmittedCount());
    drained_ = WindowHarness::WaitUntil(
        [this] {
          shown_.Take(w_);
          return peer_->Received() == sent_ && peer_->Echoed() == sent_ && shown_.Taken() == sent_;
        },
        kDrainMs);
    drainSeconds_ = clock_.elapsed() / 1000.0 - sendSeconds_;
    cpu_ = CpuSeconds() - cpuStart_;
    probe_.Stop();
    peer_->Stop();
    memory_ = Summarize(samples_, options_.SettleSecond(), ResidentKilobytes());
  }

  // Prints every figure and the verdicts; true when all checks pass.
  bool Report(double plainMsPerMb) const {
    PrintCounts();
    PrintCosts(plainMsPerMb);
    return Verdicts();
  }

 private:
  template <typename F>
  static void Every(QTimer& timer, int ms, F&& action) {
    timer.setInterval(ms);
    timer.setTimerType(Qt::PreciseTimer);  // a coarse timer may come 5% early: a second in 20
    QObject::connect(&timer, &QTimer::timeout, std::forward<F>(action));
    timer.start();
  }

  // "定时发送" stays checked; checking the cycle holds it, unchecking lets it go on.
  void SwitchSender() {
    const bool cycle = !w_.TabSheet1->Presets->CB_SendAutoCycle->isChecked();
    if (cycle) ++cycleTurns_;
    w_.TabSheet1->Presets->CB_SendAutoCycle->setChecked(cycle);
  }

  void Follow() {
    shown_.Take(w_);
    if (w_.TabSheet1->StatusPanels[1]->text().contains(QString::fromUtf8("线路阻塞"))) ++blockedNotes_;
  }

  void Sample() {
    const int second = static_cast<int>((clock_.elapsed() + 500) / 1000);
    samples_.push_back({second, ResidentKilobytes()});
    if (second % 60 != 0 && options_.seconds > 60) return;
    std::printf(
        "%4d s: rss %ld kB, sent %d (%.0f bytes/s), peer read %llu, echoed %llu, window received %lld, "
        "worst event-loop block %.1f ms, cpu %.1f s\n",
        second, samples_.back().kb, w_.Transmit->TransmittedCount(), w_.Transmit->TransmittedCount() / (clock_.elapsed() / 1000.0),
        Ull(peer_->Received()), Ull(peer_->Echoed()), static_cast<long long>(w_.Receive->ReceivedCount()),
        probe_.WorstBlockMs(), CpuSeconds() - cpuStart_);
  }

  uint64_t WindowReceived() const { return static_cast<uint64_t>(w_.Receive->ReceivedCount()); }
  uint64_t MessageBytes() const {
    return sentCheck_.TimedMessages() * texts_.timedBytes.size() + sentCheck_.Passes() * texts_.PassSize();
  }
  uint64_t Agreeing() const { return AgreeingPrefix(peerDigest_, shown_.Digest()); }

  void PrintCounts() const {
    std::printf("\nafter %.1f s of sending and %.2f s of draining (%s):\n", sendSeconds_, drainSeconds_,
                drained_ ? "drained" : "NOT DRAINED");
    std::printf("sent, counted by the window:       %llu bytes (panel \"%s\")\n", Ull(sent_),
                w_.TabSheet1->StatusPanels[1]->text().toUtf8().constData());
    std::printf("read by the peer:                  %llu bytes\n", Ull(peer_->Received()));
    std::printf("echoed by the peer:                %llu bytes\n", Ull(peer_->Echoed()));
    std::printf("received, counted by the window:   %llu bytes (panel \"%s\")\n", Ull(WindowReceived()),
                w_.TabSheet1->StatusPanels[2]->text().toUtf8().constData());
    std::printf("received, followed in the window:  %llu bytes, %llu bytes dropped before they were followed\n",
                Ull(shown_.Taken()), Ull(shown_.GapBytes()));
    std::printf("sent stream: %llu timed messages + %llu preset passes = %llu bytes, %llu errors, %s; %d cycle turns\n",
                Ull(sentCheck_.TimedMessages()), Ull(sentCheck_.Passes()), Ull(MessageBytes()),
                Ull(sentCheck_.Errors()), sentCheck_.EndsClean() ? "ends clean" : "ends torn", cycleTurns_);
    std::printf("received stream equals the stream the peer read over %llu of %llu bytes\n", Ull(Agreeing()),
                Ull(peer_->Received()));
    std::printf("peer error: %d; notices shown: %zu; \"line blocked\" notes seen: %ld\n", peer_->Error(),
                harness_.messages.size(), blockedNotes_);
  }

  void PrintCosts(double plainMsPerMb) const {
    const double wall = sendSeconds_ + drainSeconds_;
    const double movedMb = static_cast<double>(sent_ + WindowReceived()) / 1e6;
    const double windowCpu = cpu_ - peer_->CpuSeconds();
    const double windowMsPerMb = windowCpu * 1000 / movedMb;
    std::printf("throughput: sent %.0f bytes/s = %.1f%% of the line's %.0f bytes/s\n", sent_ / sendSeconds_,
                100 * sent_ / sendSeconds_ / kLineBytesPerSecond, kLineBytesPerSecond);
    std::printf(
        "cpu: process %.2f s (%.1f%% of one core), echo peer %.2f s, window side %.2f s for %.2f MB sent + "
        "received = %.0f ms per MB; plain pty read loop %.1f ms per MB (window side %.0fx)\n",
        cpu_, 100 * cpu_ / wall, peer_->CpuSeconds(), windowCpu, movedMb, windowMsPerMb, plainMsPerMb,
        windowMsPerMb / plainMsPerMb);
    std::printf("event loop: worst block %.1f ms, %ld blocks over %.0f ms\n", probe_.WorstBlockMs(),
                probe_.LongBlocks(), EventLoopProbe::kLongBlockMs);
    std::printf("resident memory: %ld kB at %d s, max %ld kB after it, %ld kB at the end; growth %ld kB (x%.4f)\n",
                memory_.atSettle, options_.SettleSecond(), memory_.maxAfter, memory_.final, memory_.GrowthKb(),
                memory_.atSettle > 0 ? static_cast<double>(memory_.maxAfter) / memory_.atSettle : 0.0);
  }

  bool Verdicts() const {
    const uint64_t read = peer_->Received();
    bool ok = Verdict(sent_ > 0 && drained_ && read == sent_ && peer_->Echoed() == sent_ && WindowReceived() == sent_ &&
                          shown_.Taken() == sent_ && peer_->Error() == 0,
                      "counts equal: sent = read by the peer = echoed = received by the window = shown");
    ok = Verdict(sentCheck_.Unambiguous() && sentCheck_.Errors() == 0 && sentCheck_.EndsClean() &&
                     MessageBytes() == read && sentCheck_.TimedMessages() > 0 && sentCheck_.Passes() > 0,
                 "content sent: whole timed messages and whole preset passes in order, nothing else") &&
         ok;
    ok = Verdict(shown_.GapBytes() == 0 && Agreeing() == read && shown_.Digest().Length() == read,
                 "content received: the window shows the stream the peer read, byte for byte") &&
         ok;
    ok = Verdict(harness_.messages.empty(), "no notices shown") && ok;
    if (memory_.atSettle <= 0) {
      std::printf("SKIP resident memory: no sample before the run's second half (runs of %d s and more have one)\n",
                  2 * kSampleSeconds);
      return ok;
    }
    char what[160];
    std::snprintf(what, sizeof what, "resident memory after %d s grows by at most %ld kB (grew %ld kB)",
                  options_.SettleSecond(), kGrowthToleranceKb, memory_.GrowthKb());
    return Verdict(memory_.GrowthKb() <= kGrowthToleranceKb, what) && ok;
  }

  const Options options_;
  const SoakTexts& texts_;
  PtyPair pty_;  // outlives the window, which closes its port on the way out
  WindowHarness harness_;
  TVornicSPComm& w_;
  SentMessageCheck sentCheck_;
  const uint64_t expectedBytes_;
  StreamDigest peerDigest_;  // written by the peer's thread until it stops
  ShownStream shown_;
  std::vector<RssSample> samples_;
  EventLoopProbe probe_;
  std::unique_ptr<EchoPeer> peer_;  // last but the figures: stopped and destroyed first
  QElapsedTimer clock_;
  double cpuStart_ = 0;
  double cpu_ = 0;
  double sendSeconds_ = 0;
  double drainSeconds_ = 0;
  uint64_t sent_ = 0;
  bool drained_ = false;
  long blockedNotes_ = 0;
  int cycleTurns_ = 0;
  Memory memory_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Options options;
  if (argc > 1) options.seconds = std::atoi(argv[1]);
  if (argc > 2) options.phaseSeconds = std::atoi(argv[2]);
  if (options.seconds <= 0 || options.phaseSeconds <= 0) {
    std::fprintf(stderr, "usage: soak_bench [seconds (600)] [seconds of each sender's turn (15)]\n");
    return 2;
  }
  const SoakTexts texts = MakeTexts();
  std::printf("soak: %d s, the timed send and the preset cycle taking turns of %d s\n", options.seconds,
              options.phaseSeconds);
  PrintLoad(texts);
  const std::string baselineBytes = RandomPrintable(1 << 20);
  const double plainMsPerMb = PlainReadCpu(baselineBytes) * 1000 / (baselineBytes.size() / 1e6);

  Soak soak(options, texts);
  if (!soak.Open()) {
    std::printf("FAIL the window could not open its pseudo-terminal at %u bit/s\n", kBaudRate);
    return 1;
  }
  soak.Run();
  soak.StopAndDrain();
  return soak.Report(plainMsPerMb) ? 0 : 1;
}
