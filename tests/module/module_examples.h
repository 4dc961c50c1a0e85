#pragma once
// Byte data shared by the module protocol tests.
#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

template <typename Container>
Bytes ToBytes(const Container& c) {
  return Bytes(c.begin(), c.end());
}

// What a read exchange gathers from a "ZEL-B1 FIFO", version 1.0.5: its identify reply,
// then its read reply with the block 433.92 MHz, 5Kbps, power 7, 9600bps, no parity, 1.0s,
// delay 5, error correction on, addresses 58 and 58, 32-byte packets, packet-complete on.
inline const Bytes kExampleReadReply = {0x24, 0x00, 0x00, 0x13, 0x01, 0x00, 0x05, 0x24, 0x00,
                                        0x00, 0x00, 0x00, 0x06, 0x9F, 0x00, 0x02, 0x07, 0x03,
                                        0x00, 0x05, 0x05, 0x01, 0x3A, 0x3A, 0x05, 0x01};
inline const Bytes kExampleIdentifyReply(kExampleReadReply.begin(), kExampleReadReply.begin() + 7);
