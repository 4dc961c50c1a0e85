#pragma once
// The program's command line. Started without options it is the plain desktop program;
// the options serve the demo and scripted runs.
#include <QString>
#include <QStringList>
#include <optional>

struct StartOptions {
  // --demo-script DIR: run the demo on the window, save its pictures in DIR, then close.
  std::optional<QString> demoScriptDir;
  bool showHelp = false;
  QString error;  // empty when the command line was understood
};

// `arguments` as QCoreApplication::arguments() gives them (the program name first, the
// toolkit's own options already taken out).
StartOptions ParseStartOptions(const QStringList& arguments);

// The usage text shown for --help and after a command-line error.
QString StartOptionsUsage();
