#pragma once
// The Unicode character the receive window shows for one laid-out GBK character. Painting
// and copying decode only the characters they need, one at a time, so a two-byte character
// is looked up in a table built once (on first use, from the C library's GBK converter).
#include <cstddef>
#include <string_view>

#include "core/receive/receive_view_layout.h"

inline constexpr char16_t kReplacementChar = 0xFFFD;

// The UTF-16 code of the character `c` that starts at `pos` of `content`. Control bytes keep
// their own code; bytes and pairs GBK does not assign give U+FFFD. Safe on any thread.
char16_t CellCharCode(std::string_view content, size_t pos, const CellChar& c);
