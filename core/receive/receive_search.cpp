#include "core/receive/receive_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "core/text/gbk_bytes.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<std::string> ParseHexSearchPattern(std::string_view text) {
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

const std::vector<SearchMatch>& ReceiveSearch::FindAll(std::string_view content, const SearchQuery& query,
                                                       bool hexRendering) {
  matches_.clear();
  if (query.bytes.empty() || content.empty()) return matches_;
  if (query.hexBytes && hexRendering) {
    FindPairs(content, query.bytes);
  } else if (query.hexBytes || query.matchCase) {
    FindBytes(content, query.bytes, !query.hexBytes);
  } else {
    folded_.resize(content.size());
    std::transform(content.begin(), content.end(), folded_.begin(), Folded);
    std::string pattern(query.bytes);
    std::transform(pattern.begin(), pattern.end(), pattern.begin(), Folded);
    // Folding touches ASCII letters only, so character starts stay where they were.
    FindBytes(folded_, pattern, true);
  }
  return matches_;
}

// `atCharacters`: a match must start where a GBK character starts.
void ReceiveSearch::FindBytes(std::string_view content, std::string_view pattern, bool atCharacters) {
  const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
  size_t character = 0;  // a character start at or before the candidate
  auto from = content.begin();
  for (;;) {
    const auto found = std::search(from, content.end(), searcher);
    if (found == content.end()) return;
    const auto at = static_cast<size_t>(found - content.begin());
    if (atCharacters) {
      while (character < at) character += std::max<size_t>(1, GbkCharLength(content, character));
      if (character != at) {
        from = found + 1;
        continue;
      }
    }
    matches_.push_back({at, at + pattern.size()});
    from = found + static_cast<std::ptrdiff_t>(pattern.size());
  }
}

// The hex rendering's pairs, read word by word: a pair is two hex digits standing alone
// between blanks (a time stamp's digits never do). The last pairs read are kept in a ring
// as long as the pattern, so a full window (3 MB of hex) is searched in one pass without
// building anything.
void ReceiveSearch::FindPairs(std::string_view content, std::string_view pattern) {
  static const auto kValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int c = 0; c < 256; ++c) values[c] = static_cast<int8_t>(HexValue(static_cast<char>(c)));
    return values;
  }();
  const size_t length = pattern.size();
  const auto* wanted = reinterpret_cast<const uint8_t*>(pattern.data());
  ringValues_.assign(length, 0);
  ringStarts_.assign(length, 0);
  size_t held = 0;  // pairs in the ring since the last match
  size_t next = 0;  // where the next pair goes in the ring
  const auto* text = reinterpret_cast<const uint8_t*>(content.data());
  const size_t size = content.size();
  size_t i = 0;
  while (i < size) {
    if (IsBlank(static_cast<char>(text[i]))) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < size && !IsBlank(static_cast<char>(text[end]))) ++end;
    const size_t word = i;
    i = end;
    if (end - word != 2 || kValues[text[word]] < 0 || kValues[text[word + 1]] < 0) continue;
    const auto value = static_cast<uint8_t>(kValues[text[word]] << 4 | kValues[text[word + 1]]);
    ringValues_[next] = value;
    ringStarts_[next] = word;
    next = (next + 1) % length;  // now the oldest pair held
    if (++held < length || value != wanted[length - 1]) continue;
    bool same = true;
    for (size_t k = 0; k + 1 < length && same; ++k) same = ringValues_[(next + k) % length] == wanted[k];
    if (!same) continue;
    matches_.push_back({ringStarts_[next], word + 2});
    held = 0;  // matches do not overlap
  }
}
