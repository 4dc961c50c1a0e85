#pragma once
// Min/max decimation for drawing: a view of many samples is cut into pixel columns, and each
// column is drawn as the span from its smallest to its largest value, so that a million
// samples draw as fast as a thousand and no peak falls between two pixels.
#include <cstdint>
#include <span>
#include <vector>

#include "core/plot/sample_history.h"

// Column boundaries: column c covers the samples [bounds[c], bounds[c + 1]). By sample
// number, [from, to) cut into `columns` near-equal parts.
void SampleColumnBounds(int64_t from, int64_t to, int columns, std::vector<int64_t>& bounds);
// By arrival time, [fromUs, toUs) cut into `columns` equal spans of time.
void TimeColumnBounds(const SampleHistory& history, int64_t fromUs, int64_t toUs, int columns,
                      std::vector<int64_t>& bounds);
// Moves the inner boundaries to the nearest multiple of `block` when every column spans at
// least four blocks: each column is then read from block summaries alone, instead of from
// samples scattered over the whole ring at its two edges. A boundary moves by at most half a
// block, a small part of a pixel; every sample still falls in exactly one column.
void SnapToBlocks(std::vector<int64_t>& bounds, int64_t block);
// The range of `series` in each column (Empty() where a column has no value).
void DecimateColumns(const SampleHistory& history, int series, std::span<const int64_t> bounds,
                     std::vector<ValueRange>& out);
