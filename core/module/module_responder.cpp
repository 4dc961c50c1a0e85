#include "core/module/module_responder.h"

namespace {

constexpr size_t kReadReplyBlockOffset = kBlockOffset - kReadReplyOffset;  // 5

}  // namespace

std::vector<uint8_t> IdentifyReply(const ModuleIdentity& identity) {
  std::vector<uint8_t> reply(kIdentifyReplySize, 0);
  reply[0] = kReplyStart;
  reply[kModelOffset] = identity.model;
  std::copy(identity.version.begin(), identity.version.end(), reply.begin() + kVersionOffset);
  return reply;
}

std::vector<uint8_t> ReadReply(const ConfigBlock& block) {
  std::vector<uint8_t> reply(kReadReplySize, 0);
  reply[0] = kReplyStart;
  std::copy(block.begin(), block.end(), reply.begin() + kReadReplyBlockOffset);
  return reply;
}

std::vector<uint8_t> WriteReply() { return {kReplyStart}; }

std::vector<std::vector<uint8_t>> ModuleResponder::Receive(std::span<const uint8_t> bytes) {
  std::vector<std::vector<uint8_t>> replies;
  for (const ModuleRequest& request : parser_.Feed(bytes)) replies.push_back(Answer(request));
  return replies;
}

std::vector<uint8_t> ModuleResponder::Answer(const ModuleRequest& request) {
  switch (request.command) {
    case ModuleCommand::Identify: return IdentifyReply(identity_);
    case ModuleCommand::Read: return ReadReply(block_);
    case ModuleCommand::Write:
      block_ = request.block;
      return WriteReply();
  }
  return {};
}
