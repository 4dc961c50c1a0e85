// The receive display: shows what ReceiveThread has already formatted, toggles between the
// text and hex renderings, clears, and saves the kept rendering to a time-stamped file.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <cstring>
#include <ctime>

#include "gui/window/main_window.h"
#include "gui/widgets/message_box.h"
#include "core/receive/receive_store.h"
#include "gui/widgets/receive_view.h"
#include "core/settings/file_io.h"
#include "core/transmit/transmit_session.h"

namespace {

QString CountText(const char* prefix, int64_t count) { return QString::fromUtf8(prefix) + QString::number(count); }

// Hex pairs are cut only at the blanks between them; text wraps wherever a line is full.
WrapAt RenderingWrap(bool hex) { return hex ? WrapAt::Blank : WrapAt::AnyCharacter; }

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

void TVornicSPComm::ConnectReceiveDisplay() {
  connect(CB_HexDisplay, &QCheckBox::toggled, this, [this] { CB_HexDisplayClick(); });
  connect(B_Clear, &QPushButton::clicked, this, [this] { B_ClearClick(); });
  connect(B_SaveReceiverData, &QPushButton::clicked, this, [this] { B_SaveReceiverDataClick(); });
  CB_HexDisplayClick();  // the empty window takes the wrap of the rendering the box starts with
}

void TVornicSPComm::ShowPendingReceive() {
  ReceiveUpdate& update = PendingUpdate;
  Receive->TakePending(CB_HexDisplay->isChecked(), update);
  if (update.Reset) {
    M_ReceiverData->SetContent(update.Bytes);
    M_ReceiverData->ScrollToBottom();
  } else {
    if (update.DroppedHead > 0) M_ReceiverData->DropHead(update.DroppedHead);
    M_ReceiverData->Append(update.Bytes.data(), update.Bytes.size());
  }
  StatusPanels[2]->setText(CountText("接收：", update.ReceivedCount));
}

void TVornicSPComm::CB_HexDisplayClick() {
  const bool hex = CB_HexDisplay->isChecked();
  std::string content;
  // The settings set the box before the buffers exist: nothing to show yet but the wrap.
  if (Receive) Receive->SnapshotForReset(hex, content);
  M_ReceiverData->SetContent(content, RenderingWrap(hex));
}

void TVornicSPComm::B_ClearClick() {
  M_ReceiverData->Clear();
  Transmit->ClearCount();
  StatusPanels[2]->setText(CountText("接收：", 0));
  Receive->Clear();
}

void TVornicSPComm::B_SaveReceiverDataClick() {
  const std::string name = SaveFileName();
  // Written beside and renamed into place: a full disk leaves no cut file behind (nor takes
  // the last free space from the settings save at close), and a file of the same name stays
  // as it was when the save fails.
  const int error = WriteFileAtomically(name, Receive->Snapshot(CB_HexDisplay->isChecked()), 0666);
  if (error != 0) {
    ShowMessageBox(this, QString::fromUtf8(kWarningTitle),
                   QString::fromUtf8("窗口内容保存失败：") + QString::fromStdString(name) + QString::fromUtf8("（") +
                       QString::fromLocal8Bit(std::strerror(error)) + QString::fromUtf8("）"));
    return;
  }
  ShowMessageBox(this, QString::fromUtf8(kNoticeTitle), QString::fromUtf8("窗口内容已保存在此程序相同目录下！"));
}
