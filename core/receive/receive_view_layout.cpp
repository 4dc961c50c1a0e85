#include "core/receive/receive_view_layout.h"

#include <algorithm>
#include <cstring>

#include "core/text/gbk_bytes.h"

namespace {

constexpr bool IsPrintableAscii(uint8_t b) { return b >= 0x20 && b <= 0x7E; }

// The end of the run of printable ASCII that starts at `pos`: eight bytes at a time, since
// the hex rendering and most text are long such runs. A byte is printable when it is neither
// below 0x20 nor above 0x7E; both tests are done on all eight lanes of a word at once.
size_t PrintableRunEnd(const uint8_t* bytes, size_t pos, size_t size) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  while (pos + 8 <= size) {
    uint64_t word;
    std::memcpy(&word, bytes + pos, sizeof word);
    // A lane with its high bit set, or below 0x20 (borrows into its high bit when 0x20 is
    // taken off), or above 0x7E (carries into its high bit when 1 is added).
    const uint64_t outside = (word | (word - 0x20 * kOnes) | (word + kOnes)) & kHighBits;
    if (outside != 0) break;
    pos += 8;
  }
  while (pos < size && IsPrintableAscii(bytes[pos])) ++pos;
  return pos;
}
constexpr bool TakesNoRoom(CellKind kind) { return kind == CellKind::LineEnd || kind == CellKind::JoinedLineEnd; }
// No byte of a GBK pair is a space or a tab, so a blank found by its byte is a character.
constexpr bool IsBlank(uint8_t b) { return b == ' ' || b == '\t'; }

}  // namespace

CellChar CellCharAt(std::string_view content, size_t pos) {
  const auto b = static_cast<uint8_t>(content[pos]);
  if (IsPrintableAscii(b)) return {1, CellKind::Single};
  switch (b) {
    case '\n': return {1, pos > 0 && content[pos - 1] == '\r' ? CellKind::JoinedLineEnd : CellKind::LineEnd};
    case '\r': return {1, CellKind::LineEnd};
    case '\t': return {1, CellKind::Tab};
    default: break;
  }
  if (b < 0x20 || b == 0x7F) return {1, CellKind::Control};
  const size_t length = GbkCharLength(content, pos);
  return {length, length == 1 ? CellKind::Single : CellKind::Pair};
}

size_t CellWidth(CellKind kind, size_t column, size_t columns) {
  if (column >= columns) return 0;
  switch (kind) {
    case CellKind::LineEnd:
    case CellKind::JoinedLineEnd: return 0;
    case CellKind::Tab: return std::min(kTabCells - column % kTabCells, columns - column);
    case CellKind::Pair: return 2;
    default: return 1;
  }
}

bool WrapsBefore(CellKind kind, size_t column, size_t columns) {
  if (column == 0 || TakesNoRoom(kind)) return false;
  if (column >= columns) return true;
  return kind != CellKind::Tab && column + CellWidth(kind, column, columns) > columns;  // a tab is clipped
}

LineCells::LineCells(std::string_view content, size_t lineStart, size_t lineEnd, size_t columns, bool tailSettled)
    : content_(content),
      end_(std::min(lineEnd, content.size())),
      columns_(columns),
      offset_(lineStart),
      nextOffset_(lineStart),
      tailSettled_(tailSettled) {}

LineCells::LineCells(std::string_view content, const WrappedLines& lines, size_t line)
    : LineCells(content, lines.LineStart(line), lines.LineEnd(line), lines.Columns(), lines.TailSettled()) {}

bool LineCells::Next() {
  offset_ = nextOffset_;
  column_ = nextColumn_;
  if (offset_ >= end_) return false;
  current_ = CellCharAt(content_, offset_);
  if (current_.length == 0) {
    if (!tailSettled_) return false;
    current_ = {1, CellKind::Single};
  }
  width_ = CellWidth(current_.kind, column_, columns_);
  nextOffset_ = offset_ + current_.length;
  nextColumn_ = column_ + width_;
  return true;
}

WrappedLines::WrappedLines(size_t columns) : columns_(std::max<size_t>(columns, 1)) {}

void WrappedLines::Rebuild(std::string_view content, size_t columns, WrapAt wrap) {
  columns_ = std::max<size_t>(columns, 1);
  wrap_ = wrap;
  starts_.assign(1, 0);
  starts_.reserve(content.size() / columns_ + 1);
  size_ = scanned_ = column_ = 0;
  tailSettled_ = false;
  Extend(content);
}

void WrappedLines::StartLine(size_t offset) {
  starts_.push_back(offset);
  column_ = 0;
}

// The line ends after its last blank if the word behind it and the character fit on the
// next line; the word has no tabs or line ends, so it takes one cell per byte. Otherwise the
// line ends right before the character.
size_t WrappedLines::BreakAtBlank(const uint8_t* bytes, size_t pos, size_t width) {
  size_t start = pos;
  for (size_t at = pos; at > starts_.back(); --at) {
    if (IsBlank(bytes[at - 1])) {
      if (pos - at + width <= columns_) start = at;
      break;
    }
  }
  starts_.push_back(start);
  return pos - start;
}

// The hot loop of every append and relayout, over local copies of the state. Branches
// rather than table arithmetic: the next position would otherwise wait on two loads per
// character, while predicted branches let the processor run ahead. Printable ASCII runs fill
// whole lines at once; a GBK pair or a stray lead byte takes as many cells as bytes;
// everything else goes through the general rules.
void WrappedLines::Extend(std::string_view content) {
  if (content.size() > size_) UnsettleTail();
  size_ = content.size();
  const auto* bytes = reinterpret_cast<const uint8_t*>(content.data());
  const size_t columns = columns_;
  const bool hangBlanks = wrap_ == WrapAt::Blank;
  size_t pos = scanned_;
  size_t column = column_;
  while (pos < size_) {
    const uint8_t b = bytes[pos];
    if (IsPrintableAscii(b)) {
      const size_t runEnd = PrintableRunEnd(bytes, pos + 1, size_);
      while (pos < runEnd) {
        if (column >= columns) {
          if (hangBlanks && bytes[pos] == ' ') {
            ++pos;
            continue;
          }
          column = BreakBefore(bytes, pos, 1);
        }
        const size_t take = std::min(runEnd - pos, columns - column);
        column += take;
        pos += take;
      }
    } else if (IsGbkLeadByte(b) && pos + 1 < size_) {
      size_t width = 1;
      if (__builtin_expect(IsGbkTrailByte(bytes[pos + 1]), 1)) width = 2;
      if (column > 0 && column + width > columns) column = BreakBefore(bytes, pos, width);
      column += width;
      pos += width;
    } else {
      scanned_ = pos;
      column_ = column;
      if (!ExtendSpecial(content)) break;  // a lead byte waiting for its trail
      pos = scanned_;
      column = column_;
    }
  }
  scanned_ = pos;
  column_ = column;
}

// Line ends, tabs, control bytes and the other single bytes; false when the content ends
// inside a character.
bool WrappedLines::ExtendSpecial(std::string_view content) {
  const CellChar c = CellCharAt(content, scanned_);
  if (c.length == 0) return false;
  PlaceSpecial(content, c);
  return true;
}

void WrappedLines::PlaceSpecial(std::string_view content, CellChar c) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(content.data());
  const bool hangs = wrap_ == WrapAt::Blank && IsBlank(bytes[scanned_]);
  if (!hangs && WrapsBefore(c.kind, column_, columns_)) column_ = BreakBefore(bytes, scanned_, c.length);
  column_ += CellWidth(c.kind, column_, columns_);
  scanned_ += c.length;
  if (c.kind == CellKind::LineEnd) StartLine(scanned_);
}

bool WrappedLines::SettleTail(std::string_view content) {
  if (!TailWaits()) return false;
  settledLineCount_ = starts_.size();
  settledColumn_ = column_;
  PlaceSpecial(content, {1, CellKind::Single});
  tailSettled_ = true;
  return true;
}

void WrappedLines::UnsettleTail() {
  if (!tailSettled_) return;
  starts_.resize(settledLineCount_);
  column_ = settledColumn_;
  scanned_ = size_ - 1;
  tailSettled_ = false;
}

CellChar WrappedLines::CharAt(std::string_view content, size_t pos) const {
  const CellChar c = CellCharAt(content, pos);
  if (c.length == 0 && tailSettled_ && pos + 1 == content.size()) return {1, CellKind::Single};
  return c;
}

void WrappedLines::Replace(std::string_view content, size_t unchangedPrefix) {
  // Lines that start at least two bytes before the first change were laid out from
  // unchanged bytes only (a character is at most two bytes): they stay.
  tailSettled_ = false;  // what follows the kept lines is laid out afresh
  if (unchangedPrefix < 2 || LineCount() == 0) {
    Rebuild(content, columns_);
    return;
  }
  size_t keep = LineOf(std::min(unchangedPrefix, size_) - 2);
  // A break after a blank is decided by the character that did not fit, which lies in the
  // line that starts there: only the line before it is sure to be unchanged.
  if (wrap_ == WrapAt::Blank && keep > 0) --keep;
  starts_.resize(keep + 1);
  scanned_ = starts_[keep];
  column_ = 0;
  Extend(content);
}

void WrappedLines::DropHead(std::string_view content, size_t count, bool cutAfterCarriageReturn) {
  if (count == 0) return;
  const bool settled = tailSettled_;
  UnsettleTail();
  DropLines(content, count, cutAfterCarriageReturn);
  if (settled) SettleTail(content);
}

void WrappedLines::DropLines(std::string_view content, size_t count, bool cutAfterCarriageReturn) {
  const auto cut = std::lower_bound(starts_.begin(), starts_.end(), count);
  const bool onLineStart = cut != starts_.end() && *cut == count;
  // "\r" cut off before "\n": the "\n" now ends a line of its own, so lines change.
  const bool lineEndChanges = cutAfterCarriageReturn && !content.empty() && content[0] == '\n';
  if (lineEndChanges) {
    Rebuild(content, columns_);
    return;
  }
  // A cut inside a line changes the wrapping of what follows only up to the next line end:
  // a line that starts after one is laid out the same wherever the content starts. Only the
  // lines up to there are laid out again (a stream without line ends, all of them).
  auto kept = cut;
  if (!onLineStart) {
    while (kept != starts_.end() && content[*kept - count - 1] != '\n' && content[*kept - count - 1] != '\r') ++kept;
    if (kept == starts_.end()) {
      Rebuild(content, columns_);
      return;
    }
  }
  const size_t scanned = scanned_ - count;
  const size_t column = column_;
  std::vector<size_t> after(kept, starts_.end());
  if (!onLineStart) {
    const size_t keptStart = *kept - count;
    Rebuild(content.substr(0, keptStart), columns_);  // ends with the line end that starts keptStart
    if (starts_.back() != keptStart) {
      Rebuild(content, columns_);
      return;
    }
    starts_.pop_back();
  } else {
    starts_.clear();
  }
  for (const size_t start : after) starts_.push_back(start - count);
  size_ = content.size();
  scanned_ = scanned;
  column_ = column;
}

size_t WrappedLines::LineOf(size_t offset) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  return static_cast<size_t>(after - starts_.begin()) - 1;
}
