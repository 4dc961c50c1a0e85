#pragma once
// Burst contents shared by the receive benchmarks: what a port brings in everyday use.
#include <random>
#include <string>

// Arbitrary bytes, all 256 values: binary data shown as it comes (backspaces, NULs, stray
// GBK lead bytes and pairs included).
inline std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

// GBK text: ASCII words, GB2312 characters and line ends, as a device printing Chinese sends.
inline std::string GbkText(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(size + 2);
  while (text.size() < size) {
    const unsigned pick = random() % 10;
    if (pick < 4) {
      text += static_cast<char>(0xB0 + random() % 0x48);  // lead of a GB2312 character
      text += static_cast<char>(0xA1 + random() % 0x5E);
    } else if (pick < 9) {
      text += static_cast<char>('a' + random() % 26);
      if (random() % 6 == 0) text += ' ';
    } else if (random() % 8 == 0) {
      text += "\r\n";
    }
  }
  text.resize(size);
  return text;
}
