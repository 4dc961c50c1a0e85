#include "core/module/request_parser.h"

#include <algorithm>

namespace {

constexpr size_t kCommandOffset = kRequestHeader.size();

// Request size of a command byte; 0 for a byte that is no known command.
size_t RequestSizeOf(uint8_t command) {
  switch (static_cast<ModuleCommand>(command)) {
    case ModuleCommand::Identify: return kIdentifyRequestSize;
    case ModuleCommand::Read: return kReadRequestSize;
    case ModuleCommand::Write: return kWriteRequestSize;
  }
  return 0;
}

// True when bytes 7 and 8 of a read or write request are the block length 00 0E.
bool HasBlockLength(const std::vector<uint8_t>& frame) {
  return frame[kCommandOffset + 1] == 0x00 && frame[kCommandOffset + 2] == kConfigBlockSize;
}

}  // namespace

std::vector<ModuleRequest> RequestParser::Feed(std::span<const uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  std::vector<ModuleRequest> requests;
  for (;;) {
    DropBeforeHeader();
    ModuleRequest request;
    size_t frameSize = 0;
    const Step step = TryFrame(request, frameSize);
    if (step == Step::Incomplete) break;
    if (step == Step::Skip) {
      // Not a request after all: look for the next header after this one's first byte.
      pending_.erase(pending_.begin());
      continue;
    }
    requests.push_back(request);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(frameSize));
  }
  return requests;
}

// Drops everything before the first full header; without one, keeps only the longest
// tail that could still grow into a header.
void RequestParser::DropBeforeHeader() {
  const auto header = std::search(pending_.begin(), pending_.end(), kRequestHeader.begin(), kRequestHeader.end());
  if (header != pending_.end()) {
    pending_.erase(pending_.begin(), header);
    return;
  }
  size_t keep = std::min(pending_.size(), kRequestHeader.size() - 1);
  while (keep > 0 && !std::equal(pending_.end() - static_cast<ptrdiff_t>(keep), pending_.end(), kRequestHeader.begin())) {
    --keep;
  }
  pending_.erase(pending_.begin(), pending_.end() - static_cast<ptrdiff_t>(keep));
}

// Looks at a pending buffer that begins with a header (or holds less than one).
RequestParser::Step RequestParser::TryFrame(ModuleRequest& request, size_t& frameSize) const {
  if (pending_.size() <= kCommandOffset) return Step::Incomplete;
  frameSize = RequestSizeOf(pending_[kCommandOffset]);
  if (frameSize == 0) return Step::Skip;
  if (pending_.size() < std::min(frameSize, kReadRequestSize)) return Step::Incomplete;
  if (frameSize >= kReadRequestSize && !HasBlockLength(pending_)) return Step::Skip;
  if (pending_.size() < frameSize) return Step::Incomplete;
  request.command = static_cast<ModuleCommand>(pending_[kCommandOffset]);
  if (request.command == ModuleCommand::Write) {
    std::copy_n(pending_.begin() + kReadRequestSize, kConfigBlockSize, request.block.begin());
  }
  return Step::Complete;
}
