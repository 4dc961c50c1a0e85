#pragma once
// What a capture writes and where. Plain values; the page fills them from its settings.
#include <cstdint>
#include <string>

#include "core/receive/line_stampers.h"

enum class CaptureFormat : uint8_t {
  Raw = 0,        // exactly the bytes that arrived, nothing added
  TextLines = 1,  // the text rendering, every line stamped, with port marker lines
  HexLines = 2,   // the hex rendering in stamped lines, with port marker lines
};

inline constexpr const char* kDefaultCaptureNamePattern = "%Y-%m-%d_%H-%M-%S_<port>.log";
inline constexpr uint64_t kDefaultCaptureMaxFileBytes = 100ull * 1024 * 1024;
inline constexpr uint64_t kMinCaptureMaxFileBytes = 1024 * 1024;

struct CaptureOptions {
  std::string Folder;  // must exist unless CreateFolder
  bool CreateFolder = false;  // make the folder (and its parents) when it is missing
  std::string NamePattern = kDefaultCaptureNamePattern;
  CaptureFormat Format = CaptureFormat::Raw;
  uint64_t MaxFileBytes = kDefaultCaptureMaxFileBytes;  // a new file once a file reaches this
  int HexGapMs = kDefaultHexGapMs;
};
