#pragma once
// The telnet byte stream (RFC 854/855) as a network serial port speaks it: data bytes with
// 0xFF doubled, option negotiation (WILL/WONT/DO/DONT) and subnegotiations. The decoder is
// fed whatever the socket gave, cut anywhere, and keeps the partial command between calls;
// nothing here does any I/O.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace telnet {

inline constexpr uint8_t kSe = 240;    // end of subnegotiation
inline constexpr uint8_t kNop = 241;
inline constexpr uint8_t kSb = 250;    // start of subnegotiation
inline constexpr uint8_t kWill = 251;
inline constexpr uint8_t kWont = 252;
inline constexpr uint8_t kDo = 253;
inline constexpr uint8_t kDont = 254;
inline constexpr uint8_t kIac = 255;   // "interpret as command"; doubled as a data byte

inline constexpr uint8_t kOptionBinary = 0;
inline constexpr uint8_t kOptionEcho = 1;
inline constexpr uint8_t kOptionSuppressGoAhead = 3;
inline constexpr uint8_t kOptionComPort = 44;

// Longest subnegotiation payload taken; the com port commands need at most a few bytes
// (a signature text is cut there).
inline constexpr size_t kMaxSubnegotiation = 256;

// Receives what the decoder finds, in stream order.
class StreamSink {
 public:
  virtual ~StreamSink() = default;
  virtual void Data(const uint8_t* bytes, size_t count) = 0;
  // verb is kWill, kWont, kDo or kDont.
  virtual void Negotiation(uint8_t verb, uint8_t option) = 0;
  // The payload with its doubled 0xFF undone; option is its first byte.
  virtual void Subnegotiation(uint8_t option, const uint8_t* payload, size_t count) = 0;
};

class StreamDecoder {
 public:
  // Decodes the next piece of the stream. Once the stream breaks the rules of telnet (IAC
  // before a byte that is no command, a subnegotiation longer than anything we know) the
  // peer is taken not to speak telnet: the offending bytes and everything after them are
  // handed on as data, unchanged.
  void Feed(const uint8_t* bytes, size_t count, StreamSink& sink);
  bool Broken() const { return state_ == State::Broken; }

 private:
  enum class State : uint8_t { Data, Command, Option, SubOption, SubData, SubCommand, Broken };
  void Break(const uint8_t* pending, size_t count, StreamSink& sink);

  State state_ = State::Data;
  uint8_t verb_ = 0;
  std::vector<uint8_t> sub_;  // option byte first, then the payload
};

// Appends data bytes as they go on the wire (0xFF doubled).
void AppendData(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out);
void AppendNegotiation(uint8_t verb, uint8_t option, std::vector<uint8_t>& out);
// IAC SB option payload IAC SE, the payload's 0xFF doubled.
void AppendSubnegotiation(uint8_t option, const uint8_t* payload, size_t count, std::vector<uint8_t>& out);

}  // namespace telnet
