#pragma once
// The module's working frequency between its text in MHz (what the user types, what the
// settings file keeps) and whole kHz (what the module stores and what travels on the wire).
// Both directions are exact decimal work; no floating point is involved, so a typed
// 433.925 reaches the module as 433925 kHz and a value read is shown and written back
// unchanged.
#include <cstdint>
#include <string>
#include <string_view>

// The field that shows the frequency holds at most this many characters.
inline constexpr size_t kFrequencyTextLimit = 7;

// The range the configuration page accepts, inclusive.
inline constexpr uint32_t kMinFrequencyKhz = 390000;
inline constexpr uint32_t kMaxFrequencyKhz = 470000;

// The largest frequency the 24-bit wire field can carry.
inline constexpr uint32_t kMaxWireFrequencyKhz = 0xFFFFFF;

enum class FrequencyTextError {
  None,
  Empty,         // nothing typed
  NotANumber,    // anything but digits with at most one '.', or no digit at all (".")
  FinerThanKhz,  // a non-zero fourth decimal or beyond: not a whole number of kHz
  TooLarge,      // more than the 24-bit wire field can carry
};

struct FrequencyParse {
  FrequencyTextError error = FrequencyTextError::None;
  uint32_t khz = 0;  // valid only when error is None
  bool ok() const { return error == FrequencyTextError::None; }
};

// Reads a decimal MHz text: digits with at most one '.', e.g. "433.925", "470", "390.5",
// "433." or ".5". Zeros beyond the third decimal are accepted ("433.9200"). No signs, no
// blanks, no exponent.
FrequencyParse ParseFrequencyText(std::string_view text);

// The shortest decimal MHz text of `khz`: no trailing zeros in the fraction, no decimal
// point for whole MHz (433920 -> "433.92", 470000 -> "470"), cut to kFrequencyTextLimit
// characters.
std::string FrequencyText(uint32_t khz);

// 390 to 470 MHz, both included.
bool IsFrequencyInRange(uint32_t khz);
