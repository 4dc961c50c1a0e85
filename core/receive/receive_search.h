#pragma once
// Search through what the receive window shows (its raw GBK content).
//
// Text: the pattern's GBK bytes, found only where a character starts (a pattern "A" never
// matches the trail byte of a GBK pair); without match case, ASCII letters match either case.
// Hex bytes ("0D 0A", "0d0a"): in the hex rendering the pattern matches byte pairs whatever
// lies between them – blanks, line ends, time stamps – so a pair that a line break or a
// stamped line split is still found; in the text rendering it matches the bytes themselves.
// A match is the range of content bytes it covers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SearchMatch {
  size_t begin = 0;
  size_t end = 0;

  bool operator==(const SearchMatch&) const = default;
};

struct SearchQuery {
  std::string bytes;  // text: GBK bytes; hex: the byte values
  bool hexBytes = false;
  bool matchCase = false;
};

// The bytes of a hex pattern: pairs of hex digits (either case), blanks anywhere between the
// pairs; nothing when it is anything else or empty.
std::optional<std::string> ParseHexSearchPattern(std::string_view text);

class ReceiveSearch {
 public:
  // Every match in `content`, in order, not overlapping. `hexRendering`: the content is the
  // hex rendering (stamped or not).
  const std::vector<SearchMatch>& FindAll(std::string_view content, const SearchQuery& query, bool hexRendering);

 private:
  void FindBytes(std::string_view content, std::string_view pattern, bool atCharacters);
  void FindPairs(std::string_view content, std::string_view pattern);

  std::vector<SearchMatch> matches_;
  std::string folded_;              // scratch: content with ASCII letters in lower case
  std::vector<uint8_t> ringValues_;  // scratch: the last pairs read
  std::vector<size_t> ringStarts_;   // and where each starts
};
