#include "cli/zel_command_line.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "cli/flat_json.h"

const char* const kZelUsage =
    "usage: vornicspcomm-zel read PORT [--json]\n"
    "       vornicspcomm-zel write PORT [FIELD OPTIONS] [--from FILE.json] [--json]\n"
    "       vornicspcomm-zel scan [--json]\n"
    "       vornicspcomm-zel --all read [--json]\n"
    "       vornicspcomm-zel --all write [FIELD OPTIONS] [--from FILE.json] [--json]\n"
    "\n"
    "Reads and writes the settings of ZEL radio modules on serial ports.\n"
    "\n"
    "  read PORT        print the module's model, version and every field, one\n"
    "                   \"key: value\" per line (--json: one JSON object)\n"
    "  write PORT       read the module, change the fields given, write, read back and\n"
    "                   compare; fields left out keep the module's values. Prints what the\n"
    "                   module holds afterwards, as read does\n"
    "  scan             list every port on which a module answers: port, model, version\n"
    "  --all read|write do it on every port on which a module answers, all at once (one\n"
    "                   thread per port); one result line per port\n"
    "  --json           JSON output: one object (read, write) or one object per line\n"
    "  --from FILE      take the fields from a file that read --json wrote; options given\n"
    "                   as well win over it; null keeps the module's value\n"
    "  --help, --version\n"
    "\n"
    "Field options (checked before anything is sent; a bad value is refused):\n"
    "  --freq MHZ          390 to 470, whole kHz (433.92)\n"
    "  --air-rate RATE     1Kbps 2Kbps 5Kbps 10Kbps 25Kbps 50Kbps 100Kbps 150Kbps\n"
    "  --power N           0 (min) to 7 (max)\n"
    "  --serial-rate BPS   300 600 1200 2400 4800 9600 19200 38400 57600 115200\n"
    "  --parity P          none odd even\n"
    "  --wake-up T         50ms 100ms 200ms 400ms 600ms 1.0s 1.5s 2.0s 2.5s 3.0s 4.0s 5.0s\n"
    "  --delay MS          0 to 255\n"
    "  --fec on|off        forward error correction\n"
    "  --local N           the module's own address, 0 to 255\n"
    "  --target N          the address it sends to, 0 to 255\n"
    "  --pack BYTES        packet length: 2 4 8 16 32 64\n"
    "  --pack-complete on|off\n"
    "A field the module holds with a code that none of these stands for is printed as\n"
    "\"unlisted code N\" (null in JSON) and is kept by a write.\n"
    "\n"
    "PORT is a device path as the port lists name it (/dev/ttyUSB0, a virtual port's link).\n"
    "scan and --all use the program's port lists: the machine's serial ports and the\n"
    "virtual ports announced in $VORNICSPCOMM_PORTS_DIR (or its default directory).\n"
    "The line is 9600 bit/s, 8 data bits, no parity, 1 stop bit.\n"
    "\n"
    "Exit status: 0 success; 1 the module did not answer or answered wrongly (with --all:\n"
    "on some port, or no module anywhere); 2 bad arguments; 3 the port could not be opened.\n"
    "Messages go to standard error.\n";

namespace {

// "--name=value" split in two; a plain "--name" gives no value.
struct Option {
  std::string name;
  std::optional<std::string> value;
};

Option SplitOption(const std::string& word) {
  const size_t equals = word.find('=');
  if (equals == std::string::npos) return {word.substr(2), std::nullopt};
  return {word.substr(2, equals - 2), word.substr(equals + 1)};
}

// Adds a checked field value; the error when it is refused or given twice.
std::string SetField(FieldChanges& changes, ModuleField field, const std::string& text) {
  if (changes.Has(field)) return "--" + std::string(FieldName(field)) + " is given twice";
  const FieldParse parse = ParseFieldValue(field, text);
  if (!parse.value) return parse.error;
  changes.Set(field, *parse.value);
  return {};
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  ZelCommandLine Parse() {
    ZelCommandLine line;
    std::vector<std::string> words;
    bool fields = false;
    for (at_ = 0; at_ < arguments_.size() && line.error.empty(); ++at_) {
      const std::string& word = arguments_[at_];
      if (word == "--help" || word == "-h") return {};  // help, whatever else is there
      if (!word.starts_with("--")) {
        words.push_back(word);
        continue;
      }
      Option option = SplitOption(word);
      ZelCommand& c = line.command;
      if (option.name == "version" && !option.value) {
        c.action = ZelAction::ShowVersion;
        return line;
      } else if (option.name == "all" && !option.value) {
        c.allPorts = true;
      } else if (option.name == "json" && !option.value) {
        c.json = true;
      } else if (option.name == "from") {
        if (!Value(option, line.error)) break;
        if (!c.fromFile.empty()) line.error = "--from is given twice";
        c.fromFile = *option.value;
        if (c.fromFile.empty()) line.error = "--from needs a file name";
      } else if (const auto field = FieldNamed(option.name)) {
        if (!Value(option, line.error)) break;
        line.error = SetField(c.changes, *field, *option.value);
        fields = true;
      } else {
        line.error = "unknown option " + word;
      }
    }
    if (line.error.empty()) line.error = Words(line.command, words, fields);
    return line;
  }

 private:
  // The option's value: after '=' or the next argument.
  bool Value(Option& option, std::string& error) {
    if (!option.value && at_ + 1 < arguments_.size()) option.value = arguments_[++at_];
    if (!option.value) error = "--" + option.name + " needs a value";
    return option.value.has_value();
  }

  // The action and the port, and what may go with them.
  static std::string Words(ZelCommand& c, const std::vector<std::string>& words, bool fields) {
    if (words.empty()) return "nothing to do: read, write or scan";
    const std::string& action = words[0];
    if (action == "read") {
      c.action = ZelAction::Read;
    } else if (action == "write") {
      c.action = ZelAction::Write;
    } else if (action == "scan") {
      c.action = ZelAction::Scan;
    } else {
      return "unknown command " + action + " (read, write or scan)";
    }
    const bool takesPort = !c.allPorts && c.action != ZelAction::Scan;
    if (c.action == ZelAction::Scan && c.allPorts) return "--all goes with read or write, scan looks at every port anyway";
    if (takesPort && words.size() < 2) return action + " needs a port";
    if (words.size() > (takesPort ? 2u : 1u)) return "unexpected " + words[takesPort ? 2 : 1];
    if (takesPort) c.port = words[1];
    if (c.port.empty() && takesPort) return "the port name is empty";
    if (c.action != ZelAction::Write && (fields || !c.fromFile.empty())) {
      return "field options and --from go with write only";
    }
    return {};
  }

  const std::vector<std::string>& arguments_;
  size_t at_ = 0;
};

// Passed over in a field file: what the module told, not what is to be written.
bool IsReportedOnly(const std::string& key) { return key == "port" || key == "model" || key == "version"; }

}  // namespace

ZelCommandLine ParseZelCommandLine(const std::vector<std::string>& arguments) { return Parser(arguments).Parse(); }

FieldFile ReadFieldFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  if (!file || !(text << file.rdbuf())) return {{}, path + ": cannot be read"};
  const JsonObjectParse parse = ParseFlatJsonObject(text.str());
  if (!parse.error.empty()) return {{}, path + ": " + parse.error};
  FieldFile result;
  for (const JsonMember& member : parse.members) {
    if (IsReportedOnly(member.key)) continue;
    const auto field = FieldNamed(member.key);
    if (!field) return {{}, path + ": unknown field \"" + member.key + "\""};
    if (!member.value) continue;  // null: the module keeps its value
    // JSON's true and false are the switches' on and off.
    std::string value = *member.value;
    if (!member.isString && (value == "true" || value == "false")) value = value == "true" ? "on" : "off";
    if (std::string error = SetField(result.changes, *field, value); !error.empty()) return {{}, path + ": " + error};
  }
  return result;
}
