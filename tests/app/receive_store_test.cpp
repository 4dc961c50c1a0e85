#include "core/receive/receive_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

void Add(ReceiveStore& store, const std::string& bytes) {
  store.AddChunk(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Straightforward model of the two renderings of a byte stream, used to check the store.
std::string HexOf(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char b : bytes) hex += {digits[b >> 4], digits[b & 15], ' '};
  return hex;
}

std::string TextOf(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    if (c == '\0') continue;
    if (c == '\b') {
      if (!text.empty()) text.pop_back();
    } else {
      text += c;
    }
  }
  return text;
}

TEST(ReceiveStoreRenderings, NulIsLeftOutOfTextButShownInHex) {
  ReceiveStore store;
  Add(store, std::string("A\0B", 3));
  EXPECT_EQ(store.Snapshot(false), "AB");
  EXPECT_EQ(store.Snapshot(true), "41 00 42 ");
  EXPECT_EQ(store.ReceivedCount(), 3);
  const ReceiveUpdate text = store.TakePending(false);
  EXPECT_FALSE(text.Reset);
  EXPECT_EQ(text.Bytes, "AB");
  EXPECT_EQ(text.ReceivedCount, 3);
}

TEST(ReceiveStoreRenderings, HexPendingIsEveryByte) {
  ReceiveStore store;
  Add(store, std::string("A\0B", 3));
  const ReceiveUpdate hex = store.TakePending(true);
  EXPECT_FALSE(hex.Reset);
  EXPECT_EQ(hex.Bytes, "41 00 42 ");
  EXPECT_EQ(store.TakePending(true).Bytes, "") << "pending texts are emptied by a take";
}

TEST(ReceiveStoreRenderings, BackspaceResetsTheTextDisplayButIsAPlainPairInHex) {
  ReceiveStore store;
  Add(store, "abc\b");
  EXPECT_EQ(store.Snapshot(false), "ab");
  EXPECT_EQ(store.Snapshot(true), "61 62 63 08 ");
  const ReceiveUpdate text = store.TakePending(false);
  EXPECT_TRUE(text.Backspaced);
  EXPECT_EQ(text.TailCut, 0u) << "the backspace removed only new text";
  EXPECT_EQ(text.Bytes, "ab");

  Add(store, "d\b");
  const ReceiveUpdate hex = store.TakePending(true);
  EXPECT_FALSE(hex.Reset);
  EXPECT_FALSE(hex.Backspaced);
  EXPECT_EQ(hex.Bytes, "64 08 ");
}

// The window re-set after a backspace is the window with its end cut and the rest appended:
// the cut reaches as deep as the backspaces went, even when text came after them.
TEST(ReceiveStoreRenderings, BackspaceCutsTheWindowAsDeepAsItReached) {
  ReceiveStore store;
  Add(store, "hello");
  ASSERT_EQ(store.TakePending(false).Bytes, "hello");
  Add(store, "\b\b\bXY\bZ");
  const ReceiveUpdate text = store.TakePending(false);
  EXPECT_FALSE(text.Reset);
  EXPECT_TRUE(text.Backspaced);
  EXPECT_EQ(text.TailCut, 3u);
  EXPECT_EQ(text.Bytes, "XZ");
  EXPECT_EQ(store.Snapshot(false), "heXZ");
  Add(store, "!");
  const ReceiveUpdate next = store.TakePending(false);
  EXPECT_FALSE(next.Backspaced) << "a backspace counts for one update only";
  EXPECT_EQ(next.Bytes, "!");
}

// After a clear, a chunk read before it is still shown; the window then holds text the
// buffer no longer has, so a backspace re-sets it from the buffer instead of cutting it.
TEST(ReceiveStoreRenderings, BackspaceAfterAClearWithTextPendingResetsTheWindow) {
  ReceiveStore store;
  Add(store, "old");
  store.Clear();
  ASSERT_EQ(store.TakePending(false).Bytes, "old");
  Add(store, "n\b");
  const ReceiveUpdate text = store.TakePending(false);
  EXPECT_TRUE(text.Reset);
  EXPECT_EQ(text.Bytes, "");
}

TEST(ReceiveStoreRenderings, BackspaceFirstAfterClearLeavesTextEmpty) {
  ReceiveStore store;
  Add(store, "xy");
  store.Clear();
  Add(store, "\b\bz");
  EXPECT_EQ(store.Snapshot(false), "z");
  EXPECT_EQ(store.Snapshot(true), "08 08 7A ");
  Add(store, "\b\b");
  EXPECT_EQ(store.Snapshot(false), "");
}

TEST(ReceiveStoreRenderings, BackspaceAfterGbkPairLeavesItsLeadByte) {
  ReceiveStore store;
  Add(store, "\xD6\xD0\b");
  EXPECT_EQ(store.Snapshot(false), "\xD6");
}

TEST(ReceiveStorePending, SeveralChunksBeforeOneTakeAreCompleteAndInOrder) {
  ReceiveStore store;
  std::string all;
  for (int i = 0; i < 40; ++i) {  // 40 chunks of 256 bytes: more than the reserved backlog
    std::string chunk(256, static_cast<char>('a' + i % 26));
    chunk[0] = '\0';
    Add(store, chunk);
    all += chunk;
  }
  EXPECT_EQ(store.TakePending(true).Bytes, HexOf(all));
  for (int i = 0; i < 3; ++i) Add(store, std::string("k") + char('0' + i));
  EXPECT_EQ(store.TakePending(false).Bytes, "k0k1k2");
  EXPECT_EQ(store.ReceivedCount(), 40 * 256 + 6);
}

TEST(ReceiveStorePending, TakingOneRenderingDropsTheOthersPendingText) {
  ReceiveStore store;
  Add(store, "ab");
  store.TakePending(true);
  Add(store, "c");
  EXPECT_EQ(store.TakePending(false).Bytes, "c");
  EXPECT_EQ(store.Snapshot(false), "abc") << "the kept buffer still has everything";
}

TEST(ReceiveStoreClear, EmptiesBuffersAndCounterButKeepsPending) {
  ReceiveStore store;
  Add(store, "old");
  store.Clear();
  EXPECT_EQ(store.Snapshot(false), "");
  EXPECT_EQ(store.Snapshot(true), "");
  EXPECT_EQ(store.ReceivedCount(), 0);
  EXPECT_EQ(store.TakePending(false).Bytes, "old") << "a chunk read before the clear is still shown";
  Add(store, "new");
  EXPECT_EQ(store.Snapshot(true), "6E 65 77 ");
  EXPECT_EQ(store.ReceivedCount(), 3);
}

TEST(ReceiveStoreOverflow, DefaultBuffersHoldTheSizesOfTheReceiveBlocks) {
  ReceiveStore store;
  ASSERT_TRUE(store.Allocated());
  const std::string chunk(256, 'x');
  for (size_t sent = 0; sent + 256 <= ReceiveStore::kDefaultKeptBytes; sent += 256) Add(store, chunk);
  const size_t rest = ReceiveStore::kDefaultKeptBytes % 256;
  Add(store, chunk.substr(0, rest));
  EXPECT_EQ(store.Snapshot(false).size(), ReceiveStore::kTextBufferSize - 1);
  EXPECT_EQ(store.Snapshot(true).size(), ReceiveStore::kHexBufferSize - 3);
  EXPECT_EQ(store.TakePending(true).DroppedHead, 0u) << "a full buffer drops nothing yet";
}

// What the receive window does with an update.
void ApplyUpdate(const ReceiveUpdate& update, std::string& window) {
  if (update.Reset) {
    window = update.Bytes;
  } else {
    window.erase(0, std::min(update.DroppedHead, window.size()));
    ASSERT_LE(update.TailCut, window.size()) << "cuts text the window never had";
    window.resize(window.size() - update.TailCut);
    window += update.Bytes;
  }
}

// Feeds `stream` in chunks of `chunkSize` into a store keeping `kept` bytes, and follows
// every update the way the window does; returns the window's final content.
std::string FollowWindow(ReceiveStore& store, const std::string& stream, size_t chunkSize, bool hex) {
  std::string window;
  for (size_t at = 0; at < stream.size(); at += chunkSize) {
    Add(store, stream.substr(at, chunkSize));
    ApplyUpdate(store.TakePending(hex), window);
  }
  return window;
}

TEST(ReceiveStoreOverflow, KeepsTheNewestBytesInBothRenderingsInStep) {
  constexpr size_t kKept = 64;
  std::mt19937 random(7);
  std::string stream;
  for (int i = 0; i < 1000; ++i) stream += "ab\0\bcdef\b\b"[random() % 10];
  ReceiveStore store(kKept);
  for (size_t at = 0; at < stream.size(); at += 5) Add(store, stream.substr(at, 5));

  const std::string hex = store.Snapshot(true);
  ASSERT_LE(hex.size(), 3 * kKept);
  ASSERT_GE(hex.size(), 3 * (kKept - kKept / 4)) << "a drop frees a quarter, not more";
  const std::string keptBytes = stream.substr(stream.size() - hex.size() / 3);
  EXPECT_EQ(hex, HexOf(keptBytes)) << "hex holds the newest bytes";
  EXPECT_EQ(store.Snapshot(false), TextOf(keptBytes)) << "text is the rendering of the same bytes";
  EXPECT_EQ(store.ReceivedCount(), static_cast<int64_t>(stream.size())) << "every byte is counted";
}

TEST(ReceiveStoreOverflow, WindowFollowingUpdatesEqualsTheKeptBuffer) {
  std::mt19937 random(11);
  std::string stream;
  for (int i = 0; i < 5000; ++i) stream += "xyz\0\xD6\xD0"[random() % 6];
  for (bool hex : {true, false}) {
    ReceiveStore store(100);
    const std::string window = FollowWindow(store, stream, 7, hex);
    EXPECT_EQ(window, store.Snapshot(hex)) << (hex ? "hex" : "text");
  }
}

// Backspaces that cut into text the window already shows, while drops cut its head: after
// every update the window is the kept text, whether updates come after each chunk or after
// a backlog of several (also one larger than the buffer).
TEST(ReceiveStoreOverflow, WindowCutByBackspacesStaysTheKeptText) {
  std::mt19937 random(5);
  std::string stream;
  for (int i = 0; i < 6000; ++i) stream += std::string("ab\b\b\0\xD6\xD0\rcd", 10)[random() % 10];
  for (const size_t chunk : {1, 7, 40}) {
    for (const size_t chunksPerUpdate : {1, 3, 20}) {
      ReceiveStore store(100);
      std::string window;
      for (size_t at = 0, n = 0; at < stream.size(); at += chunk) {
        Add(store, stream.substr(at, chunk));
        if (++n % chunksPerUpdate != 0) continue;
        ApplyUpdate(store.TakePending(false), window);
        ASSERT_EQ(window, store.Snapshot(false)) << "chunk " << chunk << ", every " << chunksPerUpdate << ", at " << at;
      }
    }
  }
}

TEST(ReceiveStoreOverflow, BacklogLargerThanTheBufferMakesTheWindowReset) {
  ReceiveStore store(16);
  Add(store, "0123456789");
  ASSERT_EQ(store.TakePending(true).Bytes.size(), 30u);
  for (int i = 0; i < 10; ++i) Add(store, "abcd");  // never shown; pushes out everything old
  const ReceiveUpdate update = store.TakePending(true);
  EXPECT_TRUE(update.Reset);
  EXPECT_EQ(update.Bytes, store.Snapshot(true));
}

TEST(ReceiveStoreOverflow, ChunkLargerThanTheBufferKeepsItsNewestBytes) {
  ReceiveStore store(8);
  Add(store, "abcdefghijklmnopqrstuvwxyz");
  const std::string text = store.Snapshot(false);
  ASSERT_FALSE(text.empty());
  EXPECT_LE(text.size(), 8u);
  EXPECT_EQ(text, std::string("abcdefghijklmnopqrstuvwxyz").substr(26 - text.size()));
}

// ReceiveThread's part: random chunks of 1 to 256 bytes added from another thread.
class RandomWriter {
 public:
  RandomWriter(ReceiveStore& store, int chunks, unsigned seed, bool lettersOnly)
      : thread_([this, &store, chunks, seed, lettersOnly] {
          std::mt19937 random(seed);
          uint8_t chunk[256];
          for (int i = 0; i < chunks; ++i) {
            const size_t size = 1 + random() % 256;
            for (size_t k = 0; k < size; ++k) {
              chunk[k] = static_cast<uint8_t>(lettersOnly ? 'A' + random() % 26 : random());
            }
            store.AddChunk(chunk, size);
            added_.append(reinterpret_cast<const char*>(chunk), size);
          }
          done_ = true;
        }) {}
  ~RandomWriter() { Join(); }
  bool Done() const { return done_; }
  // Everything added, once the writer has ended.
  const std::string& Added() {
    Join();
    return added_;
  }

 private:
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::string added_;
  std::atomic<bool> done_{false};
  std::thread thread_;  // last: starts once the members above exist
};

TEST(ReceiveStoreConcurrency, EverythingTakenEqualsEverythingAdded) {
  // Letters (every byte appended) and arbitrary bytes (backspaces cut the window's end).
  for (const bool lettersOnly : {true, false}) {
    ReceiveStore store(4096);  // small buffer: drops and resets happen during the run
    RandomWriter writer(store, 20000, 3, lettersOnly);
    std::string window;
    int64_t lastCount = 0;
    ReceiveUpdate update;
    auto follow = [&] {
      store.TakePending(false, update);
      EXPECT_GE(update.ReceivedCount, lastCount);
      lastCount = update.ReceivedCount;
      ApplyUpdate(update, window);
    };
    while (!writer.Done()) follow();
    const std::string& added = writer.Added();
    follow();
    EXPECT_EQ(lastCount, static_cast<int64_t>(added.size()));
    ASSERT_LE(window.size(), 4096u);
    if (lettersOnly) {
      EXPECT_EQ(window, added.substr(added.size() - window.size()));
    }
    EXPECT_EQ(window, store.Snapshot(false));
  }
}

TEST(ReceiveStoreConcurrency, NothingIsLostOrResetWithoutOverflow) {
  ReceiveStore store;
  RandomWriter writer(store, 3000, 5, false);
  std::string taken;
  ReceiveUpdate update;
  bool anyReset = false;
  auto take = [&] {
    store.TakePending(true, update);
    anyReset |= update.Reset;
    taken += update.Bytes;
  };
  while (!writer.Done()) take();
  const std::string& added = writer.Added();
  take();
  EXPECT_FALSE(anyReset);
  EXPECT_EQ(taken, HexOf(added));
}

}  // namespace

// Toggling re-sets the window from the kept rendering: what was pending is in that copy and
// must not be appended a second time by the next display update.
TEST(ReceiveStoreToggle, ResetCopyTakesThePendingChunksWithIt) {
  ReceiveStore store(64);
  const uint8_t chunk[] = {'a', 'b'};
  store.AddChunk(chunk, sizeof chunk);
  std::string shown;
  store.SnapshotForReset(true, shown);
  EXPECT_EQ(shown, "61 62 ");
  EXPECT_EQ(store.TakePending(true).Bytes, "");
  store.AddChunk(chunk, 1);
  EXPECT_EQ(store.TakePending(false).Bytes, "a");
}
