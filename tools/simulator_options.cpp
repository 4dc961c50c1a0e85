#include "tools/simulator_options.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/module/frequency_text.h"
#include "core/text/hex_codec.h"

const char* const kSimulatorUsage =
    "usage: zel_simulator [options]\n"
    "Plays a ZEL radio module on a new pseudo-terminal; prints the device path first.\n"
    "  --link PATH      also make PATH a symbolic link to the device (removed at exit)\n"
    "  --model N        model code (default 0x13, \"ZEL-B1 FIFO\")\n"
    "  --version A.B.C  version bytes (default 1.0.5)\n"
    "  --block HEX      the 14-byte configuration block held at start\n"
    "  --freq KHZ       the frequency of that block, in kHz (default 433920)\n"
    "  --silent         never answer\n"
    "  --garbage        answer with a first byte that is not '$'\n"
    "  --split N        send replies in bursts of N bytes ...\n"
    "  --gap MS         ... with MS milliseconds between bursts (default 10)\n"
    "  --delay MS       wait MS milliseconds before each reply\n"
    "  --verbose        log each request on stderr\n";

namespace {

// A whole number without sign, decimal or 0x-hexadecimal, at most `max`.
std::optional<unsigned long> ParseNumber(const std::string& text, unsigned long max) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || value > max) return std::nullopt;
  return value;
}

std::optional<std::array<uint8_t, 3>> ParseVersion(const std::string& text) {
  std::array<uint8_t, 3> version{};
  size_t start = 0;
  for (size_t i = 0; i < version.size(); ++i) {
    const size_t dot = text.find('.', start);
    const bool last = i + 1 == version.size();
    if (last != (dot == std::string::npos)) return std::nullopt;
    const auto part = ParseNumber(text.substr(start, last ? std::string::npos : dot - start), 255);
    if (!part) return std::nullopt;
    version[i] = static_cast<uint8_t>(*part);
    start = dot + 1;
  }
  return version;
}

std::optional<ConfigBlock> ParseBlock(const std::string& text) {
  const std::vector<uint8_t> bytes = HexTextToBytes(text);
  if (bytes.size() != kConfigBlockSize) return std::nullopt;
  ConfigBlock block;
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}

void SetFrequency(ConfigBlock& block, uint32_t khz) {
  block[0] = static_cast<uint8_t>(khz >> 16);
  block[1] = static_cast<uint8_t>(khz >> 8);
  block[2] = static_cast<uint8_t>(khz);
}

// Options whose value is text; false for another name or an unacceptable value.
bool ApplyTextValue(std::string_view name, const std::string& value, SimulatorOptions& o) {
  if (name == "--link") {
    o.linkPath = value;
    return !value.empty();
  }
  if (name == "--version") {
    const auto version = ParseVersion(value);
    if (version) o.identity.version = *version;
    return version.has_value();
  }
  if (name == "--block") {
    const auto block = ParseBlock(value);
    if (block) o.block = *block;
    return block.has_value();
  }
  return false;
}

// Options whose value is a number; false for another name or an unacceptable value.
bool ApplyNumberValue(std::string_view name, const std::string& value, SimulatorOptions& o,
                      std::optional<uint32_t>& freq) {
  if (name == "--model") {
    const auto model = ParseNumber(value, 255);
    if (model) o.identity.model = static_cast<uint8_t>(*model);
    return model.has_value();
  }
  if (name == "--freq") {
    const auto khz = ParseNumber(value, kMaxWireFrequencyKhz);
    if (khz) freq = static_cast<uint32_t>(*khz);
    return khz.has_value();
  }
  unsigned* target = name == "--split" ? &o.splitBytes
                     : name == "--gap" ? &o.burstGapMs
                     : name == "--delay" ? &o.delayMs
                                          : nullptr;
  const auto ms = ParseNumber(value, 60000);
  if (target == nullptr || !ms || (target == &o.splitBytes && *ms == 0)) return false;
  *target = static_cast<unsigned>(*ms);
  return true;
}

bool ApplyFlag(std::string_view name, SimulatorCommandLine& line) {
  if (name == "--silent") line.options.silent = true;
  else if (name == "--garbage") line.options.garbage = true;
  else if (name == "--verbose") line.options.verbose = true;
  else if (name == "--help" || name == "-h") line.showHelp = true;
  else return false;
  return true;
}

}  // namespace

SimulatorCommandLine ParseSimulatorCommandLine(const std::vector<std::string>& arguments) {
  SimulatorCommandLine line;
  std::optional<uint32_t> freq;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (ApplyFlag(name, line)) continue;
    if (i + 1 >= arguments.size() || !(ApplyTextValue(name, arguments[i + 1], line.options) ||
                                       ApplyNumberValue(name, arguments[i + 1], line.options, freq))) {
      line.error = i + 1 < arguments.size() ? "bad option or value: " + name + " " + arguments[i + 1]
                                            : "bad option or missing value: " + name;
      return line;
    }
    ++i;
  }
  if (freq) SetFrequency(line.options.block, *freq);
  return line;
}
