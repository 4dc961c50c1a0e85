#include "core/module/frequency_text.h"

#include <algorithm>

namespace {

constexpr uint32_t kKhzPerMhz = 1000;
constexpr size_t kKhzDecimals = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view s) { return std::all_of(s.begin(), s.end(), IsDigit); }

// Value of a digit run, saturated just above `limit` so that long runs cannot overflow.
uint64_t DigitsValue(std::string_view digits, uint64_t limit) {
  uint64_t value = 0;
  for (const char c : digits) {
    value = std::min(value * 10 + static_cast<uint64_t>(c - '0'), limit + 1);
  }
  return value;
}

// The fraction in kHz: the first three decimals, padded with zeros.
uint64_t FractionKhz(std::string_view decimals) {
  std::string padded(decimals.substr(0, kKhzDecimals));
  padded.resize(kKhzDecimals, '0');
  return DigitsValue(padded, kKhzPerMhz);
}

}  // namespace

FrequencyParse ParseFrequencyText(std::string_view text) {
  if (text.empty()) return {FrequencyTextError::Empty};
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if (!AllDigits(whole) || !AllDigits(decimals) || whole.size() + decimals.size() == 0) {
    return {FrequencyTextError::NotANumber};
  }
  if (decimals.size() > kKhzDecimals &&
      decimals.find_first_not_of('0', kKhzDecimals) != std::string_view::npos) {
    return {FrequencyTextError::FinerThanKhz};
  }
  const uint64_t khz = DigitsValue(whole, kMaxWireFrequencyKhz) * kKhzPerMhz + FractionKhz(decimals);
  if (khz > kMaxWireFrequencyKhz) return {FrequencyTextError::TooLarge};
  return {FrequencyTextError::None, static_cast<uint32_t>(khz)};
}

std::string FrequencyText(uint32_t khz) {
  std::string text = std::to_string(khz / kKhzPerMhz);
  if (const uint32_t fraction = khz % kKhzPerMhz; fraction != 0) {
    std::string decimals = std::to_string(fraction + kKhzPerMhz).substr(1);  // zero-padded to 3
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += '.' + decimals;
  }
  if (text.size() > kFrequencyTextLimit) text.resize(kFrequencyTextLimit);
  return text;
}

bool IsFrequencyInRange(uint32_t khz) { return khz >= kMinFrequencyKhz && khz <= kMaxFrequencyKhz; }
