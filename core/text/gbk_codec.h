#pragma once
// Conversion between Unicode (UTF-8 std::string, what the window toolkit hands out and takes)
// and GBK bytes (what is typed, sent, received, saved and stored), over the C library's iconv.
//
// Encoding never drops a character silently: each character GBK cannot represent (an emoji,
// say) and each byte of malformed UTF-8 becomes one '?' in the output, and the result counts
// them and tells where the first one stood, so the caller can warn the user.
//
// Decoding is streaming: a GBK character split across two received chunks is held back (its
// lead byte) until the next chunk brings its trail byte, and every byte that cannot be decoded
// becomes one U+FFFD, so a display never stalls on bad input.
//
// Threads: each object owns its own iconv descriptor; use one object per thread (or guard
// it). The one-shot functions EncodeGbk/DecodeGbk make their own and are safe anywhere.
// If the C library has no GBK converter, ASCII still passes and everything else is counted
// as unencodable (encoding) or shown as U+FFFD (decoding); Available() tells.
#include <cstddef>
#include <iconv.h>
#include <string>
#include <string_view>

#include "core/text/gbk_bytes.h"

// Owns one iconv descriptor; closes it once.
class IconvHandle {
 public:
  IconvHandle(const char* toCode, const char* fromCode);
  ~IconvHandle();
  IconvHandle(IconvHandle&& other) noexcept;
  IconvHandle& operator=(IconvHandle&& other) noexcept;
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool Valid() const { return cd_ != kInvalid; }
  iconv_t Get() const { return cd_; }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  void Close();
  iconv_t cd_;
};

struct GbkEncoded {
  static constexpr size_t kNone = static_cast<size_t>(-1);

  std::string bytes;                  // GBK; one '?' per character that could not be encoded
  size_t unencodableCount = 0;        // how many '?' were put in for such characters
  size_t firstUnencodable = kNone;    // byte offset in the UTF-8 input of the first of them

  bool Complete() const { return unencodableCount == 0; }
};

class GbkEncoder {
 public:
  GbkEncoder();
  bool Available() const { return converter_.Valid(); }
  GbkEncoded Encode(std::string_view utf8);

 private:
  IconvHandle converter_;
};

class GbkDecoder {
 public:
  GbkDecoder();
  bool Available() const { return converter_.Valid(); }
  // UTF-8 text of `gbk`, continuing the previous chunk. A lead byte at the end of the chunk is
  // held back and decoded with the first byte of the next chunk.
  std::string Decode(std::string_view gbk);
  // Ends the stream: a held-back lead byte comes out as U+FFFD. The decoder is then fresh.
  std::string Finish();
  bool HasPending() const { return !pending_.empty(); }
  void Reset() { pending_.clear(); }

 private:
  IconvHandle converter_;
  std::string pending_;  // at most one lead byte
};

// One-shot conversions of a complete text.
GbkEncoded EncodeGbk(std::string_view utf8);
std::string DecodeGbk(std::string_view gbk);

// The GBK bytes of a text that was shown from `original` by DecodeGbk: `original` itself as
// long as the shown text is still what it decodes to, else the text's encoding. Decoding is
// lossy (bytes that are no GBK show as U+FFFD), so bytes nobody edited survive only this way.
std::string KeepOrEncodeGbk(std::string_view shownUtf8, std::string_view original);

// U+FFFD REPLACEMENT CHARACTER in UTF-8: what an undecodable byte shows as.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
