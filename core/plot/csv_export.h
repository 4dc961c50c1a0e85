#pragma once
// Kept samples as CSV: a header `sample,time_s,<series>...`, then one line per sample with
// its number, its arrival time in seconds (to the microsecond) and one column per series,
// empty where the series has a gap. Values are written with the fewest digits that read
// back as the very value kept.
#include <cstdint>
#include <string>

class SampleHistory;

// Samples [from, to), clamped to what is kept. An unnamed series is headed `series<N>`.
std::string PlotCsv(const SampleHistory& history, int64_t from, int64_t to);
// Writes them to `path` (atomically, see WriteFileAtomically): 0, or the errno.
int SavePlotCsv(const std::string& path, const SampleHistory& history, int64_t from, int64_t to);
