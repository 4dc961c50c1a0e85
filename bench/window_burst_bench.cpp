// The whole receive road of the main window: a pseudo-terminal opened by the window (driver,
// monitor, ReceiveThread, store, view), against the targets of the table printed at the end.
//
// Bursts of 1,048,575 bytes (arbitrary bytes in hex and in text rendering, GBK text in text
// rendering; printable text with time stamps and with a capture to file on): the process CPU
// from the first byte written to the last byte shown (the writer thread included, as in the
// baseline), the longest event-loop block (a 1 ms timer's worst lateness) and the growth of
// the resident memory. The baseline of the same run is a plain read() loop draining the same
// burst from a pty. A paced stream at 25.6 kB/s (256000 baud) for 20 s in either rendering:
// the process CPU (the writer's own thread time taken out) over the wall time. With a full
// buffer: the rendering toggle, the help text and scrolling to places all over the window,
// each up to its picture being painted, and bursts that make the buffer drop its oldest data.
// Last, searches through the full window (hex rendering of 1 MB: 3 MB of text).
//
// Run it offscreen (QT_QPA_PLATFORM=offscreen) and under Xvfb
// (xvfb-run -a -s "-screen 0 1280x1024x24"): the X11 paint path costs differently.
// BENCH_STREAM_SECONDS shortens the stream (for a quick look; the target is for 20 s);
// BENCH_ONLY=bursts, full or stream runs only that part (for a profile of it).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/receive/receive_search.h"
#include "core/settings/log_settings.h"
#include "core/terminal/receive_pipeline.h"
#include "gui/terminal/receive_tools.h"
#include "gui/widgets/receive_view.h"
#include "gui/window/main_window.h"
#include "bench_data.h"
#include "bench_support.h"

namespace {

constexpr size_t kBurst = 1048575;
constexpr double kBurstCpuTarget = 0.08;      // s
constexpr double kBurstRatioTarget = 6;       // times the plain loop
constexpr double kFrameMs = 16;               // one frame at 60 Hz
constexpr double kMemoryTargetMb = 30;
constexpr double kStreamShareTarget = 3;      // % of one core
constexpr double kStreamBytesPerSecond = 25600;
constexpr size_t kStreamWriteBytes = 64;      // every 2.5 ms: a UART's FIFO-sized pieces

enum class Extra { None, Stamps, Capture };

// One row of the closing table.
struct Row {
  std::string what;
  std::string figure;
  std::string target;
  bool ok = false;
};
std::vector<Row> rows;

std::string Format(const char* format, double a, double b = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// The rendering the window shows of `bytes` (from an empty window, no stamps).
std::string Rendering(const std::string& bytes, bool hex) {
  static const char digits[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (hex) {
      shown += digits[b >> 4];
      shown += digits[b & 0x0F];
      shown += ' ';
    } else if (b == 0x08) {
      if (!shown.empty()) shown.pop_back();
    } else if (b != 0) {
      shown += c;
    }
  }
  return shown;
}

// Runs the event loop until `done` (checked after each event) or `limitMs` passed. The loop
// sleeps between events: waiting must not cost the process CPU being measured (a time-limited
// processEvents returns at once when nothing is pending, and would spin).
void RunUntil(const std::function<bool()>& done, int limitMs) {
  QElapsedTimer wall;
  wall.start();
  QTimer guard;  // wakes the loop now and then, so that the limit is seen
  guard.start(100);
  while (!done() && wall.elapsed() < limitMs) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A main window on a fresh pty in the chosen rendering, its port open.
struct WindowOnPty {
  WindowOnPty(bool hex, Extra extra, const std::string& captureFolder) {
    window.show();
    page().CB_HexDisplay->setChecked(hex);
    LogSettings log = page().ReadLogSettings();
    log.TimeStamps = extra == Extra::Stamps;
    log.CaptureFolder = captureFolder;
    page().ApplyLogSettings(log);
    if (extra == Extra::Capture) capturing = page().Tools->StartCapture();
    if (window.Terminal->PortName() != pty.path() || !window.Terminal->IsOpen()) {  // a reused pty number opens at start
      if (window.Terminal->IsOpen()) page().B_OpenPortClick();
      if (!window.Terminal->Switch(pty.path())) page().B_OpenPortClick();
    }
    // The window's first paint (fonts, glyphs of every control) is done before data come,
    // as it is long before a device sends in real use: it is no part of a burst's figures.
    RunUntil([] { return false; }, 200);
  }
  ~WindowOnPty() { window.close(); }
  TerminalPage& page() { return *window.TabSheet1; }
  ReceiveView& view() { return *window.TabSheet1->M_ReceiverData; }
  // Every byte of `total` counted and the count shown: the last chunk went through the display.
  bool Shown(int64_t total) {
    return window.Receive->ReceivedCount() == total &&
           page().StatusPanels[2]->text() == QString::fromUtf8("接收：") + QString::number(total);
  }
  // Feeds `bytes` and runs the event loop until they are shown (or 20 s passed).
  bool FeedAndShow(const std::string& bytes) {
    const int64_t total = window.Receive->ReceivedCount() + static_cast<int64_t>(bytes.size());
    std::thread writer([&] { WriteAll(pty.master(), bytes); });
    RunUntil([&] { return Shown(total); }, 20000);
    writer.join();
    return Shown(total);
  }

  PtyPair pty;
  TVornicSPComm window;
  bool capturing = false;
};

struct BurstFigures {
  double cpu = 0;
  double wall = 0;
  double worstBlockMs = 0;
  double worstBlockCpuMs = 0;
  double memoryMb = 0;
  double uiCpu = 0;
  long faults = 0;
  bool complete = false;
};

// The searches, timed on the window's content once the hex burst is shown.
void SearchFigures(const std::string& content) {
  ReceiveSearch search;
  // The first search (scratch buffers still to be allocated) and the best of five: the
  // machine is shared, the best is the search's own cost.
  const auto time = [&](const char* what, const SearchQuery& query) {
    double first = 0;
    double best = 1e9;
    size_t found = 0;
    for (int run = 0; run < 5; ++run) {
      const auto start = std::chrono::steady_clock::now();
      found = search.FindAll(content, query, true).size();
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (run == 0) first = ms;
      best = std::min(best, ms);
    }
    std::printf("search %-28s over %zu bytes shown: first %.1f ms, best %.1f ms, %zu matches\n", what,
                content.size(), first, best, found);
  };
  time("text \"4A 4B\" (any case)", {"4a 4b", false, false});
  time("text \"4A 4B\" (match case)", {"4A 4B", false, true});
  time("hex bytes 4A 4B", {"\x4A\x4B", true, false});
}

BurstFigures WindowBurst(const std::string& bytes, bool hex, Extra extra, const std::string& captureFolder) {
  WindowOnPty w(hex, extra, captureFolder);
  if (extra == Extra::Capture && !w.capturing) return {};
  const int64_t total = static_cast<int64_t>(bytes.size());
  BurstFigures figures;
  EventLoopProbe probe;
  QElapsedTimer wall;
  const long residentBefore = ResidentKilobytes();
  const long faultsBefore = MinorFaults();
  const double start = CpuSeconds();
  const double uiStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  wall.start();
  probe.Start();
  std::thread writer([&] { WriteAll(w.pty.master(), bytes); });
  RunUntil([&] { return w.Shown(total); }, 20000);
  probe.Stop();  // the burst is shown; stopping the capture is no part of it
  if (extra == Extra::Capture) w.page().Tools->StopCapture();
  figures.cpu = CpuSeconds() - start;
  figures.faults = MinorFaults() - faultsBefore;
  figures.uiCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - uiStart;
  figures.wall = wall.elapsed() / 1000.0;
  figures.memoryMb = (ResidentKilobytes() - residentBefore) / 1024.0;
  figures.worstBlockMs = probe.WorstBlockMs();
  figures.worstBlockCpuMs = probe.WorstBlockCpuMs();
  figures.complete = w.Shown(total) && (extra == Extra::Stamps || w.view().Content() == Rendering(bytes, hex));
  if (hex && extra == Extra::None) SearchFigures(w.view().Content());
  writer.join();
  return figures;
}

// The paced stream: `kStreamWriteBytes` at a time on a fixed schedule. The share is the
// process CPU without the writer thread's own, over the wall time.
double StreamShare(bool hex, double seconds) {
  WindowOnPty w(hex, Extra::None, {});
  const size_t total = static_cast<size_t>(kStreamBytesPerSecond * seconds);
  const std::string bytes = hex ? RandomBytes(total, 7) : GbkText(total, 8);
  double writerCpu = 0;
  QElapsedTimer wall;
  const double start = CpuSeconds();
  const double uiStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  wall.start();
  std::thread writer([&] {
    const double writerStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const auto begin = std::chrono::steady_clock::now();
    const auto period = std::chrono::duration<double>(kStreamWriteBytes / kStreamBytesPerSecond);
    for (size_t at = 0, n = 0; at < bytes.size(); at += kStreamWriteBytes, ++n) {
      std::this_thread::sleep_until(begin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(period * n));
      WriteAll(w.pty.master(), bytes.substr(at, kStreamWriteBytes));
    }
    writerCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - writerStart;
  });
  const int64_t count = static_cast<int64_t>(bytes.size());
  RunUntil([&] { return w.Shown(count); }, static_cast<int>(1000 * seconds) + 20000);
  writer.join();
  const double ui = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - uiStart;
  const double cpu = CpuSeconds() - start - writerCpu;
  const double share = 100 * cpu / (wall.elapsed() / 1000.0);
  std::printf("stream, %s rendering: %zu bytes in %.1f s, cpu %.3f s (user-interface thread %.3f s; writer's %.3f s left out): %.2f%% of a core, %s\n",
              hex ? "hex " : "text", bytes.size(), wall.elapsed() / 1000.0, cpu, ui, writerCpu, share,
              w.Shown(count) ? "every byte shown" : "INCOMPLETE");
  return w.Shown(count) ? share : 100;
}

// Runs `action` and the event loop until the window is painted again: the time the user
// waits for the new picture.
double ActionMs(const std::function<void()>& action) {
  QElapsedTimer timer;
  timer.start();
  action();
  QApplication::processEvents();
  return timer.nsecsElapsed() / 1e6;
}

struct FullBufferFigures {
  double toggleMs = 0;
  double helpMs = 0;
  double scrollMs = 0;
  double dropBlockMs = 0;
  double dropStampsBlockMs = 0;
};

// The longest event-loop block while `bytes` go into a window whose buffer is full.
double OverflowBlockMs(WindowOnPty& w, const std::string& bytes, const char* what) {
  EventLoopProbe probe;
  probe.Start();
  const bool shown = w.FeedAndShow(bytes);
  probe.Stop();
  std::printf("%zu bytes into a full buffer, %s: worst event-loop block %.1f ms (%.1f ms of it on the processor), %s\n",
              bytes.size(), what, probe.WorstBlockMs(), probe.WorstBlockCpuMs(), shown ? "every byte shown" : "INCOMPLETE");
  return shown ? probe.WorstBlockMs() : 1e9;
}

FullBufferFigures FullBuffer() {
  FullBufferFigures f;
  WindowOnPty w(true, Extra::None, {});
  if (!w.FeedAndShow(RandomBytes(kBurst, 3))) return {1e9, 1e9, 1e9, 1e9, 1e9};
  QCheckBox& hexBox = *w.page().CB_HexDisplay;
  for (int round = 0; round < 2; ++round) {
    f.toggleMs = std::max(f.toggleMs, ActionMs([&] { hexBox.setChecked(false); }));
    f.toggleMs = std::max(f.toggleMs, ActionMs([&] { hexBox.setChecked(true); }));
  }
  f.helpMs = ActionMs([&] { w.page().B_Help->click(); });
  f.toggleMs = std::max(f.toggleMs, ActionMs([&] { hexBox.setChecked(false); }));  // from the help text
  f.helpMs = std::max(f.helpMs, ActionMs([&] { w.page().B_Help->click(); }));
  for (const bool hex : {false, true}) {
    hexBox.setChecked(hex);
    QApplication::processEvents();
    QScrollBar* bar = w.view().verticalScrollBar();
    for (int step = 0; step <= 8; ++step)
      f.scrollMs = std::max(f.scrollMs, ActionMs([&] { bar->setValue(bar->maximum() * ((step * 5) % 9) / 8); }));
    for (const int key : {Qt::Key_Home, Qt::Key_End}) {
      f.scrollMs = std::max(f.scrollMs, ActionMs([&] {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        QApplication::sendEvent(&w.view(), &press);
      }));
    }
  }
  const std::string more = RandomBytes(kBurst / 2, 4);
  for (const bool hex : {true, false}) {
    hexBox.setChecked(hex);
    f.dropBlockMs = std::max(f.dropBlockMs, OverflowBlockMs(w, more, hex ? "hex" : "text"));
  }
  LogSettings log = w.page().ReadLogSettings();
  log.TimeStamps = true;
  w.page().ApplyLogSettings(log);
  for (const bool hex : {true, false}) {
    hexBox.setChecked(hex);
    f.dropStampsBlockMs = std::max(f.dropStampsBlockMs, OverflowBlockMs(w, more, hex ? "hex + stamps" : "text + stamps"));
  }
  std::printf("full buffer: toggle %.1f ms, help %.1f ms, scroll %.1f ms (worst of each); bursts dropping old data: "
              "worst event-loop block %.1f ms, with stamps %.1f ms\n",
              f.toggleMs, f.helpMs, f.scrollMs, f.dropBlockMs, f.dropStampsBlockMs);
  return f;
}

void AddBurstRow(const char* what, const BurstFigures& f, double plain, bool withRatio) {
  const double ratio = plain > 0 ? f.cpu / plain : 0;
  Row row{what, Format("%.3f s CPU, %.1fx", f.cpu, ratio), withRatio ? "<= 0.08 s, <= 6x" : "<= 0.08 s", false};
  row.ok = f.complete && f.cpu <= kBurstCpuTarget && (!withRatio || ratio <= kBurstRatioTarget);
  if (!f.complete) row.figure += " INCOMPLETE";
  rows.push_back(row);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QTemporaryDir profile;  // never the user's settings file
  setenv("USERPROFILE", profile.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  const char* streamSeconds = std::getenv("BENCH_STREAM_SECONDS");
  const double seconds = streamSeconds ? std::max(1.0, std::atof(streamSeconds)) : 20.0;
  const QString captureFolder = profile.path() + "/capture";
  QDir().mkpath(captureFolder);

  const std::string randomBytes = RandomBytes(kBurst, 1);
  const std::string gbkText = GbkText(kBurst, 2);
  const std::string printable = RandomPrintable(kBurst);
  const double plain = PlainReadCpu(randomBytes);
  std::printf("burst: %zu bytes through a pty; plain read() loop: cpu %.3f s\n", kBurst, plain);

  struct Case {
    const char* what;
    const std::string& bytes;
    bool hex;
    Extra extra;
    bool withRatio;
  };
  const Case cases[] = {
      {"1 MB burst, hex, random bytes", randomBytes, true, Extra::None, true},
      {"1 MB burst, text, random bytes", randomBytes, false, Extra::None, true},
      {"1 MB burst, text, ASCII + GBK text", gbkText, false, Extra::None, false},
      {"1 MB burst, hex + stamps (printable)", printable, true, Extra::Stamps, false},
      {"1 MB burst, text + stamps (printable)", printable, false, Extra::Stamps, false},
      {"1 MB burst, hex + capture (printable)", printable, true, Extra::Capture, false},
      {"1 MB burst, text + capture (printable)", printable, false, Extra::Capture, false},
  };
  double worstBlock = 0;
  double worstMemory = 0;
  const char* only = std::getenv("BENCH_ONLY");
  const auto runs = [only](const char* part) { return only == nullptr || std::string(only) == part; };
  for (const Case& c : cases) {
    if (!runs("bursts")) break;
    const BurstFigures f = WindowBurst(c.bytes, c.hex, c.extra, captureFolder.toStdString());
    std::printf("%-40s: cpu %.3f s (%.1fx the plain loop; user-interface thread %.3f s), wall %.3f s, worst event-loop block %.1f ms (%.1f ms of it on the processor), memory +%.1f MB (%ld page faults), %s\n",
                c.what, f.cpu, plain > 0 ? f.cpu / plain : 0.0, f.uiCpu, f.wall, f.worstBlockMs, f.worstBlockCpuMs, f.memoryMb, f.faults,
                f.complete ? "every byte shown" : "INCOMPLETE");
    AddBurstRow(c.what, f, plain, c.withRatio);
    worstBlock = std::max(worstBlock, f.worstBlockMs);
    worstMemory = std::max(worstMemory, f.memoryMb);
  }
  const FullBufferFigures full = runs("full") ? FullBuffer() : FullBufferFigures{};
  worstBlock = std::max({worstBlock, full.dropBlockMs, full.dropStampsBlockMs});
  rows.push_back({"longest event-loop block, any burst", Format("%.1f ms", worstBlock), "<= 16 ms", worstBlock <= kFrameMs});
  rows.push_back({"memory growth in a 1 MB burst, any rendering", Format("%.1f MB", worstMemory), "<= 30 MB",
                  worstMemory <= kMemoryTargetMb});
  for (const bool hex : {true, false}) {
    if (!runs("stream")) break;
    const double share = StreamShare(hex, seconds);
    rows.push_back({hex ? "25.6 kB/s stream, hex (random bytes)" : "25.6 kB/s stream, text (ASCII + GBK)",
                    Format("%.2f%% of a core over %.0f s", share, seconds), "<= 3% over 20 s",
                    share <= kStreamShareTarget && seconds >= 20});
  }
  rows.push_back({"HEX toggle, full buffer", Format("%.1f ms", full.toggleMs), "<= 16 ms", full.toggleMs <= kFrameMs});
  rows.push_back({"Help, full buffer", Format("%.1f ms", full.helpMs), "<= 16 ms", full.helpMs <= kFrameMs});
  rows.push_back({"scrolling to any place, full buffer", Format("%.1f ms", full.scrollMs), "<= 16 ms", full.scrollMs <= kFrameMs});

  std::printf("\n%-46s %-34s %-18s %s\n", "case", "figure", "target", "");
  for (const Row& r : rows)
    std::printf("%-46s %-34s %-18s %s\n", r.what.c_str(), r.figure.c_str(), r.target.c_str(), r.ok ? "ok" : "MISSED");
  std::printf("peak resident memory: %.1f MB\n", PeakRssMegabytes());
  return 0;
}
