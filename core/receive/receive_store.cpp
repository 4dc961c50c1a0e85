#include "core/receive/receive_store.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint8_t kNul = 0x00;
constexpr uint8_t kBackspace = 0x08;
// Pending texts are reserved for this many chunks of 256 bytes: a display that keeps up
// never needs more, so they only grow under a real backlog.
constexpr size_t kPendingReserveChunks = 16;
constexpr size_t kChunkBytes = 256;

// Appends without letting an allocation failure escape: on failure the pending text is
// dropped and the caller is told to re-set the window from the kept buffer instead.
bool TryAppend(std::string& to, const char* bytes, size_t count) {
  try {
    to.append(bytes, count);
    return true;
  } catch (const std::bad_alloc&) {
    to.clear();
    return false;
  }
}

bool TryAssign(std::string& to, const char* bytes, size_t count) {
  to.clear();  // keeps the capacity
  return TryAppend(to, bytes, count);
}

// A mark is added only when the time changed: the one before covers the same millisecond.
void PushMark(std::deque<ArrivalMark>& marks, size_t offset, int64_t ms) {
  if (!marks.empty() && marks.back().ms == ms) return;
  marks.push_back({offset, ms});
}

// Drops the marks that only cover numbers below `base`; the last of them still covers `base`.
void DropMarksBelow(std::deque<ArrivalMark>& marks, size_t base) {
  while (marks.size() > 1 && marks[1].offset <= base) marks.pop_front();
}

}  // namespace

ReceiveStore::ReceiveStore(size_t keptBytes) : keptBytes_(std::max<size_t>(keptBytes, 4)) {
  text_.reset(new (std::nothrow) char[keptBytes_ + 1]);
  hex_.reset(new (std::nothrow) char[kHexCharsPerByte * keptBytes_ + 1]);
  if (!Allocated()) {
    text_.reset();
    hex_.reset();
    return;
  }
  // Written once now: fresh memory is mapped page by page at its first write, a fault each,
  // which would otherwise fall on ReceiveThread during the first megabyte received.
  std::memset(text_.get(), 0, keptBytes_ + 1);
  std::memset(hex_.get(), 0, kHexCharsPerByte * keptBytes_ + 1);
  try {
    pendingText_.reserve(kPendingReserveChunks * kChunkBytes);
    pendingHex_.reserve(kPendingReserveChunks * kChunkBytes * kHexCharsPerByte);
  } catch (const std::bad_alloc&) {
    // Not fatal: the pending texts then grow on demand.
  }
}

ReceiveStore::~ReceiveStore() = default;

std::unique_ptr<ReceiveStore> ReceiveStore::Create(size_t keptBytes) {
  std::unique_ptr<ReceiveStore> store(new (std::nothrow) ReceiveStore(keptBytes));
  if (store && !store->Allocated()) store.reset();
  return store;
}

void ReceiveStore::AddChunk(const uint8_t* bytes, size_t count, int64_t arrivalMs) {
  if (!Allocated() || bytes == nullptr || count == 0) return;
  std::lock_guard lock(mutex_);
  const size_t firstByte = byteBase_ + hexLength_ / kHexCharsPerByte;
  textLow_ = textBase_ + textLength_;
  // A piece never exceeds the quarter that one drop frees, so a single drop makes room.
  const size_t piece = std::max<size_t>(1, keptBytes_ / 4);
  for (size_t done = 0; done < count; done += piece) AddPiece(bytes + done, std::min(piece, count - done));
  receivedCount_ += static_cast<int64_t>(count);
  PushMark(byteMarks_, firstByte, arrivalMs);
  // Text a backspace removed takes its marks along; the text this chunk left starts at textLow_.
  while (!textMarks_.empty() && textMarks_.back().offset >= textLow_) textMarks_.pop_back();
  if (textBase_ + textLength_ > textLow_) PushMark(textMarks_, textLow_, arrivalMs);
}

void ReceiveStore::AddPiece(const uint8_t* bytes, size_t count) {
  const size_t keptNow = hexLength_ / kHexCharsPerByte;
  if (keptNow + count > keptBytes_) {
    DropOldest(std::min(keptNow, std::max(keptBytes_ / 4, keptNow + count - keptBytes_)));
  }

  char* hex = hex_.get() + hexLength_;
  for (size_t i = 0; i < count; ++i) {
    hex[3 * i] = kHexDigits[bytes[i] >> 4];
    hex[3 * i + 1] = kHexDigits[bytes[i] & 0x0F];
    hex[3 * i + 2] = ' ';
  }
  if (!TryAppend(pendingHex_, hex, kHexCharsPerByte * count)) hexNeedsReset_ = true;
  hexLength_ += kHexCharsPerByte * count;
  hex_[hexLength_] = 0;

  const size_t pendingBefore = pendingText_.size();
  size_t pendingAdded = 0;
  bool pendingOk = TryAppend(pendingText_, reinterpret_cast<const char*>(bytes), count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    if (b == kNul) continue;
    if (b == kBackspace) {
      pendingTextHasBackspace_ = true;
      if (textLength_ > 0) --textLength_;
      textLow_ = std::min(textLow_, textBase_ + textLength_);
      textLowest_ = std::min(textLowest_, textBase_ + textLength_);
    } else {
      text_[textLength_++] = static_cast<char>(b);
    }
    if (pendingOk) pendingText_[pendingBefore + pendingAdded++] = static_cast<char>(b);
  }
  text_[textLength_] = 0;
  if (pendingOk) {
    pendingText_.resize(pendingBefore + pendingAdded);
  } else {
    textNeedsReset_ = true;
  }
}

// Counts the text the kept bytes (given by their hex rendering) leave after NULs are left
// out and backspaces applied, starting from an empty text.
size_t ReceiveStore::KeptTextLengthOfHex(const char* hex, size_t byteCount) const {
  size_t length = 0;
  for (size_t i = 0; i < byteCount; ++i, hex += kHexCharsPerByte) {
    if (hex[0] != '0' || (hex[1] != '0' && hex[1] != '8')) {
      ++length;
    } else if (hex[1] == '8' && length > 0) {
      --length;
    }
  }
  return length;
}

// Drops the oldest `receivedBytes` kept bytes from both renderings. The text rendering of
// the remaining bytes (starting from an empty text) is always a suffix of the current text:
// a backspace that reached back before the cut removed a character that is dropped anyway.
// So the text drops exactly its head beyond that suffix.
void ReceiveStore::DropOldest(size_t receivedBytes) {
  const size_t keptNow = hexLength_ / kHexCharsPerByte;
  const size_t hexDrop = kHexCharsPerByte * receivedBytes;
  const size_t textAfter =
      std::min(textLength_, KeptTextLengthOfHex(hex_.get() + hexDrop, keptNow - receivedBytes));
  const size_t textDrop = textLength_ - textAfter;

  // A drop that reaches into text the window has not been given yet cannot be followed by
  // dropping the window's head: the window is re-set instead. (For the text rendering
  // TakePending sees this from the numbering: the drop passed textLowest_.)
  if (hexDrop > hexLength_ - std::min(hexLength_, pendingHex_.size())) hexNeedsReset_ = true;

  std::memmove(hex_.get(), hex_.get() + hexDrop, hexLength_ - hexDrop);
  hexLength_ -= hexDrop;
  hex_[hexLength_] = 0;
  std::memmove(text_.get(), text_.get() + textDrop, textAfter);
  textLength_ = textAfter;
  text_[textLength_] = 0;
  hexDropped_ += hexDrop;
  textDropped_ += textDrop;
  byteBase_ += receivedBytes;
  textBase_ += textDrop;
  DropMarksBelow(byteMarks_, byteBase_);
  DropMarksBelow(textMarks_, textBase_);
}

void ReceiveStore::CopyMarks(bool hex, size_t fromUnit, ArrivalMarks& marks) const {
  marks.clear();
  const std::deque<ArrivalMark>& kept = hex ? byteMarks_ : textMarks_;
  const size_t from = (hex ? byteBase_ : textBase_) + fromUnit;
  const size_t unitChars = hex ? kHexCharsPerByte : 1;
  auto it = std::upper_bound(kept.begin(), kept.end(), from,
                             [](size_t offset, const ArrivalMark& mark) { return offset < mark.offset; });
  if (it != kept.begin()) --it;
  try {
    for (; it != kept.end(); ++it) marks.push_back({it->offset <= from ? 0 : (it->offset - from) * unitChars, it->ms});
  } catch (const std::bad_alloc&) {
    marks.clear();  // the stamps then show one time; nothing received is lost
  }
}

// The window holds the whole kept text now.
void ReceiveStore::TextShownInFull() {
  textShownEnd_ = textLowest_ = textBase_ + textLength_;
  textInStep_ = true;
}

void ReceiveStore::TakePending(bool hex, ReceiveUpdate& update, bool withMarks) {
  std::lock_guard lock(mutex_);
  update.ReceivedCount = receivedCount_;
  update.DroppedHead = 0;
  update.TailCut = 0;
  // Text: the window can follow while what it keeps of its old text is still kept here.
  const bool backspaced = !hex && pendingTextHasBackspace_;
  const bool reset = hex ? hexNeedsReset_
                         : textNeedsReset_ || textLowest_ < textBase_ || (backspaced && !textInStep_);
  const char* kept = hex ? hex_.get() : text_.get();
  const size_t keptLength = hex ? hexLength_ : textLength_;
  const std::string& pending = hex ? pendingHex_ : pendingText_;
  update.Reset = reset;
  update.Backspaced = backspaced && !reset;
  if (!Allocated()) {
    update.Bytes.clear();
  } else if (reset) {
    TryAssign(update.Bytes, kept, keptLength);
  } else {
    update.DroppedHead = hex ? hexDropped_ : textDropped_;
    bool assigned = false;
    if (update.Backspaced) {
      // The text after the lowest point the backspaces reached replaces the window's end.
      update.TailCut = textShownEnd_ - textLowest_;
      assigned = TryAssign(update.Bytes, kept + (textLowest_ - textBase_), textBase_ + textLength_ - textLowest_);
    } else {
      assigned = TryAssign(update.Bytes, pending.data(), pending.size());
    }
    if (!assigned) {
      update.Reset = true;
      update.Backspaced = false;
      update.DroppedHead = update.TailCut = 0;
      TryAssign(update.Bytes, kept, keptLength);
    }
  }
  if (!hex && update.Reset) textInStep_ = true;
  update.Marks.clear();
  if (withMarks && Allocated()) {
    const size_t units = (update.Reset ? keptLength : std::min(keptLength, update.Bytes.size())) / (hex ? kHexCharsPerByte : 1);
    const size_t keptUnits = keptLength / (hex ? kHexCharsPerByte : 1);
    CopyMarks(hex, keptUnits - units, update.Marks);
  }
  pendingText_.clear();
  pendingHex_.clear();
  pendingTextHasBackspace_ = false;
  textDropped_ = hexDropped_ = 0;
  textNeedsReset_ = hexNeedsReset_ = false;
  textShownEnd_ = textLowest_ = textBase_ + textLength_;
}

ReceiveUpdate ReceiveStore::TakePending(bool hex) {
  ReceiveUpdate update;
  TakePending(hex, update);
  return update;
}

std::string ReceiveStore::Snapshot(bool hex) const {
  std::string copy;
  Snapshot(hex, copy);
  return copy;
}

void ReceiveStore::Snapshot(bool hex, std::string& out) const {
  out.clear();
  if (!Allocated()) return;
  std::lock_guard lock(mutex_);
  if (hex) {
    TryAssign(out, hex_.get(), hexLength_);
  } else {
    TryAssign(out, text_.get(), textLength_);
  }
}

void ReceiveStore::SnapshotWithMarks(bool hex, std::string& out, ArrivalMarks& marks) const {
  out.clear();
  marks.clear();
  if (!Allocated()) return;
  std::lock_guard lock(mutex_);
  TryAssign(out, hex ? hex_.get() : text_.get(), hex ? hexLength_ : textLength_);
  CopyMarks(hex, 0, marks);
}

void ReceiveStore::SnapshotForReset(bool hex, std::string& out, ArrivalMarks* marks) {
  out.clear();
  if (marks) marks->clear();
  if (!Allocated()) return;
  std::lock_guard lock(mutex_);
  TryAssign(out, hex ? hex_.get() : text_.get(), hex ? hexLength_ : textLength_);
  if (marks) CopyMarks(hex, 0, *marks);
  pendingText_.clear();
  pendingHex_.clear();
  pendingTextHasBackspace_ = false;
  textDropped_ = hexDropped_ = 0;
  textNeedsReset_ = hexNeedsReset_ = false;
  TextShownInFull();
}

void ReceiveStore::Clear() {
  if (!Allocated()) return;
  std::lock_guard lock(mutex_);
  // Numbering goes on past the cleared data; the last mark stays for a chunk still pending.
  byteBase_ += hexLength_ / kHexCharsPerByte;
  textBase_ += textLength_;
  DropMarksBelow(byteMarks_, byteBase_);
  DropMarksBelow(textMarks_, textBase_);
  textLength_ = hexLength_ = 0;
  text_[0] = hex_[0] = 0;
  receivedCount_ = 0;
  // The window is cleared with the buffers: nothing dropped before is still to be followed.
  textDropped_ = hexDropped_ = 0;
  textNeedsReset_ = hexNeedsReset_ = false;
  const bool textStillPending = !pendingText_.empty();
  TextShownInFull();
  textInStep_ = !textStillPending;
}

int64_t ReceiveStore::ReceivedCount() const {
  std::lock_guard lock(mutex_);
  return receivedCount_;
}
