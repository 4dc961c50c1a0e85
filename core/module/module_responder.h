#pragma once
// A ZEL module's answers, as far as the configuration page examines them: the behaviour of
// the module simulator without its pseudo-terminal, timing or fault options.
//
//   identify -> 7 bytes:  '$' 00 00 model v1 v2 v3
//   read     -> 19 bytes: '$' 00 00 00 00 and the 14-byte block
//   write    -> "$", after storing the request's block as it came
// After the page gathers the identify reply and the read reply one after the other, the
// block stands at bytes 12 to 25 of its buffer.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/module/module_protocol.h"
#include "core/module/request_parser.h"

struct ModuleIdentity {
  uint8_t model = 0x13;                      // "ZEL-B1 FIFO"
  std::array<uint8_t, 3> version = {1, 0, 5};
};

inline constexpr size_t kIdentifyReplySize = kReadReplyOffset;                      // 7
inline constexpr size_t kReadReplySize = kReadExchangeReplySize - kReadReplyOffset;  // 19

std::vector<uint8_t> IdentifyReply(const ModuleIdentity& identity);
std::vector<uint8_t> ReadReply(const ConfigBlock& block);
std::vector<uint8_t> WriteReply();

class ModuleResponder {
 public:
  ModuleResponder(ModuleIdentity identity, const ConfigBlock& block) : identity_(identity), block_(block) {}

  // Takes received bytes; returns one reply per request they complete, in order.
  std::vector<std::vector<uint8_t>> Receive(std::span<const uint8_t> bytes);

  // The other side went away: a half-received request is dropped.
  void Reset() { parser_.Reset(); }

  // The block as the module holds it: raw bytes, so that a written value that is out of
  // any table, or a flag byte other than 0 and 1, is read back as it was written.
  const ConfigBlock& Block() const { return block_; }

 private:
  std::vector<uint8_t> Answer(const ModuleRequest& request);

  ModuleIdentity identity_;
  ConfigBlock block_;
  RequestParser parser_;
};
