#include "core/plot/frame_parser.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

size_t FrameValueBytes(FrameValueType type) {
  switch (type) {
    case FrameValueType::kUint8:
    case FrameValueType::kInt8: return 1;
    case FrameValueType::kUint16:
    case FrameValueType::kInt16: return 2;
    default: return 4;
  }
}

namespace {

uint32_t ReadUnsigned(const uint8_t* p, size_t size, bool bigEndian) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t byte = p[bigEndian ? i : size - 1 - i];
    value = (value << 8) | byte;
  }
  return value;
}

}  // namespace

bool DecodeFrameValues(const FrameFormat& format, const uint8_t* payload, ParsedRow& row) {
  const size_t size = FrameValueBytes(format.type);
  row.count = format.values;
  for (int i = 0; i < format.values; ++i) {
    const uint32_t raw = ReadUnsigned(payload + i * size, size, format.bigEndian);
    double value = 0;
    switch (format.type) {
      case FrameValueType::kUint8:
      case FrameValueType::kUint16:
      case FrameValueType::kUint32: value = raw; break;
      case FrameValueType::kInt8: value = static_cast<int8_t>(raw); break;
      case FrameValueType::kInt16: value = static_cast<int16_t>(raw); break;
      case FrameValueType::kInt32: value = static_cast<int32_t>(raw); break;
      case FrameValueType::kFloat32: value = std::bit_cast<float>(raw); break;
    }
    if (!std::isfinite(value)) return false;
    row.names[i] = {};
    row.values[i] = value;
  }
  return true;
}

FrameParser::FrameParser(FrameFormat format) : format_(std::move(format)) {
  if (format_.start.size() > FrameFormat::kMaxStartBytes) format_.start.resize(FrameFormat::kMaxStartBytes);
  format_.values = std::clamp(format_.values, 1, kMaxPlotSeries);
  payloadBytes_ = format_.values * FrameValueBytes(format_.type);
  payload_.reserve(payloadBytes_);
  // The prefix function of the start sequence: after a mismatch the search goes on from the
  // longest part already seen that can still begin a start (AA AA 55 inside AA AA AA 55).
  const auto& start = format_.start;
  fallback_.assign(start.size() + 1, 0);
  for (size_t i = 1, k = 0; i < start.size(); ++i) {
    while (k > 0 && start[i] != start[k]) k = fallback_[k];
    if (start[i] == start[k]) ++k;
    fallback_[i + 1] = k;
  }
  inPayload_ = start.empty();
}

void FrameParser::MatchStart(uint8_t byte, ParsedRowSink& sink) {
  const auto& start = format_.start;
  const size_t before = matched_;
  while (matched_ > 0 && byte != start[matched_]) matched_ = fallback_[matched_];
  if (byte == start[matched_]) ++matched_;
  // before + 1 bytes were held (counting this one); matched_ of them still may begin a start.
  if (matched_ < before + 1 && !skipping_) {
    skipping_ = true;
    sink.Unreadable();
  }
  if (matched_ == start.size()) {
    matched_ = 0;
    skipping_ = false;
    inPayload_ = true;
  }
}

void FrameParser::Feed(const unsigned char* bytes, size_t count, ParsedRowSink& sink) {
  for (size_t i = 0; i < count; ++i) {
    if (!inPayload_) {
      MatchStart(bytes[i], sink);
      continue;
    }
    payload_.push_back(bytes[i]);
    if (payload_.size() < payloadBytes_) continue;
    if (DecodeFrameValues(format_, payload_.data(), row_)) {
      sink.Row(row_);
    } else {
      sink.Unreadable();
    }
    payload_.clear();
    inPayload_ = format_.start.empty();
  }
}
