#include "gui/plot/plot_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

#include "core/plot/chunk_queue.h"
#include "core/plot/csv_export.h"
#include "core/plot/line_parser.h"
#include "core/text/hex_codec.h"
#include "gui/plot/plot_view.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/ui_text.h"

namespace {

constexpr int kRefreshMs = 50;  // at most 20 redraws a second while data arrive
constexpr int kTextsMs = 250;   // last values and counts: 4 times a second
constexpr int kMinWindow = 100;
constexpr int kMaxWindow = 1'000'000;

template <class T>
T* Named(T* control, const char* name) {
  control->setObjectName(name);
  return control;
}

std::vector<uint8_t> HexBytes(const QString& text) {
  std::vector<uint8_t> bytes;
  ParseHexText(text.toUpper().toStdString(), [&bytes](uint8_t b) { bytes.push_back(b); });
  return bytes;
}

std::optional<double> Number(const QLineEdit* field) {
  bool ok = false;
  const double v = field->text().trimmed().toDouble(&ok);
  return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

}  // namespace

PlotPage::PlotPage(ChunkQueue& received, QWidget* parent)
    : QWidget(parent), received_(received), recorder_(history_, std::make_unique<LineParser>()) {
  setObjectName("TabSheet3");
  BuildControls();
  refresh_ = new QTimer(this);
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, &PlotPage::Tick);
  refresh_->start();
}

PlotPage::~PlotPage() = default;

void PlotPage::BuildControls() {
  auto* top = new QHBoxLayout;
  B_PlotRun = Named(new QPushButton(WindowText::tr("暂停")), "B_PlotRun");
  B_PlotRun->setCheckable(true);
  B_PlotClear = Named(new QPushButton(WindowText::tr("清除")), "B_PlotClear");
  CB_PlotInput = Named(new QComboBox, "CB_PlotInput");
  CB_PlotInput->addItems({WindowText::tr("文本行"), WindowText::tr("二进制帧")});
  E_FrameStart = Named(new QLineEdit("AA 55"), "E_FrameStart");
  E_FrameStart->setMaximumWidth(90);
  SE_FrameValues = Named(new QSpinBox, "SE_FrameValues");
  SE_FrameValues->setRange(1, kMaxPlotSeries);
  CB_FrameType = Named(new QComboBox, "CB_FrameType");
  CB_FrameType->addItems({"uint8", "int8", "uint16", "int16", "uint32", "int32", "float32"});
  CB_FrameBigEndian = Named(new QCheckBox(WindowText::tr("大端")), "CB_FrameBigEndian");
  for (QWidget* w : std::initializer_list<QWidget*>{B_PlotRun, B_PlotClear, new QLabel(WindowText::tr("输入")),
                                                    CB_PlotInput, new QLabel(WindowText::tr("帧头")), E_FrameStart,
                                                    new QLabel(WindowText::tr("个数")), SE_FrameValues, CB_FrameType,
                                                    CB_FrameBigEndian}) {
    top->addWidget(w);
  }
  top->addStretch();

  auto* second = new QHBoxLayout;
  CB_PlotXAxis = Named(new QComboBox, "CB_PlotXAxis");
  CB_PlotXAxis->addItems({WindowText::tr("样本序号"), WindowText::tr("接收时间")});
  SE_PlotWindow = Named(new QSpinBox, "SE_PlotWindow");
  SE_PlotWindow->setRange(kMinWindow, kMaxWindow);
  SE_PlotWindow->setValue(1000);
  SE_PlotWindow->setKeyboardTracking(false);
  CB_AutoScale = Named(new QCheckBox(WindowText::tr("自动缩放")), "CB_AutoScale");
  CB_AutoScale->setChecked(true);
  E_YMin = Named(new QLineEdit("-100"), "E_YMin");
  E_YMax = Named(new QLineEdit("100"), "E_YMax");
  CB_Trigger = Named(new QCheckBox(WindowText::tr("触发")), "CB_Trigger");
  CB_TriggerSeries = Named(new QComboBox, "CB_TriggerSeries");
  for (int s = 1; s <= kMaxPlotSeries; ++s) CB_TriggerSeries->addItem(QString::number(s));
  CB_TriggerEdge = Named(new QComboBox, "CB_TriggerEdge");
  CB_TriggerEdge->addItems({WindowText::tr("上升沿"), WindowText::tr("下降沿")});
  E_TriggerLevel = Named(new QLineEdit("0"), "E_TriggerLevel");
  for (QLineEdit* field : {E_YMin, E_YMax, E_TriggerLevel}) field->setMaximumWidth(70);
  B_ExportViewCsv = Named(new QPushButton(WindowText::tr("导出视图CSV")), "B_ExportViewCsv");
  B_ExportAllCsv = Named(new QPushButton(WindowText::tr("导出全部CSV")), "B_ExportAllCsv");
  B_ExportPng = Named(new QPushButton(WindowText::tr("导出PNG")), "B_ExportPng");
  for (QWidget* w : std::initializer_list<QWidget*>{new QLabel(WindowText::tr("X轴")), CB_PlotXAxis,
                                                    new QLabel(WindowText::tr("窗口")), SE_PlotWindow, CB_AutoScale,
                                                    new QLabel("Y"), E_YMin, new QLabel("~"), E_YMax, CB_Trigger,
                                                    CB_TriggerSeries, CB_TriggerEdge, new QLabel(WindowText::tr("电平")),
                                                    E_TriggerLevel}) {
    second->addWidget(w);
  }
  second->addStretch();
  // The counts and the exports on a row of their own: the window keeps its width.
  auto* third = new QHBoxLayout;
  L_PlotCounts = Named(new QLabel, "L_PlotCounts");
  third->addWidget(L_PlotCounts);
  third->addStretch();
  for (QWidget* w : {B_ExportViewCsv, B_ExportAllCsv, B_ExportPng}) third->addWidget(w);

  View = Named(new PlotView(history_), "PlotView");
  auto* legend = new QVBoxLayout;
  for (int s = 0; s < kMaxPlotSeries; ++s) {
    Legend[s] = new QCheckBox;
    Legend[s]->setObjectName(QString("CB_Series%1").arg(s + 1));
    Legend[s]->setChecked(true);
    Legend[s]->hide();
    QPalette palette = Legend[s]->palette();
    palette.setColor(QPalette::WindowText, PlotView::SeriesColor(s));
    Legend[s]->setPalette(palette);
    legend->addWidget(Legend[s]);
    connect(Legend[s], &QCheckBox::toggled, this, [this, s](bool on) { View->SetSeriesShown(s, on); });
  }
  legend->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(View, 1);
  middle->addLayout(legend);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(second);
  layout->addLayout(third);
  layout->addLayout(middle, 1);

  connect(B_PlotRun, &QPushButton::clicked, this, &PlotPage::B_PlotRunClick);
  connect(B_PlotClear, &QPushButton::clicked, this, &PlotPage::B_PlotClearClick);
  connect(CB_PlotInput, &QComboBox::currentIndexChanged, this, &PlotPage::InputFormatChanged);
  connect(E_FrameStart, &QLineEdit::editingFinished, this, &PlotPage::InputFormatChanged);
  connect(SE_FrameValues, &QSpinBox::valueChanged, this, &PlotPage::InputFormatChanged);
  connect(CB_FrameType, &QComboBox::currentIndexChanged, this, &PlotPage::InputFormatChanged);
  connect(CB_FrameBigEndian, &QCheckBox::toggled, this, &PlotPage::InputFormatChanged);
  connect(CB_PlotXAxis, &QComboBox::currentIndexChanged, this, &PlotPage::XAxisChanged);
  connect(SE_PlotWindow, &QSpinBox::valueChanged, this, &PlotPage::WindowChanged);
  connect(CB_AutoScale, &QCheckBox::toggled, this, &PlotPage::YScaleChanged);
  connect(E_YMin, &QLineEdit::editingFinished, this, &PlotPage::YScaleChanged);
  connect(E_YMax, &QLineEdit::editingFinished, this, &PlotPage::YScaleChanged);
  connect(CB_Trigger, &QCheckBox::toggled, this, &PlotPage::TriggerChanged);
  connect(CB_TriggerSeries, &QComboBox::currentIndexChanged, this, &PlotPage::TriggerChanged);
  connect(CB_TriggerEdge, &QComboBox::currentIndexChanged, this, &PlotPage::TriggerChanged);
  connect(E_TriggerLevel, &QLineEdit::editingFinished, this, &PlotPage::TriggerChanged);
  connect(B_ExportViewCsv, &QPushButton::clicked, this, &PlotPage::B_ExportViewCsvClick);
  connect(B_ExportAllCsv, &QPushButton::clicked, this, &PlotPage::B_ExportAllCsvClick);
  connect(B_ExportPng, &QPushButton::clicked, this, &PlotPage::B_ExportPngClick);
  connect(View, &PlotView::LeftLiveView, this, [this] { SetPaused(true); });
  connect(View, &PlotView::LiveWindowZoomed, this, [this](int64_t samples) {
    SE_PlotWindow->setValue(static_cast<int>(std::clamp<int64_t>(samples, kMinWindow, kMaxWindow)));
    WindowChanged();
  });
  connect(View, &PlotView::YZoomed, this, [this](double min, double max) {
    const QSignalBlocker block(CB_AutoScale);
    CB_AutoScale->setChecked(false);
    E_YMin->setText(QString::number(min, 'g', 6));
    E_YMax->setText(QString::number(max, 'g', 6));
    E_YMin->setEnabled(true);
    E_YMax->setEnabled(true);
  });
  InputFormatChanged();
  YScaleChanged();
  TriggerChanged();
}

std::unique_ptr<SampleParser> PlotPage::MakeParser() const {
  if (CB_PlotInput->currentIndex() == 0) return std::make_unique<LineParser>();
  return std::make_unique<FrameParser>(FrameFormat{HexBytes(E_FrameStart->text()), SE_FrameValues->value(),
                                                   static_cast<FrameValueType>(CB_FrameType->currentIndex()),
                                                   CB_FrameBigEndian->isChecked()});
}

void PlotPage::TakeReceived() {
  received_.Drain([this](const uint8_t* bytes, size_t count, ChunkQueue::Clock::time_point arrival) {
    recorder_.Feed(bytes, count, arrival);
  });
  dirty_ = true;
}

bool PlotPage::Paused() const { return B_PlotRun->isChecked(); }

void PlotPage::SetPaused(bool paused) {
  B_PlotRun->setChecked(paused);
  B_PlotRun->setText(paused ? WindowText::tr("继续") : WindowText::tr("暂停"));
  if (paused) {
    if (View->Live()) {
      const auto [first, last] = View->SamplesInView();
      View->ShowSamples(first, last);
    }
  } else {
    View->ShowLive(SE_PlotWindow->value());
    Refresh();
  }
}

void PlotPage::B_PlotRunClick() { SetPaused(B_PlotRun->isChecked()); }

void PlotPage::B_PlotClearClick() {
  recorder_.Clear();
  trigger_.Rearm();
  if (!Paused()) View->ShowLive(SE_PlotWindow->value());
  Refresh();
}

void PlotPage::InputFormatChanged() {
  const bool frames = CB_PlotInput->currentIndex() == 1;
  for (QWidget* w : std::initializer_list<QWidget*>{E_FrameStart, SE_FrameValues, CB_FrameType, CB_FrameBigEndian}) {
    w->setEnabled(frames);
  }
  recorder_.SetParser(MakeParser());
}

void PlotPage::XAxisChanged() { View->SetTimeAxis(CB_PlotXAxis->currentIndex() == 1); }

void PlotPage::WindowChanged() {
  trigger_.Rearm();
  if (!Paused()) View->ShowLive(SE_PlotWindow->value());
}

void PlotPage::YScaleChanged() {
  const bool autoScale = CB_AutoScale->isChecked();
  E_YMin->setEnabled(!autoScale);
  E_YMax->setEnabled(!autoScale);
  View->SetAutoScale(autoScale);
  const std::optional<double> min = Number(E_YMin), max = Number(E_YMax);
  if (min && max && *max > *min) View->SetYRange(*min, *max);
}

void PlotPage::TriggerChanged() {
  trigger_.Rearm();
  if (!Paused()) View->ShowLive(SE_PlotWindow->value());
  Refresh();
}

void PlotPage::Refresh() {
  RefreshView();
  UpdateTexts();
}

void PlotPage::Tick() {
  if (!isVisible()) return;
  if (dirty_) RefreshView();
  if (textsStale_ && (sinceTexts_.elapsed() >= kTextsMs || seriesShown_ != history_.SeriesCount())) UpdateTexts();
}

void PlotPage::RefreshView() {
  dirty_ = false;
  textsStale_ = true;
  if (CB_Trigger->isChecked() && !Paused()) {
    const TriggerRule rule{CB_TriggerSeries->currentIndex(),
                           CB_TriggerEdge->currentIndex() == 0 ? TriggerEdge::kRising : TriggerEdge::kFalling,
                           Number(E_TriggerLevel).value_or(0)};
    const int64_t width = SE_PlotWindow->value();
    if (const std::optional<int64_t> start = trigger_.Update(history_, rule, width)) {
      View->ShowSamples(*start, *start + width);
    }
  }
  View->update();
}

void PlotPage::UpdateTexts() {
  sinceTexts_.start();
  textsStale_ = false;
  seriesShown_ = history_.SeriesCount();
  const int64_t last = history_.End() - 1;
  for (int s = 0; s < kMaxPlotSeries; ++s) {
    const bool exists = s < history_.SeriesCount();
    Legend[s]->setVisible(exists);
    if (!exists) continue;
    const float v = last >= 0 ? history_.Value(s, last) : NAN;
    const QString name = QString::fromStdString(history_.Name(s));
    Legend[s]->setText(QString("%1 %2 %3").arg(s + 1).arg(name).arg(std::isnan(v) ? U("—") : QString::number(v, 'g', 7)));
  }
  QString counts = WindowText::tr("样本 %1 · 无法解析 %2").arg(history_.End()).arg(recorder_.UnreadableCount());
  if (const int64_t lost = received_.DroppedBytes() + recorder_.LostCount()) counts += WindowText::tr(" · 丢失 %1").arg(lost);
  L_PlotCounts->setText(counts);
}

bool PlotPage::ExportCsvTo(const QString& path, bool all) {
  const auto [first, last] = all ? std::pair(history_.Begin(), history_.End()) : View->SamplesInView();
  const int error = SavePlotCsv(path.toStdString(), history_, first, last);
  if (error == 0) return true;
  ShowMessageBox(this, WindowText::tr(kWarningTitle), WindowText::tr("CSV文件保存失败：") + path + WindowText::tr("（") + QString::fromLocal8Bit(std::strerror(error)) + WindowText::tr("）"));
  return false;
}

bool PlotPage::ExportPngTo(const QString& path) {
  if (View->grab().save(path, "PNG")) return true;
  ShowMessageBox(this, WindowText::tr(kWarningTitle), WindowText::tr("PNG文件保存失败：") + path);
  return false;
}

void PlotPage::B_ExportViewCsvClick() {
  const QString path = QFileDialog::getSaveFileName(this, WindowText::tr("导出视图CSV"), QString(), "CSV (*.csv)");
  if (!path.isEmpty()) ExportCsvTo(path, false);
}

void PlotPage::B_ExportAllCsvClick() {
  const QString path = QFileDialog::getSaveFileName(this, WindowText::tr("导出全部CSV"), QString(), "CSV (*.csv)");
  if (!path.isEmpty()) ExportCsvTo(path, true);
}

void PlotPage::B_ExportPngClick() {
  const QString path = QFileDialog::getSaveFileName(this, WindowText::tr("导出PNG"), QString(), "PNG (*.png)");
  if (!path.isEmpty()) ExportPngTo(path);
}
