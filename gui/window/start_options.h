#pragma once
// The program's command line. Started without options it is the plain desktop program;
// the options serve the demo and scripted runs.
#include <QString>
#include <QStringList>
#include <optional>

#include "core/settings/interface_language.h"

struct StartOptions {
  // --demo-script DIR: run the demo on the window, save its pictures in DIR, then close.
  std::optional<QString> demoScriptDir;
  // --lang auto|zh_CN|en: the window's language for this run, over the settings file's.
  std::optional<LanguageChoice> language;
  bool showHelp = false;
  QString error;  // empty when the command line was understood
};

// `arguments` as QCoreApplication::arguments() gives them (the program name first, the
// toolkit's own options already taken out).
StartOptions ParseStartOptions(const QStringList& arguments);

// The usage text shown for --help and after a command-line error.
QString StartOptionsUsage();
