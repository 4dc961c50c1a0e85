// The read and write exchanges with a ZEL module on ModulePort: open and set up the port,
// send the request(s), gather reply bytes as the port's monitor reports them, and judge
// them once DelayThread says the module has had its time.
#include <QComboBox>
#include <QLabel>
#include <algorithm>
#include <chrono>
#include <span>
#include <thread>

#include "app/controls.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/messages.h"
#include "module/config_page.h"
#include "module/module_protocol.h"
#include "module/port_name.h"
#include "serial/serial_port.h"

using win::DCB;
using win::DTR_CONTROL_ENABLE;
using win::EV_RXCHAR;
using win::INFINITE_TIMEOUT;
using win::ONESTOPBIT;
using win::RTS_CONTROL_ENABLE;

namespace {

constexpr uint32_t kModuleQueueBytes = 20480;
constexpr uint32_t kModuleLineRate = 9600;
constexpr size_t kGatherChunkBytes = 256;
// The module answers the identify request before it takes the read request.
constexpr auto kIdentifyToReadPause = std::chrono::milliseconds(300);

const char* const kReadOk = " - 读取配置成功！";
const char* const kWriteOk = " - 写入配置成功！";
const char* const kExchangeFailed = " - 读取（写入）配置失败！";

// 9600 bit/s, 8 data bits, one stop bit, no parity check, DTR and RTS held on (not used for
// handshake). Every other member keeps what the device holds.
void SetModuleLine(DCB& dcb) {
  dcb.BaudRate = kModuleLineRate;
  dcb.ByteSize = 8;
  dcb.StopBits = ONESTOPBIT;
  dcb.fParity = 0;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
}

// A request that cannot be written shows up as a silent module, so the result is not needed.
void Send(SerialPort& port, std::span<const uint8_t> request) {
  port.Write(request.data(), static_cast<uint32_t>(request.size()), nullptr, nullptr, INFINITE_TIMEOUT);
}

void Warn(QWidget* window, const char* text) {
  ShowMessageBox(window, QString::fromUtf8(kWarningTitle), QString::fromUtf8(text));
}

// The port was opened but cannot be set up: close it again, so that the next exchange does
// not fail at the open as if the port were busy.
bool GiveUpModulePort(TVornicSPComm& w, const char* text) {
  w.ModulePort->Close();
  Warn(&w, text);
  return false;
}

// Bytes that wait in the port before the first request goes out cannot answer it: they are
// the tail of a reply that came after an earlier exchange was judged (a module that answered
// late, or past what the buffer took). Gathered, they would be judged as the start of this
// exchange's reply, so they are dropped. A port that cannot drop them is used as it is.
void DropWaitingInput(SerialPort& port) { (void)port.DiscardInput(); }

void ShowReadReply(TVornicSPComm& w) {
  ApplyReadReply(*w.Reply, *w.Module);
  w.L_Model->setText(QString::fromStdString(ReplyModelText(*w.Reply)));
  w.L_Version->setText(QString::fromStdString(ReplyVersionText(*w.Reply)));
  ShowModuleSettings(w);
}

}  // namespace

bool TVornicSPComm::OpenModulePort() {
  // The entry shown is the port used; with no entry the last name stays in force. A name
  // that already carries the device-namespace prefix is used as it is.
  const std::string entry = CB_ZELCOMx->currentText().toStdString();
  if (!entry.empty()) ModulePortName = DeviceNameForPort(entry);
  if (ModulePort->OpenForWindow(ModulePortName.c_str(), this, WM_MODULE_PORT_EVENT, 0, kModuleQueueBytes,
                                kModuleQueueBytes) != 0) {
    Warn(this, kPortMissingOrBusy);
    return false;
  }
  DCB dcb;
  if (ModulePort->GetControlBlock(&dcb) != 0) return GiveUpModulePort(*this, kPortSettingsReadFailed);
  SetModuleLine(dcb);
  if (ModulePort->SetControlBlock(dcb) != 0) return GiveUpModulePort(*this, kPortSettingsWrong);
  DropWaitingInput(*ModulePort);
  return true;
}

void TVornicSPComm::B_ReadConfigurationClick() {
  if (!OpenModulePort()) return;
  Reply->Clear();
  Send(*ModulePort, IdentifyRequest());
  // Held on this thread on purpose: the page must not react until the read request is out.
  // The port's event messages wait in the queue meanwhile.
  std::this_thread::sleep_for(kIdentifyToReadPause);
  Send(*ModulePort, ReadRequest());
  PendingExchange = ExchangeKind::Read;
  RequestReplyDelay(true);
}

void TVornicSPComm::B_WriteConfigurationClick() {
  if (!OpenModulePort()) return;
  const WriteRequestBytes request = WriteRequest(*Module);
  Reply->Clear();
  Send(*ModulePort, request);
  PendingExchange = ExchangeKind::Write;
  RequestReplyDelay(false);
}

void TVornicSPComm::GatherModuleReply(uintptr_t wParam) {
  if (!(wParam & EV_RXCHAR)) return;
  uint8_t arrived[kGatherChunkBytes];
  uint32_t count = 0;
  // Returns at once with what has arrived; on a port closed by the end of the exchange it
  // yields nothing.
  ModulePort->Read(arrived, sizeof arrived, &count, nullptr, INFINITE_TIMEOUT);
  Reply->Append(std::span<const uint8_t>(arrived, std::min<size_t>(count, sizeof arrived)));
}

void TVornicSPComm::EvaluateModuleReply() {
  ModulePort->Close();
  if (!PendingExchange) return;  // no exchange waits for a verdict
  const ExchangeKind kind = *PendingExchange;
  PendingExchange.reset();
  if (ModuleAnswered(*Reply)) ModuleSeen = true;
  switch (JudgeReply(*Reply, kind)) {
    case ReplyOutcome::ReadOk:
      ShowReadReply(*this);
      ShowStatusCaption(QString::fromUtf8(kReadOk));
      break;
    case ReplyOutcome::WriteOk:
      ShowStatusCaption(QString::fromUtf8(kWriteOk));
      break;
    case ReplyOutcome::Failed:
      ShowStatusCaption(QString::fromUtf8(kExchangeFailed));
      break;
  }
}
