#pragma once
// A level trigger on one series, as an oscilloscope has it: the view freezes around a sample
// where the series passes the level in the chosen direction, with as many samples before the
// crossing as after it. The view moves to a later crossing only once the frame shown has
// passed and that crossing's own frame has fully arrived; until the first one, nothing is
// frozen.
#include <cstdint>
#include <optional>

class SampleHistory;

enum class TriggerEdge : uint8_t { kRising, kFalling };

struct TriggerRule {
  int series = 0;
  TriggerEdge edge = TriggerEdge::kRising;
  double level = 0;
};

// The first sample in [from, to) at which the series has passed the level coming from the
// other side on the sample before (rising: before < level <= it); -1 when there is none.
// Gaps never cross.
int64_t FindCrossing(const SampleHistory& history, const TriggerRule& rule, int64_t from, int64_t to);

class LevelTrigger {
 public:
  // Looks at what arrived since the last call; the first sample of the frozen view of
  // `width` samples, or nothing while no crossing has a whole frame yet.
  std::optional<int64_t> Update(const SampleHistory& history, const TriggerRule& rule, int64_t width);
  // Forgets every crossing (after a clear, or when the trigger's settings change).
  void Rearm() { *this = LevelTrigger{}; }

 private:
  int64_t scanned_ = 0;     // crossings before this sample were looked at
  int64_t pending_ = -1;    // a crossing whose frame has not fully arrived
  int64_t shown_ = -1;      // the crossing the view is frozen around
};
