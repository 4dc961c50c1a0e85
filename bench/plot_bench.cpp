// The plot page against its targets, each next to a baseline of the same run:
//   redraw   one paint of 8 series x 1,048,576 kept samples (the full ring, min/max per pixel
//            column) next to 8 x 1,000 samples, and next to one paint of the full ring as a
//            plain polyline of every sample (what drawing without decimation costs);
//   zoom/pan one wheel notch or one drag step on the paused full ring, with its repaint;
//   CPU      the shown page fed 8 series at 1,000 lines a second (chunks as the receive worker
//            reads them), next to the same page hidden and to an idle event loop;
//   memory   resident memory added by a full history of 8 series (fed as text lines).
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen for a machine without a display).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "bench_support.h"
#include "core/plot/chunk_queue.h"
#include "core/plot/line_parser.h"
#include "core/plot/plot_recorder.h"
#include "core/plot/sample_history.h"
#include "gui/plot/plot_page.h"
#include "gui/plot/plot_view.h"

namespace {

constexpr int kSeries = 8;
constexpr int kWidth = 1000, kHeight = 500;

std::string Line(int64_t i) {
  char text[160];
  int n = 0;
  for (int s = 0; s < kSeries; ++s) {
    n += std::snprintf(text + n, sizeof text - n, s ? ",%.2f" : "%.2f", 100 * std::sin(i * 0.001 * (s + 1)) + s * 10);
  }
  text[n++] = '\n';
  return std::string(text, n);
}

void Fill(SampleHistory& history, int64_t samples) {
  for (int s = 0; s < kSeries; ++s) history.AddSeries("");
  std::vector<float> row(kSeries);
  for (int64_t i = 0; i < samples; ++i) {
    for (int s = 0; s < kSeries; ++s) row[s] = static_cast<float>(100 * std::sin(i * 0.001 * (s + 1)) + (i % 97) * 0.1 + s * 10);
    history.Append(i * 1000, row);
  }
}

// Median milliseconds of `runs` calls.
template <class F>
double MedianMs(int runs, F f) {
  std::vector<double> ms;
  for (int r = 0; r < runs; ++r) {
    QElapsedTimer t;
    t.start();
    f();
    ms.push_back(t.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void Redraw() {
  SampleHistory full;
  Fill(full, full.Capacity());
  SampleHistory small(1024);
  Fill(small, 1000);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const auto paintMs = [&](SampleHistory& h, int64_t window) {
    PlotView view(h);
    view.resize(kWidth, kHeight);
    view.ShowLive(window);
    return MedianMs(15, [&] { view.render(&image); });
  };
  const double fullMs = paintMs(full, full.Capacity());
  const double smallMs = paintMs(small, 1000);
  // Every sample as a point of one polyline per series, with the same scaling.
  const double plainMs = MedianMs(3, [&] {
    QPainter p(&image);
    p.fillRect(image.rect(), Qt::white);
    QPolygonF line(static_cast<int>(full.Capacity()));
    for (int s = 0; s < kSeries; ++s) {
      for (int64_t i = 0; i < full.Capacity(); ++i) {
        line[static_cast<int>(i)] = QPointF(i * double(kWidth) / full.Capacity(), kHeight / 2 - full.Value(s, i));
      }
      p.setPen(PlotView::SeriesColor(s));
      p.drawPolyline(line);
    }
  });
  std::printf("redraw, 8 series, median of 15 paints of %dx%d:\n", kWidth, kHeight);
  std::printf("  1,048,576 samples each (min/max columns)  %8.2f ms   target <= 16 ms\n", fullMs);
  std::printf("  1,000 samples each (baseline)             %8.2f ms\n", smallMs);
  std::printf("  1,048,576 samples each as plain polylines %8.2f ms   (no decimation, for comparison)\n", plainMs);

  // Zoom and pan on the paused full ring: the event and the repaint it asks for.
  PlotView view(full);
  view.resize(kWidth, kHeight);
  view.ShowSamples(0, full.Capacity());
  const QPointF at(kWidth / 2.0, kHeight / 2.0);
  int notch = 0;
  const double zoomMs = MedianMs(20, [&] {
    QWheelEvent wheel(at, at, QPoint(), QPoint(0, (notch++ % 10 < 5) ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    view.render(&image);
  });
  QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &press);
  int step = 0;
  const double panMs = MedianMs(20, [&] {
    const QPointF to(at.x() + (++step % 2 ? 40 : -40), at.y());
    QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    view.render(&image);
  });
  std::printf("zoom, one wheel notch + repaint (full ring)  %8.2f ms   target <= 16 ms (one frame)\n", zoomMs);
  std::printf("pan, one drag step + repaint (full ring)     %8.2f ms   target <= 16 ms\n", panMs);
}

// CPU over `seconds` while a thread feeds `queue` 1,000 lines a second in chunks of about
// 256 bytes, as the receive worker reads them, and the page takes each chunk as the window
// would: {share of one core used by the user-interface thread, by the whole process}.
std::pair<double, double> CpuShare(PlotPage* page, ChunkQueue& queue, double seconds) {
  // Prepared beforehand, so that the feeder costs little besides its wake-ups.
  std::vector<std::string> chunks;
  std::vector<int> linesPerChunk;
  std::string pending;
  int lines = 0;
  for (int64_t i = 0; i < static_cast<int64_t>(seconds * 1000) + 1000; ++i) {
    pending += Line(i);
    ++lines;
    if (pending.size() >= 200) {
      chunks.push_back(pending);
      linesPerChunk.push_back(lines);
      pending.clear();
      lines = 0;
    }
  }
  std::atomic<bool> stop{false};
  std::thread feeder;
  if (page) {
    feeder = std::thread([&] {
      auto next = std::chrono::steady_clock::now();
      for (size_t c = 0; c < chunks.size() && !stop; ++c) {
        next += std::chrono::microseconds(1000 * linesPerChunk[c]);
        std::this_thread::sleep_until(next);
        queue.ChunkReceived(reinterpret_cast<const uint8_t*>(chunks[c].data()), chunks[c].size(),
                            std::chrono::steady_clock::now());
        QMetaObject::invokeMethod(page, [page] { page->TakeReceived(); }, Qt::QueuedConnection);
      }
    });
  }
  const double process0 = CpuSeconds(), thread0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  QElapsedTimer wall;
  wall.start();
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
  const double elapsed = wall.nsecsElapsed() / 1e9;
  const double thread = (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0) / elapsed * 100;
  const double process = (CpuSeconds() - process0) / elapsed * 100;
  stop = true;
  if (feeder.joinable()) feeder.join();
  return {thread, process};
}

void Cpu() {
  ChunkQueue queue;
  PlotPage page(queue);
  page.resize(kWidth, kHeight + 100);
  const auto idle = CpuShare(nullptr, queue, 3);
  const auto hidden = CpuShare(&page, queue, 5);
  page.show();
  const auto shown = CpuShare(&page, queue, 5);
  std::printf("CPU, 8 series at 1,000 lines/s, %% of one core: user-interface thread / whole process (with feeder):\n");
  std::printf("  page shown      %6.2f %% / %6.2f %%   target <= 5 %%\n", shown.first, shown.second);
  std::printf("  page hidden     %6.2f %% / %6.2f %%   (parsing and keeping only)\n", hidden.first, hidden.second);
  std::printf("  idle event loop %6.2f %% / %6.2f %%   (baseline)\n", idle.first, idle.second);
  std::printf("  samples kept    %lld, unreadable %lld\n", static_cast<long long>(page.History().End()),
              static_cast<long long>(page.Recorder().UnreadableCount()));
}

void Memory() {
  const long before = ResidentKilobytes();
  SampleHistory history;
  PlotRecorder recorder(history, std::make_unique<LineParser>());
  QElapsedTimer t;
  t.start();
  std::string chunk;
  for (int64_t i = 0; i < history.Capacity(); ++i) {
    chunk += Line(i);
    if (chunk.size() >= 256 || i + 1 == history.Capacity()) {
      recorder.Feed(reinterpret_cast<const unsigned char*>(chunk.data()), chunk.size(), std::chrono::steady_clock::now());
      chunk.clear();
    }
  }
  const double parseS = t.nsecsElapsed() / 1e9;
  const long after = ResidentKilobytes();
  std::printf("memory, full history of 8 series (%lld samples each): +%.1f MB resident   target <= 100 MB\n",
              static_cast<long long>(history.End()), (after - before) / 1024.0);
  std::printf("  (parsed %lld lines in %.2f s: %.0f lines/s)\n", static_cast<long long>(history.End()), parseS,
              history.End() / parseS);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Memory();
  Redraw();
  Cpu();
  return 0;
}
