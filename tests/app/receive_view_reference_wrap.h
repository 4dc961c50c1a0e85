#pragma once
// A slow, obvious model of the receive window's fixed-pitch wrapping, written independently
// of the view's incremental index, and random content that exercises every rule.
#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "core/receive/receive_view_layout.h"

// Starts of the visual lines of `s` at `columns` cells per line, laid out from scratch.
// Wrapping at blanks, a character that does not fit moves down together with the word
// before it (back to the line's last space or tab) when both fit on a line of their own;
// blanks that do not fit hang past the end. `tailSettled`: a lead byte at the very end is a
// character of one cell instead of waiting for its trail.
inline std::vector<size_t> ReferenceWrap(const std::string& s, size_t columns, WrapAt wrap = WrapAt::AnyCharacter,
                                         bool tailSettled = false) {
  std::vector<size_t> starts{0};
  size_t column = 0;
  auto newLine = [&](size_t at) {
    starts.push_back(at);
    column = 0;
  };
  auto cellsOf = [&](size_t i) -> size_t {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x81 || b > 0xFE || i + 1 == s.size()) return 1;
    const auto t = static_cast<unsigned char>(s[i + 1]);
    return t >= 0x40 && t <= 0xFE && t != 0x7F ? 2 : 1;
  };
  const bool atBlanks = wrap == WrapAt::Blank;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const bool blank = b == ' ' || b == '\t';
    if (b == '\n' && i > 0 && s[i - 1] == '\r') {
      ++i;
    } else if (b == '\n' || b == '\r') {
      newLine(++i);
    } else if (atBlanks && blank && column >= columns) {
      ++i;  // hangs
    } else if (b == '\t') {
      if (column >= columns) newLine(i);
      column += std::min(8 - column % 8, columns - column);
      ++i;
    } else {
      const bool lastByteLead = b >= 0x81 && b <= 0xFE && i + 1 == s.size();
      if (lastByteLead && !tailSettled) break;  // its trail byte has not come yet
      const size_t length = cellsOf(i);
      if (column > 0 && column + length > columns) {
        size_t blankAt = i;
        while (atBlanks && blankAt > starts.back() && s[blankAt - 1] != ' ' && s[blankAt - 1] != '\t') --blankAt;
        if (atBlanks && blankAt > starts.back() && blankAt < i) {
          // Lay the word out again from the start of a fresh line.
          size_t wordCells = 0;
          for (size_t j = blankAt; j < i; j += cellsOf(j)) wordCells += cellsOf(j);
          if (wordCells + length <= columns) {
            newLine(blankAt);
            column = wordCells;
          } else {
            newLine(i);
          }
        } else {
          newLine(i);
        }
      }
      column += length;
      i += length;
    }
  }
  return starts;
}

// Mixed ASCII runs, GBK pairs, stray lead bytes, line ends of all kinds, tabs and control
// bytes, about `size` bytes long.
inline std::string RandomLayoutContent(std::mt19937& random, size_t size) {
  static const std::vector<std::string> pieces = {
      "a",  "Zq", " ",    "\t",       "\n",       "\r",   "\r\n",   "\x01", "\x7F", "\x80", "\xFF",
      "\0", "\x08", "\xD6\xD0", "\xB0\xA1", "\x81\x40", "\xFE\xFE", "\xD6", "\xD6\x7F", "0123456789ABCDEF 0"};
  std::string s;
  while (s.size() < size) {
    if (random() % 10 == 0) {
      s.append(random() % 200, static_cast<char>('A' + random() % 26));  // a long run
    } else {
      const std::string& piece = pieces[random() % pieces.size()];
      s += piece.empty() ? std::string(1, '\0') : piece;
    }
  }
  return s;
}
