// Capture to file: the line formats, files that follow the date and the size limit and never
// replace one another, failures that stop the capture with what was written kept, and the
// whole road from a pseudo-terminal through the receive worker with a clock the test sets.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "core/capture/capture_file.h"
#include "core/capture/capture_recorder.h"
#include "core/terminal/messages.h"
#include "core/terminal/receive_pipeline.h"
#include "core/text/gbk_codec.h"
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/set_clock.h"
#include "support/temp_dir.h"

namespace {

class Capture : public ::testing::Test {
 protected:
  void SetUp() override { UseUtcLocalTime(); }
};

std::string Gbk(const char* utf8) { return EncodeGbk(utf8).bytes; }

std::string Formatted(CaptureFormatter& f) {
  const std::string out(f.Ready(true));
  f.Consumed(out.size());
  return out;
}

void Add(CaptureFormatter& f, std::string_view bytes, int64_t ms) {
  f.AddBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ms);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

class Listener : public CaptureListener {
 public:
  void CaptureFileStarted(const std::string& path) override {
    std::lock_guard lock(mutex_);
    started.push_back(path);
  }
  void CaptureFailed(const CaptureFailure& failure) override {
    std::lock_guard lock(mutex_);
    failures.push_back(failure);
    changed_.notify_all();
  }
  bool WaitForFailure() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return !failures.empty(); });
  }
  std::vector<std::string> started;
  std::vector<CaptureFailure> failures;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

class NullWindow : public MessageTarget {
 public:
  void Post(uint32_t, uintptr_t, intptr_t) override {}
};

}  // namespace

TEST_F(Capture, TextLinesLeaveOutNulsTakeBackWithBackspaceAndHoldTheOpenLine) {
  CaptureFormatter text(CaptureFormat::TextLines, 20);
  text.AddMark(PortMark::Opened, "ttyUSB0", kMorningMs);
  Add(text, std::string("boo\0t\r", 6), kMorningMs + 1);
  Add(text, "\nlog", kMorningMs + 2);
  // The open line waits (a backspace may still take part of it back).
  EXPECT_EQ(text.Ready(false), "[10:31:42.000] " + Gbk("==== 串口已打开 ttyUSB0 ====\n") + "[10:31:42.001] boot\r\n");
  Add(text, "x\b\b", kMorningMs + 3);
  text.AddMark(PortMark::Lost, "ttyUSB0", kMorningMs + 4);  // ends the open line first
  Add(text, "\b!", kMorningMs + 5);  // a backspace at a line start has nothing to take
  EXPECT_EQ(Formatted(text), "[10:31:42.000] " + Gbk("==== 串口已打开 ttyUSB0 ====\n") +
                                 "[10:31:42.001] boot\r\n[10:31:42.002] lo\n[10:31:42.004] " +
                                 Gbk("==== 串口已断开 ttyUSB0 ====\n") + "[10:31:42.005] !");

  CaptureFormatter raw(CaptureFormat::Raw, 20);
  raw.AddMark(PortMark::Opened, "ttyUSB0", kMorningMs);
  Add(raw, std::string("\0\b\xB0", 3), kMorningMs);
  EXPECT_EQ(Formatted(raw), std::string("\0\b\xB0", 3));  // exactly what came, nothing added
}

TEST_F(Capture, NamesComeFromThePatternAndNeverReplaceAFile) {
  EXPECT_EQ(ExpandCaptureName(kDefaultCaptureNamePattern, kMorningMs, "ttyUSB0"), "2026-12-08_10-31-42_ttyUSB0.log");
  EXPECT_EQ(ExpandCaptureName("%%%d", kMorningMs, ""), "%08");
  for (const char* bad : {"", "a/b.log", "%q.log", "log%", "..", "<port>"}) {
    EXPECT_EQ(ExpandCaptureName(bad, kMorningMs, ""), std::nullopt) << bad;
  }
  EXPECT_EQ(PortShortName("/dev/ttyUSB0"), "ttyUSB0");

  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.File("a.log"), "older"));
  const CreatedFile second = CreateCaptureFile(dir.path(), "a.log");
  const CreatedFile third = CreateCaptureFile(dir.path(), "a.log");
  ASSERT_GE(second.fd, 0);
  ASSERT_GE(third.fd, 0);
  ::close(second.fd);
  ::close(third.fd);
  EXPECT_EQ(second.path, dir.File("a-2.log"));
  EXPECT_EQ(third.path, dir.File("a-3.log"));
  EXPECT_EQ(ReadTestFile(dir.File("a.log")), "older");
}

TEST_F(Capture, AFileFullToItsLimitGivesWayToANewOne) {
  TempDir dir;
  SetClock clock(kMorningMs);
  CaptureRecorder recorder(clock);
  Listener listener;
  CaptureOptions options;
  options.Folder = dir.path();
  options.NamePattern = "cap.bin";
  options.MaxFileBytes = kMinCaptureMaxFileBytes;
  ASSERT_EQ(recorder.Start(options, "ttyS1", &listener), std::nullopt);
  const std::string sent = RandomBytes(kMinCaptureMaxFileBytes + 300000, 7);
  for (size_t at = 0; at < sent.size(); at += 256) {
    const size_t n = std::min<size_t>(256, sent.size() - at);
    recorder.Take(reinterpret_cast<const uint8_t*>(sent.data() + at), n, kMorningMs + static_cast<int64_t>(at / 4096));
  }
  recorder.Stop();
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"cap-2.bin", "cap.bin"}));
  const std::string first = ReadTestFile(dir.File("cap.bin"));
  EXPECT_GE(first.size(), kMinCaptureMaxFileBytes);
  EXPECT_LT(first.size(), kMinCaptureMaxFileBytes + 300000);
  EXPECT_EQ(first + ReadTestFile(dir.File("cap-2.bin")), sent);
  EXPECT_EQ(listener.started, (std::vector<std::string>{dir.File("cap-2.bin")}));
}

TEST_F(Capture, FailuresStopTheCaptureWithAReasonAndKeepWhatWasWritten) {
  TempDir dir;
  SetClock clock(kMorningMs);
  CaptureRecorder recorder(clock);
  Listener listener;
  CaptureOptions options;
  options.Folder = dir.File("missing");
  EXPECT_EQ(recorder.Start(options, "ttyS1", &listener)->step, CaptureStep::Folder);
  options.CreateFolder = true;  // the default folder is made when missing
  options.NamePattern = "%Y/%m.log";
  EXPECT_EQ(recorder.Start(options, "ttyS1", &listener)->step, CaptureStep::Name);
  EXPECT_FALSE(recorder.Running());

  // A write that fails (here: past the process's file size limit, as a full disk would).
  options.NamePattern = "full.bin";
  constexpr rlim_t kLimit = 64 * 1024;
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small{kLimit, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ASSERT_EQ(recorder.Start(options, "ttyS1", &listener), std::nullopt);
  const std::string sent = RandomBytes(3 * kLimit, 3);
  for (size_t at = 0; at < sent.size(); at += 256)
    recorder.Take(reinterpret_cast<const uint8_t*>(sent.data() + at), 256, kMorningMs);
  const bool failed = listener.WaitForFailure();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(failed);
  EXPECT_FALSE(recorder.Running());
  recorder.Stop();
  ASSERT_EQ(listener.failures.size(), 1u);
  EXPECT_EQ(listener.failures[0].step, CaptureStep::Write);
  EXPECT_EQ(listener.failures[0].error, EFBIG);
  EXPECT_EQ(listener.failures[0].path, dir.File("missing/full.bin"));
  EXPECT_EQ(ReadTestFile(dir.File("missing/full.bin")), sent.substr(0, kLimit));
}

// From the pseudo-terminal through the receive worker: a raw capture holds every byte sent,
// though the window's buffer (1000 bytes here) rolled over many times, split exactly where
// the date changed.
TEST_F(Capture, RawCaptureOnAPortHoldsEveryByteAcrossARolloverAndMidnight) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  WindowSerialPort port;
  ASSERT_EQ(port.Open(pty.path().c_str(), 0, 0, false), 0u);
  auto clock = std::make_shared<SetClock>(kLastSecondMs + 500);
  NullWindow window;
  ReceivePipeline receive(port, window, 1000, clock);
  TempDir dir;
  CaptureOptions options;
  options.Folder = dir.path();
  ASSERT_EQ(receive.Capture().Start(options, "ttyV0", nullptr), std::nullopt);

  const auto sendAndWait = [&](const std::string& bytes) {
    const int64_t target = receive.ReceivedCount() + static_cast<int64_t>(bytes.size());
    pty.Send(bytes);
    for (int i = 0; i < 20000 && receive.ReceivedCount() < target; ++i) {
      receive.BytesArrived();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return receive.ReceivedCount() == target;
  };
  const std::string before = RandomBytes(5000, 1);
  const std::string after = RandomBytes(3000, 2);
  ASSERT_TRUE(sendAndWait(before));
  clock->Set(kLastSecondMs + 1500);  // 00:00:00.500 the next day
  ASSERT_TRUE(sendAndWait(after));
  receive.Stop();
  receive.Capture().Stop();

  EXPECT_EQ(receive.Snapshot(true).size(), 3u * 1000);  // the window kept only the last bytes
  EXPECT_EQ(FilesIn(dir.path()),
            (std::vector<std::string>{"2026-12-08_23-59-59_ttyV0.log", "2026-12-09_00-00-00_ttyV0.log"}));
  EXPECT_EQ(ReadTestFile(dir.File("2026-12-08_23-59-59_ttyV0.log")), before);
  EXPECT_EQ(ReadTestFile(dir.File("2026-12-09_00-00-00_ttyV0.log")), after);
}
