#pragma once
// The plot page's settings as plain values: how the received bytes are read, the axes, the
// Y range and the trigger. Loaded from and saved to the settings file (settings_keys.h).
#include <cstdint>
#include <string>

struct PlotSettings {
  uint8_t Input = 0;            // 0 text lines, 1 binary frames
  std::string FrameStart;       // the frames' start sequence as hex text (UTF-8)
  uint32_t FrameValues = 0;     // values per frame
  uint8_t FrameType = 0;        // FrameValueType code
  bool FrameBigEndian = false;
  bool TimeAxis = false;        // X by arrival time instead of by sample number
  uint32_t WindowSamples = 0;   // the live window's width in samples
  bool AutoScale = false;
  std::string YMin;             // the fixed Y range as typed (UTF-8)
  std::string YMax;
  bool Trigger = false;
  uint8_t TriggerSeries = 0;    // 0-based
  bool TriggerFalling = false;
  std::string TriggerLevel;     // as typed (UTF-8)

  bool operator==(const PlotSettings&) const = default;
};
