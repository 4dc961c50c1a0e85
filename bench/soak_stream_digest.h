#pragma once
// A fingerprint of a byte stream that two sides can compare without keeping the stream: a
// running FNV-1a hash, with its value noted at every 64 KiB of stream so that a difference
// can be placed and two streams of different length compared over their common part.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class StreamDigest {
 public:
  static constexpr uint64_t kCheckpointBytes = 65536;

  // `expectedBytes` sizes the checkpoint list once, so a long run does not grow it.
  explicit StreamDigest(uint64_t expectedBytes = 0) { checkpoints_.reserve(expectedBytes / kCheckpointBytes + 2); }

  void Add(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      hash_ = (hash_ ^ bytes[i]) * 0x100000001B3ull;
      if (++length_ % kCheckpointBytes == 0) checkpoints_.push_back(hash_);
    }
  }

  uint64_t Length() const { return length_; }
  uint64_t Value() const { return hash_; }
  const std::vector<uint64_t>& Checkpoints() const { return checkpoints_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ull;
  uint64_t length_ = 0;
  std::vector<uint64_t> checkpoints_;
};

// How many leading bytes two streams are known to share: their whole length when both are
// the same stream, else the last checkpoint up to which they agree.
inline uint64_t AgreeingPrefix(const StreamDigest& a, const StreamDigest& b) {
  if (a.Length() == b.Length() && a.Value() == b.Value()) return a.Length();
  const auto& x = a.Checkpoints();
  const auto& y = b.Checkpoints();
  const size_t common = std::min(x.size(), y.size());
  const size_t firstDifferent = std::mismatch(x.begin(), x.begin() + common, y.begin()).first - x.begin();
  return firstDifferent * StreamDigest::kCheckpointBytes;
}
