// Receive formatting: a byte stream in any chunking goes into a ReceiveStore with a small
// kept size (so the full-buffer policy runs all the time), mixed with display updates in
// either rendering, rendering toggles and clears. Checked against plain models after every
// step: both kept renderings are those of the newest bytes received since the clear (their
// number within the policy's bounds), every update is the rendering of exactly the bytes
// since the previous one (or a re-set to the kept buffer), the window that follows the
// updates shows the kept buffer, the counter counts every byte, and decoding the stream's
// GBK chunk by chunk gives what decoding it whole gives.
//
// Input: kept size and first rendering, then operations until the input runs out.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text/gbk_codec.h"
#include "core/receive/receive_store.h"
#include "receive_reference.h"
#include "reference_hex.h"
#include "require.h"

namespace {

constexpr size_t kMaxKept = 96;

struct Model {
  std::vector<uint8_t> sinceClear;  // every byte since the last clear (the store keeps a tail)
  std::vector<uint8_t> pending;     // every byte since the last display update
  std::vector<uint8_t> stream;      // everything, for the GBK decoding check
};

// Both kept renderings hold the newest k bytes since the clear: all of them while they fit,
// else, since a full buffer drops a quarter at a time, more than three quarters of the size.
void CheckKept(const ReceiveStore& store, const Model& model) {
  const std::string hex = store.Snapshot(true);
  FUZZ_REQUIRE(hex.size() % 3 == 0);
  const size_t kept = hex.size() / 3;
  const size_t size = store.KeptBytes();
  const size_t total = model.sinceClear.size();
  if (total <= size) {
    FUZZ_REQUIRE(kept == total);
  } else {
    FUZZ_REQUIRE(kept <= size && kept >= size + 1 - size / 4);
  }
  const std::span<const uint8_t> tail(model.sinceClear.data() + (total - kept), kept);
  FUZZ_REQUIRE(hex == ReferenceHex(tail));
  FUZZ_REQUIRE(store.Snapshot(false) == ReferenceText(tail));
  FUZZ_REQUIRE(store.ReceivedCount() == static_cast<int64_t>(total));
}

void TakeUpdate(ReceiveStore& store, Model& model, ReferenceWindow& window, bool hex) {
  const ReceiveUpdate update = store.TakePending(hex);
  FUZZ_REQUIRE(update.ReceivedCount == static_cast<int64_t>(model.sinceClear.size()));
  if (update.Reset) {
    FUZZ_REQUIRE(update.Bytes == store.Snapshot(hex));
  } else if (hex) {
    FUZZ_REQUIRE(update.Bytes == ReferenceHex(model.pending));
  } else {
    // A backspace in text rendering re-sets the window (by cutting its end); without one the
    // pending text is appended as it came.
    const bool backspace = std::find(model.pending.begin(), model.pending.end(), 0x08) != model.pending.end();
    FUZZ_REQUIRE(update.Backspaced == backspace);
    if (!backspace) FUZZ_REQUIRE(update.TailCut == 0);
  }
  if (!update.Reset && !hex && !update.Backspaced) {
    std::string text(model.pending.begin(), model.pending.end());
    std::erase(text, '\0');
    FUZZ_REQUIRE(update.Bytes == text);
  }
  window.Apply(update);
  model.pending.clear();
  FUZZ_REQUIRE(window.Shows(store.Snapshot(hex)));
}

// The rendering of the pending bytes as the display would append it.
size_t PendingRenderedSize(const Model& model, bool hex) {
  if (hex) return 3 * model.pending.size();
  return model.pending.size() - static_cast<size_t>(std::count(model.pending.begin(), model.pending.end(), 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t keptBytes = input.ConsumeIntegralInRange<size_t>(0, kMaxKept);
  bool hex = input.ConsumeBool();
  ReceiveStore store(keptBytes);
  FUZZ_REQUIRE(store.Allocated());
  FUZZ_REQUIRE(store.KeptBytes() == std::max<size_t>(keptBytes, 4));

  Model model;
  ReferenceWindow window;
  GbkDecoder decoder;
  std::string decoded;
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 7)) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const size_t count = input.ConsumeIntegralInRange<size_t>(0, 2 * store.KeptBytes() + 2);
        const std::vector<uint8_t> chunk = input.ConsumeBytes<uint8_t>(count);
        store.AddChunk(chunk.data(), chunk.size());
        for (auto* to : {&model.sinceClear, &model.pending, &model.stream}) to->insert(to->end(), chunk.begin(), chunk.end());
        decoded += decoder.Decode(std::string_view(reinterpret_cast<const char*>(chunk.data()), chunk.size()));
        break;
      }
      case 4:
      case 5:
        TakeUpdate(store, model, window, hex);
        break;
      case 6:
        // The rendering is switched: what is pending is already in the kept buffer that
        // the window is re-set from, so it is taken and dropped first.
        hex = !hex;
        store.TakePending(hex);
        model.pending.clear();
        window.Reset(store.Snapshot(hex));
        break;
      default:
        window.Clear(PendingRenderedSize(model, hex));
        store.Clear();
        model.sinceClear.clear();
        break;
    }
    CheckKept(store, model);
  }
  TakeUpdate(store, model, window, hex);

  if (decoder.Available()) {
    decoded += decoder.Finish();
    FUZZ_REQUIRE(decoded == DecodeGbk(std::string_view(reinterpret_cast<const char*>(model.stream.data()), model.stream.size())));
  }
  return 0;
}
