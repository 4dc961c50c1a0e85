#include "core/settings/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <optional>
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

// Creates a file under a name beside `target` that no file has yet, by trying names: O_EXCL
// makes the kernel refuse a name that exists (and never follow a link planted under it). Unlike
// mkostemp's, the file gets `mode` less the umask, as every file a program creates.
int CreateBeside(const std::string& target, mode_t mode, std::string& name) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + "." + std::to_string(::getpid()) + "-" + std::to_string(serial.fetch_add(1)) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The permission bits of the regular file at `target`, or nothing when there is none.
std::optional<mode_t> ExistingMode(const std::string& target) {
  struct stat info{};
  if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  return std::nullopt;
}

// A temporary file beside the target; removed on scope exit unless it was renamed into place.
// It replaces an existing file with that file's permission bits (and is private until then);
// a new file is created with `newFileMode` less the umask.
class TempFile {
 public:
  TempFile(const std::string& target, mode_t newFileMode)
      : keptMode_(ExistingMode(target)), fd_(CreateBeside(target, keptMode_ ? 0600 : newFileMode, name_)) {
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

  int Fill(std::string_view bytes) {
    if (keptMode_ && ::fchmod(fd_.get(), *keptMode_) != 0) return errno;
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
  std::optional<mode_t> keptMode_;
  std::string name_;
  Descriptor fd_;
  bool created_ = false;
  int error_ = 0;
};

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
  if (static_cast<uintmax_t>(info.st_size) > maxBytes) {
    result.status = FileRead::Status::kTooLarge;
    result.error = EFBIG;
    return result;
  }
  // The size may have changed since the fstat (a file being written): one byte more than the
  // cap tells that it grew beyond it.
  const size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
  result.error = ReadUpTo(fd, limit, result.bytes);
  if (result.error == 0 && result.bytes.size() > maxBytes) {
    result.status = FileRead::Status::kTooLarge;
    result.error = EFBIG;
  }
  if (result.error != 0) {
    result.bytes.clear();
    return result;
  }
  result.status = FileRead::Status::kRead;
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

int WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t newFileMode) {
  if (path.empty()) return ENOENT;
  try {
    const std::string target = ReplacedFile(path);
    TempFile temp(target, newFileMode);
    if (const int error = temp.CreateError()) return error;
    if (const int error = temp.Fill(bytes)) return error;
    if (const int error = temp.RenameOver(target)) return error;
    SyncDirectory(DirectoryOf(target));
    return 0;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}
