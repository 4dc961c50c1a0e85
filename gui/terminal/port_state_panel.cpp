#include "gui/terminal/port_state_panel.h"

#include "gui/widgets/ui_text.h"

PortStatePanel::PortStatePanel(QWidget* parent) : QLabel(parent) {
  setObjectName("PortStatePanel");
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
  setAlignment(Qt::AlignCenter);
}

void PortStatePanel::ShowAwaited(const QString& port) {
  setText(port.isEmpty() ? QString() : U("等待设备重新连接…"));
  setToolTip(port.isEmpty() ? QString() : U("串口 %1 已断开，设备回来时自动重新打开").arg(port));
}
