#include "transmit/send_session.h"

#include <QLabel>

#include "app/gbk_codec.h"
#include "app/main_window.h"
#include "serial/serial_port.h"

namespace {

LineFrame TerminalFrame(const TVornicSPComm& w) {
  return LineFrame{w.TerminalBaudRate, w.TerminalDataBits, w.TerminalParity, w.TerminalStopBits};
}

}  // namespace

QString TransmittedCountText(bool withColon, int32_t count) {
  return QString::fromUtf8(withColon ? "发送：" : "发送") + QString::number(count);
}

SendSession::SendSession(TVornicSPComm& window, SendTrigger trigger)
    : window_(window), writer_(*window.TerminalPort, TerminalFrame(window), trigger) {
  ++window_.SendsRunning;
}

SendSession::~SendSession() { --window_.SendsRunning; }

bool SendSession::Running(const TVornicSPComm& window) { return window.SendsRunning > 0; }

std::string SendSession::EncodeForSending(const QString& text) {
  GbkEncoded encoded = EncodeGbk(text.toStdString());
  substituted_ += encoded.unencodableCount;
  return std::move(encoded.bytes);
}

void SendSession::Count(uint32_t bytes) {
  window_.TransmittedCount = static_cast<int32_t>(static_cast<uint32_t>(window_.TransmittedCount) + bytes);
}

void SendSession::ShowCount(bool withColon) {
  QString text = TransmittedCountText(withColon, window_.TransmittedCount);
  QString explanation;
  if (writer_.Blocked()) {
    text += QString::fromUtf8("（线路阻塞）");
    explanation = QString::fromUtf8("线路阻塞：对方没有接收数据，发送超时后已取消，其余数据未发送。");
  }
  if (substituted_ > 0) {
    text += QString::fromUtf8("（%1字以?代替）").arg(substituted_);
    if (!explanation.isEmpty()) explanation += '\n';
    explanation += QString::fromUtf8("有%1个字符无法用GBK编码，已以?发送。").arg(substituted_);
  }
  QLabel* panel = window_.StatusPanels[1];
  panel->setText(text);
  panel->setToolTip(explanation);
}
