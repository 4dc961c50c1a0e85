// The level trigger on synthetic signals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "core/plot/level_trigger.h"
#include "core/plot/sample_history.h"

namespace {

void AppendAll(SampleHistory& history, const std::vector<float>& values) {
  for (const float v : values) history.Append(history.End(), std::vector<float>{v});
}

std::vector<float> Sine(int samples, int period, float amplitude, int phase = 0) {
  std::vector<float> out;
  for (int i = 0; i < samples; ++i) out.push_back(amplitude * std::sin(2 * std::numbers::pi * (i + phase) / period));
  return out;
}

TEST(FindCrossing, FindsOnlyTheChosenDirectionAndNeverAcrossAGap) {
  SampleHistory history(1024);
  history.AddSeries("");
  // 0 1 2 3 2 1 0 -1 NaN 5 -1 ...: rising through 1.5 at 2, falling at 5; the jump from the gap
  // to 5 is no crossing.
  AppendAll(history, {0, 1, 2, 3, 2, 1, 0, -1, std::numeric_limits<float>::quiet_NaN(), 5, -1, 2});
  EXPECT_EQ(FindCrossing(history, {0, TriggerEdge::kRising, 1.5}, 0, 100), 2);
  EXPECT_EQ(FindCrossing(history, {0, TriggerEdge::kFalling, 1.5}, 0, 100), 5);
  EXPECT_EQ(FindCrossing(history, {0, TriggerEdge::kRising, 1.5}, 3, 100), 11);
  EXPECT_EQ(FindCrossing(history, {0, TriggerEdge::kFalling, 1.5}, 6, 100), 10);
  // A value exactly at the level counts once, on arrival.
  EXPECT_EQ(FindCrossing(history, {0, TriggerEdge::kRising, 2}, 0, 100), 2);
  EXPECT_EQ(FindCrossing(history, {0, TriggerEdge::kRising, 9}, 0, 100), -1);
  EXPECT_EQ(FindCrossing(history, {1, TriggerEdge::kRising, 0}, 0, 100), -1) << "no such series";
}

// A sine of period 100 rising through 0 at 0, 100, 200, ...: each frame is centred on a
// crossing, waits for its second half, and the next frame starts after the shown one.
TEST(LevelTrigger, FreezesAroundACrossingOnceItsFrameHasArrived) {
  SampleHistory history(4096);
  history.AddSeries("");
  LevelTrigger trigger;
  const TriggerRule rule{0, TriggerEdge::kRising, 0.5};
  // Rises through 0.5 at 100, 200, ... (not at 0: no sample before it).
  const std::vector<float> wave = Sine(1000, 100, 10, 1);
  AppendAll(history, {wave.begin(), wave.begin() + 120});
  EXPECT_FALSE(trigger.Update(history, rule, 60)) << "the crossing at 100 needs samples up to 129";
  AppendAll(history, {wave.begin() + 120, wave.begin() + 130});
  EXPECT_EQ(trigger.Update(history, rule, 60), 100 - 30);
  // Many frames arrive at once: the latest complete one is shown.
  AppendAll(history, {wave.begin() + 130, wave.begin() + 520});
  EXPECT_EQ(trigger.Update(history, rule, 60), 400 - 30) << "the crossing at 500 waits for 529";
  // A frame as wide as three periods: the next may start only after the shown one ends.
  trigger.Rearm();
  AppendAll(history, {wave.begin() + 520, wave.end()});
  EXPECT_EQ(trigger.Update(history, rule, 300), 700 - 150) << "100, 300, 500, 700: each after the last ended";
  // Falling, on a square wave with noise around the level: the first fall through the level.
  SampleHistory square(1024);
  square.AddSeries("");
  std::vector<float> wave2;
  for (int i = 0; i < 600; ++i) wave2.push_back(((i / 100) % 2 ? -5.f : 5.f) + (i % 3 == 0 ? 0.4f : -0.4f));
  AppendAll(square, wave2);
  LevelTrigger falling;
  EXPECT_EQ(falling.Update(square, {0, TriggerEdge::kFalling, 0}, 100), 500 - 50);
}

}  // namespace
