// The receive display: shows what ReceiveThread has already formatted (through the feed, with
// or without time stamps), toggles between the text and hex renderings, clears, and saves
// what the window shows to a time-stamped file.
#include "gui/terminal/terminal_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <cstring>
#include <ctime>

#include "gui/widgets/message_box.h"
#include "core/terminal/receive_pipeline.h"
#include "gui/terminal/receive_tools.h"
#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"

namespace {

QString CountText(const char* prefix, int64_t count) { return WindowText::tr(prefix) + QString::number(count); }

// "SAVE%Y-%m-%d_%H-%M-%S.txt" for the current local time.
std::string SaveFileName() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char name[32];
  std::strftime(name, sizeof name, "SAVE%Y-%m-%d_%H-%M-%S.txt", &local);
  return name;
}

}  // namespace

void TerminalPage::ShowPendingReceive() {
  StatusPanels[2]->setText(CountText(QT_TRANSLATE_NOOP("WindowText", "接收："), Tools->Feed().ShowPending()));
}

void TerminalPage::CB_HexDisplayClick() { Tools->ShowRendering(CB_HexDisplay->isChecked()); }

void TerminalPage::B_ClearClick() {
  M_ReceiverData->Clear();
  transmit_.ClearCount();
  StatusPanels[2]->setText(CountText(QT_TRANSLATE_NOOP("WindowText", "接收："), 0));
  receive_.Clear();
}

void TerminalPage::B_SaveReceiverDataClick() {
  const std::string name = SaveFileName();
  // Written beside and renamed into place: a full disk leaves no cut file behind (nor takes
  // the last free space from the settings save at close), and a file of the same name stays
  // as it was when the save fails. With time stamps on, the stamped rendering is saved.
  const ReceiveFeed& feed = Tools->Feed();
  const int error = receive_.Save(name, CB_HexDisplay->isChecked(), feed.Stamps() ? feed.GapMs() : 0);
  if (error != 0) {
    ShowMessageBox(this, WindowText::tr(kWarningTitle),
                   WindowText::tr("窗口内容保存失败：") + QString::fromStdString(name) + WindowText::tr("（") +
                       QString::fromLocal8Bit(std::strerror(error)) + WindowText::tr("）"));
    return;
  }
  ShowMessageBox(this, WindowText::tr(kNoticeTitle), WindowText::tr("窗口内容已保存在此程序相同目录下！"));
}
