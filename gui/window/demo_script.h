#pragma once
// The demo run: the main window driven the way a person would drive it for a first look,
// with nobody at the screen. It reads the module attached to the configuration page's port,
// sends a line on the terminal page's port and waits for it to come back (a loop-back device
// sits there in the demo), saves a picture of each page, prints what went over both lines and
// closes the window. Only the window's own handlers are used, so the pictures and the bytes
// are what a user would get.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <string>

class TVornicSPComm;

// The line sent on the terminal page (UTF-8 here; GBK on the line).
extern const char* const kDemoLine;

class DemoScript : public QObject {
  Q_OBJECT

 public:
  using Printer = std::function<void(const QString& line)>;

  // Pictures go to `outputDir` (made when missing) as configuration.png and terminal.png.
  // A step that waits longer than `stepTimeoutMs` fails the run.
  DemoScript(TVornicSPComm& window, QString outputDir, Printer print, int stepTimeoutMs = 10000);
  ~DemoScript() override;

  // Runs the steps from the event loop, starting with its next turn.
  void Start();
  // 0 once every step worked; 1 while running, after a failure or when the window went first.
  int ExitStatus() const { return status_; }
  // Why the run failed; empty unless it did.
  const QString& Failure() const { return failure_; }
  // Where the pictures were saved, in the order taken.
  const QStringList& Pictures() const { return pictures_; }

 signals:
  void finished(int status);

 private:
  void ReadModule();
  void ShowModule();
  void SendLine();
  void ShowEcho();
  void Finish();
  void Fail(const QString& why);
  // Checks `done` on every turn of the event loop until it holds (then runs `next`) or the
  // step's time is up (then fails with "timed out waiting for " + `what`).
  void WaitFor(std::function<bool()> done, const QString& what, std::function<void()> next);
  void CheckWait();
  bool SavePicture(const QString& fileName);
  bool Running() const { return !done_; }

  TVornicSPComm& w_;
  QString outputDir_;
  Printer print_;
  int stepTimeoutMs_;
  QTimer poll_;
  QElapsedTimer stepClock_;
  std::function<bool()> waitDone_;
  std::function<void()> waitNext_;
  QString waitWhat_;
  QStringList messages_;  // message boxes the handlers raised (none shows in a demo run)
  std::string sentBytes_;
  QStringList pictures_;
  QString failure_;
  int status_ = 1;
  bool done_ = false;
};
