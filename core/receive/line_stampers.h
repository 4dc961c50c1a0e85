#pragma once
// Time-stamped renderings of received data, built as the data streams in.
//
// Text lines: every line starts with "[HH:MM:SS.mmm] ", the arrival time of its first byte.
// '\r', '\n' and "\r\n" each end one line (as the receive window breaks them); the stamp of
// the next line is written when its first byte comes, so a "\r\n" split over two chunks still
// ends one line, and a line end at the very end of the data is followed by nothing yet.
//
// Hex lines: "[HH:MM:SS.mmm] 41 42 43" – a new line starts whenever the pause since the
// previous byte is longer than the gap, and after 16 bytes at most, so that a long burst
// stays readable and one line fits the window. Lines end with '\n'.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/receive/time_stamp.h"

inline constexpr size_t kHexBytesPerStampedLine = 16;
inline constexpr int kDefaultHexGapMs = 20;
inline constexpr int kMinHexGapMs = 1;
inline constexpr int kMaxHexGapMs = 10000;

// From `offset` on (up to the next mark), the bytes arrived at `ms`.
struct ArrivalMark {
  size_t offset = 0;
  int64_t ms = 0;

  bool operator==(const ArrivalMark&) const = default;
};
using ArrivalMarks = std::vector<ArrivalMark>;

class TextLineStamper {
 public:
  void Restart() { lineOpen_ = afterCr_ = false; }
  // Appends `text` (bytes of a text rendering, all arrived at `ms`), stamped, to `out`.
  void Add(std::string_view text, int64_t ms, std::string& out);
  // Ends a line still open with '\n', so that what follows starts a line of its own.
  void EndLine(std::string& out);
  // A line has been started and not yet ended.
  bool LineOpen() const { return lineOpen_; }

 private:
  bool lineOpen_ = false;
  bool afterCr_ = false;  // the last byte was '\r': a '\n' now belongs to that line end
  TimeStampFormatter stamps_;
};

class HexLineStamper {
 public:
  explicit HexLineStamper(int gapMs = kDefaultHexGapMs) { SetGap(gapMs); }
  void SetGap(int gapMs);
  int Gap() const { return gapMs_; }
  void Restart() { lineBytes_ = 0, lineOpen_ = false; }
  // Appends the hex lines of `bytes` (all arrived at `ms`) to `out`.
  void Add(const uint8_t* bytes, size_t count, int64_t ms, std::string& out);
  // The same for `count` bytes given in the hex rendering ("41 42 " – three characters a
  // byte): their pairs are copied, not decoded and made again.
  void AddRendered(const char* hex, size_t count, int64_t ms, std::string& out);
  void EndLine(std::string& out);

 private:
  // Lays out `count` bytes in lines; put(k, n, to) writes the pairs of bytes k..k+n-1,
  // blank-separated, at `to`.
  template <typename PutPairs>
  void AddLines(size_t count, int64_t ms, std::string& out, PutPairs put);

  int gapMs_ = kDefaultHexGapMs;
  bool lineOpen_ = false;
  size_t lineBytes_ = 0;
  int64_t lastMs_ = 0;
  TimeStampFormatter stamps_;
};

// The receive window's stamped rendering, fed piece by piece with what the receive store
// hands out: text as the text rendering keeps it, or the hex rendering ("41 42 " – three
// characters a byte). `marks` give the arrival times in offsets of `piece`; bytes before the
// first mark count as arrived at its time.
class StampedRendering {
 public:
  void Restart(bool hex, int gapMs);
  void Add(std::string_view piece, const ArrivalMarks& marks, std::string& out);
  bool Hex() const { return hex_; }

 private:
  bool hex_ = false;
  TextLineStamper text_;
  HexLineStamper hexLines_;
};
