#include "core/settings/ini_storage.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

size_t LineCount(const std::string& bytes) {
  const auto ends = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  return ends + (bytes.empty() || bytes.back() == '\n' ? 0 : 1);
}

}  // namespace

IniLoad LoadIniFile(const std::string& path, size_t maxBytes) {
  const FileRead read = ReadFileCapped(path, maxBytes);
  IniLoad load;
  load.status = read.status;
  load.error = read.error;
  if (LineCount(read.bytes) > kIniMaxLines) {
    load.status = FileRead::Status::kTooLarge;
    load.error = EFBIG;
    return load;
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
