#pragma once
// The module's side of the protocol: finding requests in the byte stream a module
// receives. Used by the module simulator; kept here, with the frames it mirrors, so that
// the rules are tested with them.
//
// Bytes may come in any chunks. The parser scans for the request header, so garbage before
// a request, and anything that starts like a header but does not continue as a known
// request, is skipped. A request is complete when all its bytes are there:
//   identify  header 8A
//   read      header 8B 00 0E
//   write     header 8C 00 0E + 14-byte block
#include <cstdint>
#include <span>
#include <vector>

#include "core/module/module_protocol.h"

struct ModuleRequest {
  ModuleCommand command = ModuleCommand::Identify;
  ConfigBlock block{};  // the block of a write request; zeros otherwise

  bool operator==(const ModuleRequest&) const = default;
};

class RequestParser {
 public:
  // Takes the next received bytes and returns the requests they complete, in order.
  std::vector<ModuleRequest> Feed(std::span<const uint8_t> bytes);

  // Forgets a request begun but not completed (the other side went away).
  void Reset() { pending_.clear(); }

  // Bytes held back as the possible start of a request.
  size_t PendingSize() const { return pending_.size(); }

 private:
  enum class Step { Incomplete, Skip, Complete };
  Step TryFrame(ModuleRequest& request, size_t& frameSize) const;
  void DropBeforeHeader();

  std::vector<uint8_t> pending_;
};
