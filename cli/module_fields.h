#pragma once
// The module's fields as the command-line tool names, prints and takes them. One name per
// field serves as the option (--air-rate), as the key of a printed line and as the key of
// the JSON object, so that what `read --json` prints can be fed back with --from.
//
// Values are the page's: list fields by the names of the page's lists (a few plainer
// spellings are taken as well: "9600" for "9600bps", "none" for "Disabled"), the frequency in
// MHz, the byte fields in decimal, the packet length in bytes, the two switches on or off.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/module/module_settings.h"

enum class ModuleField { Freq, AirRate, Power, SerialRate, Parity, WakeUp, Delay, Fec, Local, Target, Pack, PackComplete };

inline constexpr std::array<ModuleField, 12> kModuleFields = {
    ModuleField::Freq,  ModuleField::AirRate, ModuleField::Power, ModuleField::SerialRate,
    ModuleField::Parity, ModuleField::WakeUp, ModuleField::Delay, ModuleField::Fec,
    ModuleField::Local, ModuleField::Target,  ModuleField::Pack,  ModuleField::PackComplete};

std::string_view FieldName(ModuleField field);
std::optional<ModuleField> FieldNamed(std::string_view name);

// True for the fields whose value is a plain number (written unquoted in JSON).
bool FieldIsNumber(ModuleField field);

// The field's value as it is printed. Empty when the module holds a code that none of the
// page's choices stands for (the page then shows no selection either).
std::optional<std::string> FieldValueText(const ModuleSettings& settings, ModuleField field);

// The value as printed for a person: FieldValueText, or "unlisted code N" with the module's
// own code when no choice stands for it.
std::string FieldShownText(const ModuleSettings& settings, ModuleField field);

// A value given for a field, checked as the page checks what is typed or picked: either the
// module's code for it (kHz for the frequency) or why it is refused.
struct FieldParse {
  std::optional<uint32_t> value;
  std::string error;
};
FieldParse ParseFieldValue(ModuleField field, std::string_view text);

// The fields to change, each with a checked value; the others keep what the module holds.
class FieldChanges {
 public:
  void Set(ModuleField field, uint32_t value) { values_[Index(field)] = value; }
  bool Has(ModuleField field) const { return values_[Index(field)].has_value(); }
  // Takes every change `over` makes, in place of a change of the same field made here.
  void Overlay(const FieldChanges& over);
  // `settings` with every change made.
  ModuleSettings AppliedTo(ModuleSettings settings) const;

 private:
  static size_t Index(ModuleField field) { return static_cast<size_t>(field); }
  std::array<std::optional<uint32_t>, kModuleFields.size()> values_;
};
