#pragma once
// The terminal page's receive state, shared by ReceiveThread (writer) and the user-interface
// thread (display, toggle, save, clear): the two kept renderings of everything received since
// the last clear, the text still to be shown, and the byte counter, all behind one mutex.
//
// Renderings of a received byte b:
//   hex:  "%02X " for every byte, NUL and backspace included.
//   text: NUL left out; backspace (0x08) removes the last kept text byte (if any) and is not
//         kept itself. The display then re-sets the window to the kept text; since only its
//         end changed, the update says how much of the window's end goes and what follows
//         (see ReceiveUpdate), instead of copying the whole text each time.
//
// Decisions where the receive path leaves a choice:
//   * Display backlog. When the window has not shown earlier chunks yet, the pending texts
//     grow (they are reserved once and only grow under such a backlog). ReceiveThread never
//     waits for the display and no chunk is ever lost.
//   * Full buffers. The buffers keep the renderings of the newest `KeptBytes()` received bytes
//     (1,048,575 by default). A chunk that would not fit first drops the oldest quarter of
//     the kept bytes from both renderings in one move, so the cost is amortised and new data
//     is always shown. The hex rendering loses the hex of the dropped bytes; the text
//     rendering loses exactly the characters that came from them and are still kept, so it
//     stays the text rendering of the bytes the hex rendering still holds. The number of
//     bytes dropped from the head of a rendering is reported by TakePending so the window can
//     drop the same head. ReceivedCount still counts every byte.
//   * ReceivedCount is 64-bit: a 32-bit count would overflow after 2 GiB of a long session.
//   * Arrival times are kept per chunk, not per byte: a mark says from which byte (and from
//     which character of the text rendering) on the bytes arrived when. A chunk that arrives
//     in the same millisecond as the one before adds no mark; marks of dropped bytes go with
//     them, and a backspace that removes text removes the marks of that text. So a time-
//     stamped rendering can be made at any time for everything kept.
//
// Storage is allocated once, in the constructor, without throwing: check Allocated() (or use
// Create()). An unallocated store ignores chunks and reports nothing.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "core/receive/line_stampers.h"

// What the receive window must do to show what arrived since the previous update.
struct ReceiveUpdate {
  // true: replace the whole window with Bytes (a display backlog outgrew the kept buffer).
  // false: drop DroppedHead bytes from the head of the window, then TailCut bytes from its
  // end, then append Bytes (which may be empty).
  bool Reset = false;
  size_t DroppedHead = 0;
  // A backspace arrived in text rendering: the window is to be re-set to the kept text, which
  // is what the window holds once the steps above are done (TailCut may be 0: the backspace
  // only removed text that is new in this update).
  bool Backspaced = false;
  size_t TailCut = 0;
  std::string Bytes;
  int64_t ReceivedCount = 0;
  // Filled only when asked for: the arrival times of Bytes, in offsets of Bytes.
  ArrivalMarks Marks;
};

class ReceiveStore {
 public:
  static constexpr size_t kTextBufferSize = 1048576;
  static constexpr size_t kHexBufferSize = 3145728;
  static constexpr size_t kDefaultKeptBytes = kTextBufferSize - 1;
  static constexpr size_t kHexCharsPerByte = 3;

  // Keeps the renderings of the newest `keptBytes` received bytes (at least 4); the default
  // gives the 1,048,576- and 3,145,728-byte buffers (with their terminators).
  explicit ReceiveStore(size_t keptBytes = kDefaultKeptBytes);
  ~ReceiveStore();
  ReceiveStore(const ReceiveStore&) = delete;
  ReceiveStore& operator=(const ReceiveStore&) = delete;

  // nullptr when the buffers cannot be allocated.
  static std::unique_ptr<ReceiveStore> Create(size_t keptBytes = kDefaultKeptBytes);
  bool Allocated() const { return text_ != nullptr && hex_ != nullptr; }
  size_t KeptBytes() const { return keptBytes_; }

  // ReceiveThread: one chunk read from the port (normally at most 256 bytes; larger ones are
  // taken too), which arrived at `arrivalMs`. Formats it into both renderings and the pending
  // texts and counts it, as one unit towards the other thread.
  void AddChunk(const uint8_t* bytes, size_t count, int64_t arrivalMs = 0);

  // User-interface thread: what to show in the chosen rendering since the previous call.
  // Empties both pending texts (the other rendering's pending text is dropped; toggling
  // re-sets the window from the kept buffer). `update.Bytes` keeps its capacity, so a caller
  // that reuses one ReceiveUpdate does not allocate per update.
  // `withMarks`: update.Marks gets the arrival times of update.Bytes (else it is emptied).
  void TakePending(bool hex, ReceiveUpdate& update, bool withMarks = false);
  ReceiveUpdate TakePending(bool hex);

  // A copy of the kept rendering (TextBuffer or HexBuffer up to its terminator), for the
  // toggle and the save. Copying the full hex buffer takes about a millisecond.
  std::string Snapshot(bool hex) const;
  // The same into `out`, reusing its capacity (no fresh 3 MB block per toggle).
  void Snapshot(bool hex, std::string& out) const;
  // For re-setting the whole window (the rendering was toggled): the kept rendering and, under
  // the same lock, the pending texts emptied, since the copy already holds them. Separate
  // calls would show a chunk that arrives in between twice.
  // `marks`, when given, gets the arrival times of `out`.
  void SnapshotForReset(bool hex, std::string& out, ArrivalMarks* marks = nullptr);
  // The kept rendering with its arrival times (for a save of the stamped rendering).
  void SnapshotWithMarks(bool hex, std::string& out, ArrivalMarks& marks) const;

  // Empties both buffers and zeroes the counter. The pending texts are left alone: a chunk
  // read before the clear and not yet shown is still shown after it.
  void Clear();

  int64_t ReceivedCount() const;

 private:
  void AddPiece(const uint8_t* bytes, size_t count);
  void DropOldest(size_t receivedBytes);
  size_t KeptTextLengthOfHex(const char* hex, size_t byteCount) const;
  // Marks of the kept rendering from its `fromUnit`th byte (hex) or character (text) on, in
  // offsets of the rendering's characters from there.
  void CopyMarks(bool hex, size_t fromUnit, ArrivalMarks& marks) const;

  const size_t keptBytes_;
  std::unique_ptr<char[]> text_;  // TextBuffer: keptBytes_ + terminator
  std::unique_ptr<char[]> hex_;   // HexBuffer: 3 * keptBytes_ + terminator

  mutable std::mutex mutex_;
  size_t textLength_ = 0;  // TextLength
  size_t hexLength_ = 0;   // HexLength
  std::string pendingText_;
  std::string pendingHex_;
  bool pendingTextHasBackspace_ = false;
  size_t textDropped_ = 0;  // bytes dropped from each rendering's head since the last update
  size_t hexDropped_ = 0;
  bool textNeedsReset_ = false;  // a drop reached into text the window has not shown yet
  bool hexNeedsReset_ = false;
  int64_t receivedCount_ = 0;
  // Arrival marks; offsets count from the first byte (character) ever kept, so a drop at the
  // head moves the base instead of every mark.
  std::deque<ArrivalMark> byteMarks_;
  std::deque<ArrivalMark> textMarks_;
  size_t byteBase_ = 0;  // the number of hex_'s first byte
  size_t textBase_ = 0;  // the number of text_'s first character
  size_t textLow_ = 0;   // during AddChunk: the lowest text end a backspace reached
  // The text window as of the last update: it holds the text up to textShownEnd_ (in the
  // numbering of textBase_). Backspaces since then cut the text down to textLowest_ at most.
  // After a clear with text still pending the window holds text the buffer no longer has: a
  // backspace then re-sets it (textInStep_ false).
  size_t textShownEnd_ = 0;
  size_t textLowest_ = 0;
  bool textInStep_ = true;
  void TextShownInFull();
};
