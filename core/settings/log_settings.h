#pragma once
// The receive window's time stamps and the capture to file, as plain values. First-run values
// are in the key table (settings_keys.h).
#include <cstdint>
#include <string>

struct LogSettings {
  bool TimeStamps = false;
  uint32_t StampGapMs = 0;        // hex lines: a pause longer than this starts a new line
  std::string CaptureFolder;      // bytes of a path; empty: the profile's VornicSPComm/logs
  std::string CaptureNamePattern; // bytes
  uint8_t CaptureFormat = 0;      // 0 raw, 1 text lines, 2 hex lines
  bool CaptureOnOpen = false;     // start capturing whenever the terminal port opens
  uint32_t CaptureFileMegabytes = 0;  // a new file once a file reaches this size

  bool operator==(const LogSettings&) const = default;
};
