#pragma once
// What the process holds right now: open descriptors, threads and heap in use. Tests compare
// a count taken after many open/close cycles with one taken before, to find what a cycle
// leaves behind.
#include <dirent.h>
#include <malloc.h>

#include <cstddef>
#include <optional>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SP_HEAP_COUNT_UNRELIABLE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SP_HEAP_COUNT_UNRELIABLE 1
#endif
#endif

// Entries of a /proc directory, without "." and ".." (and without the descriptor used to
// list it, which the kernel shows while the listing runs).
inline size_t CountProcEntries(const char* path, bool minusOwnDescriptor) {
  DIR* dir = opendir(path);
  if (dir == nullptr) return 0;
  size_t count = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") ++count;
  }
  closedir(dir);
  return minusOwnDescriptor && count > 0 ? count - 1 : count;
}

inline size_t OpenDescriptorCount() { return CountProcEntries("/proc/self/fd", true); }
inline size_t ThreadCount() { return CountProcEntries("/proc/self/task", false); }

// Bytes the allocator has handed out and not got back; nothing under a sanitizer, whose own
// allocator keeps freed blocks in quarantine (it reports leaks itself at exit).
inline std::optional<size_t> HeapInUse() {
#ifdef SP_HEAP_COUNT_UNRELIABLE
  return std::nullopt;
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

struct ProcessResources {
  size_t descriptors = OpenDescriptorCount();
  size_t threads = ThreadCount();
  std::optional<size_t> heap = HeapInUse();
};
