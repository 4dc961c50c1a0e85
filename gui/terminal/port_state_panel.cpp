#include "gui/terminal/port_state_panel.h"

#include <QHBoxLayout>

#include "core/terminal/line_state_watch.h"
#include "gui/widgets/ui_text.h"
#include "serial/modem_status.h"

namespace {

struct LineName {
  const char* name;
  uint32_t bit;
};
constexpr LineName kLines[] = {
    {"CTS", win::MS_CTS_ON}, {"DSR", win::MS_DSR_ON}, {"DCD", win::MS_RLSD_ON}, {"RI", win::MS_RING_ON}};

QLabel* Panel(int width, int height) {
  auto* label = new QLabel;
  label->setFixedSize(width, height);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

PortStatePanel::PortStatePanel(int height, QWidget* parent) : QWidget(parent) {
  setObjectName("PortStatePanel");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  Awaited = Panel(88, height);
  Awaited->setObjectName("L_Awaited");
  row->addWidget(Awaited);
  for (size_t i = 0; i < Lines.size(); ++i) {
    Lines[i] = Panel(30, height);
    Lines[i]->setObjectName(QString("L_") + kLines[i].name);
    Lines[i]->setText(kLines[i].name);
    row->addWidget(Lines[i]);
  }
  ShowLines(LineState{});
}

void PortStatePanel::ShowAwaited(const QString& port) {
  Awaited->setText(port.isEmpty() ? QString() : WindowText::tr("等待重新连接…"));
  Awaited->setToolTip(port.isEmpty() ? QString() : WindowText::tr("串口 %1 已断开，设备回来时自动重新打开").arg(port));
}

void PortStatePanel::ShowLines(const LineState& state) {
  for (size_t i = 0; i < Lines.size(); ++i) {
    const bool on = state.available && (state.modemStatus & kLines[i].bit);
    QFont font = Lines[i]->font();
    font.setStrikeOut(!state.available);
    Lines[i]->setFont(font);
    Lines[i]->setStyleSheet(!state.available ? "color: #a0a0a0"
                            : on             ? "background: #30c030; color: white"
                                             : "color: #606060");
    Lines[i]->setToolTip(!state.available ? WindowText::tr("%1：不可用（设备没有调制解调器信号线）").arg(kLines[i].name)
                         : on             ? WindowText::tr("%1：有效").arg(kLines[i].name)
                                          : WindowText::tr("%1：无效").arg(kLines[i].name));
  }
}
