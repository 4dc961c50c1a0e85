#include "core/module/module_protocol.h"

#include <algorithm>
#include <cstdio>

namespace {

// Header, command byte and, for read and write, the block length 00 0E.
template <size_t N>
std::array<uint8_t, N> RequestStart(ModuleCommand command) {
  std::array<uint8_t, N> request{};
  std::copy(kRequestHeader.begin(), kRequestHeader.end(), request.begin());
  request[kRequestHeader.size()] = static_cast<uint8_t>(command);
  if constexpr (N >= kReadRequestSize) {
    request[7] = 0x00;
    request[8] = static_cast<uint8_t>(kConfigBlockSize);
  }
  return request;
}

uint8_t Bit0(uint8_t value) { return value & 1u; }
uint8_t AsFlag(uint8_t value) { return value != 0 ? 1 : 0; }

}  // namespace

IdentifyRequestBytes IdentifyRequest() { return RequestStart<kIdentifyRequestSize>(ModuleCommand::Identify); }

ReadRequestBytes ReadRequest() { return RequestStart<kReadRequestSize>(ModuleCommand::Read); }

WriteRequestBytes WriteRequest(const ModuleSettings& settings) {
  auto request = RequestStart<kWriteRequestSize>(ModuleCommand::Write);
  const ConfigBlock block = EncodeConfigBlock(settings);
  std::copy(block.begin(), block.end(), request.begin() + kReadRequestSize);
  return request;
}

ConfigBlock EncodeConfigBlock(const ModuleSettings& s) {
  return {static_cast<uint8_t>(s.RfFreq >> 16),
          static_cast<uint8_t>(s.RfFreq >> 8),
          static_cast<uint8_t>(s.RfFreq),
          s.RfBaudRate,
          s.RfPower,
          s.SerialBaudRate,
          s.SerialParity,
          s.WakeUpTime,
          s.DelayTime,
          AsFlag(s.FecEnable),
          s.LocalAddress,
          s.TargetAddress,
          s.PackLength,
          AsFlag(s.PackComplete)};
}

ModuleSettings DecodeConfigBlock(std::span<const uint8_t, kConfigBlockSize> b) {
  ModuleSettings s;
  s.RfFreq = (uint32_t{b[0]} << 16) | (uint32_t{b[1]} << 8) | b[2];
  s.RfBaudRate = b[3];
  s.RfPower = b[4];
  s.SerialBaudRate = b[5];
  s.SerialParity = b[6];
  s.WakeUpTime = b[7];
  s.DelayTime = b[8];
  s.FecEnable = Bit0(b[9]);
  s.LocalAddress = b[10];
  s.TargetAddress = b[11];
  s.PackLength = b[12];
  s.PackComplete = Bit0(b[13]);
  return s;
}

void ModuleReply::Clear() {
  ReplyBuffer.fill(0);
  ReplyLength = 0;
}

size_t ModuleReply::Append(std::span<const uint8_t> bytes) {
  const size_t room = kCapacity - std::min<size_t>(ReplyLength, kCapacity);
  const size_t stored = std::min(room, bytes.size());
  std::copy_n(bytes.begin(), stored, ReplyBuffer.begin() + ReplyLength);
  ReplyLength += static_cast<uint32_t>(stored);
  return stored;
}

bool ModuleAnswered(const ModuleReply& reply) {
  return reply.ReplyLength > 0 && reply.ReplyBuffer[0] == kReplyStart;
}

ReplyOutcome JudgeReply(const ModuleReply& reply, ExchangeKind kind) {
  if (!ModuleAnswered(reply)) return ReplyOutcome::Failed;
  if (kind == ExchangeKind::Write) return ReplyOutcome::WriteOk;
  const bool complete = reply.ReplyLength >= kReadExchangeReplySize &&
                        reply.ReplyBuffer[kReadReplyOffset] == kReplyStart;
  return complete ? ReplyOutcome::ReadOk : ReplyOutcome::Failed;
}

bool ApplyReadReply(const ModuleReply& reply, ModuleSettings& settings) {
  if (JudgeReply(reply, ExchangeKind::Read) != ReplyOutcome::ReadOk) return false;
  settings = DecodeConfigBlock(std::span<const uint8_t, kConfigBlockSize>(
      reply.ReplyBuffer.data() + kBlockOffset, kConfigBlockSize));
  return true;
}

std::string VersionText(uint8_t major, uint8_t minor, uint8_t patch) {
  char text[16];
  std::snprintf(text, sizeof text, "%i.%i.%i", int{major}, int{minor}, int{patch});
  return text;
}

std::string ReplyModelText(const ModuleReply& reply) {
  return std::string(ModelText(reply.ReplyBuffer[kModelOffset]));
}

std::string ReplyVersionText(const ModuleReply& reply) {
  const auto* v = reply.ReplyBuffer.data() + kVersionOffset;
  return VersionText(v[0], v[1], v[2]);
}
