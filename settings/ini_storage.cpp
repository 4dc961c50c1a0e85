#include "settings/ini_storage.h"

#include <cerrno>
#include <new>

IniLoad LoadIniFile(const std::string& path, size_t maxBytes) {
  FileRead read = ReadFileCapped(path, maxBytes);
  IniLoad load;
  load.status = read.status;
  load.error = read.error;
  if (read.status == FileRead::Status::kTruncated) {
    // Drop a line cut in the middle; keep everything up to the last line end.
    const size_t lastLf = read.bytes.rfind('\n');
    read.bytes.resize(lastLf == std::string::npos ? 0 : lastLf + 1);
  }
  try {
    load.document = IniDocument::Parse(read.bytes);
  } catch (const std::bad_alloc&) {
    load.status = FileRead::Status::kFailed;
    load.error = ENOMEM;
  }
  return load;
}

int SaveIniFile(const std::string& path, const IniDocument& document) {
  try {
    return WriteFileAtomically(path, document.Serialize());
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}
