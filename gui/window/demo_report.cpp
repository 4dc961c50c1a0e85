#include "gui/window/demo_report.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <span>

#include "core/text/gbk_codec.h"
#include "gui/module/config_page.h"
#include "gui/window/main_window.h"
#include "core/module/module_exchange.h"
#include "core/text/hex_codec.h"

namespace {

QString Hex(std::span<const uint8_t> bytes) { return QString::fromStdString(ToHexText(bytes)).trimmed(); }

QString OnOff(const QCheckBox* box) { return box->isChecked() ? "on" : "off"; }

QString CheckedPackLength(const ConfigPage& page) {
  const auto chosen = std::find_if(page.RB_PackLength.begin(), page.RB_PackLength.end(),
                                   [](const QRadioButton* b) { return b->isChecked(); });
  return chosen == page.RB_PackLength.end() ? QString("-") : (*chosen)->text();
}

}  // namespace

QString BytesLine(std::string_view gbkBytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(gbkBytes.data());
  return QString("%1  \"%2\"  (%3 bytes)")
      .arg(Hex({data, gbkBytes.size()}), QString::fromStdString(DecodeGbk(gbkBytes)))
      .arg(gbkBytes.size());
}

QStringList ModuleExchangeLines(const TVornicSPComm& w) {
  const IdentifyRequestBytes identify = IdentifyRequest();
  const ReadRequestBytes read = ReadRequest();
  const ModuleReply& reply = w.Exchange->Reply();
  const size_t length = std::min<size_t>(reply.ReplyLength, reply.ReplyBuffer.size());
  return {"sent      " + Hex(identify) + "  (identify)",
          "sent      " + Hex(read) + "  (read configuration)",
          "received  " + Hex({reply.ReplyBuffer.data(), length}) + QString("  (%1 bytes)").arg(length)};
}

QStringList ModuleValueLines(const ConfigPage& page) {
  return {
      QString("model %1, version %2").arg(page.L_Model->text(), page.L_Version->text()),
      QString("frequency %1 MHz, air rate %2, power %3, wake-up %4")
          .arg(page.E_RFFreq->text(), page.CB_RFBaudrate->currentText(), page.CB_Power->currentText(),
               page.CB_RFWakeUpTime->currentText()),
      QString("serial %1, parity %2, delay %3 ms, error correction %4")
          .arg(page.CB_RFCOMBaudRate->currentText(), page.CB_Parity->currentText(), page.E_DelayTime->text(),
               OnOff(page.CB_FECEnable)),
      QString("addresses %1 -> %2, packet length %3, packet complete %4")
          .arg(page.E_LocalAddr->text(), page.E_TargetAddr->text(), CheckedPackLength(page), OnOff(page.CB_PackComplete)),
  };
}
