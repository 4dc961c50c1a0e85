#pragma once
// Loading and saving an IniDocument as a file.
#include <cstddef>
#include <string>

#include "core/settings/file_io.h"
#include "core/settings/ini_file.h"

// Our own keys take some 40 KB at most (32 presets of up to 1022 bytes), but the file also
// carries whatever else its user keeps in it, so files far larger load whole. A file beyond
// this size is not read at all, so that a huge or garbage file can neither exhaust memory nor
// stall the start; it must then not be written over either, as its content was never seen.
inline constexpr size_t kIniMaxFileBytes = 16 * 1024 * 1024;
// Each line costs some 80 bytes of memory besides its text, so a file of little but line ends
// would cost far more than its size; a file of more lines than this counts as too large too.
inline constexpr size_t kIniMaxLines = 1024 * 1024;

struct IniLoad {
  IniDocument document;  // empty when the file is missing or unreadable
  FileRead::Status status = FileRead::Status::kFailed;
  int error = 0;  // errno when status is kFailed, EFBIG when kTooLarge (bytes or lines)
};

// Never fails hard: a missing file is an empty document (status kMissing), an unreadable or
// too large one an empty document with its errno, binary garbage simply parses as lines.
IniLoad LoadIniFile(const std::string& path, size_t maxBytes = kIniMaxFileBytes);

// Replaces the file atomically (see WriteFileAtomically): 0 on success, else the errno of the
// failing step, with the old file left byte for byte as it was.
[[nodiscard]] int SaveIniFile(const std::string& path, const IniDocument& document);
