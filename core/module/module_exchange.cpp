#include "core/module/module_exchange.h"

#include <algorithm>
#include <span>

#include "serial/port_name.h"
#include "serial/queue_size.h"
#include "serial/serial_port.h"

using win::DCB;
using win::DTR_CONTROL_ENABLE;
using win::EV_RXCHAR;
using win::INFINITE_TIMEOUT;
using win::ONESTOPBIT;
using win::RTS_CONTROL_ENABLE;

namespace {

constexpr uint32_t kModuleLineRate = 9600;
constexpr size_t kGatherChunkBytes = 256;
constexpr size_t kGatherReadsPerEvent = 64;
// The module answers the identify request before it takes the read request.
constexpr auto kIdentifyToReadPause = std::chrono::milliseconds(300);

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

}  // namespace

ModuleExchange::ModuleExchange(MessageTarget& events, uint32_t eventMessage, std::unique_ptr<ExchangeClock> clock)
    : events_(events), eventMessage_(eventMessage), clock_(std::move(clock)),
      port_(std::make_unique<WindowSerialPort>()) {}

ModuleExchange::~ModuleExchange() = default;

ExchangeStart ModuleExchange::SetUpModuleLine(WindowSerialPort& port) {
  DCB dcb;
  if (port.GetControlBlock(&dcb) != 0) return ExchangeStart::SettingsUnreadable;
  SetModuleLine(dcb);
  if (port.SetControlBlock(dcb) != 0) return ExchangeStart::SettingsRefused;
  // Bytes that wait in the port before the first request goes out cannot answer it: they
  // are the tail of a reply that came after an earlier exchange was judged (a module that
  // answered late, or past what the buffer took). Gathered, they would be judged as the
  // start of this exchange's reply. A port that cannot drop them is used as it is.
  (void)port.DiscardInput();
  return ExchangeStart::Started;
}

ExchangeStart ModuleExchange::OpenModulePort(const std::string& entry) {
  // The entry shown is the port used; with no entry the last name stays in force. A name
  // that already carries the device-namespace prefix is used as it is.
  if (!entry.empty()) portName_ = DeviceNameForPort(entry);
  if (port_->OpenForWindow(portName_.c_str(), &events_, eventMessage_, 0, kPortQueueBytes, kPortQueueBytes) != 0) {
    return ExchangeStart::PortMissingOrBusy;
  }
  const ExchangeStart setUp = SetUpModuleLine(*port_);
  // A port that cannot be set up is given back, so that the next exchange does not fail at
  // the open as if the port were busy.
  if (setUp != ExchangeStart::Started) port_->Close();
  return setUp;
}

// A request that cannot be written shows up as a silent module, so the result is not needed.
void ModuleExchange::Send(const uint8_t* bytes, size_t count) {
  port_->Write(bytes, static_cast<uint32_t>(count), nullptr, nullptr, INFINITE_TIMEOUT);
}

void ModuleExchange::Await(ExchangeKind kind) {
  pending_ = kind;
  clock_->StartReplyDelay(kind);
}

ExchangeStart ModuleExchange::StartRead(const std::string& entry) {
  if (const ExchangeStart opened = OpenModulePort(entry); opened != ExchangeStart::Started) return opened;
  reply_.Clear();
  const IdentifyRequestBytes identify = IdentifyRequest();
  Send(identify.data(), identify.size());
  // Held on the caller's thread on purpose: the page must not react until the read request
  // is out. The port's event messages wait in the queue meanwhile.
  clock_->Pause(kIdentifyToReadPause);
  const ReadRequestBytes read = ReadRequest();
  Send(read.data(), read.size());
  Await(ExchangeKind::Read);
  return ExchangeStart::Started;
}

ExchangeStart ModuleExchange::StartWrite(const std::string& entry, const ModuleSettings& settings) {
  if (const ExchangeStart opened = OpenModulePort(entry); opened != ExchangeStart::Started) return opened;
  const WriteRequestBytes request = WriteRequest(settings);
  reply_.Clear();
  Send(request.data(), request.size());
  Await(ExchangeKind::Write);
  return ExchangeStart::Started;
}

void ModuleExchange::OnPortEvent(uintptr_t wParam) {
  if (!(wParam & EV_RXCHAR)) return;
  uint8_t arrived[kGatherChunkBytes];
  // Each read returns at once with what has arrived (on a port closed by the end of the
  // exchange, nothing). A full read has not reached the queue's end, and the port reports
  // no new arrival until a read has: read on. The bound keeps a device that floods the
  // port from holding the window; the exchange ends and closes the port soon anyway.
  for (size_t reads = 0; reads < kGatherReadsPerEvent; ++reads) {
    uint32_t count = 0;
    port_->Read(arrived, sizeof arrived, &count, nullptr, INFINITE_TIMEOUT);
    reply_.Append(std::span<const uint8_t>(arrived, std::min<size_t>(count, sizeof arrived)));
    if (count < sizeof arrived) break;
  }
}

std::optional<ExchangeVerdict> ModuleExchange::DelayElapsed() {
  port_->Close();
  if (!pending_) return std::nullopt;
  const ExchangeKind kind = *pending_;
  pending_.reset();
  if (ModuleAnswered(reply_)) moduleSeen_ = true;
  ExchangeVerdict verdict;
  verdict.outcome = JudgeReply(reply_, kind);
  if (verdict.outcome == ReplyOutcome::ReadOk) {
    ApplyReadReply(reply_, verdict.settings);
    verdict.model = ReplyModelText(reply_);
    verdict.version = ReplyVersionText(reply_);
  }
  return verdict;
}

void ModuleExchange::ClosePort() {
  if (port_->IsOpen()) port_->Close();
}
