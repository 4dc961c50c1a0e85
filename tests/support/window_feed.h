#pragma once
// Writes more than a pty holds while the window keeps reading: the event loop runs whenever
// the line is full, so the window's receive side drains it.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <string>

#include "support/pty_pair.h"

inline void SendWhileWindowReads(const PtyPair& pty, const std::string& bytes) {
  fcntl(pty.master(), F_SETFL, fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = write(pty.master(), bytes.data() + sent, bytes.size() - sent);
    if (n > 0) sent += static_cast<size_t>(n);
    else QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}
