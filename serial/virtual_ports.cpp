#include "serial/virtual_ports.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "serial/terminal_device.h"

namespace fs = std::filesystem;

namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool MakePrivateDirectory(const fs::path& dir) {
  if (::mkdir(dir.c_str(), 0700) == 0) return true;
  return errno == EEXIST;
}

}  // namespace

std::string VirtualPortDirectory() {
  if (std::string dir = EnvOrEmpty("VORNICSPCOMM_PORTS_DIR"); !dir.empty()) return dir;
  if (std::string runtime = EnvOrEmpty("XDG_RUNTIME_DIR"); !runtime.empty()) {
    return runtime + "/vornicspcomm/ports";
  }
  return "/tmp/vornicspcomm-" + std::to_string(::geteuid()) + "/ports";
}

bool IsTrustedPortDirectory(const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool EnsureVirtualPortDirectory(const std::string& dir) {
  fs::path path(dir);
  fs::path partial;
  for (const fs::path& part : path) {
    partial /= part;
    if (partial == partial.root_path()) continue;
    if (!MakePrivateDirectory(partial)) return false;
  }
  return IsTrustedPortDirectory(dir);
}

std::optional<std::vector<std::string>> ListVirtualPorts(const std::string& dir) {
  if (!IsTrustedPortDirectory(dir)) return std::nullopt;
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;
  const std::optional<TtyDriverTable> drivers = TtyDriverTable::Read();
  std::vector<std::string> ports;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path& link = it->path();
    if (it->is_symlink(ec) && MayBeTerminal(link.string(), drivers)) ports.push_back(link.string());
  }
  return ports;
}

std::optional<LinkMark> MarkOfLink(const std::string& path) {
  struct stat link{};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return std::nullopt;
  return LinkMark{static_cast<unsigned long long>(link.st_dev), static_cast<unsigned long long>(link.st_ino),
                  static_cast<long long>(link.st_ctim.tv_sec) * 1'000'000'000LL + link.st_ctim.tv_nsec};
}
