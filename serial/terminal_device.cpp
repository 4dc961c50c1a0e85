#include "serial/terminal_device.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace {

std::optional<unsigned> ParseUnsigned(std::string_view text) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t start = line.find_first_not_of(" \t", pos);
    if (start == std::string_view::npos) break;
    size_t end = line.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = line.size();
    fields.push_back(line.substr(start, end - start));
    pos = end;
  }
  return fields;
}

}  // namespace

TtyDriverTable TtyDriverTable::Parse(std::string_view text) {
  TtyDriverTable table;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    // Counted from the end: the driver's name in front may hold anything.
    const std::vector<std::string_view> fields = Fields(text.substr(pos, end - pos));
    pos = end + 1;
    if (fields.size() < 4) continue;
    const std::string_view minors = fields[fields.size() - 2];
    const size_t dash = minors.find('-');
    const auto major = ParseUnsigned(fields[fields.size() - 3]);
    const auto first = ParseUnsigned(minors.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : ParseUnsigned(minors.substr(dash + 1));
    if (major && first && last && *first <= *last) table.ranges_.push_back({*major, *first, *last});
  }
  return table;
}

std::optional<TtyDriverTable> TtyDriverTable::Read(const std::string& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return Parse(text.str());
}

bool TtyDriverTable::Serves(dev_t device) const {
  const unsigned major = ::major(device), minor = ::minor(device);
  for (const Range& range : ranges_) {
    if (range.major == major && minor >= range.firstMinor && minor <= range.lastMinor) return true;
  }
  return false;
}

TerminalVerdict ClassifyPath(const char* path, const std::optional<TtyDriverTable>& drivers, dev_t* device) {
  struct stat st {};
  if (::stat(path, &st) != 0) return TerminalVerdict::Missing;
  if (!S_ISCHR(st.st_mode)) return TerminalVerdict::NotTerminal;
  *device = st.st_rdev;
  if (!drivers) return TerminalVerdict::Unknown;
  return drivers->Serves(st.st_rdev) ? TerminalVerdict::Terminal : TerminalVerdict::NotTerminal;
}

bool MayBeTerminal(const std::string& path, const std::optional<TtyDriverTable>& drivers) {
  dev_t device = 0;
  const TerminalVerdict verdict = ClassifyPath(path.c_str(), drivers, &device);
  return verdict == TerminalVerdict::Terminal || verdict == TerminalVerdict::Unknown;
}
