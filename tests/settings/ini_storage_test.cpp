#include "core/settings/ini_storage.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

constexpr std::string_view kSection = "VornicSPCommTool_USART";

std::vector<std::string> EntriesOf(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A document whose text is bigger than `size` bytes.
IniDocument LargeDocument(size_t size) {
  IniDocument doc;
  const std::string value(1000, 'x');
  for (size_t i = 0; i * value.size() < size; ++i) EXPECT_TRUE(doc.Write(kSection, "K" + std::to_string(i), value));
  return doc;
}

class IniStorage : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.valid()); }
  std::string File() const { return dir_.File("VornicSPCommTool.ini"); }

  // Puts an old settings file in place, expects a save to fail, and checks that the old file
  // is byte for byte as it was and no temporary file is left beside it.
  void ExpectFailedSaveKeepsOldFile(const std::string& directory, int expectedError,
                                    const std::function<int(const std::string&)>& save) {
    const std::string path = directory + "/VornicSPCommTool.ini";
    const std::string old = "[VornicSPCommTool_USART]\r\nBaud Rate=4800\r\nUnknown=\xB4\xAE\r\n";
    ASSERT_TRUE(WriteTestFile(path, old));
    EXPECT_EQ(save(path), expectedError);
    EXPECT_EQ(ReadTestFile(path), old);
    EXPECT_EQ(EntriesOf(directory), std::vector<std::string>{"VornicSPCommTool.ini"});
  }

  TempDir dir_;
};

TEST_F(IniStorage, MissingFileLoadsAsEmptyDocumentAndSaveCreatesIt) {
  IniLoad load = LoadIniFile(File());
  EXPECT_EQ(load.status, FileRead::Status::kMissing);
  EXPECT_TRUE(load.document.Empty());
  ASSERT_TRUE(load.document.Write(kSection, "Baud Rate", "9600"));
  ASSERT_EQ(SaveIniFile(File(), load.document), 0);
  EXPECT_EQ(ReadTestFile(File()), "[VornicSPCommTool_USART]\nBaud Rate=9600\n");
  struct stat info{};
  ASSERT_EQ(::stat(File().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(IniStorage, SaveKeepsUnknownLinesTheirOrderAndTheFilesPermissions) {
  const std::string old =
      "[Mine]\r\nfoo=1\r\n[VornicSPCommTool_USART]\r\nbaud rate=1200\r\n; remark\r\nZ=\"  z \"\r\n";
  ASSERT_TRUE(WriteTestFile(File(), old));
  ASSERT_EQ(::chmod(File().c_str(), 0640), 0);
  IniLoad load = LoadIniFile(File());
  ASSERT_EQ(load.status, FileRead::Status::kRead);
  ASSERT_TRUE(load.document.Write(kSection, "Baud Rate", "115200"));
  ASSERT_TRUE(load.document.Write(kSection, "Data Bits", "8"));
  ASSERT_EQ(SaveIniFile(File(), load.document), 0);
  EXPECT_EQ(ReadTestFile(File()),
            "[Mine]\r\nfoo=1\r\n[VornicSPCommTool_USART]\r\nbaud rate=115200\r\n; remark\r\nZ=\"  z \"\r\n"
            "Data Bits=8\r\n");
  struct stat info{};
  ASSERT_EQ(::stat(File().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"VornicSPCommTool.ini"});
}

TEST_F(IniStorage, SaveThroughASymbolicLinkReplacesItsTarget) {
  const std::string real = dir_.File("real.ini");
  ASSERT_TRUE(WriteTestFile(real, "[S]\nk=old\n"));
  std::filesystem::create_symlink(real, File());
  IniDocument doc = LoadIniFile(File()).document;
  ASSERT_TRUE(doc.Write("S", "k", "new"));
  ASSERT_EQ(SaveIniFile(File(), doc), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(File()));
  EXPECT_EQ(ReadTestFile(real), "[S]\nk=new\n");
}

// Random values over every byte a line can hold, biased towards the bytes that need care.
std::string RandomValue(std::mt19937& random) {
  static const std::string kTricky = std::string(" \t\"=;[]#\\") + "\xB4\xAE\x80\xFF\x81\x40";
  std::uniform_int_distribution<int> length(0, 24);
  std::uniform_int_distribution<int> anyByte(1, 255);
  std::uniform_int_distribution<size_t> tricky(0, kTricky.size() - 1);
  std::bernoulli_distribution pickTricky(0.5);
  std::string value;
  for (int n = length(random); n > 0; --n) {
    char c = pickTricky(random) ? kTricky[tricky(random)] : static_cast<char>(anyByte(random));
    if (c == '\r' || c == '\n') c = ' ';
    value.push_back(c);
  }
  return value;
}

TEST_F(IniStorage, RandomValuesSurviveSaveAndLoadExactly) {
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  for (int round = 0; round < 20; ++round) {
    IniDocument doc = LoadIniFile(File()).document;
    std::vector<std::string> values;
    for (int key = 0; key < 40; ++key) {
      values.push_back(RandomValue(random));
      ASSERT_TRUE(doc.Write(key % 2 ? "VornicSPCommTool_ZEL" : kSection, "Key " + std::to_string(key), values.back()));
    }
    ASSERT_EQ(SaveIniFile(File(), doc), 0);
    const IniDocument loaded = LoadIniFile(File()).document;
    for (int key = 0; key < 40; ++key) {
      EXPECT_EQ(loaded.Find(key % 2 ? "vornicspcommtool_zel" : kSection, "KEY " + std::to_string(key)), values[key])
          << "round " << round << " key " << key;
    }
  }
}

TEST_F(IniStorage, GarbageLoadsWithoutFault) {
  std::mt19937 random(7);
  std::string garbage(10 * 1024 * 1024, '\0');
  for (char& c : garbage) {
    c = static_cast<char>(random());
    if (c == '\r') c = 'r';  // LF line ends only, so the kept text is the file's own
  }
  garbage.back() = '\n';
  ASSERT_TRUE(WriteTestFile(File(), garbage));
  IniLoad load = LoadIniFile(File());
  EXPECT_EQ(load.status, FileRead::Status::kRead);
  EXPECT_TRUE(load.document.Serialize() == garbage) << "every line as it was";
  EXPECT_EQ(load.document.ReadInt(kSection, "Baud Rate", 9600), 9600);
  ASSERT_TRUE(load.document.Write(kSection, "Baud Rate", "4800"));
  EXPECT_EQ(load.document.ReadInt(kSection, "Baud Rate", 9600), 4800);
}

// A file beyond the limits is not read at all: a part of it could hold anything.
TEST_F(IniStorage, FilesBeyondTheByteOrLineLimitAreNotLoaded) {
  const std::string text = "[VornicSPCommTool_USART]\nBaud Rate=4800\n";
  ASSERT_TRUE(WriteTestFile(File(), text));
  EXPECT_EQ(LoadIniFile(File(), text.size()).status, FileRead::Status::kRead);
  IniLoad over = LoadIniFile(File(), text.size() - 1);
  EXPECT_EQ(over.status, FileRead::Status::kTooLarge);
  EXPECT_EQ(over.error, EFBIG);
  EXPECT_TRUE(over.document.Empty());

  const std::string lines = text + std::string(kIniMaxLines - 2, '\n');
  ASSERT_TRUE(WriteTestFile(File(), lines));
  EXPECT_EQ(LoadIniFile(File()).status, FileRead::Status::kRead);
  ASSERT_TRUE(WriteTestFile(File(), lines + "x"));
  over = LoadIniFile(File());
  EXPECT_EQ(over.status, FileRead::Status::kTooLarge);
  EXPECT_TRUE(over.document.Empty());
}

TEST_F(IniStorage, OrdinaryNewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  const mode_t oldMask = ::umask(027);
  EXPECT_EQ(WriteFileAtomically(File(), "a", 0666), 0);
  struct stat info{};
  ASSERT_EQ(::stat(File().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  ASSERT_EQ(::chmod(File().c_str(), 0604), 0);
  EXPECT_EQ(WriteFileAtomically(File(), "b", 0666), 0);
  ::umask(oldMask);
  ASSERT_EQ(::stat(File().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0604u);
  EXPECT_EQ(ReadTestFile(File()), "b");
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"VornicSPCommTool.ini"});
}

TEST_F(IniStorage, DirectoriesAndFifosAreNotReadAndDoNotBlock) {
  IniLoad load = LoadIniFile(dir_.path());
  EXPECT_EQ(load.status, FileRead::Status::kFailed);
  EXPECT_EQ(load.error, EISDIR);
  ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
  load = LoadIniFile(File());
  EXPECT_EQ(load.status, FileRead::Status::kFailed);
  EXPECT_TRUE(load.document.Empty());
}

TEST_F(IniStorage, SaveIntoAMissingDirectoryFails) {
  EXPECT_EQ(SaveIniFile(dir_.File("no/such/dir.ini"), IniDocument::Parse("[S]\nk=v\n")), ENOENT);
}

// Runs `save` in a child process without root's right to ignore permissions (as "nobody"
// when this test runs as root) and returns its result.
int SaveWithoutPrivileges(const std::function<int()>& save) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(250);
    ::_exit(save());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 251;
}

TEST_F(IniStorage, SaveIntoAReadOnlyDirectoryFailsAndKeepsTheOldFile) {
  const std::string readOnly = dir_.File("ro");
  ASSERT_EQ(::mkdir(readOnly.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);  // the unprivileged child must reach it
  ExpectFailedSaveKeepsOldFile(readOnly, EACCES, [&readOnly](const std::string& path) {
    if (::geteuid() != 0) ::chmod(readOnly.c_str(), 0555);
    const IniDocument doc = LargeDocument(100);
    const int result = SaveWithoutPrivileges([&] { return SaveIniFile(path, doc); });
    ::chmod(readOnly.c_str(), 0755);
    return result;
  });
}

TEST_F(IniStorage, SaveBeyondTheFileSizeLimitFailsAndKeepsTheOldFile) {
  // The per-process file size limit makes write() fail part-way, as a full disk does.
  ExpectFailedSaveKeepsOldFile(dir_.path(), EFBIG, [](const std::string& path) {
    const IniDocument doc = LargeDocument(64 * 1024);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 16 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const int result = SaveIniFile(path, doc);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    return result;
  });
}

// A 64 KB tmpfs mounted for the test's lifetime (needs the right to mount, as root has).
class SmallTmpfs {
 public:
  explicit SmallTmpfs(std::string path) : path_(std::move(path)) {
    mounted_ = ::mkdir(path_.c_str(), 0755) == 0 && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallTmpfs() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST_F(IniStorage, SaveOntoAFullDiskFailsAndKeepsTheOldFile) {
  const SmallTmpfs small(dir_.File("small"));
  if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here";
  ExpectFailedSaveKeepsOldFile(dir_.File("small"), ENOSPC, [](const std::string& path) {
    return SaveIniFile(path, LargeDocument(256 * 1024));
  });
}

}  // namespace
