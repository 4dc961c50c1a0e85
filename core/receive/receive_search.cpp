#include "core/receive/receive_search.h"

#include <algorithm>
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

// The hex rendering as the bytes its pairs stand for; a pair is two hex digits standing alone
// between blanks (a time stamp's digits never do).
void ReceiveSearch::FindPairs(std::string_view content, std::string_view pattern) {
  values_.clear();
  starts_.clear();
  for (size_t i = 0; i + 1 < content.size(); ++i) {
    if (i > 0 && !IsBlank(content[i - 1])) continue;
    if (i + 2 < content.size() && !IsBlank(content[i + 2])) continue;
    const int high = HexValue(content[i]);
    const int low = HexValue(content[i + 1]);
    if (high < 0 || low < 0) continue;
    values_.push_back(static_cast<uint8_t>(high * 16 + low));
    starts_.push_back(i);
    ++i;
  }
  const auto* wanted = reinterpret_cast<const uint8_t*>(pattern.data());
  const std::boyer_moore_horspool_searcher searcher(wanted, wanted + pattern.size());
  auto from = values_.begin();
  for (;;) {
    const auto found = std::search(from, values_.end(), searcher);
    if (found == values_.end()) return;
    const auto first = static_cast<size_t>(found - values_.begin());
    matches_.push_back({starts_[first], starts_[first + pattern.size() - 1] + 2});
    from = found + static_cast<std::ptrdiff_t>(pattern.size());
  }
}
