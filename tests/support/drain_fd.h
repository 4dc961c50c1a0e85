#pragma once
// Reads and discards whatever waits on a non-blocking descriptor, so that a poll on it
// stops reporting it readable until something new comes.
#include <unistd.h>

#include <cerrno>

inline void DrainFd(int fd) {
  alignas(8) char buffer[4096];  // room for at least one inotify record of any name
  while (true) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more waits
  }
}
