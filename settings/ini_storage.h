#pragma once
// Loading and saving an IniDocument as a file.
#include <cstddef>
#include <string>

#include "settings/file_io.h"
#include "settings/ini_file.h"

// Our own settings file is some 40 KB at most (32 presets of up to 1022 bytes); a file larger
// than this is not one we wrote. Only its first kIniMaxFileBytes bytes are read, up to the last
// complete line, so a huge or garbage file cannot exhaust memory or stall the start. A later
// save writes back only what was read.
inline constexpr size_t kIniMaxFileBytes = 1024 * 1024;

struct IniLoad {
  IniDocument document;  // empty when the file is missing or unreadable
  FileRead::Status status = FileRead::Status::kFailed;
  int error = 0;  // errno when status is kFailed
};

// Never fails hard: a missing file is an empty document (status kMissing), an unreadable one
// an empty document with its errno, binary garbage simply parses as lines.
IniLoad LoadIniFile(const std::string& path, size_t maxBytes = kIniMaxFileBytes);

// Replaces the file atomically (see WriteFileAtomically): 0 on success, else the errno of the
// failing step, with the old file left byte for byte as it was.
[[nodiscard]] int SaveIniFile(const std::string& path, const IniDocument& document);
