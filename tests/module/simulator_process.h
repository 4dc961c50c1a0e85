#pragma once
// Runs the module simulator program for a test and talks to it the way the configuration
// page does: through the slave side of its pseudo-terminal, opened by path.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

// The simulator as a child process; it is ended (SIGTERM) when the object goes, and also
// when the test process dies without getting there (a crash), so that it never outlives
// the test holding ctest's output open. The parent-death signal belongs to the spawning
// thread: create the object on the thread that owns it.
class SimulatorProcess {
 public:
  // `captureLog`: the simulator's stderr (its --verbose log) comes to ReadLogLine instead of
  // going to the test's own stderr.
  explicit SimulatorProcess(std::vector<std::string> options, bool captureLog = false) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    int log[2] = {-1, -1};
    if (captureLog && pipe2(log, O_CLOEXEC) != 0) log[1] = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (log[1] >= 0) posix_spawn_file_actions_adddup2(&actions, log[1], STDERR_FILENO);
    std::vector<std::string> command = DyingWithThisProcess(ZEL_SIMULATOR_PATH);
    command.insert(command.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
    if (log[1] >= 0) close(log[1]);
    log_ = log[0];
    if (pid_ > 0) path_ = ReadLine(stdout_, 10000);
  }
  ~SimulatorProcess() {
    Stop();
    for (int fd : {stdout_, log_}) {
      if (fd >= 0) close(fd);
    }
  }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // The device path the simulator printed first; empty if it printed none.
  const std::string& path() const { return path_; }

  // The next line of the captured log; empty when none came within `timeoutMs`.
  std::string ReadLogLine(int timeoutMs) { return ReadLine(log_, timeoutMs); }

  // Sends `signal` (SIGKILL: the module vanishes without a word) and returns the wait
  // status (nullopt when it was not running).
  std::optional<int> Stop(int signal = SIGTERM) {
    if (pid_ <= 0) return std::nullopt;
    kill(pid_, signal);
    return Wait();
  }

  // Waits for the program to end by itself (e.g. after a bad command line).
  std::optional<int> Wait() {
    if (pid_ <= 0) return std::nullopt;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
  }

 private:
  // setpriv (util-linux) asks the kernel for SIGTERM when this process dies, then the shell
  // makes sure this process is still its parent (it may have died before the request took)
  // and becomes `program`. Both exec in place: the pid, the signals and the exit status
  // stay the program's.
  static std::vector<std::string> DyingWithThisProcess(const char* program) {
    return {"/usr/bin/setpriv", "--pdeathsig", "TERM", "--", "/bin/sh", "-c",
            "[ \"$PPID\" = " + std::to_string(getpid()) + " ] && exec \"$0\" \"$@\"", program};
  }

  static std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    char c;
    for (;;) {
      pollfd pfd{fd, POLLIN, 0};
      if (fd < 0 || poll(&pfd, 1, timeoutMs) <= 0 || read(fd, &c, 1) != 1) return {};
      if (c == '\n') return line;
      line += c;
    }
  }

  pid_t pid_ = -1;
  int stdout_ = -1;
  int log_ = -1;
  std::string path_;
};

// The page's end of the line: the slave opened by path, raw.
class ModuleLine {
 public:
  explicit ModuleLine(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    termios raw{};
    if (fd_ >= 0 && tcgetattr(fd_, &raw) == 0) {
      cfmakeraw(&raw);
      tcsetattr(fd_, TCSANOW, &raw);
    }
  }
  ~ModuleLine() {
    if (fd_ >= 0) close(fd_);
  }
  ModuleLine(const ModuleLine&) = delete;
  ModuleLine& operator=(const ModuleLine&) = delete;

  bool ok() const { return fd_ >= 0; }

  template <typename Container>
  bool Send(const Container& bytes) const {
    return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Reads until `count` bytes came or none came for `timeoutMs`; the size of each read is
  // kept in `chunks` when given.
  std::vector<uint8_t> Receive(size_t count, std::vector<size_t>* chunks = nullptr, int timeoutMs = 5000) const {
    std::vector<uint8_t> got;
    uint8_t buffer[256];
    while (got.size() < count) {
      pollfd pfd{fd_, POLLIN, 0};
      if (poll(&pfd, 1, timeoutMs) <= 0) break;
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      got.insert(got.end(), buffer, buffer + n);
      if (chunks) chunks->push_back(static_cast<size_t>(n));
    }
    return got;
  }

 private:
  int fd_;
};
