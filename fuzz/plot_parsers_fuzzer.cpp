// The plot's line and frame parsers on any stream: the first bytes choose the parser and the
// frame format, the rest is the stream. Properties: every row holds 1..16 finite values (a
// frame exactly its format's count); the stream fed whole, byte by byte, or cut in two at any
// position gives the same rows and the same unreadable counts.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/plot/frame_parser.h"
#include "core/plot/line_parser.h"
#include "require.h"

namespace {

struct Record final : ParsedRowSink {
  int expectedCount = 0;  // 0: any
  std::vector<std::string> entries;
  void Row(const ParsedRow& row) override {
    FUZZ_REQUIRE(row.count >= 1 && row.count <= kMaxPlotSeries);
    FUZZ_REQUIRE(expectedCount == 0 || row.count == expectedCount);
    std::string entry;
    for (int i = 0; i < row.count; ++i) {
      FUZZ_REQUIRE(std::isfinite(row.values[i]));
      entry.append(reinterpret_cast<const char*>(&row.values[i]), sizeof(double));
      entry.append(row.names[i]).push_back('\0');
    }
    entries.push_back(std::move(entry));
  }
  void Unreadable() override { entries.emplace_back("?"); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const bool frames = data[0] & 1;
  FrameFormat format;
  format.type = static_cast<FrameValueType>(data[1] % kFrameValueTypeCount);
  format.values = 1 + data[2] % kMaxPlotSeries;
  format.bigEndian = data[1] & 0x80;
  const size_t startBytes = std::min<size_t>(data[3] % 4, size - 4);
  format.start.assign(data + 4, data + 4 + startBytes);
  const uint8_t* stream = data + 4 + startBytes;
  const size_t length = size - 4 - startBytes;

  const auto make = [&]() -> std::unique_ptr<SampleParser> {
    if (frames) return std::make_unique<FrameParser>(format);
    return std::make_unique<LineParser>();
  };
  Record whole;
  whole.expectedCount = frames ? format.values : 0;
  make()->Feed(stream, length, whole);

  Record bytewise;
  auto byParser = make();
  for (size_t i = 0; i < length; ++i) byParser->Feed(stream + i, 1, bytewise);
  FUZZ_REQUIRE(bytewise.entries == whole.entries);

  // Every cut for short streams, an even spread of cuts for long ones.
  const size_t step = length <= 512 ? 1 : length / 256;
  for (size_t cut = 0; cut <= length; cut += step) {
    Record split;
    auto parser = make();
    parser->Feed(stream, cut, split);
    parser->Feed(stream + cut, length - cut, split);
    FUZZ_REQUIRE(split.entries == whole.entries);
  }
  return 0;
}
