#include "core/capture/capture_file.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr int kMaxNameTries = 1000;
constexpr std::string_view kPortField = "<port>";

bool UsableName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.size() <= kMaxNameBytes &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string NumberedName(const std::string& name, int number) {
  if (number == 1) return name;
  const size_t dot = name.rfind('.');
  const size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
  return name.substr(0, cut) + "-" + std::to_string(number) + name.substr(cut);
}

}  // namespace

std::optional<std::string> ExpandCaptureName(std::string_view pattern, int64_t epochMs, std::string_view port) {
  const std::time_t seconds = static_cast<std::time_t>(epochMs >= 0 ? epochMs / 1000 : (epochMs - 999) / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  std::string name;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.substr(i, kPortField.size()) == kPortField) {
      name.append(port);
      i += kPortField.size() - 1;
      continue;
    }
    if (pattern[i] != '%') {
      name.push_back(pattern[i]);
      continue;
    }
    if (++i == pattern.size()) return std::nullopt;
    char field[3] = {'%', pattern[i], 0};
    switch (pattern[i]) {
      case 'Y': case 'm': case 'd': case 'H': case 'M': case 'S': case '%': {
        char text[16];
        const size_t length = std::strftime(text, sizeof text, field, &local);
        name.append(text, length);
        break;
      }
      default: return std::nullopt;
    }
  }
  if (!UsableName(name)) return std::nullopt;
  return name;
}

std::string PortShortName(std::string_view portPath) {
  while (!portPath.empty() && portPath.back() == '/') portPath.remove_suffix(1);
  const size_t slash = portPath.rfind('/');
  return std::string(slash == std::string_view::npos ? portPath : portPath.substr(slash + 1));
}

CreatedFile CreateCaptureFile(const std::string& folder, const std::string& name) {
  CreatedFile created;
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (int number = 1; number <= kMaxNameTries; ++number) {
    created.path = base + NumberedName(name, number);
    created.fd = ::open(created.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (created.fd >= 0) {
      created.error = 0;
      return created;
    }
    created.error = errno;
    if (created.error != EEXIST) return created;
  }
  return created;
}

int MakeFolders(const std::string& folder) {
  if (folder.empty()) return ENOENT;
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    if (slash == std::string::npos) break;
  }
  struct stat info{};
  if (::stat(folder.c_str(), &info) != 0) return errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}
