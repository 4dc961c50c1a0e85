#include "cli/module_fields.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/module/field_checks.h"
#include "core/module/frequency_text.h"

namespace {

constexpr std::array<std::string_view, kModuleFields.size()> kNames = {
    "freq", "air-rate", "power", "serial-rate", "parity", "wake-up",
    "delay", "fec", "local", "target", "pack", "pack-complete"};

constexpr std::array<std::string_view, 3> kParityWords = {"none", "odd", "even"};

// One choice of a list field: how it is printed, the page's own list text (also taken) and
// the module's code.
struct Choice {
  std::string printed;
  std::string listed;
  uint8_t code;
};

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string WithoutSuffix(std::string_view text, std::string_view suffix) {
  if (text.ends_with(suffix)) text.remove_suffix(suffix.size());
  return std::string(text);
}

template <size_t N>
std::vector<Choice> ListChoices(const std::array<std::string_view, N>& texts, auto printed) {
  std::vector<Choice> choices;
  for (size_t i = 0; i < N; ++i) choices.push_back({printed(i), Trimmed(texts[i]), static_cast<uint8_t>(i)});
  return choices;
}

// The choices of a field picked from a list or by switch; empty for the typed fields.
std::vector<Choice> Choices(ModuleField field) {
  switch (field) {
    case ModuleField::AirRate:
      return ListChoices(RfBaudRateTexts, [](size_t i) { return std::string(RfBaudRateTexts[i]); });
    case ModuleField::Power:
      return ListChoices(RfPowerTexts, [](size_t i) { return std::to_string(i); });
    case ModuleField::Parity:
      return ListChoices(SerialParityTexts, [](size_t i) { return std::string(kParityWords[i]); });
    case ModuleField::WakeUp:
      return ListChoices(WakeUpTimeTexts, [](size_t i) { return Trimmed(WakeUpTimeTexts[i]); });
    case ModuleField::SerialRate: {
      std::vector<Choice> choices;
      for (size_t i = 0; i < SerialRateListTexts.size(); ++i) {
        const std::string_view text = SerialRateListTexts[i];
        choices.push_back({WithoutSuffix(text, "bps"), std::string(text), *SerialRateCodeForPosition(static_cast<int>(i))});
      }
      return choices;
    }
    case ModuleField::Pack: {
      std::vector<Choice> choices;
      for (size_t i = 0; i < PackLengthBytes.size(); ++i) {
        const std::string bytes = std::to_string(PackLengthBytes[i]);
        choices.push_back({bytes, bytes, static_cast<uint8_t>(i + 1)});
      }
      return choices;
    }
    case ModuleField::Fec:
    case ModuleField::PackComplete:
      return {{"off", "0", 0}, {"on", "1", 1}};
    default:
      return {};
  }
}

// The member of a field held in one byte; null for the frequency.
uint8_t ModuleSettings::*ByteMember(ModuleField field) {
  switch (field) {
    case ModuleField::AirRate: return &ModuleSettings::RfBaudRate;
    case ModuleField::Power: return &ModuleSettings::RfPower;
    case ModuleField::SerialRate: return &ModuleSettings::SerialBaudRate;
    case ModuleField::Parity: return &ModuleSettings::SerialParity;
    case ModuleField::WakeUp: return &ModuleSettings::WakeUpTime;
    case ModuleField::Delay: return &ModuleSettings::DelayTime;
    case ModuleField::Fec: return &ModuleSettings::FecEnable;
    case ModuleField::Local: return &ModuleSettings::LocalAddress;
    case ModuleField::Target: return &ModuleSettings::TargetAddress;
    case ModuleField::Pack: return &ModuleSettings::PackLength;
    case ModuleField::PackComplete: return &ModuleSettings::PackComplete;
    case ModuleField::Freq: break;
  }
  return nullptr;
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsTypedByte(ModuleField field) {
  return field == ModuleField::Delay || field == ModuleField::Local || field == ModuleField::Target;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::string_view FieldName(ModuleField field) { return kNames[static_cast<size_t>(field)]; }

std::optional<ModuleField> FieldNamed(std::string_view name) {
  for (const ModuleField field : kModuleFields) {
    if (FieldName(field) == name) return field;
  }
  return std::nullopt;
}

bool FieldIsNumber(ModuleField field) { return IsTypedByte(field) || field == ModuleField::Pack; }

std::optional<std::string> FieldValueText(const ModuleSettings& settings, ModuleField field) {
  if (field == ModuleField::Freq) return FrequencyText(settings.RfFreq);
  // Only bit 0 of the two switches counts, as on the page.
  uint8_t code = settings.*ByteMember(field);
  if (field == ModuleField::Fec || field == ModuleField::PackComplete) code &= 1;
  if (IsTypedByte(field)) return std::to_string(code);
  for (const Choice& choice : Choices(field)) {
    if (choice.code == code) return choice.printed;
  }
  return std::nullopt;
}

std::string FieldShownText(const ModuleSettings& settings, ModuleField field) {
  if (auto text = FieldValueText(settings, field)) return std::move(*text);
  return "unlisted code " + std::to_string(settings.*ByteMember(field));
}

FieldParse ParseFieldValue(ModuleField field, std::string_view text) {
  const std::string name(FieldName(field));
  if (field == ModuleField::Freq) {
    const FrequencyFieldCheck check = CheckFrequencyField(text);
    if (check.error == FrequencyFieldError::NotANumber) return {std::nullopt, name + ": " + Quoted(text) + " is not a number"};
    if (!check.ok()) return {std::nullopt, name + ": " + Quoted(text) + " is out of range, 390 to 470 (MHz, whole kHz)"};
    return {check.khz, {}};
  }
  if (IsTypedByte(field)) {
    if (const auto value = CheckByteField(text)) return {*value, {}};
    return {std::nullopt, name + ": " + Quoted(text) + " is out of range, 0 to 255"};
  }
  const std::vector<Choice> choices = Choices(field);
  std::string names;
  for (const Choice& choice : choices) {
    if (SameWord(text, choice.printed) || SameWord(text, choice.listed)) return {choice.code, {}};
    names += (names.empty() ? "" : ", ") + choice.printed;
  }
  return {std::nullopt, name + ": " + Quoted(text) + " is not one of " + names};
}

void FieldChanges::Overlay(const FieldChanges& over) {
  for (size_t i = 0; i < values_.size(); ++i) {
    if (over.values_[i]) values_[i] = over.values_[i];
  }
}

ModuleSettings FieldChanges::AppliedTo(ModuleSettings settings) const {
  for (const ModuleField field : kModuleFields) {
    const auto& value = values_[Index(field)];
    if (!value) continue;
    if (field == ModuleField::Freq) {
      settings.RfFreq = *value;
    } else {
      settings.*ByteMember(field) = static_cast<uint8_t>(*value);
    }
  }
  return settings;
}
