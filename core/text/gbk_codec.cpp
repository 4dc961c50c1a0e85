#include "core/text/gbk_codec.h"

#include <cerrno>
#include <utility>

namespace {

constexpr const char* kGbk = "GBK";
constexpr const char* kUtf8 = "UTF-8";

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

// Without a converter, only ASCII can be carried over; stops at the first other byte.
int CopyAsciiPrefix(std::string_view& in, std::string& out) {
  size_t n = 0;
  while (n < in.size() && IsAscii(in[n])) ++n;
  out.append(in.substr(0, n));
  in.remove_prefix(n);
  return in.empty() ? 0 : EILSEQ;
}

// Converts as much of `in` as it can, appending to `out` and consuming `in`. Returns 0 when
// all of `in` was converted, else the errno that stopped it (EILSEQ: the next input cannot
// be converted; EINVAL: the input ends inside a character).
int ConvertSome(const IconvHandle& converter, std::string_view& in, std::string& out) {
  if (!converter.Valid()) return CopyAsciiPrefix(in, out);
  while (!in.empty()) {
    const size_t start = out.size();
    out.resize(start + in.size() * 3 + 16);  // room for the widest case: 1 GBK byte -> 3 UTF-8
    char* source = const_cast<char*>(in.data());  // iconv's signature; it never writes input
    size_t sourceLeft = in.size();
    char* target = out.data() + start;
    size_t targetLeft = out.size() - start;
    const size_t rc = iconv(converter.Get(), &source, &sourceLeft, &target, &targetLeft);
    const int error = rc == static_cast<size_t>(-1) ? errno : 0;
    out.resize(out.size() - targetLeft);
    in.remove_prefix(in.size() - sourceLeft);
    if (error != 0 && error != E2BIG) return error;
  }
  return 0;
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Bytes of the well-formed UTF-8 sequence at the start of `text`, or 1 when it is malformed
// (so that malformed input is passed over one byte at a time).
size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if (!IsUtf8Continuation(text[i])) return 1;
  }
  return length;
}

}  // namespace

IconvHandle::IconvHandle(const char* toCode, const char* fromCode) : cd_(iconv_open(toCode, fromCode)) {}

IconvHandle::~IconvHandle() { Close(); }

IconvHandle::IconvHandle(IconvHandle&& other) noexcept : cd_(std::exchange(other.cd_, kInvalid)) {}

IconvHandle& IconvHandle::operator=(IconvHandle&& other) noexcept {
  if (this != &other) {
    Close();
    cd_ = std::exchange(other.cd_, kInvalid);
  }
  return *this;
}

void IconvHandle::Close() {
  if (Valid()) iconv_close(cd_);
  cd_ = kInvalid;
}

GbkEncoder::GbkEncoder() : converter_(kGbk, kUtf8) {}

GbkEncoded GbkEncoder::Encode(std::string_view utf8) {
  GbkEncoded result;
  result.bytes.reserve(utf8.size());
  const size_t total = utf8.size();
  std::string_view rest = utf8;
  while (ConvertSome(converter_, rest, result.bytes) != 0) {
    // EILSEQ or EINVAL: an unencodable character or malformed UTF-8 stands at the front.
    if (result.unencodableCount++ == 0) result.firstUnencodable = total - rest.size();
    result.bytes.push_back('?');
    rest.remove_prefix(Utf8SequenceLength(rest));
  }
  return result;
}

GbkDecoder::GbkDecoder() : converter_(kUtf8, kGbk) {}

std::string GbkDecoder::Decode(std::string_view gbk) {
  std::string joined;
  if (!pending_.empty()) {
    joined = std::exchange(pending_, std::string()) + std::string(gbk);
    gbk = joined;
  }
  std::string text;
  text.reserve(gbk.size() * 3 / 2 + 4);
  for (int error; (error = ConvertSome(converter_, gbk, text)) != 0;) {
    if (error == EINVAL && gbk.size() == 1 && IsGbkLeadByte(static_cast<uint8_t>(gbk[0]))) {
      pending_.assign(gbk);  // the trail byte is still on its way
      break;
    }
    text.append(kReplacementCharacter);
    gbk.remove_prefix(1);
  }
  return text;
}

std::string GbkDecoder::Finish() {
  std::string text;
  if (!pending_.empty()) text.append(kReplacementCharacter);
  pending_.clear();
  return text;
}

GbkEncoded EncodeGbk(std::string_view utf8) { return GbkEncoder().Encode(utf8); }

std::string DecodeGbk(std::string_view gbk) {
  GbkDecoder decoder;
  std::string text = decoder.Decode(gbk);
  return text + decoder.Finish();
}

std::string KeepOrEncodeGbk(std::string_view shownUtf8, std::string_view original) {
  if (DecodeGbk(original) == shownUtf8) return std::string(original);
  return EncodeGbk(shownUtf8).bytes;
}
