// The com port client fed what a server may send, cut into pieces anywhere: whatever the
// bytes, the client must decode the same events and data as from the whole stream, never
// grow a subnegotiation without bound, and data it passes on must come back unchanged when
// escaped and decoded again.
//
// Input: a cut count byte, then the stream; the cut positions are derived from the stream.
#include <cstdint>
#include <vector>

#include "require.h"
#include "serial/com_port_client.h"
#include "serial/telnet_stream.h"

namespace {

struct Run {
  rfc2217::ComPortClient client;
  std::vector<uint8_t> sent;
  std::vector<uint8_t> data;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const size_t pieces = 1 + bytes[0] % 16;
  const uint8_t* stream = bytes + 1;
  const size_t length = size - 1;

  Run whole;
  whole.client.Start(whole.sent);
  whole.client.Receive(stream, length, whole.data, whole.sent);

  Run cut;
  cut.client.Start(cut.sent);
  size_t at = 0;
  for (size_t piece = 0; piece < pieces && at < length; ++piece) {
    const size_t step = piece + 1 == pieces ? length - at : (stream[at] % 7) + 1;
    const size_t take = step < length - at ? step : length - at;
    cut.client.Receive(stream + at, take, cut.data, cut.sent);
    at += take;
  }
  if (at < length) cut.client.Receive(stream + at, length - at, cut.data, cut.sent);

  FUZZ_REQUIRE(cut.data == whole.data);
  FUZZ_REQUIRE(cut.sent == whole.sent);
  FUZZ_REQUIRE(cut.client.State() == whole.client.State());
  FUZZ_REQUIRE(whole.data.size() <= length);

  // What came out as data survives escaping and decoding again.
  std::vector<uint8_t> wire;
  telnet::AppendData(whole.data.data(), whole.data.size(), wire);
  rfc2217::ComPortClient again;
  std::vector<uint8_t> replayed;
  std::vector<uint8_t> answers;
  again.Receive(wire.data(), wire.size(), replayed, answers);
  FUZZ_REQUIRE(replayed == whole.data);
  return 0;
}
