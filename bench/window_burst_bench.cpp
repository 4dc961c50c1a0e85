// The whole receive road under a 1 MB burst: a pseudo-terminal opened by the main window
// (driver, monitor, ReceiveThread, store, view), in hex and in text rendering. Prints the
// process CPU from the first byte written to the last byte shown, the longest event-loop
// block (a 1 ms timer's worst lateness), and, as the baseline of the same run, a plain
// read() loop draining the same burst from a pty. Run with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <thread>

#include "core/terminal/receive_pipeline.h"
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

BurstFigures WindowBurst(const std::string& bytes, bool hex) {
  PtyPair pty;
  TVornicSPComm window;
  window.show();
  window.TabSheet1->CB_HexDisplay->setChecked(hex);
  if (window.Terminal->PortName() != pty.path() || !window.Terminal->IsOpen()) {  // a reused pty number opens at start
    if (window.Terminal->IsOpen()) window.TabSheet1->B_OpenPortClick();
    if (!window.Terminal->Switch(pty.path())) window.TabSheet1->B_OpenPortClick();
  }
  const size_t expected = hex ? bytes.size() * 3 : bytes.size();

  BurstFigures figures;
  EventLoopProbe probe;
  QElapsedTimer wall;
  const double start = CpuSeconds();
  wall.start();
  probe.Start();
  std::thread writer([&] { WriteAll(pty.master(), bytes); });
  while (window.TabSheet1->M_ReceiverData->Content().size() < expected && wall.elapsed() < 20000)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  figures.cpu = CpuSeconds() - start;
  if (std::getenv("BENCH_DEBUG"))
    std::printf("shown %zu of %zu, received %lld\n", window.TabSheet1->M_ReceiverData->Content().size(), expected,
                static_cast<long long>(window.Receive->ReceivedCount()));
  figures.wall = wall.elapsed() / 1000.0;
  figures.complete = window.TabSheet1->M_ReceiverData->Content().size() == expected;
  probe.Stop();
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
  for (const bool hex : {true, false}) {
    const BurstFigures f = WindowBurst(bytes, hex);
    std::printf("window, %s rendering: cpu %.3f s (%.1fx the plain loop), wall %.3f s, worst event-loop block %.1f ms, %s\n",
                hex ? "hex " : "text", f.cpu, plain > 0 ? f.cpu / plain : 0.0, f.wall, f.worstBlockMs,
                f.complete ? "every byte shown" : "INCOMPLETE");
  }
  std::printf("peak resident memory: %.1f MB\n", PeakRssMegabytes());
  return 0;
}
