#include "gui/widgets/network_port_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "gui/widgets/message_box.h"
#include "gui/widgets/ui_text.h"
#include "serial/network_port_book.h"

namespace {

constexpr int kResolveLimitMs = 3000;

// The resolver may wait on a name server for long: it runs on a thread of its own while the
// window goes on, and a host that gives no answer within the limit counts as not resolving.
// The answer is one atomic the thread sets (a promise would pull thread-local storage of the
// C++ library into the program).
bool ResolvesSoon(const std::string& host) {
  enum Answer : int { kPending, kNo, kYes };
  auto answer = std::make_shared<std::atomic<int>>(kPending);
  std::thread([answer, host] { answer->store(HostResolves(host) ? kYes : kNo); }).detach();
  QEventLoop loop;
  QTimer poll;
  int waitedMs = 0;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    waitedMs += 20;
    if (answer->load() != kPending || waitedMs >= kResolveLimitMs) loop.quit();
  });
  if (answer->load() == kPending) {
    poll.start(20);
    loop.exec();
  }
  return answer->load() == kYes;
}

}  // namespace

NetworkPortDialog::NetworkPortDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("NetworkPortDialog");
  setWindowTitle(WindowText::tr("添加网络串口"));
  auto* form = new QFormLayout(this);
  CB_Protocol = new QComboBox(this);
  CB_Protocol->setObjectName("CB_Protocol");
  CB_Protocol->addItems({WindowText::tr("RFC 2217（可设置串口参数）"), WindowText::tr("TCP（只传送数据）")});
  E_Host = new QLineEdit(this);
  E_Host->setObjectName("E_Host");
  E_NetPort = new QLineEdit(this);
  E_NetPort->setObjectName("E_NetPort");
  E_NetPort->setValidator(new QIntValidator(0, 99999, E_NetPort));
  form->addRow(WindowText::tr("协议："), CB_Protocol);
  form->addRow(WindowText::tr("主机："), E_Host);
  form->addRow(WindowText::tr("端口："), E_NetPort);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<std::string> NetworkPortDialog::CheckedName() {
  const QString host = E_Host->text().trimmed();
  const QString portText = E_NetPort->text().trimmed();
  auto refuse = [this](const char* text) {
    ShowMessageBox(this, WindowText::tr(kWarningTitle), WindowText::tr(text));
    return std::nullopt;
  };
  if (host.isEmpty()) return refuse(QT_TRANSLATE_NOOP("WindowText", "请输入主机名或地址！"));
  if (portText.isEmpty()) return refuse(QT_TRANSLATE_NOOP("WindowText", "请输入端口号！"));
  bool isNumber = false;
  const int port = portText.toInt(&isNumber);
  if (!isNumber || port < 1 || port > 65535) return refuse(QT_TRANSLATE_NOOP("WindowText", "端口号应在1到65535之间！"));
  std::string bare = host.toStdString();
  if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']') bare = bare.substr(1, bare.size() - 2);
  if (!ResolvesSoon(bare)) return refuse(QT_TRANSLATE_NOOP("WindowText", "主机名无法解析，请检查主机名或地址！"));
  // An IPv6 address keeps its colons apart from the port's in brackets.
  const std::string named = bare.find(':') != std::string::npos ? "[" + bare + "]" : bare;
  return std::string(CB_Protocol->currentIndex() == 0 ? "rfc2217://" : "tcp://") + named + ":" + std::to_string(port);
}

void NetworkPortDialog::TryAccept() {
  name_ = CheckedName();
  if (name_) accept();
}

std::optional<std::string> AskNetworkPort(QWidget* parent) {
  NetworkPortDialog dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Name();
}
