// Time-stamped renderings: where lines start and which time they carry, for text and hex,
// streamed in pieces and rebuilt from the receive store's arrival marks.
#include <gtest/gtest.h>

#include "core/receive/line_stampers.h"
#include "core/receive/receive_store.h"
#include "support/set_clock.h"

namespace {

class Stamps : public ::testing::Test {
 protected:
  void SetUp() override { UseUtcLocalTime(); }
};

std::string Hex(std::initializer_list<uint8_t> bytes, int64_t ms, HexLineStamper& stamper, std::string& out) {
  const std::vector<uint8_t> v(bytes);
  stamper.Add(v.data(), v.size(), ms, out);
  return out;
}

}  // namespace

TEST_F(Stamps, TextLinesCarryTheTimeOfTheirFirstByteWhateverTheLineEndAndChunking) {
  TextLineStamper stamper;
  std::string out;
  stamper.Add("ab\r", kMorningMs + 5, out);
  stamper.Add("\ncd", kMorningMs + 1007, out);  // "\r\n" split over two chunks: one line end
  stamper.Add("e\n\n", kMorningMs + 61000, out);
  stamper.Add("\rf", kMorningMs + 3600000, out);
  EXPECT_EQ(out,
            "[10:31:42.005] ab\r\n[10:31:43.007] cde\n[10:32:43.000] \n"
            "[11:31:42.000] \r[11:31:42.000] f");
  stamper.EndLine(out);
  EXPECT_EQ(out.back(), '\n');
  EXPECT_FALSE(stamper.LineOpen());
}

TEST_F(Stamps, HexLinesBreakAfterAPauseLongerThanTheGapAndAfterSixteenBytes) {
  HexLineStamper stamper(20);
  std::string out;
  Hex({0x41, 0x0D}, kMorningMs, stamper, out);
  Hex({0x0A}, kMorningMs + 20, stamper, out);  // a pause of exactly the gap: same line
  Hex({0xFF}, kMorningMs + 41, stamper, out);  // longer: a new line
  EXPECT_EQ(out, "[10:31:42.000] 41 0D 0A\n[10:31:42.041] FF");
  out.clear();
  stamper.Restart();
  std::vector<uint8_t> burst(20, 0x30);
  stamper.Add(burst.data(), burst.size(), kMorningMs, out);
  EXPECT_EQ(out, "[10:31:42.000] 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30\n[10:31:42.000] 30 30 30 30");
  stamper.SetGap(0);  // below the least gap: held at 1 ms
  EXPECT_EQ(stamper.Gap(), kMinHexGapMs);
}

// The window stamps the hex rendering the store hands out, without decoding it: line for
// line the same as stamping the bytes, for chunks that continue, fill and overrun lines.
TEST_F(Stamps, StampingTheHexRenderingEqualsStampingTheBytes) {
  ReceiveStore store(4096);
  HexLineStamper fromBytes(20);
  std::string expected;
  int64_t ms = kMorningMs;
  for (const size_t size : {5u, 11u, 1u, 16u, 40u, 3u, 33u}) {
    std::vector<uint8_t> chunk(size);
    for (size_t i = 0; i < size; ++i) chunk[i] = static_cast<uint8_t>(size * 31 + i * 7);
    ms += size % 2 ? 5 : 30;  // pauses below and above the gap
    store.AddChunk(chunk.data(), chunk.size(), ms);
    fromBytes.Add(chunk.data(), chunk.size(), ms, expected);
  }
  ReceiveUpdate update;
  store.TakePending(true, update, true);
  StampedRendering stamped;
  stamped.Restart(true, 20);
  std::string shown;
  stamped.Add(update.Bytes, update.Marks, shown);
  EXPECT_EQ(shown, expected);
}

// Switching stamps on shows them for everything kept: the store's marks survive a backspace
// that eats a chunk's text, and a drop of the oldest data, and the rendering rebuilt from them
// equals the one a live stream would have shown.
TEST_F(Stamps, StoreMarksRebuildTheStampedRenderingOfWhatIsKept) {
  ReceiveStore store(16);
  const auto add = [&](std::string_view bytes, int64_t ms) {
    store.AddChunk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ms);
  };
  add("ab\n", kMorningMs);
  add("xy", kMorningMs + 100);
  add("\b\bcd\n", kMorningMs + 200);  // takes back all of the second chunk's text
  add(std::string("\0e", 2), kMorningMs + 300);
  std::string kept;
  ArrivalMarks marks;
  store.SnapshotWithMarks(false, kept, marks);
  StampedRendering stamped;
  stamped.Restart(false, 20);
  std::string shown;
  stamped.Add(kept, marks, shown);
  EXPECT_EQ(shown, "[10:31:42.000] ab\n[10:31:42.200] cd\n[10:31:42.300] e");

  store.SnapshotWithMarks(true, kept, marks);
  stamped.Restart(true, 50);
  shown.clear();
  stamped.Add(kept, marks, shown);
  EXPECT_EQ(shown, "[10:31:42.000] 61 62 0A\n[10:31:42.100] 78 79\n[10:31:42.200] 08 08 63 64 0A\n"
                   "[10:31:42.300] 00 65");

  // 16 bytes kept: the next chunk drops the oldest; the first kept byte keeps the time of
  // the chunk it came with.
  add("0123456789", kMorningMs + 900);
  store.SnapshotWithMarks(true, kept, marks);
  stamped.Restart(true, 50);
  shown.clear();
  stamped.Add(kept, marks, shown);
  EXPECT_EQ(shown, "[10:31:42.200] 64 0A\n[10:31:42.300] 00 65\n"
                   "[10:31:42.900] 30 31 32 33 34 35 36 37 38 39");

  // What is pending comes with the marks of just its own bytes.
  (void)store.TakePending(false);
  add("z", kMorningMs + 950);
  ReceiveUpdate update;
  store.TakePending(false, update, true);
  EXPECT_EQ(update.Bytes, "z");
  EXPECT_EQ(update.Marks, (ArrivalMarks{{0, kMorningMs + 950}}));
}
