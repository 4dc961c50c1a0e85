#include "core/plot/level_trigger.h"

#include <algorithm>

#include "core/plot/sample_history.h"

int64_t FindCrossing(const SampleHistory& history, const TriggerRule& rule, int64_t from, int64_t to) {
  if (rule.series < 0 || rule.series >= history.SeriesCount()) return -1;
  from = std::max(from, history.Begin() + 1);
  to = std::min(to, history.End());
  const float level = static_cast<float>(rule.level);
  const bool rising = rule.edge == TriggerEdge::kRising;
  float before = from < to ? history.Value(rule.series, from - 1) : 0.f;
  for (int64_t i = from; i < to; ++i) {
    const float now = history.Value(rule.series, i);
    if (rising ? (before < level && now >= level) : (before > level && now <= level)) return i;
    before = now;
  }
  return -1;
}

std::optional<int64_t> LevelTrigger::Update(const SampleHistory& history, const TriggerRule& rule, int64_t width) {
  const int64_t before = width / 2;
  const int64_t after = width - before;
  for (;;) {
    if (pending_ < 0) {
      // The next frame may start only once the shown one is over.
      const int64_t from = std::max(scanned_, shown_ < 0 ? 0 : shown_ + after);
      pending_ = FindCrossing(history, rule, from, history.End());
      scanned_ = pending_ < 0 ? std::max(from, history.End()) : pending_ + 1;
      if (pending_ < 0) break;
    }
    if (history.End() < pending_ + after) break;
    shown_ = pending_;
    pending_ = -1;
  }
  if (shown_ < 0) return std::nullopt;
  return shown_ - before;
}
