#pragma once
// The plot page: numbers in what the terminal port receives, as curves. It reads every chunk
// the receive worker hands to its queue (text lines or binary frames), keeps the samples in a
// ring, and shows the newest window of them live, or a paused, zoomed or triggered stretch.
// Received data are kept while the view is paused. Controls: run/pause, clear, input format,
// X axis, window width, auto-scale or a fixed Y range, a level trigger, CSV and PNG export,
// and a legend that hides or shows each series and tells its last value.
#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "core/plot/frame_parser.h"
#include "core/plot/level_trigger.h"
#include "core/plot/plot_recorder.h"
#include "core/plot/sample_history.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class ChunkQueue;
class PlotView;
struct PlotSettings;

class PlotPage : public QWidget {
  Q_OBJECT

 public:
  explicit PlotPage(ChunkQueue& received, QWidget* parent = nullptr);
  ~PlotPage() override;

  // The receive worker has news: every queued chunk goes into the history.
  void TakeReceived();
  // Brings legend, counts and view up to date now (the page does it on its own timer: the
  // view up to 20 times a second, the texts up to 4 times).
  void Refresh();

  PlotSettings ReadSettings() const;
  void ApplySettings(const PlotSettings& settings);

  // Handlers.
  void B_PlotRunClick();
  void B_PlotClearClick();
  void InputFormatChanged();
  void XAxisChanged();
  void WindowChanged();
  void YScaleChanged();
  void TriggerChanged();
  // Export: samples in view or all kept as CSV, the plot as PNG. Each asks for a file; the
  // ...To forms write to `path` and tell the user when that failed (false).
  void B_ExportViewCsvClick();
  void B_ExportAllCsvClick();
  void B_ExportPngClick();
  bool ExportCsvTo(const QString& path, bool all);
  bool ExportPngTo(const QString& path);

  const SampleHistory& History() const { return history_; }
  const PlotRecorder& Recorder() const { return recorder_; }
  bool Paused() const;

  // ---- controls ----
  QPushButton* B_PlotRun = nullptr;  // checked: paused
  QPushButton* B_PlotClear = nullptr;
  QComboBox* CB_PlotInput = nullptr;  // text lines, binary frames
  QLineEdit* E_FrameStart = nullptr;
  QSpinBox* SE_FrameValues = nullptr;
  QComboBox* CB_FrameType = nullptr;
  QCheckBox* CB_FrameBigEndian = nullptr;
  QComboBox* CB_PlotXAxis = nullptr;  // sample number, arrival time
  QSpinBox* SE_PlotWindow = nullptr;
  QCheckBox* CB_AutoScale = nullptr;
  QLineEdit* E_YMin = nullptr;
  QLineEdit* E_YMax = nullptr;
  QCheckBox* CB_Trigger = nullptr;
  QComboBox* CB_TriggerSeries = nullptr;
  QComboBox* CB_TriggerEdge = nullptr;
  QLineEdit* E_TriggerLevel = nullptr;
  QPushButton* B_ExportViewCsv = nullptr;
  QPushButton* B_ExportAllCsv = nullptr;
  QPushButton* B_ExportPng = nullptr;
  QLabel* L_PlotCounts = nullptr;  // samples kept, lines not read
  std::array<QCheckBox*, kMaxPlotSeries> Legend{};
  PlotView* View = nullptr;

 private:
  void BuildControls();
  std::unique_ptr<SampleParser> MakeParser() const;
  void SetPaused(bool paused);
  void Tick();
  void RefreshView();
  void UpdateTexts();

  ChunkQueue& received_;
  SampleHistory history_;
  PlotRecorder recorder_;
  LevelTrigger trigger_;
  QTimer* refresh_ = nullptr;
  bool dirty_ = false;
  // Texts change the layout of the page when they change: they follow at a lower rate.
  QElapsedTimer sinceTexts_;
  bool textsStale_ = false;
  int seriesShown_ = 0;
};
