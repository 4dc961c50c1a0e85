#include "app/start.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "app/main_window.h"
#include "module/device_events.h"
#include "serial/port_source.h"

namespace {

// The application's exception display: a box with the exception's message.
void ShowException(const QString& message) {
  QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}

WindowEnvironment SystemEnvironment() {
  WindowEnvironment environment;
  environment.ports = std::make_shared<SystemPortSource>();
  environment.devices = MakeSystemDeviceEventSource();
  return environment;
}

}  // namespace

int RunApplication(int argc, char** argv) {
  try {
    QApplication app(argc, argv);
    QApplication::setApplicationName("VornicSPComm");
    try {
      TVornicSPComm window(SystemEnvironment());
      window.show();
      QApplication::exec();
    } catch (const std::exception& e) {
      ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
      ShowException(QString());
    }
  } catch (...) {
    // Without an application object there is nothing to show the exception on.
  }
  return 0;
}
