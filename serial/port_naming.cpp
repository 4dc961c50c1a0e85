#include "serial/port_naming.h"

#include <algorithm>
#include <charconv>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digit run starting at `pos`, without its leading zeros (an all-zero run becomes "0"),
// and moves `pos` past it.
std::string_view TakeNumber(std::string_view s, size_t& pos) {
  size_t start = pos;
  while (pos < s.size() && IsDigit(s[pos])) ++pos;
  size_t first = start;
  while (first + 1 < pos && s[first] == '0') ++first;
  return s.substr(first, pos - first);
}

// -1, 0 or 1 as the value of `a` is below, equal to or above that of `b`. Compared as text
// so that no run of digits is too long to compare.
int CompareNumbers(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareChars(char a, char b) {
  auto ua = static_cast<unsigned char>(a), ub = static_cast<unsigned char>(b);
  return ua < ub ? -1 : (ua > ub ? 1 : 0);
}

int NaturalCompare(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    int c;
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      c = CompareNumbers(TakeNumber(a, i), TakeNumber(b, j));
    } else {
      c = CompareChars(a[i++], b[j++]);
    }
    if (c != 0) return c;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) { return NaturalCompare(a, b) < 0; }

void SortPortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
}

void InsertPortName(std::vector<std::string>& names, std::string name) {
  auto at = std::upper_bound(names.begin(), names.end(), name,
                             [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  names.insert(at, std::move(name));
}

std::optional<unsigned> ComPortNumber(std::string_view name) {
  constexpr std::string_view kPrefix = "COM";
  if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) return std::nullopt;
  std::string_view digits = name.substr(kPrefix.size());
  if (!std::all_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}
