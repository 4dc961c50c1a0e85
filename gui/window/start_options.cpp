#include "gui/window/start_options.h"

#include <QCommandLineParser>

namespace {

const char* const kDemoScriptOption = "demo-script";
const char* const kLanguageOption = "lang";

// The parser is rebuilt for each use: QCommandLineParser holds no state worth sharing and
// cannot be copied.
void DescribeOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "A serial port workbench: a serial terminal and a configuration page for ZEL radio modules.");
  parser.addHelpOption();
  parser.addOption({kDemoScriptOption,
                    "Run the demo on the window (read the module on the configuration page's port, send a line "
                    "on the terminal page's port and wait for its echo), save a picture of each page in "
                    "<directory>, print what was exchanged and close. The exit status is 0 when every step "
                    "worked.",
                    "directory"});
  parser.addOption({kLanguageOption,
                    "The window's language for this run: zh_CN (Chinese), en (English) or auto (English for an "
                    "English locale, else Chinese). Without it, the Language key of the settings file's "
                    "[VornicSPCommTool_Interface] section decides (auto when missing). Not saved.",
                    "language"});
}

}  // namespace

StartOptions ParseStartOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  DescribeOptions(parser);
  StartOptions options;
  if (!parser.parse(arguments)) {
    options.error = parser.errorText();
    return options;
  }
  if (!parser.positionalArguments().isEmpty()) {
    options.error = "Unexpected argument: " + parser.positionalArguments().first();
    return options;
  }
  options.showHelp = parser.isSet("help");
  if (parser.isSet(kDemoScriptOption)) {
    const QString dir = parser.value(kDemoScriptOption);
    if (dir.isEmpty()) {
      options.error = "--demo-script needs a directory";
      return options;
    }
    options.demoScriptDir = dir;
  }
  if (parser.isSet(kLanguageOption)) {
    const QString language = parser.value(kLanguageOption);
    options.language = ParseLanguageChoice(language.toStdString());
    if (!options.language) {
      options.error = "--lang takes zh_CN, en or auto, not \"" + language + "\"";
      return options;
    }
  }
  return options;
}

QString StartOptionsUsage() {
  QCommandLineParser parser;
  DescribeOptions(parser);
  return parser.helpText();
}
