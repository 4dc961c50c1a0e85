#pragma once
// Reading and writing a whole file as bytes, for tests that prepare a profile and look at
// what the window saved.
#include <QByteArray>
#include <QFile>
#include <QString>

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
