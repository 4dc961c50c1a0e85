#include "settings/file_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A descriptor closed on scope exit; Close() reports the close's own error where it matters.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Close() {
    if (fd_ < 0) return 0;
    const int rc = ::close(std::exchange(fd_, -1));
    return rc == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

// The file a write to `path` should replace: the target of a symbolic link, else the path.
std::string ReplacedFile(const std::string& path) {
  struct stat info{};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& directory) {
  Descriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

// A temporary file beside the target; removed on scope exit unless it was renamed into place.
class TempFile {
 public:
  explicit TempFile(const std::string& target) : name_(target + ".XXXXXX"), fd_(::mkostemp(name_.data(), O_CLOEXEC)) {
    created_ = fd_.valid();
    error_ = created_ ? 0 : errno;
  }
  ~TempFile() {
    fd_.Close();
    if (created_) ::unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int CreateError() const { return error_; }

  int Fill(std::string_view bytes, mode_t mode) {
    if (::fchmod(fd_.get(), mode) != 0) return errno;
    if (const int error = WriteAll(fd_.get(), bytes)) return error;
    if (::fsync(fd_.get()) != 0) return errno;
    return fd_.Close();
  }

  int RenameOver(const std::string& target) {
    if (::rename(name_.c_str(), target.c_str()) != 0) return errno;
    created_ = false;
    return 0;
  }

 private:
  std::string name_;
  Descriptor fd_;
  bool created_ = false;
  int error_ = 0;
};

mode_t ModeFor(const std::string& target) {
  struct stat info{};
  if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  return 0600;
}

int ReadUpTo(int fd, size_t limit, std::string& bytes) {
  char chunk[65536];
  while (bytes.size() < limit) {
    const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  return 0;
}

FileRead ReadOpenFile(int fd, size_t maxBytes) {
  FileRead result;
  struct stat info{};
  if (::fstat(fd, &info) != 0) {
    result.error = errno;
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return result;
  }
  const size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;  // one more tells "larger"
  result.error = ReadUpTo(fd, limit, result.bytes);
  if (result.error != 0) {
    result.bytes.clear();
    return result;
  }
  result.status = FileRead::Status::kRead;
  if (result.bytes.size() > maxBytes) {
    result.bytes.resize(maxBytes);
    result.status = FileRead::Status::kTruncated;
  }
  return result;
}

}  // namespace

FileRead ReadFileCapped(const std::string& path, size_t maxBytes) {
  // O_NONBLOCK: opening a FIFO or a serial device must not hang the caller.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) {
    FileRead result;
    result.error = errno;
    if (result.error == ENOENT) result.status = FileRead::Status::kMissing;
    return result;
  }
  try {
    return ReadOpenFile(fd.get(), maxBytes);
  } catch (const std::bad_alloc&) {
    FileRead result;
    result.error = ENOMEM;
    return result;
  }
}

int WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return ENOENT;
  try {
    const std::string target = ReplacedFile(path);
    TempFile temp(target);
    if (const int error = temp.CreateError()) return error;
    if (const int error = temp.Fill(bytes, ModeFor(target))) return error;
    if (const int error = temp.RenameOver(target)) return error;
    SyncDirectory(DirectoryOf(target));
    return 0;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}
