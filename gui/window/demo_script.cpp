#include "gui/window/demo_script.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>

#include "gui/module/config_page.h"
#include "gui/window/demo_report.h"
#include "core/text/gbk_codec.h"
#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/receive_view.h"
#include "core/module/module_exchange.h"
#include "serial/serial_port.h"
#include "gui/terminal/transmit_panel.h"
#include "gui/widgets/ui_text.h"

const char* const kDemoLine = "你好，VornicSPComm！回环测试 0123456789";

namespace {

// The configuration page's verdicts, as they follow the base caption.
const char* const kReadOkCaption = QT_TRANSLATE_NOOP("WindowText", " - 读取配置成功！");

// How often a waiting step looks again. Short against the module's 400 ms exchange.
constexpr int kPollMs = 20;

}  // namespace

DemoScript::DemoScript(TVornicSPComm& window, QString outputDir, Printer print, int stepTimeoutMs)
    : w_(window), outputDir_(std::move(outputDir)), print_(std::move(print)), stepTimeoutMs_(stepTimeoutMs) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, [this] { CheckWait(); });
}

DemoScript::~DemoScript() {
  if (Running()) SetMessageObserver({});
}

void DemoScript::Start() {
  // Nobody is there to press OK: a message box is recorded and ends the run as a failure.
  SetMessageObserver([this](const QString& title, const QString& text) { messages_ << title + ": " + text; });
  if (!QDir().mkpath(outputDir_)) return Fail("cannot make the directory " + outputDir_);
  QTimer::singleShot(0, this, [this] { ReadModule(); });
}

void DemoScript::ReadModule() {
  w_.PageControl->setCurrentWidget(w_.TabSheet2);
  print_("Configuration page: reading the module on " + QString::fromStdString(w_.Exchange->PortName()));
  w_.TabSheet2->B_ReadConfigurationClick();
  if (!messages_.isEmpty()) return Fail("the read was refused: " + messages_.join("; "));
  WaitFor([this] { return w_.windowTitle() != w_.BaseCaption(); }, "the module's answer", [this] { ShowModule(); });
}

void DemoScript::ShowModule() {
  const QString verdict = w_.windowTitle().mid(w_.BaseCaption().size());
  for (const QString& line : ModuleExchangeLines(w_)) print_("  " + line);
  if (verdict != WindowText::tr(kReadOkCaption)) return Fail("the module read failed:" + verdict);
  for (const QString& line : ModuleValueLines(*w_.TabSheet2)) print_("  " + line);
  if (!SavePicture("configuration.png")) return;
  SendLine();
}

void DemoScript::SendLine() {
  w_.PageControl->setCurrentWidget(w_.TabSheet1);
  const QString port = QString::fromStdString(w_.Terminal->PortName());
  print_("Terminal page: sending a line on " + port);
  if (!w_.Terminal->IsOpen()) return Fail("the terminal port " + port + " is not open");
  // Text in, text out: the line goes as typed and the receive window shows it as text.
  w_.TabSheet1->Transmitter->CB_TransmitHex->setChecked(false);
  w_.TabSheet1->Transmitter->CB_TransmitNewLine->setChecked(false);
  w_.TabSheet1->Transmitter->CB_TransmitCR->setChecked(false);
  w_.TabSheet1->CB_HexDisplay->setChecked(false);
  w_.TabSheet1->B_ClearClick();
  w_.TabSheet1->Transmitter->E_TransmitData->setText(QString::fromUtf8(kDemoLine));
  sentBytes_ = EncodeGbk(kDemoLine).bytes;
  w_.TabSheet1->Transmitter->B_TransmitClick();
  if (!messages_.isEmpty()) return Fail("the send failed: " + messages_.join("; "));
  print_("  sent      " + BytesLine(sentBytes_));
  WaitFor([this] { return w_.TabSheet1->M_ReceiverData->Content().find(sentBytes_) != std::string::npos; },
          "the line to come back", [this] { ShowEcho(); });
}

void DemoScript::ShowEcho() {
  print_("  received  " + BytesLine(w_.TabSheet1->M_ReceiverData->Content()));
  if (!SavePicture("terminal.png")) return;
  Finish();
}

void DemoScript::Finish() {
  print_("Pictures of the pages:");
  for (const QString& picture : pictures_) print_("  " + picture);
  status_ = 0;
  done_ = true;
  SetMessageObserver({});
  w_.close();
  emit finished(status_);
}

void DemoScript::Fail(const QString& why) {
  if (!Running()) return;
  poll_.stop();
  failure_ = why;
  print_("Demo failed: " + why);
  status_ = 1;
  done_ = true;
  SetMessageObserver({});
  w_.close();
  emit finished(status_);
}

void DemoScript::WaitFor(std::function<bool()> done, const QString& what, std::function<void()> next) {
  waitDone_ = std::move(done);
  waitNext_ = std::move(next);
  waitWhat_ = what;
  stepClock_.start();
  poll_.start();
}

void DemoScript::CheckWait() {
  if (!Running()) return poll_.stop();
  if (!messages_.isEmpty()) return Fail(messages_.join("; "));
  if (waitDone_()) {
    poll_.stop();
    // The step may start the next wait, which replaces these.
    const std::function<void()> next = std::move(waitNext_);
    return next();
  }
  if (stepClock_.elapsed() > stepTimeoutMs_) Fail("timed out waiting for " + waitWhat_);
}

bool DemoScript::SavePicture(const QString& fileName) {
  const QString path = QDir(outputDir_).absoluteFilePath(fileName);
  if (!w_.grab().save(path, "PNG")) {
    Fail("cannot write " + path);
    return false;
  }
  pictures_ << path;
  return true;
}
