#include "core/capture/capture_recorder.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "core/capture/capture_file.h"
#include "core/receive/arrival_clock.h"
#include "core/receive/time_stamp.h"

namespace {

// Output is written in blocks of about this size, and whatever is left at the end of a batch.
constexpr size_t kWriteBlock = 256 * 1024;

int FolderError(const std::string& folder) {
  struct stat info{};
  if (folder.empty() || ::stat(folder.c_str(), &info) != 0) return folder.empty() ? ENOENT : errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

CaptureRecorder::CaptureRecorder(const ArrivalClock& clock) : clock_(clock) {}

CaptureRecorder::~CaptureRecorder() { Stop(); }

std::optional<CaptureFailure> CaptureRecorder::Start(const CaptureOptions& options, const std::string& portShortName,
                                                     CaptureListener* listener) {
  Stop();
  const int folderError = options.CreateFolder ? MakeFolders(options.Folder) : FolderError(options.Folder);
  if (folderError != 0) return CaptureFailure{CaptureStep::Folder, folderError, options.Folder};
  const int64_t now = clock_.NowMs();
  const std::optional<std::string> name = ExpandCaptureName(options.NamePattern, now, portShortName);
  if (!name) return CaptureFailure{CaptureStep::Name, 0, options.NamePattern};
  const CreatedFile file = CreateCaptureFile(options.Folder, *name);
  if (file.fd < 0) return CaptureFailure{CaptureStep::Create, file.error, file.path};

  options_ = options;
  options_.MaxFileBytes = std::max(options.MaxFileBytes, kMinCaptureMaxFileBytes);
  port_ = portShortName;
  listener_ = listener;
  formatter_ = std::make_unique<CaptureFormatter>(options.Format, options.HexGapMs);
  formatter_->AddMark(PortMark::CaptureStarted, port_, now);
  fd_ = file.fd;
  fileBytes_ = 0;
  fileDay_ = LocalDayOf(now);
  {
    std::lock_guard lock(mutex_);
    queue_.Clear();
    stopRequested_ = overrun_ = writerWaiting_ = false;
    path_ = file.path;
  }
  taking_.store(true, std::memory_order_release);
  writer_ = std::thread([this] { WriterLoop(); });
  return std::nullopt;
}

void CaptureRecorder::Stop() {
  if (!writer_.joinable()) return;
  Mark(PortMark::CaptureStopped, port_);
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    wake_.notify_one();
  }
  writer_.join();
  taking_.store(false, std::memory_order_release);
}

std::string CaptureRecorder::CurrentPath() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void CaptureRecorder::Mark(PortMark mark, const std::string& portShortName) {
  if (!Running()) return;
  const int64_t now = clock_.NowMs();
  std::lock_guard lock(mutex_);
  if (stopRequested_ || overrun_) return;
  try {
    queue_.items.push_back({queue_.bytes.size(), now, true, mark, portShortName});
  } catch (const std::bad_alloc&) {
    return;  // a marker line less; the bytes are what counts
  }
  if (writerWaiting_) wake_.notify_one();
}

void CaptureRecorder::Take(const uint8_t* bytes, size_t count, int64_t ms) {
  if (count == 0 || !taking_.load(std::memory_order_acquire)) return;
  std::lock_guard lock(mutex_);
  if (stopRequested_ || overrun_) return;
  try {
    if (queue_.bytes.size() + count > kMaxQueuedBytes) throw std::bad_alloc();
    const bool sameRun = !queue_.items.empty() && !queue_.items.back().isMark && queue_.items.back().ms == ms;
    if (!sameRun) queue_.items.push_back({queue_.bytes.size(), ms, false, PortMark::Opened, {}});
    queue_.bytes.append(reinterpret_cast<const char*>(bytes), count);
  } catch (const std::bad_alloc&) {
    overrun_ = true;  // the writer gives up; losing bytes quietly is worse
    wake_.notify_one();
    return;
  }
  if (writerWaiting_) wake_.notify_one();
}

void CaptureRecorder::WriterLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    writerWaiting_ = true;
    wake_.wait(lock, [this] { return stopRequested_ || overrun_ || !queue_.items.empty(); });
    writerWaiting_ = false;
    std::swap(queue_, work_);
    const bool stop = stopRequested_;
    const bool overrun = overrun_;
    lock.unlock();
    const bool written = Process(work_);
    work_.Clear();
    if (!written) return;
    if (overrun) {
      formatter_->EndFile();
      if (WriteReady(true)) Fail(CaptureStep::Overrun, 0, CurrentPath());
      return;
    }
    if (stop) {
      formatter_->EndFile();
      WriteReady(true);
      CloseFile();
      return;
    }
    lock.lock();
  }
}

bool CaptureRecorder::Process(const Queue& work) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(work.bytes.data());
  for (size_t i = 0; i < work.items.size(); ++i) {
    const Item& item = work.items[i];
    if (item.isMark) {
      formatter_->AddMark(item.mark, item.port, item.ms);
      continue;
    }
    const size_t end = i + 1 < work.items.size() ? work.items[i + 1].offset : work.bytes.size();
    const bool full = fileBytes_ + formatter_->Pending() >= options_.MaxFileBytes;
    if ((full || LocalDayOf(item.ms) != fileDay_) && !StartFile(item.ms)) return false;
    formatter_->AddBytes(bytes + item.offset, end - item.offset, item.ms);
    if (formatter_->Pending() >= kWriteBlock && !WriteReady(false)) return false;
  }
  return WriteReady(false);
}

bool CaptureRecorder::WriteReady(bool all) {
  if (fd_ < 0) return false;
  const std::string_view ready = formatter_->Ready(all);
  size_t done = 0;
  int error = 0;
  while (done < ready.size()) {
    const ssize_t n = ::write(fd_, ready.data() + done, ready.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<size_t>(n);
  }
  formatter_->Consumed(done);
  fileBytes_ += done;
  if (error != 0) Fail(CaptureStep::Write, error, CurrentPath());
  return error == 0;
}

bool CaptureRecorder::StartFile(int64_t ms) {
  formatter_->EndFile();
  if (!WriteReady(true)) return false;
  CloseFile();
  const std::optional<std::string> name = ExpandCaptureName(options_.NamePattern, ms, port_);
  if (!name) {
    Fail(CaptureStep::Name, 0, options_.NamePattern);
    return false;
  }
  const CreatedFile file = CreateCaptureFile(options_.Folder, *name);
  if (file.fd < 0) {
    Fail(CaptureStep::Create, file.error, file.path);
    return false;
  }
  fd_ = file.fd;
  fileBytes_ = 0;
  fileDay_ = LocalDayOf(ms);
  {
    std::lock_guard lock(mutex_);
    path_ = file.path;
  }
  if (listener_) listener_->CaptureFileStarted(file.path);
  return true;
}

void CaptureRecorder::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void CaptureRecorder::Fail(CaptureStep step, int error, const std::string& path) {
  CloseFile();
  taking_.store(false, std::memory_order_release);
  if (listener_) listener_->CaptureFailed({step, error, path});
}
