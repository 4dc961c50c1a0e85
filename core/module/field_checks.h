#pragma once
// The checks the configuration page makes of the values typed into its number fields, as
// plain functions, so that everything that takes a module value from a person applies the
// same rules.
#include <cstdint>
#include <optional>
#include <string_view>

enum class FrequencyFieldError {
  None,
  NotANumber,  // not a decimal number at all ("abc", "4.3.3")
  OutOfRange,  // a number, but not a whole kHz between 390 and 470 MHz
};

struct FrequencyFieldCheck {
  FrequencyFieldError error = FrequencyFieldError::None;
  uint32_t khz = 0;  // valid only when error is None
  bool ok() const { return error == FrequencyFieldError::None; }
};

// The frequency field: a decimal MHz text (see ParseFrequencyText) within 390 to 470 MHz.
// An empty text counts as out of range, as on the page.
FrequencyFieldCheck CheckFrequencyField(std::string_view text);

// The byte fields (delay time, local and target address): decimal digits up to 255. An
// empty text stands for 0. Anything else is refused (empty optional).
std::optional<uint8_t> CheckByteField(std::string_view text);
