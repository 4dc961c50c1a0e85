// The whole receive road under a 1 MB burst: a pseudo-terminal opened by the main window
// (driver, monitor, ReceiveThread, store, view), in hex and in text rendering. Prints the
// process CPU from the first byte written to the last byte shown, the longest event-loop
// block (a 1 ms timer's worst lateness), and, as the baseline of the same run, a plain
// read() loop draining the same burst from a pty. The same burst again with time stamps on,
// and with a capture to file on (its writer's time counted: the capture is stopped, its file
// complete, before the clock is read). Last, searches through the full window (hex rendering
// of 1 MB: 3 MB of text). Run with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <QDir>
#include <QLabel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/receive/receive_search.h"
#include "core/settings/log_settings.h"
#include "core/terminal/receive_pipeline.h"
#include "gui/terminal/receive_tools.h"
#include "gui/window/main_window.h"
#include "gui/widgets/receive_view.h"
#include "bench_support.h"

namespace {

constexpr size_t kBurst = 1048575;

struct BurstFigures {
  double cpu = 0;
  double wall = 0;
  double worstBlockMs = 0;
  bool complete = false;
};

enum class Extra { None, Stamps, Capture };

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
  PtyPair pty;
  TVornicSPComm window;
  window.show();
  window.TabSheet1->CB_HexDisplay->setChecked(hex);
  LogSettings log = window.TabSheet1->ReadLogSettings();
  log.TimeStamps = extra == Extra::Stamps;
  log.CaptureFolder = captureFolder;
  window.TabSheet1->ApplyLogSettings(log);
  if (extra == Extra::Capture && !window.TabSheet1->Tools->StartCapture()) return {};
  if (window.Terminal->PortName() != pty.path() || !window.Terminal->IsOpen()) {  // a reused pty number opens at start
    if (window.Terminal->IsOpen()) window.TabSheet1->B_OpenPortClick();
    if (!window.Terminal->Switch(pty.path())) window.TabSheet1->B_OpenPortClick();
  }
  const size_t expected = hex ? bytes.size() * 3 : bytes.size();
  // With stamps the window shows more than the rendering: done once every byte is counted
  // and the count shown (the last chunk went through the display).
  const QString countShown = QString::fromUtf8("接收：") + QString::number(bytes.size());
  const auto done = [&] {
    if (extra != Extra::Stamps) return window.TabSheet1->M_ReceiverData->Content().size() >= expected;
    return window.Receive->ReceivedCount() == static_cast<int64_t>(bytes.size()) &&
           window.TabSheet1->StatusPanels[2]->text() == countShown;
  };

  BurstFigures figures;
  EventLoopProbe probe;
  QElapsedTimer wall;
  const double start = CpuSeconds();
  wall.start();
  probe.Start();
  std::thread writer([&] { WriteAll(pty.master(), bytes); });
  while (!done() && wall.elapsed() < 20000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  if (extra == Extra::Capture) window.TabSheet1->Tools->StopCapture();
  figures.cpu = CpuSeconds() - start;
  if (std::getenv("BENCH_DEBUG"))
    std::printf("shown %zu of %zu, received %lld\n", window.TabSheet1->M_ReceiverData->Content().size(), expected,
                static_cast<long long>(window.Receive->ReceivedCount()));
  figures.wall = wall.elapsed() / 1000.0;
  figures.complete = done();
  probe.Stop();
  if (hex && extra == Extra::None) SearchFigures(window.TabSheet1->M_ReceiverData->Content());
  figures.worstBlockMs = probe.WorstBlockMs();
  writer.join();
  window.close();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QTemporaryDir profile;  // never the user's settings file
  setenv("USERPROFILE", profile.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  const std::string bytes = RandomPrintable(kBurst);
  const double plain = PlainReadCpu(bytes);
  std::printf("burst: %zu bytes through a pty\n", kBurst);
  std::printf("plain read() loop:   cpu %.3f s\n", plain);
  const QString captureFolder = profile.path() + "/capture";
  QDir().mkpath(captureFolder);
  for (const Extra extra : {Extra::None, Extra::Stamps, Extra::Capture}) {
    for (const bool hex : {true, false}) {
      const BurstFigures f = WindowBurst(bytes, hex, extra, captureFolder.toStdString());
      const char* with = extra == Extra::Stamps ? " + stamps " : extra == Extra::Capture ? " + capture" : "          ";
      std::printf("window, %s rendering%s: cpu %.3f s (%.1fx the plain loop), wall %.3f s, worst event-loop block %.1f ms, %s\n",
                  hex ? "hex " : "text", with, f.cpu, plain > 0 ? f.cpu / plain : 0.0, f.wall, f.worstBlockMs,
                  f.complete ? "every byte shown" : "INCOMPLETE");
    }
  }
  std::printf("peak resident memory: %.1f MB\n", PeakRssMegabytes());
  return 0;
}
