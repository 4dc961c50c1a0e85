#include "gui/window/start.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <memory>

#include "core/settings/profile_path.h"
#include "gui/window/demo_script.h"
#include "gui/window/interface_language.h"
#include "gui/window/main_window.h"
#include "gui/window/start_options.h"
#include "devices/device_events.h"
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

// Command-line help and errors go to the terminal the program was started from.
int ReportStartOptions(const StartOptions& options) {
  if (!options.error.isEmpty()) std::fprintf(stderr, "%s\n", options.error.toLocal8Bit().constData());
  std::fputs(StartOptionsUsage().toLocal8Bit().constData(), options.error.isEmpty() ? stdout : stderr);
  return options.error.isEmpty() ? 0 : 2;
}

void PrintLine(const QString& line) {
  std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
}

}  // namespace

int RunApplication(int argc, char** argv) {
  int status = 0;
  try {
    QApplication app(argc, argv);
    QApplication::setApplicationName("VornicSPComm");
    const StartOptions options = ParseStartOptions(QApplication::arguments());
    if (options.showHelp || !options.error.isEmpty()) return ReportStartOptions(options);
    // Before the first widget: every text is translated as it is created.
    if (!InstallInterfaceLanguage(StartLanguage(options.language, SettingsFilePath())))
      std::fputs("The English translation could not be loaded; the window stays Chinese.\n", stderr);
    try {
      TVornicSPComm window(SystemEnvironment());
      window.show();
      std::unique_ptr<DemoScript> demo;
      if (options.demoScriptDir) {
        demo = std::make_unique<DemoScript>(window, *options.demoScriptDir, PrintLine);
        demo->Start();
      }
      QApplication::exec();
      if (demo) status = demo->ExitStatus();
    } catch (const std::exception& e) {
      ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
      ShowException(QString());
    }
  } catch (...) {
    // Without an application object there is nothing to show the exception on.
  }
  return status;
}
