// One pass of the preset cycle: 32 presets of 1,000 characters each, sent by the main window
// into a pseudo-terminal whose far side drains them. Prints, for each rate, the bytes counted
// by the window next to the bytes that arrived, and the time of the pass next to the time the
// line itself needs for those bytes.
//
// A pseudo-terminal does not pace by baud rate: it takes bytes as fast as its far side
// reads them. So the pass time here is the program's own cost (event handling, GBK encoding,
// the bounded writes); on a real port the pass lasts at least the line time.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/window_harness.h"
#include "core/transmit/bounded_write.h"
#include "gui/terminal/preset_panel.h"
#include "gui/terminal/transmit_panel.h"
#include "core/transmit/transmit_session.h"

namespace {

constexpr int kPresets = 32;
constexpr int kPresetLength = 1000;
constexpr int kPasses = 5;

// Reads the far side until `expected` bytes came or nothing more arrives for a second.
class Drain {
 public:
  Drain(const PtyPair& pty, size_t expected)
      : thread_([this, &pty, expected] {
          while (received_ < expected) {
            const std::vector<uint8_t> got = pty.Receive(expected - received_, 1000);
            if (got.empty()) break;
            received_ += got.size();
          }
        }) {}
  size_t Wait() {
    thread_.join();
    return received_;
  }

 private:
  std::atomic<size_t> received_{0};
  std::thread thread_;
};

void FillPresets(TVornicSPComm& w) {
  for (int n = 0; n < kPresets; ++n) {
    QString text(kPresetLength, QChar(u'A' + n % 26));
    w.TabSheet1->Presets->Edits[n]->setText(text);
    w.TabSheet1->Presets->CheckBoxes[n]->setChecked(false);
  }
  w.TabSheet1->Transmitter->CB_TransmitNewLine->setChecked(false);
  w.TabSheet1->Transmitter->CB_TransmitCR->setChecked(false);
  w.TabSheet1->Presets->E_ExpandTime->setText("0");  // no ticks of its own: the bench makes the passes
  w.TabSheet1->Presets->CB_SendAutoCycle->setChecked(true);
}

bool RunRate(uint32_t rate) {
  WindowHarness harness;
  PtyPair pty;
  TVornicSPComm& w = harness.w();
  if (!w.Terminal->SetBaudRate(rate) && !w.Terminal->Switch(pty.path())) w.TabSheet1->B_OpenPortClick();
  if (!pty.ok() || !w.Terminal->IsOpen()) {
    std::printf("%u bit/s: the pseudo-terminal could not be opened\n", rate);
    return false;
  }
  FillPresets(w);
  const uint64_t passBytes = uint64_t{kPresets} * kPresetLength;
  const LineFrame frame{w.Terminal->Line().BaudRate, w.Terminal->Line().DataBits, w.Terminal->Line().Parity, w.Terminal->Line().StopBits};
  const double lineMs = static_cast<double>(LineTimeMs(passBytes, frame));
  std::vector<double> times;
  bool allArrived = true;
  for (int pass = 0; pass < kPasses; ++pass) {
    const int32_t before = w.Transmit->TransmittedCount();
    Drain drain(pty, passBytes);
    QElapsedTimer clock;
    clock.start();
    w.TabSheet1->Presets->Timer1Timer();
    times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    const size_t arrived = drain.Wait();
    const auto counted = static_cast<size_t>(w.Transmit->TransmittedCount() - before);
    allArrived = allArrived && arrived == counted && counted == passBytes;
    std::printf("%6u bit/s pass %d: counted %zu, arrived %zu, pass %.1f ms, line %.0f ms, ratio %.4f\n", rate,
                pass + 1, counted, arrived, times.back(), lineMs, times.back() / lineMs);
  }
  std::sort(times.begin(), times.end());
  std::printf("%6u bit/s median: pass %.1f ms for %llu bytes, line time %.0f ms, ratio %.4f%s\n\n", rate,
              times[times.size() / 2], static_cast<unsigned long long>(passBytes), lineMs,
              times[times.size() / 2] / lineMs, allArrived ? "" : "  (BYTES MISSING)");
  return allArrived;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::printf("preset pass: %d presets x %d characters into a pseudo-terminal (no baud pacing)\n\n", kPresets,
              kPresetLength);
  bool ok = true;
  for (uint32_t rate : {115200u, 256000u}) ok = RunRate(rate) && ok;
  return ok ? 0 : 1;
}
