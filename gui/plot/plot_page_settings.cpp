// The plot page's settings: shown on its controls at start and read back at close. Values
// the controls cannot show leave them as they were.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include "core/settings/plot_settings.h"
#include "gui/plot/plot_page.h"

namespace {

void SelectCodeUpTo(QComboBox* list, int code) {
  if (code >= 0 && code < list->count()) list->setCurrentIndex(code);
}

void SetIfInRange(QSpinBox* field, uint32_t value) {
  if (value >= static_cast<uint32_t>(field->minimum()) && value <= static_cast<uint32_t>(field->maximum())) {
    field->setValue(static_cast<int>(value));
  }
}

}  // namespace

PlotSettings PlotPage::ReadSettings() const {
  PlotSettings s;
  s.Input = static_cast<uint8_t>(CB_PlotInput->currentIndex());
  s.FrameStart = E_FrameStart->text().toStdString();
  s.FrameValues = SE_FrameValues->value();
  s.FrameType = static_cast<uint8_t>(CB_FrameType->currentIndex());
  s.FrameBigEndian = CB_FrameBigEndian->isChecked();
  s.TimeAxis = CB_PlotXAxis->currentIndex() == 1;
  s.WindowSamples = SE_PlotWindow->value();
  s.AutoScale = CB_AutoScale->isChecked();
  s.YMin = E_YMin->text().toStdString();
  s.YMax = E_YMax->text().toStdString();
  s.Trigger = CB_Trigger->isChecked();
  s.TriggerSeries = static_cast<uint8_t>(CB_TriggerSeries->currentIndex());
  s.TriggerFalling = CB_TriggerEdge->currentIndex() == 1;
  s.TriggerLevel = E_TriggerLevel->text().toStdString();
  return s;
}

void PlotPage::ApplySettings(const PlotSettings& s) {
  E_FrameStart->setText(QString::fromStdString(s.FrameStart));
  SetIfInRange(SE_FrameValues, s.FrameValues);
  SelectCodeUpTo(CB_FrameType, s.FrameType);
  CB_FrameBigEndian->setChecked(s.FrameBigEndian);
  SelectCodeUpTo(CB_PlotInput, s.Input);
  InputFormatChanged();
  CB_PlotXAxis->setCurrentIndex(s.TimeAxis ? 1 : 0);
  SetIfInRange(SE_PlotWindow, s.WindowSamples);
  E_YMin->setText(QString::fromStdString(s.YMin));
  E_YMax->setText(QString::fromStdString(s.YMax));
  CB_AutoScale->setChecked(s.AutoScale);
  YScaleChanged();
  SelectCodeUpTo(CB_TriggerSeries, s.TriggerSeries);
  CB_TriggerEdge->setCurrentIndex(s.TriggerFalling ? 1 : 0);
  E_TriggerLevel->setText(QString::fromStdString(s.TriggerLevel));
  CB_Trigger->setChecked(s.Trigger);
  TriggerChanged();
}
