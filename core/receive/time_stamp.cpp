#include "core/receive/time_stamp.h"

#include <ctime>

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::tm LocalFields(int64_t epochSeconds) {
  const std::time_t t = static_cast<std::time_t>(epochSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

void TwoDigits(int value, char* out) {
  out[0] = static_cast<char>('0' + value / 10 % 10);
  out[1] = static_cast<char>('0' + value % 10);
}

}  // namespace

int64_t LocalDayOf(int64_t epochMs) {
  const std::tm local = LocalFields(FloorDiv(epochMs, 1000));
  return (local.tm_year + 1900) * 1000 + local.tm_yday;
}

void TimeStampFormatter::Append(int64_t epochMs, std::string& out) {
  const int64_t second = FloorDiv(epochMs, 1000);
  if (second != second_) {
    const std::tm local = LocalFields(second);
    TwoDigits(local.tm_hour, hms_);
    hms_[2] = ':';
    TwoDigits(local.tm_min, hms_ + 3);
    hms_[5] = ':';
    TwoDigits(local.tm_sec, hms_ + 6);
    second_ = second;
  }
  const int ms = static_cast<int>(epochMs - second * 1000);
  char stamp[kTimeStampLength] = {'['};
  for (int i = 0; i < 8; ++i) stamp[1 + i] = hms_[i];
  stamp[9] = '.';
  stamp[10] = static_cast<char>('0' + ms / 100);
  TwoDigits(ms % 100, stamp + 11);
  stamp[13] = ']';
  stamp[14] = ' ';
  out.append(stamp, kTimeStampLength);
}
