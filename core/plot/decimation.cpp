#include "core/plot/decimation.h"

void SampleColumnBounds(int64_t from, int64_t to, int columns, std::vector<int64_t>& bounds) {
  bounds.resize(columns + 1);
  const int64_t span = to - from;
  for (int c = 0; c <= columns; ++c) bounds[c] = from + span * c / columns;
}

void TimeColumnBounds(const SampleHistory& history, int64_t fromUs, int64_t toUs, int columns,
                      std::vector<int64_t>& bounds) {
  bounds.resize(columns + 1);
  const int64_t span = toUs - fromUs;
  for (int c = 0; c <= columns; ++c) bounds[c] = history.FirstAtOrAfter(fromUs + span * c / columns);
}

void SnapToBlocks(std::vector<int64_t>& bounds, int64_t block) {
  for (size_t c = 1; c < bounds.size(); ++c) {
    if (bounds[c] - bounds[c - 1] < 4 * block) return;
  }
  for (size_t c = 1; c + 1 < bounds.size(); ++c) bounds[c] = (bounds[c] + block / 2) / block * block;
}

void DecimateColumns(const SampleHistory& history, int series, std::span<const int64_t> bounds,
                     std::vector<ValueRange>& out) {
  out.resize(bounds.empty() ? 0 : bounds.size() - 1);
  for (size_t c = 0; c < out.size(); ++c) out[c] = history.Range(series, bounds[c], bounds[c + 1]);
}
