#pragma once
// Fixed-pitch layout of the receive window's raw GBK bytes: which character starts where,
// how many cells it takes, and where the wrapped (visual) lines begin.
//
// Layout rules (one cell = the width of one single-byte character):
//   * a GBK pair (lead 0x81-0xFE followed by a valid trail) takes two cells; any other byte
//     is a character of one cell (0x80 is the euro sign; 0xFF, or a lead byte not followed
//     by a trail, shows as a replacement mark);
//   * a lead byte that is the last byte of the content is not laid out yet: its trail may
//     still arrive with the next append. Once the stream has paused (SettleTail) it is laid
//     out as a character of one cell, and laid out again with whatever byte comes next;
//   * '\n' and '\r' end a line; a '\n' right after '\r' is part of that same line end, so
//     "\r\n" breaks once even when its two bytes arrive in two appends;
//   * a tab advances to the next multiple of 8 cells (clipped at the end of the line);
//   * other control bytes (0x00-0x1F, 0x7F) take one cell and are painted as a small box,
//     so that nothing received is invisible;
//   * a character that does not fit in the rest of a line starts the next line (a line of
//     a single column still takes a two-cell character);
//   * wrapping at blanks (the hex rendering, whose pairs must stay whole): a line breaks after
//     its last blank (space or tab) instead, and the rest of the word moves down with the
//     character; blanks that do not fit at the end of a line hang past it and take no room.
//     A word that does not fit a line of its own, or a line without a blank, breaks as above.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class CellKind : uint8_t {
  LineEnd,       // '\n' or '\r': the next character starts a new line
  JoinedLineEnd, // '\n' right after '\r': takes no room
  Tab,
  Control,
  Single,
  Pair,
};

enum class WrapAt : uint8_t {
  AnyCharacter,
  Blank,
};

struct CellChar {
  size_t length = 0;  // bytes; 0 when the content ends inside this character
  CellKind kind = CellKind::Single;
};

constexpr size_t kTabCells = 8;

// The character that starts at `pos`.
CellChar CellCharAt(std::string_view content, size_t pos);

// Cells a character of `kind` takes when it is placed at `column` of a line of `columns`
// (none at or past the end of the line: only hanging blanks are placed there).
size_t CellWidth(CellKind kind, size_t column, size_t columns);

// Whether a character of `kind` at `column` must start a new line first.
bool WrapsBefore(CellKind kind, size_t column, size_t columns);

class WrappedLines;

// Walks the characters of one visual line and where they sit.
class LineCells {
 public:
  // `tailSettled`: a lead byte at the very end of `content` is a character of its own.
  LineCells(std::string_view content, size_t lineStart, size_t lineEnd, size_t columns, bool tailSettled = false);
  // Line `line` of `lines`, laid out from `content`.
  LineCells(std::string_view content, const WrappedLines& lines, size_t line);
  // Moves to the next character; false at the end of the line.
  bool Next();
  size_t Offset() const { return offset_; }
  size_t Length() const { return current_.length; }
  CellKind Kind() const { return current_.kind; }
  size_t Column() const { return column_; }
  size_t Width() const { return width_; }

 private:
  std::string_view content_;
  size_t end_;
  size_t columns_;
  size_t offset_;
  size_t nextOffset_;
  size_t column_ = 0;
  size_t nextColumn_ = 0;
  size_t width_ = 0;
  bool tailSettled_;
  CellChar current_;
};

// The starts of the visual lines of a growing byte content. Appends cost time in proportion
// to the new bytes; a change of width lays everything out again.
class WrappedLines {
 public:
  explicit WrappedLines(size_t columns = 80);

  size_t Columns() const { return columns_; }
  WrapAt Wrap() const { return wrap_; }
  // Lays out `content` from scratch, `columns` (at least 1) cells per line.
  void Rebuild(std::string_view content, size_t columns) { Rebuild(content, columns, wrap_); }
  void Rebuild(std::string_view content, size_t columns, WrapAt wrap);
  // `content` is the content laid out before with bytes appended: lays out the new bytes.
  void Extend(std::string_view content);
  // `content` replaces the content laid out before; they agree in their first
  // `unchangedPrefix` bytes, and only what follows is laid out again.
  void Replace(std::string_view content, size_t unchangedPrefix);
  // The first `count` bytes were cut off, leaving `content`; `cutAfterCarriageReturn` tells
  // whether the last byte cut was '\r'. Cheap when the cut falls on a line start.
  void DropHead(std::string_view content, size_t count, bool cutAfterCarriageReturn);

  // A lead byte at the end of `content` waits for its trail (and is not laid out yet).
  bool TailWaits() const { return scanned_ < size_; }
  // The stream paused: lays out a waiting lead byte as a character of its own. False when
  // no byte was waiting.
  bool SettleTail(std::string_view content);
  // Takes a settled lead byte back into waiting, as it was before SettleTail; the next
  // Extend lays it out together with the bytes that follow it.
  void UnsettleTail();
  bool TailSettled() const { return tailSettled_; }
  // The character at `pos`, a settled lead byte at the end counting as one of its own.
  CellChar CharAt(std::string_view content, size_t pos) const;

  size_t LineCount() const { return starts_.size(); }
  size_t LineStart(size_t line) const { return starts_[line]; }
  // One past the last byte of `line`.
  size_t LineEnd(size_t line) const { return line + 1 < starts_.size() ? starts_[line + 1] : size_; }
  // The line that holds the byte at `offset` (the last line for the end of the content).
  size_t LineOf(size_t offset) const;
  const std::vector<size_t>& Starts() const { return starts_; }

 private:
  void DropLines(std::string_view content, size_t count, bool cutAfterCarriageReturn);
  bool ExtendSpecial(std::string_view content);
  void PlaceSpecial(std::string_view content, CellChar c);
  void StartLine(size_t offset);
  // Ends the current line so that the character at `pos`, `width` cells wide, gets room, and
  // returns the column the character then starts at. Inline: it runs once per line.
  size_t BreakBefore(const uint8_t* bytes, size_t pos, size_t width) {
    if (wrap_ == WrapAt::Blank) return BreakAtBlank(bytes, pos, width);
    starts_.push_back(pos);
    return 0;
  }
  size_t BreakAtBlank(const uint8_t* bytes, size_t pos, size_t width);

  std::vector<size_t> starts_{0};
  size_t columns_;
  WrapAt wrap_ = WrapAt::AnyCharacter;
  size_t size_ = 0;     // bytes of content seen
  size_t scanned_ = 0;  // bytes laid out (a trailing lead byte waits for its trail)
  size_t column_ = 0;   // next free cell of the last line
  bool tailSettled_ = false;  // the last byte, a lead byte, is laid out on its own
  size_t settledLineCount_ = 0;  // the line count and column before it was
  size_t settledColumn_ = 0;
};
