#include "core/module/field_checks.h"

#include "core/module/frequency_text.h"

FrequencyFieldCheck CheckFrequencyField(std::string_view text) {
  const FrequencyParse parsed = ParseFrequencyText(text);
  if (parsed.error == FrequencyTextError::NotANumber) return {FrequencyFieldError::NotANumber};
  if (!parsed.ok() || !IsFrequencyInRange(parsed.khz)) return {FrequencyFieldError::OutOfRange};
  return {FrequencyFieldError::None, parsed.khz};
}

std::optional<uint8_t> CheckByteField(std::string_view text) {
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 255) return std::nullopt;
  }
  return static_cast<uint8_t>(value);
}
