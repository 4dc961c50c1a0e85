// The settings file layer: any bytes parse without fault and read as a plain reading of the
// format says; then keys and values taken from the input are written, and serializing and
// parsing again gives back every value written, while every line not written is kept.
//
// Input: the file's bytes (a string ending at a backslash that is followed by another
// character), then write operations until the input runs out.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "ini_reference.h"
#include "require.h"
#include "core/settings/ini_file.h"

namespace {

constexpr size_t kMaxProbes = 64;
constexpr size_t kMaxWrites = 16;

struct Probe {
  std::string section;
  std::string key;
};

struct Write {
  std::string section;
  std::string key;
  std::string value;
};

std::vector<std::string> LinesOf(const IniDocument& document) {
  return RefSplitSerialized(document.Serialize(), document.UsesCrLf());
}

// The (section, key) pairs of the file's key lines that stand in a section.
std::vector<Probe> ProbesOf(const std::vector<RefLine>& lines) {
  std::vector<Probe> probes;
  const std::string* section = nullptr;
  for (const RefLine& line : lines) {
    if (line.kind == RefLine::Kind::kSection) section = &line.name;
    if (line.kind == RefLine::Kind::kKey && section != nullptr && probes.size() < kMaxProbes) {
      probes.push_back({*section, line.name});
    }
  }
  return probes;
}

void CheckReading(const IniDocument& document, const std::vector<RefLine>& lines, const Probe& probe,
                  size_t maxBytes) {
  const std::optional<std::string> expected = RefFind(lines, probe.section, probe.key);
  FUZZ_REQUIRE(document.Find(probe.section, probe.key) == expected);
  const int32_t fallback = -7;
  const std::optional<int32_t> number = expected ? RefLeadingInteger(*expected) : std::nullopt;
  FUZZ_REQUIRE(document.ReadInt(probe.section, probe.key, fallback) == number.value_or(fallback));
  const std::string text = document.ReadText(probe.section, probe.key, "default", maxBytes);
  FUZZ_REQUIRE(text == (expected ? expected->substr(0, RefGbkPrefix(*expected, maxBytes)) : "default"));
}

std::string FlipAsciiCase(std::string name, FuzzedDataProvider& input) {
  for (char& c : name) {
    if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && input.ConsumeBool()) c ^= 0x20;
  }
  return name;
}

// A name of letters, digits, '_', '.' and inner blanks, which the writer must accept.
std::string PlainName(FuzzedDataProvider& input) {
  std::string name;
  for (const char c : input.ConsumeRandomLengthString(12)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == '.' || c == ' ';
    if (plain && !(c == ' ' && name.empty())) name.push_back(c);
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name.empty() ? "k" : name;
}

// A name the file already has (any case), a plain one, or any bytes. `plain` tells whether a
// write must accept it.
std::string PickName(FuzzedDataProvider& input, const std::vector<std::string>& known, bool& plain) {
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      if (!known.empty()) {
        plain = false;
        return FlipAsciiCase(known[input.ConsumeIntegralInRange<size_t>(0, known.size() - 1)], input);
      }
      [[fallthrough]];
    case 1:
      return PlainName(input);
    default:
      plain = false;
      return input.ConsumeRandomLengthString(16);
  }
}

bool HasLineBreakOrNul(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

std::string PickValue(FuzzedDataProvider& input) {
  std::string value = input.ConsumeRandomLengthString(64);
  if (input.ConsumeBool()) std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
  return value;
}

bool SameName(const Write& a, const Write& b) {
  return RefNamesMatch(a.section, b.section) && RefNamesMatch(a.key, b.key);
}

// True when `needle` appears in `haystack` in order, gaps allowed.
bool IsSubsequence(const std::vector<std::string>& needle, const std::vector<std::string>& haystack) {
  size_t found = 0;
  for (const std::string& line : haystack) {
    if (found < needle.size() && line == needle[found]) ++found;
  }
  return found == needle.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string file = input.ConsumeRandomLengthString(size);
  IniDocument document = IniDocument::Parse(file);

  // Parsing keeps every line as the reader sees it.
  const std::vector<RefLine> original = RefParse(file);
  std::vector<std::string> originalTexts;
  for (const RefLine& line : original) originalTexts.push_back(line.text);
  FUZZ_REQUIRE(LinesOf(document) == originalTexts);
  const size_t firstLf = file.find('\n');
  FUZZ_REQUIRE(document.UsesCrLf() == (firstLf != std::string::npos && firstLf > 0 && file[firstLf - 1] == '\r'));

  const std::vector<Probe> probes = ProbesOf(original);
  std::vector<std::string> knownSections;
  std::vector<std::string> knownKeys;
  for (const Probe& probe : probes) {
    CheckReading(document, original, probe, input.ConsumeIntegralInRange<size_t>(0, 40));
    knownSections.push_back(probe.section);
    knownKeys.push_back(probe.key);
  }

  std::vector<Write> written;  // the last value of each (section, key), names as first written
  std::set<size_t> replacedLines;
  for (size_t n = 0; n < kMaxWrites && input.remaining_bytes() > 0; ++n) {
    bool plain = true;
    Write write;
    write.section = PickName(input, knownSections, plain);
    write.key = PickName(input, knownKeys, plain);
    write.value = PickValue(input);
    const std::string before = document.Serialize();
    const bool accepted = document.Write(write.section, write.key, write.value);
    if (HasLineBreakOrNul(write.value)) FUZZ_REQUIRE(!accepted);
    if (plain && !HasLineBreakOrNul(write.value)) FUZZ_REQUIRE(accepted);
    if (!accepted) {
      FUZZ_REQUIRE(document.Serialize() == before);
      continue;
    }
    FUZZ_REQUIRE(document.Find(write.section, write.key) == write.value);
    if (const auto line = RefFindKeyLine(original, write.section, write.key)) replacedLines.insert(*line);
    const auto same = std::find_if(written.begin(), written.end(), [&](const Write& w) { return SameName(w, write); });
    if (same == written.end()) {
      written.push_back(write);
    } else {
      same->value = write.value;
    }
  }

  // Serialize and parse again: every value written reads back, by this reader and the plain one.
  const std::string saved = document.Serialize();
  const IniDocument reloaded = IniDocument::Parse(saved);
  const std::vector<RefLine> reread = RefParse(saved);
  for (const Write& write : written) {
    FUZZ_REQUIRE(reloaded.Find(write.section, write.key) == write.value);
    FUZZ_REQUIRE(RefFind(reread, write.section, write.key) == write.value);
  }
  FUZZ_REQUIRE(LinesOf(reloaded) == LinesOf(document));

  // Every line not written is kept, in order; every key not written keeps its value.
  std::vector<std::string> untouched;
  for (size_t i = 0; i < originalTexts.size(); ++i) {
    if (replacedLines.count(i) == 0) untouched.push_back(originalTexts[i]);
  }
  FUZZ_REQUIRE(IsSubsequence(untouched, LinesOf(reloaded)));
  for (const Probe& probe : probes) {
    const bool wasWritten = std::any_of(written.begin(), written.end(), [&](const Write& w) {
      return SameName(w, Write{probe.section, probe.key, {}});
    });
    if (!wasWritten) FUZZ_REQUIRE(reloaded.Find(probe.section, probe.key) == RefFind(original, probe.section, probe.key));
  }
  return 0;
}
