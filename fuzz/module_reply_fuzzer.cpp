// The module reply buffer, its judgement and the application of a read reply: 0 to 64 reply
// bytes arrive in any chunking into a 32-byte buffer that may hold an earlier exchange's
// bytes until it is cleared. Nothing may be stored or read past the buffer (the struct is on
// the heap and the library's bounds checks are on), and the judgement, the applied settings
// and the texts must agree with a plain reading of the reply rules.
//
// Input: a flag byte (exchange kind, whether the buffer starts dirty), the dirty contents, the
// reply bytes, then chunk sizes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/module/module_protocol.h"
#include "require.h"

namespace {

constexpr size_t kMaxReplyBytes = 64;
constexpr uint8_t kDollar = '$';

// The identify reply (7 bytes) and then the read reply, whose configuration block starts 12
// bytes in and is 14 bytes long.
ReplyOutcome ReferenceJudge(const std::vector<uint8_t>& stored, ExchangeKind kind) {
  if (stored.empty() || stored[0] != kDollar) return ReplyOutcome::Failed;
  if (kind == ExchangeKind::Write) return ReplyOutcome::WriteOk;
  return stored.size() >= 26 && stored[7] == kDollar ? ReplyOutcome::ReadOk : ReplyOutcome::Failed;
}

ModuleSettings ReferenceDecode(const std::vector<uint8_t>& r) {
  ModuleSettings s;
  s.RfFreq = r[12] * 65536u + r[13] * 256u + r[14];
  s.RfBaudRate = r[15];
  s.RfPower = r[16];
  s.SerialBaudRate = r[17];
  s.SerialParity = r[18];
  s.WakeUpTime = r[19];
  s.DelayTime = r[20];
  s.FecEnable = r[21] % 2;
  s.LocalAddress = r[22];
  s.TargetAddress = r[23];
  s.PackLength = r[24];
  s.PackComplete = r[25] % 2;
  return s;
}

std::string ReferenceModel(uint8_t code) {
  switch (code) {
    case 0x01: return "ZEL-A1";
    case 0x02: return "ZEL-A2";
    case 0x03: return "ZEL-B1";
    case 0x04: return "ZEL-C1";
    case 0x08: return "ZEL-D1";
    case 0x11: return "ZEL-A3";
    case 0x13: return "ZEL-B1 FIFO";
    default: return "Unknown Device";
  }
}

// Settings nobody would read from a module, to see that a failed judgement changes nothing.
ModuleSettings Untouched() {
  ModuleSettings s;
  s.RfFreq = 0xABCDEF;
  s.DelayTime = 99;
  s.LocalAddress = 1;
  return s;
}

void CheckBlockRoundTrip(const ModuleReply& reply) {
  ConfigBlock block{};
  std::copy_n(reply.ReplyBuffer.begin() + kBlockOffset, kConfigBlockSize, block.begin());
  const ModuleSettings decoded = DecodeConfigBlock(block);
  block[9] &= 1;  // only bit 0 of the two flags is read, and they are sent as 0 or 1
  block[13] &= 1;
  FUZZ_REQUIRE(EncodeConfigBlock(decoded) == block);
  const WriteRequestBytes request = WriteRequest(decoded);
  FUZZ_REQUIRE(std::equal(block.begin(), block.end(), request.begin() + kReadRequestSize));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint8_t flags = input.ConsumeIntegral<uint8_t>();
  const ExchangeKind kind = (flags & 1) ? ExchangeKind::Write : ExchangeKind::Read;

  auto reply = std::make_unique<ModuleReply>();
  if (flags & 2) {
    // The previous exchange's bytes, up to a full buffer: Clear must wipe all of them.
    const std::vector<uint8_t> old = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 40));
    reply->Append(old);
    FUZZ_REQUIRE(reply->ReplyLength == std::min(old.size(), ModuleReply::kCapacity));
  }
  reply->Clear();
  FUZZ_REQUIRE(reply->ReplyLength == 0);
  FUZZ_REQUIRE(std::all_of(reply->ReplyBuffer.begin(), reply->ReplyBuffer.end(), [](uint8_t b) { return b == 0; }));

  const std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, kMaxReplyBytes));
  // Chunk sizes come from the input (0 included); when it runs out the rest is one chunk.
  for (size_t offset = 0; offset < bytes.size();) {
    const size_t wanted = input.remaining_bytes() > 0 ? input.ConsumeIntegralInRange<size_t>(0, kMaxReplyBytes)
                                                      : bytes.size() - offset;
    const size_t chunk = std::min(wanted, bytes.size() - offset);
    const size_t room = ModuleReply::kCapacity - std::min<size_t>(offset, ModuleReply::kCapacity);
    FUZZ_REQUIRE(reply->Append(std::span<const uint8_t>(bytes.data() + offset, chunk)) == std::min(chunk, room));
    offset += chunk;
  }

  // The buffer holds the first 32 bytes and zeros after them.
  const size_t storedCount = std::min(bytes.size(), ModuleReply::kCapacity);
  std::vector<uint8_t> stored(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(storedCount));
  FUZZ_REQUIRE(reply->ReplyLength == storedCount);
  FUZZ_REQUIRE(std::equal(stored.begin(), stored.end(), reply->ReplyBuffer.begin()));
  FUZZ_REQUIRE(std::all_of(reply->ReplyBuffer.begin() + static_cast<std::ptrdiff_t>(storedCount), reply->ReplyBuffer.end(),
                      [](uint8_t b) { return b == 0; }));

  FUZZ_REQUIRE(JudgeReply(*reply, kind) == ReferenceJudge(stored, kind));
  FUZZ_REQUIRE(ModuleAnswered(*reply) == (!stored.empty() && stored[0] == kDollar));

  ModuleSettings settings = Untouched();
  const bool applied = ApplyReadReply(*reply, settings);
  const bool readOk = ReferenceJudge(stored, ExchangeKind::Read) == ReplyOutcome::ReadOk;
  FUZZ_REQUIRE(applied == readOk);
  FUZZ_REQUIRE(settings == (readOk ? ReferenceDecode(stored) : Untouched()));

  const auto& b = reply->ReplyBuffer;
  FUZZ_REQUIRE(ReplyModelText(*reply) == ReferenceModel(b[3]));
  FUZZ_REQUIRE(ReplyVersionText(*reply) == std::to_string(b[4]) + "." + std::to_string(b[5]) + "." + std::to_string(b[6]));
  CheckBlockRoundTrip(*reply);
  return 0;
}
