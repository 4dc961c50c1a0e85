// The settings file when the system stands in the way: a file the user may not read, a
// profile directory the user may not write, and a disk that fills up during the save. The
// window must start (with defaults or the saved values), the old file must survive, and the
// close must say that the changes were not saved.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QtTest>
#include <cerrno>
#include <memory>

#include "support/file_bytes.h"
#include "support/window_harness.h"
#include "support/without_file_privileges.h"
#include "gui/terminal/preset_panel.h"

namespace {

const QByteArray kSaved =
    "[VornicSPCommTool_USART]\nBaud Rate=115200\nString3=kept preset\n[VornicSPCommTool_ZEL]\nRF Freq=470\n";



// A window over a profile holding kSaved (or nothing), with `mode` given to the file and
// `directoryMode` to the profile directory before the window reads them.
std::unique_ptr<WindowHarness> Start(bool withFile, mode_t mode, mode_t directoryMode) {
  return std::make_unique<WindowHarness>([=](const QString& dir) {
    const QString path = dir + "/VornicSPCommTool.ini";
    if (withFile) {
      WriteFile(path, kSaved);
      chmod(path.toLocal8Bit().constData(), mode);
    }
    chmod(dir.toLocal8Bit().constData(), directoryMode);
  });
}

// Changes something the close would save, so that a save has real work to do.
void ChangeSomething(TVornicSPComm& w) {
  w.TabSheet1->CB_Baudrate->setCurrentText("57600");
  w.TabSheet1->CB_BaudrateChange();
  w.TabSheet1->Presets->Edits[2]->setText("changed preset");
}

// The close told the user once, in a warning that names the file.
bool ToldOnceAbout(WindowHarness& h) {
  return h.messages.size() == 1 && h.messages[0].title == QString::fromUtf8("警告") &&
         h.messages[0].text.contains(h.settingsPath());
}

// What the profile directory holds: only the settings file (if any); no left-over temporary.
QStringList ProfileEntries(WindowHarness& h) {
  return QDir(h.profileDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class SettingsFaultsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void unreadableFileStartsWithDefaultsAndIsNotRewritten() {
    WithoutFilePrivileges asUser;
    auto h = Start(true, 0000, 0700);
    if (!ReadFile(h->settingsPath()).isEmpty()) QSKIP("this user reads files whatever their mode");
    QCOMPARE(h->w().TabSheet1->CB_Baudrate->currentText(), QString("9600"));
    QCOMPARE(h->w().TabSheet1->Presets->Edits[2]->text(), QString());
    ChangeSomething(h->w());
    h->Close();
    QCOMPARE(h->w().LastSettingsSaveError, EACCES);
    QVERIFY(ToldOnceAbout(*h));
    chmod(h->settingsPath().toLocal8Bit().constData(), 0600);
    QCOMPARE(ReadFile(h->settingsPath()), kSaved);
    QCOMPARE(ProfileEntries(*h), QStringList{"VornicSPCommTool.ini"});
  }

  void readOnlyProfileStartsWithSavedValuesAndKeepsTheFile() {
    for (const bool withFile : {true, false}) {
      WithoutFilePrivileges asUser;
      auto h = Start(withFile, 0600, 0500);
      const QString baud = withFile ? "115200" : "9600";
      QCOMPARE(h->w().TabSheet1->CB_Baudrate->currentText(), baud);
      ChangeSomething(h->w());
      h->Close();
      QCOMPARE(h->w().LastSettingsSaveError, EACCES);
      QVERIFY(ToldOnceAbout(*h));
      QCOMPARE(ReadFile(h->settingsPath()), withFile ? kSaved : QByteArray());
      QCOMPARE(ProfileEntries(*h), withFile ? QStringList{"VornicSPCommTool.ini"} : QStringList{});
      chmod(h->profileDir().toLocal8Bit().constData(), 0700);  // so that the profile can go
    }
  }

  // The file size limit makes the kernel refuse the write part-way, as a full disk does.
  void saveThatRunsOutOfSpaceKeepsTheOldFile() {
    auto h = Start(true, 0600, 0700);
    QCOMPARE(h->w().TabSheet1->CB_Baudrate->currentText(), QString("115200"));
    QCOMPARE(h->w().TabSheet1->Presets->Edits[2]->text(), QString("kept preset"));
    ChangeSomething(h->w());
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 512;  // the whole file is larger: the write stops in the middle
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    h->Close();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    QCOMPARE(h->w().LastSettingsSaveError, EFBIG);
    QVERIFY(ToldOnceAbout(*h));
    QCOMPARE(ReadFile(h->settingsPath()), kSaved);
    QCOMPARE(ProfileEntries(*h), QStringList{"VornicSPCommTool.ini"});
  }
};

QTEST_MAIN(SettingsFaultsWindowTest)
#include "settings_faults_window_test.moc"
