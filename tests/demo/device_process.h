#pragma once
// A helper program of the project (zel_simulator, echo_device) as a child process: it makes
// its pseudo-terminal, prints the device path as its first line and runs until SIGTERM.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

class DeviceProcess {
 public:
  DeviceProcess(const QString& program, const QStringList& arguments) {
    process_.start(program, arguments);
    if (!process_.waitForStarted(5000)) return;
    while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
    }
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed().toStdString();
  }
  ~DeviceProcess() { Stop(); }
  DeviceProcess(const DeviceProcess&) = delete;
  DeviceProcess& operator=(const DeviceProcess&) = delete;

  // The device path printed first; empty when none came.
  const std::string& path() const { return path_; }

  // Sends SIGTERM; the exit code, or -1 when the program did not end normally in time.
  int Stop() {
    if (process_.state() == QProcess::NotRunning) return Exit();
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
      return -1;
    }
    return Exit();
  }

  // Waits for the program to end by itself (a bad command line).
  int WaitForExit() {
    process_.waitForFinished(5000);
    return Exit();
  }

  QString StandardError() { return QString::fromLocal8Bit(process_.readAllStandardError()); }

 private:
  int Exit() const {
    return process_.exitStatus() == QProcess::NormalExit && process_.state() == QProcess::NotRunning
               ? process_.exitCode()
               : -1;
  }

  QProcess process_;
  std::string path_;
};
