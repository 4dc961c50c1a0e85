#pragma once
// Naming and creating capture files. A pattern names a file with strftime-like fields of
// the local time (%Y %m %d %H %M %S, %% for a '%') and <port> for the port's short name
// (the last part of its path). A file is always created new: when the name is taken, "-2",
// "-3", ... go before the extension, so an earlier capture is never written over.
#include <optional>
#include <string>
#include <string_view>

// The file name for `pattern` at `epochMs`; nothing when the pattern has an unknown field or
// makes no usable file name (empty, "." or "..", a '/' or a NUL in it, over 255 bytes).
std::optional<std::string> ExpandCaptureName(std::string_view pattern, int64_t epochMs, std::string_view portShortName);

// "/dev/ttyUSB0" -> "ttyUSB0"; "" for no port.
std::string PortShortName(std::string_view portPath);

struct CreatedFile {
  int fd = -1;       // open for writing; -1 on failure
  int error = 0;     // errno of the failure
  std::string path;  // the file created (or the last name tried)
};

// Creates a new file `name` in `folder` (with "-N" put in when the name is taken).
CreatedFile CreateCaptureFile(const std::string& folder, const std::string& name);

// Makes `folder` and its missing parents. 0, or the errno.
int MakeFolders(const std::string& folder);
