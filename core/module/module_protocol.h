#pragma once
// The request-and-reply protocol of a ZEL radio module, as pure functions over bytes: no
// port, no window, no clock.
//
// Requests all start with the header FF 56 AE 35 A9 55 and a command byte:
//   identify  7 bytes  header 8A
//   read      9 bytes  header 8B 00 0E
//   write    23 bytes  header 8C 00 0E, then the 14-byte configuration block
// The module answers each with a reply that begins with '$' (0x24).
//
// An exchange, as ModuleExchange (core/module/module_exchange.h) runs it:
//   read:  reply.Clear(); send IdentifyRequest(); wait 300 ms; send ReadRequest();
//          reply.Append(bytes) for every burst that arrives; after 100 ms close the port and
//          JudgeReply(reply, ExchangeKind::Read). On ReadOk: ApplyReadReply(reply, settings)
//          and show ReplyModelText(reply), ReplyVersionText(reply).
//   write: reply.Clear(); send WriteRequest(settings); Append(...); after 150 ms
//          JudgeReply(reply, ExchangeKind::Write).
//   In both, ModuleAnswered(reply) tells whether a module spoke at all (the page's
//   `ModuleSeen`), also when the exchange as a whole failed.
//
// The gathered buffer of a read exchange is the identify reply followed by the read reply:
//   0 '$'   3 model code   4,5,6 version   7 '$'   12..25 configuration block.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/module/module_settings.h"

inline constexpr std::array<uint8_t, 6> kRequestHeader = {0xFF, 0x56, 0xAE, 0x35, 0xA9, 0x55};
inline constexpr uint8_t kReplyStart = 0x24;  // '$'

enum class ModuleCommand : uint8_t { Identify = 0x8A, Read = 0x8B, Write = 0x8C };

inline constexpr size_t kConfigBlockSize = 14;
using ConfigBlock = std::array<uint8_t, kConfigBlockSize>;

inline constexpr size_t kIdentifyRequestSize = 7;
inline constexpr size_t kReadRequestSize = 9;
inline constexpr size_t kWriteRequestSize = kReadRequestSize + kConfigBlockSize;
using IdentifyRequestBytes = std::array<uint8_t, kIdentifyRequestSize>;
using ReadRequestBytes = std::array<uint8_t, kReadRequestSize>;
using WriteRequestBytes = std::array<uint8_t, kWriteRequestSize>;

// Positions in the buffer gathered by a read exchange.
inline constexpr size_t kModelOffset = 3;
inline constexpr size_t kVersionOffset = 4;
inline constexpr size_t kReadReplyOffset = 7;
inline constexpr size_t kBlockOffset = 12;
inline constexpr size_t kReadExchangeReplySize = kBlockOffset + kConfigBlockSize;  // 26

IdentifyRequestBytes IdentifyRequest();
ReadRequestBytes ReadRequest();
WriteRequestBytes WriteRequest(const ModuleSettings& settings);

// The 14-byte block: RfFreq in kHz as 24 bits, most significant byte first (bits above 23
// are not sent), then one byte per field in declaration order. FecEnable and PackComplete
// are sent as 1 when non-zero, else 0.
ConfigBlock EncodeConfigBlock(const ModuleSettings& settings);

// The reverse. Only bit 0 of FecEnable and PackComplete counts; every other field is stored
// as the module sent it, in or out of its table.
ModuleSettings DecodeConfigBlock(std::span<const uint8_t, kConfigBlockSize> block);

// The reply buffer of one exchange (`ReplyBuffer`, `ReplyLength`). It holds 32 bytes; bytes
// that arrive after it is full are dropped, never stored past its end.
struct ModuleReply {
  static constexpr size_t kCapacity = 32;
  std::array<uint8_t, kCapacity> ReplyBuffer{};
  uint32_t ReplyLength = 0;

  // All 32 bytes 0, count 0: done before each request sequence.
  void Clear();
  // Appends in order while there is room; returns how many bytes were stored.
  size_t Append(std::span<const uint8_t> bytes);
};

// Which button started the exchange: the judgement needs it so that a read whose second
// reply is missing is not taken for a successful write.
enum class ExchangeKind { Read, Write };

// How long a module is given to answer, counted from the exchange's last request.
inline constexpr uint32_t kReadReplyDelayMs = 100;
inline constexpr uint32_t kWriteReplyDelayMs = 150;
inline constexpr uint32_t ReplyDelayMs(ExchangeKind kind) {
  return kind == ExchangeKind::Read ? kReadReplyDelayMs : kWriteReplyDelayMs;
}

enum class ReplyOutcome {
  Failed,   // silent module, a reply not starting with '$', or an incomplete read reply
  ReadOk,   // a complete read reply: apply it
  WriteOk,  // the module acknowledged a write
};

// A read exchange succeeds when the buffer holds all 26 bytes with '$' at 0 and at 7; a
// write exchange succeeds when byte 0 is '$'. Everything else fails.
ReplyOutcome JudgeReply(const ModuleReply& reply, ExchangeKind kind);

// True when the reply begins with '$': a module answered, whatever the outcome.
bool ModuleAnswered(const ModuleReply& reply);

// Replaces `settings` with the block of a read reply. Does nothing and returns false unless
// JudgeReply(reply, ExchangeKind::Read) is ReadOk.
bool ApplyReadReply(const ModuleReply& reply, ModuleSettings& settings);

// "%i.%i.%i" of three version bytes taken as unsigned (01 02 03 -> "1.2.3").
std::string VersionText(uint8_t major, uint8_t minor, uint8_t patch);

// Model name and version text of a read exchange's buffer (bytes 3 and 4 to 6).
std::string ReplyModelText(const ModuleReply& reply);
std::string ReplyVersionText(const ModuleReply& reply);
