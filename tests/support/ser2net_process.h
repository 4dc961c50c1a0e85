#pragma once
// ser2net 4 run by a test in the foreground, serving local devices on 127.0.0.1: each link is
// an accepter (telnet with com port control, or raw TCP) on a free port in front of one
// device. The configuration is written into a directory of the test's own; the server is
// killed when the object goes, and also when the test process dies first.
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

// A port on 127.0.0.1 that nothing listened on a moment ago.
inline uint16_t FreeLocalPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

class Ser2netProcess {
 public:
  struct Link {
    std::string device;
    bool rfc2217 = true;  // false: raw TCP
    uint16_t port = 0;    // chosen by the constructor
    std::string Name() const {
      return (rfc2217 ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(port);
    }
  };

  explicit Ser2netProcess(std::vector<Link> links) : links_(std::move(links)) {
    std::ostringstream config;
    config << "%YAML 1.1\n---\n";
    for (size_t i = 0; i < links_.size(); ++i) {
      Link& link = links_[i];
      link.port = FreeLocalPort();
      config << "connection: &link" << i << "\n"
             << "  accepter: " << (link.rfc2217 ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1," << link.port
             << "\n  connector: serialdev," << link.device << ",9600n81,local\n"
             << "  options:\n    kickolduser: true\n";
    }
    const std::string path = dir_.path() + "/ser2net.yaml";
    std::ofstream(path) << config.str();
    std::vector<std::string> command = {"/usr/bin/setpriv", "--pdeathsig", "KILL", "--", "/bin/sh", "-c",
                                        "[ \"$PPID\" = " + std::to_string(getpid()) + " ] && exec \"$0\" \"$@\"",
                                        "ser2net", "-n", "-d", "-c", path};
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~Ser2netProcess() { Kill(); }
  Ser2netProcess(const Ser2netProcess&) = delete;
  Ser2netProcess& operator=(const Ser2netProcess&) = delete;

  const Link& link(size_t i) const { return links_[i]; }

  // True once every accepter listens (read from the kernel's socket table, so that no test
  // connection opens the device before the test does); false when the server ended or did
  // not get there within the guard.
  bool WaitListening() const {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < guard) {
      if (pid_ <= 0 || waitpid(pid_, nullptr, WNOHANG) != 0) return false;
      bool all = true;
      for (const Link& link : links_) all = all && Listening(link.port);
      if (all) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }

 private:
  static bool Listening(uint16_t port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, ":%04X ", port);
    while (std::getline(table, line)) {
      // "sl local_address rem_address st ...": listening is state 0A.
      if (line.find(wanted) != std::string::npos && line.find(" 0A ") != std::string::npos) return true;
    }
    return false;
  }

  TempDir dir_;
  std::vector<Link> links_;
  pid_t pid_ = -1;
};
