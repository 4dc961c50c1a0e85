#pragma once
// Reads every record waiting on a non-blocking inotify descriptor, so that a poll on it stops
// reporting it readable until something new comes, and hands each record to `take` with
// the name it carries (empty for a record about the watched object itself).
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

template <typename Take>
void ReadInotifyRecords(int fd, Take take) {
  alignas(inotify_event) char buffer[4096];  // room for at least one record of any name
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more waits
    const size_t size = static_cast<size_t>(n);
    for (size_t at = 0; at + sizeof(inotify_event) <= size;) {
      inotify_event record;
      std::memcpy(&record, buffer + at, sizeof record);
      const size_t nameAt = at + sizeof(inotify_event);
      // The name is padded with zero bytes up to its record's length.
      const size_t nameRoom = std::min<size_t>(record.len, size - nameAt);
      take(record, std::string_view(buffer + nameAt, ::strnlen(buffer + nameAt, nameRoom)));
      at = nameAt + record.len;
    }
  }
}
