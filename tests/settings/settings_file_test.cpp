// Both pages' settings through a real file: the format a first save writes, what odd values a
// hand-edited or foreign file holds come back as, that everything saved comes back, that
// values nobody changed keep their bytes, and that a file that cannot be used is left alone.
#include "core/settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "support/temp_dir.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.valid()); }
  std::string File() const { return dir_.File("VornicSPCommTool.ini"); }

  // The settings a file holding `ini` loads as, over `before`.
  AllSettings LoadedFrom(const std::string& ini, AllSettings before = {}) {
    EXPECT_TRUE(WriteTestFile(File(), ini));
    EXPECT_EQ(LoadSettingsFile(File(), before), 0);
    return before;
  }

  TempDir dir_;
};

TEST_F(SettingsFile, FirstSaveWritesEveryKeyWithItsDefaultInFileOrder) {
  AllSettings settings;
  ASSERT_EQ(LoadSettingsFile(File(), settings), 0);  // no file yet
  ASSERT_EQ(SaveSettingsFile(File(), settings, 0).error, 0);
  std::string expected =
      "[VornicSPCommTool_USART]\nSerial Port=COM0\nBaud Rate=9600\nData Bits=8\nStop Bits=0\nParity=0\n"
      "Flow Control=0\nDTR=0\nRTS=0\nAuto Transmit=0\nAuto Transmit Time=1000\nTransmit Hex=1\n"
      "Transmit New Line=0\nTransmit CR=0\nTransmit Data Char=abcdefg\nTransmit Data Hex=12 FF 00 30\n"
      "Hex Display=1\nHex1=1\nString1=12 00 FF 88\nHex2=0\nString2=output string\n";
  for (int n = 3; n <= 32; ++n) expected += "Hex" + std::to_string(n) + "=0\nString" + std::to_string(n) + "=\n";
  expected +=
      "Reconnect=1\n"
      "[VornicSPCommTool_ZEL]\nSerial Port=COM0\nRF Freq=433.920\nRF Baud Rate=0\nRF Power=7\n"
      "ZEL Serial Baud Rate=3\nSerial Parity=0\nWake Up Time=5\nDelay Time=0\nFEC Enable=1\n"
      "Local Address=58\nTarget Address=58\nPack Length=5\nPack Complete=1\n"
      "[VornicSPCommTool_Log]\nTime Stamps=0\nStamp Gap ms=20\nCapture Folder=\n"
      "Capture File Name=%Y-%m-%d_%H-%M-%S_<port>.log\nCapture Format=0\nCapture On Open=0\nCapture File MB=100\n";
  expected +=
      "[VornicSPCommTool_Plot]\nInput=0\nFrame Start=AA 55\nFrame Values=3\nFrame Type=3\nFrame Big Endian=0\n"
      "Time Axis=0\nWindow Samples=1000\nAuto Scale=1\nY Min=-100\nY Max=100\nTrigger=0\nTrigger Series=0\n"
      "Trigger Falling=0\nTrigger Level=0\n";
  EXPECT_EQ(ReadTestFile(File()), expected);
}

TEST_F(SettingsFile, OddValuesComeBackAsTheOtherVersionReadsThem) {
  AllSettings before;
  before.Terminal.TransmitDataChar = "typed before";
  before.Terminal.Presets[0].Text = "row one before";
  before.Module.Module.RfFreq = 400000;
  const AllSettings s = LoadedFrom(
      "[VornicSPCommTool_USART]\r\nBaud Rate=12345\r\nData Bits=9\r\nStop Bits=-1\r\nDTR=2\r\nString1=\r\n"
      "String3=\r\nTransmit Data Char=\r\nTransmit Data Hex=\r\nAuto Transmit Time=\r\n"
      "[VornicSPCommTool_ZEL]\r\nZEL Serial Baud Rate=12\r\nLocal Address=300\r\nTarget Address=-1\r\n"
      "Delay Time=007\r\nRF Freq=433.9251\r\nFEC Enable=-3\r\nPack Complete=0\r\n",
      before);
  const TerminalSettings& t = s.Terminal;
  EXPECT_EQ(t.BaudRate, 12345u);
  EXPECT_EQ(t.DataBits, 9);
  EXPECT_EQ(t.StopBits, 255);  // the low 8 bits
  EXPECT_TRUE(t.Dtr);
  // An empty preset or transmit text leaves what the page held; an empty period is a value.
  EXPECT_EQ(t.Presets[0].Text, "row one before");
  EXPECT_EQ(t.Presets[2].Text, "");
  EXPECT_EQ(t.TransmitDataChar, "typed before");
  EXPECT_EQ(t.TransmitDataHex, "");
  EXPECT_EQ(t.AutoTransmitTime, "");
  const ModulePageSettings& m = s.Module;
  EXPECT_EQ(m.Module.SerialBaudRate, 12);
  EXPECT_EQ(m.Module.LocalAddress, 44);
  EXPECT_EQ(m.LocalAddressText, "44");
  EXPECT_EQ(m.Module.TargetAddress, 255);
  EXPECT_EQ(m.DelayTimeText, "7");
  EXPECT_EQ(m.Module.FecEnable, 1);
  EXPECT_EQ(m.Module.PackComplete, 0);
  // Seven characters are read: "433.925" is the frequency, the cut-off digit is not.
  EXPECT_EQ(m.Module.RfFreq, 433925u);
  EXPECT_EQ(m.RfFreqText, "433.925");

  // A frequency text that is no frequency keeps the page's frequency, shown as such.
  for (const char* text : {"abc", ".", "", "9999999"}) {
    const AllSettings bad = LoadedFrom(std::string("[VornicSPCommTool_ZEL]\nRF Freq=") + text + "\n", before);
    EXPECT_EQ(bad.Module.Module.RfFreq, 400000u) << text;
    EXPECT_EQ(bad.Module.RfFreqText, "400") << text;
  }
}

TEST_F(SettingsFile, EverythingSavedComesBack) {
  std::mt19937 random(20261208);
  const std::string alphabet = " =;\"'abcXYZ019#[]";
  const auto text = [&](size_t length) {
    std::string s;
    for (size_t i = 0; i < length; ++i) s += alphabet[random() % alphabet.size()];
    return s;
  };
  ASSERT_TRUE(WriteTestFile(File(), "; kept comment\r\n[Other]\r\nkeep=me\r\n[VornicSPCommTool_USART]\r\nUnknown=stays\r\n"));
  AllSettings saved;
  TerminalSettings& t = saved.Terminal;
  t = {.PortName = "/dev/ttyUSB1", .PortIdentity = "10c4:ea60#0001", .BaudRate = 4294967295u, .DataBits = 7, .StopBits = 2, .Parity = 3,
       .FlowControl = 1, .Dtr = true, .AutoTransmit = true, .AutoTransmitTime = " 250 ", .TransmitNewLine = true,
       .TransmitDataChar = "\xB7\xA2\xCB\xCD \"x\" = ;", .TransmitDataHex = "AA BB"};
  for (auto& row : t.Presets) row = {random() % 2 == 1, text(1 + random() % 30) + "串口"};
  ModulePageSettings& m = saved.Module;
  m.PortName = "/dev/serial/by-id/usb-ZEL_module-if00-port0";
  m.Module = {.RfFreq = 390001, .RfBaudRate = 6, .RfPower = 2, .SerialBaudRate = 9, .SerialParity = 2,
              .WakeUpTime = 11, .DelayTime = 200, .FecEnable = 0, .LocalAddress = 7, .TargetAddress = 255,
              .PackLength = 3, .PackComplete = 0};
  m.RfFreqText = "390.001";
  m.DelayTimeText = "200";
  m.LocalAddressText = "7";
  m.TargetAddressText = "255";
  ASSERT_EQ(SaveSettingsFile(File(), saved, 0).error, 0);

  AllSettings loaded;
  ASSERT_EQ(LoadSettingsFile(File(), loaded), 0);
  EXPECT_EQ(loaded.Terminal, saved.Terminal);
  EXPECT_EQ(loaded.Module, saved.Module);
  const std::string file = ReadTestFile(File());
  EXPECT_EQ(file.rfind("; kept comment\r\n[Other]\r\nkeep=me\r\n[VornicSPCommTool_USART]\r\nUnknown=stays\r\n", 0), 0u);
  EXPECT_NE(file.find("\r\nBaud Rate=-1\r\n"), std::string::npos);  // written as the other version does
}

TEST_F(SettingsFile, TextsNobodyChangedKeepTheirBytesAndChangedOnesAreWrittenInGbk) {
  const std::string odd = "x\x81 y\xFFz\x80\xFE";
  const std::string longValue = std::string(1100, 'L') + "\x81\x20";
  AllSettings s = LoadedFrom("[VornicSPCommTool_USART]\nString5=" + odd + "\nString6=" + longValue +
                             "\nString7=" + odd + "\nAuto Transmit Time=5\x81\x20\n[VornicSPCommTool_ZEL]\n"
                             "RF Freq=433.92\nLocal Address=07\n");
  EXPECT_NE(s.Terminal.Presets[4].Text.find("\xEF\xBF\xBD"), std::string::npos);  // shown as U+FFFD
  EXPECT_EQ(s.Terminal.Presets[5].Text.size(), 1022u);
  s.Terminal.Presets[6].Text = "串口";
  s.Module.DelayTimeText = "五";
  s.Module.TargetAddressText = "目标";
  ASSERT_EQ(SaveSettingsFile(File(), s, 0).error, 0);
  const std::string saved = ReadTestFile(File());
  for (const std::string& line : {"\nString5=" + odd + "\n", "\nString6=" + longValue + "\n",
                                 std::string("\nString7=\xB4\xAE\xBF\xDA\n"), std::string("\nAuto Transmit Time=5\x81\x20\n"),
                                 std::string("\nRF Freq=433.92\n"), std::string("\nLocal Address=7\n"),
                                 std::string("\nDelay Time=\xCE\xE5\n"), std::string("\nTarget Address=\xC4\xBF\xB1\xEA\n")}) {
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  }
}

TEST_F(SettingsFile, LargeFilesAndGarbageLoadAndKeepEverythingElse) {
  const std::string blob = "[Notes]\nblob=" + std::string(2 * 1024 * 1024, 'x') + "\n";
  AllSettings s = LoadedFrom(blob + "[VornicSPCommTool_USART]\nBaud Rate=115200\nString3=old\n");
  EXPECT_EQ(s.Terminal.BaudRate, 115200u);
  EXPECT_EQ(s.Terminal.Presets[2].Text, "old");
  s.Terminal.Presets[2].Text = "new";
  ASSERT_EQ(SaveSettingsFile(File(), s, 0).error, 0);
  const std::string saved = ReadTestFile(File());
  EXPECT_EQ(saved.rfind(blob + "[VornicSPCommTool_USART]\nBaud Rate=115200\n", 0), 0u);
  EXPECT_NE(saved.find("\nString3=new\n"), std::string::npos);

  std::string garbage;
  std::mt19937 random(7);
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(random());
  AllSettings fromGarbage = LoadedFrom(garbage);
  EXPECT_EQ(SaveSettingsFile(File(), fromGarbage, 0).error, 0);
  AllSettings again;
  ASSERT_EQ(LoadSettingsFile(File(), again), 0);
  EXPECT_EQ(again, fromGarbage);
}

// A file too large to read, or a directory in the file's place, is neither used nor written
// over; nor is a file that could be read at start but no longer at close.
TEST_F(SettingsFile, FilesThatCannotBeReadAreNotUsedAndNotWrittenOver) {
  const std::string head = "[VornicSPCommTool_USART]\nBaud Rate=115200\n";
  ASSERT_TRUE(WriteTestFile(File(), head));
  ASSERT_EQ(truncate(File().c_str(), 16 * 1024 * 1024 + 1), 0);  // sparse: no disk space taken
  AllSettings s;
  ASSERT_EQ(LoadSettingsFile(File(), s), EFBIG);
  EXPECT_EQ(s.Terminal.BaudRate, 9600u);
  s.Terminal.BaudRate = 4800;
  const SettingsSaveResult tooLarge = SaveSettingsFile(File(), s, EFBIG);
  EXPECT_EQ(tooLarge.error, EFBIG);
  EXPECT_TRUE(tooLarge.unread);
  struct stat st{};
  ASSERT_EQ(stat(File().c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 16 * 1024 * 1024 + 1);
  EXPECT_EQ(ReadTestFile(File()).substr(0, head.size()), head);

  ASSERT_EQ(unlink(File().c_str()), 0);
  ASSERT_EQ(LoadSettingsFile(File(), s), 0);
  ASSERT_EQ(mkdir(File().c_str(), 0700), 0);  // appears between start and close
  const SettingsSaveResult directory = SaveSettingsFile(File(), s, 0);
  EXPECT_EQ(directory.error, EISDIR);
  EXPECT_TRUE(directory.unread);
  EXPECT_EQ(LoadSettingsFile(File(), s), EISDIR);
}

}  // namespace
