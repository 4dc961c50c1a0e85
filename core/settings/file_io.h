#pragma once
// Whole-file reads with a size cap and whole-file writes that replace a file atomically.
// Results are errno values (0 = success); nothing here throws.
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

struct FileRead {
  enum class Status {
    kRead,       // the whole file is in `bytes`
    kMissing,    // no such file (ENOENT): nothing read, not an error for a first run
    kTooLarge,   // larger than the cap: nothing read, `error` is EFBIG
    kFailed,     // unreadable, not a regular file, ...: `error` tells why
  };
  std::string bytes;
  Status status = Status::kFailed;
  int error = 0;
};

// Reads a regular file of at most `maxBytes` bytes whole. Never blocks on a FIFO or a device.
FileRead ReadFileCapped(const std::string& path, size_t maxBytes);

// Replaces the file at `path` (through a symbolic link: its target) by `bytes`: writes them
// to a new temporary file in the same directory, flushes it to the disk, and renames it over
// the old file, so that readers and crashes see either the old file or the new one, never a
// part. On any failure the temporary file is removed, the old file is left as it was, and the
// errno of the failing step is returned. The new file keeps the old one's permission bits; a
// file that did not exist is created with `newFileMode` less the umask, as open(2) creates
// files (0600 for a private profile file, 0666 for an ordinary document). The directory is
// flushed afterwards as well, best effort: its failure cannot undo a finished rename and is
// not reported.
[[nodiscard]] int WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t newFileMode = 0600);
