#pragma once
// Local time of an arrival as the receive window and the capture show it: "[HH:MM:SS.mmm] ".
// Breaking a time into local fields costs a time-zone lookup; a stream of chunks mostly stays
// within one second, so the last second's fields are kept and only the milliseconds change.
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t kTimeStampLength = 15;  // "[HH:MM:SS.mmm] "

// The local calendar day of a time, as a number that changes exactly at local midnight.
int64_t LocalDayOf(int64_t epochMs);

class TimeStampFormatter {
 public:
  // Appends "[HH:MM:SS.mmm] " for `epochMs` to `out`.
  void Append(int64_t epochMs, std::string& out);

 private:
  int64_t second_ = INT64_MIN;
  char hms_[9] = {};  // "HH:MM:SS" of second_
};
