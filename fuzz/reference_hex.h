#pragma once
// The receive display's hexadecimal form of bytes, written the slow, plain way ("%02X " per
// byte) so that fuzzers can hold the fast formatters against it.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

inline std::string ReferenceHex(std::span<const uint8_t> bytes) {
  std::string text;
  for (const uint8_t byte : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned>(byte));
    text += pair;
  }
  return text;
}
