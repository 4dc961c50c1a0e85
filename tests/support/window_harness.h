#pragma once
// A main window for Qt tests: a private profile directory (so no test touches the user's
// settings file), injected port list and device events, and a record of every message box
// instead of a person clicking OK.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "support/message_log.h"
#include "support/fake_device_event_source.h"
#include "support/fake_port_source.h"

class WindowHarness {
 public:
  // `prepare` may write a settings file into the profile directory before the window starts.
  explicit WindowHarness(const std::function<void(const QString& profileDir)>& prepare = {}) {
    Start(prepare, WindowEnvironment{ports, devices, nullptr});
  }
  // A window over real sources (pseudo-terminals announced in a directory, say) instead of
  // the fakes, which then stay unused.
  explicit WindowHarness(WindowEnvironment environment) { Start({}, std::move(environment)); }
  WindowHarness(const std::function<void(const QString& profileDir)>& prepare, WindowEnvironment environment) {
    Start(prepare, std::move(environment));
  }
  ~WindowHarness() {
    Close();
    SetMessageObserver({});
  }

  TVornicSPComm& w() { return *window_; }
  QString profileDir() const { return profile_.path(); }
  QString settingsPath() const { return profile_.path() + "/VornicSPCommTool.ini"; }

  // Closes the window as the user would (runs the close handler once).
  void Close() {
    if (window_) window_->close();
  }

  // Processes events until `done` holds or `timeoutMs` passed; true when it holds.
  static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > timeoutMs) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::usleep(500);
    }
    return true;
  }

  std::shared_ptr<FakePortSource> ports = std::make_shared<FakePortSource>();
  std::shared_ptr<FakeDeviceEventSource> devices = std::make_shared<FakeDeviceEventSource>();
  std::vector<ShownMessage> messages;

 private:
  void Start(const std::function<void(const QString& profileDir)>& prepare, WindowEnvironment environment) {
    setenv("USERPROFILE", profile_.path().toLocal8Bit().constData(), 1);
    if (prepare) prepare(profile_.path());
    SetMessageObserver([this](const QString& title, const QString& text) { messages.push_back({title, text}); });
    environment_ = std::move(environment);
    window_ = std::make_unique<TVornicSPComm>(environment_);
  }

  QTemporaryDir profile_;
  WindowEnvironment environment_;
  std::unique_ptr<TVornicSPComm> window_;
};
