#pragma once
// Binary frames: a start sequence, then a fixed number of values of one type in one byte
// order. After a frame the next start sequence is expected; bytes that do not begin one are
// skipped up to the next start sequence, and each such stretch counts once as unreadable. A
// float32 frame holding NaN or infinity is unreadable as a whole. With no start sequence the
// stream is read as frames back to back.
#include <cstdint>
#include <vector>

#include "core/plot/parsed_row.h"

enum class FrameValueType : uint8_t { kUint8, kInt8, kUint16, kInt16, kUint32, kInt32, kFloat32 };
inline constexpr int kFrameValueTypeCount = 7;

size_t FrameValueBytes(FrameValueType type);

struct FrameFormat {
  std::vector<uint8_t> start;  // at most kMaxStartBytes
  int values = 1;              // 1..kMaxPlotSeries
  FrameValueType type = FrameValueType::kInt16;
  bool bigEndian = false;

  static constexpr size_t kMaxStartBytes = 16;
  bool Valid() const { return start.size() <= kMaxStartBytes && values >= 1 && values <= kMaxPlotSeries; }
  bool operator==(const FrameFormat&) const = default;
};

// Decodes one frame's values (`format.values` of them, without the start sequence) into
// `row`; false when a float32 is not finite.
bool DecodeFrameValues(const FrameFormat& format, const uint8_t* payload, ParsedRow& row);

class FrameParser final : public SampleParser {
 public:
  explicit FrameParser(FrameFormat format);  // an invalid format is cut to a valid one
  void Feed(const unsigned char* bytes, size_t count, ParsedRowSink& sink) override;
  const FrameFormat& Format() const { return format_; }

 private:
  void MatchStart(uint8_t byte, ParsedRowSink& sink);

  FrameFormat format_;
  size_t payloadBytes_ = 0;
  std::vector<size_t> fallback_;  // for each matched length, the longest proper border of the start
  size_t matched_ = 0;            // bytes of the start sequence seen so far
  bool inPayload_ = false;
  bool skipping_ = false;         // a stretch of skipped bytes was counted already
  std::vector<uint8_t> payload_;
  ParsedRow row_;
};
