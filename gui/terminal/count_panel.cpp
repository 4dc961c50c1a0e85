#include "gui/terminal/count_panel.h"

#include <QLabel>

#include "core/transmit/transmit_session.h"
#include "gui/widgets/ui_text.h"

void ShowCountNote(QLabel* panel, const CountNote& note) {
  QString text = (note.withColon ? WindowText::tr("发送：") : WindowText::tr("发送", "sent count")) + QString::number(note.count);
  QString explanation;
  if (note.blocked) {
    text += WindowText::tr("（线路阻塞）");
    explanation = WindowText::tr("线路阻塞：对方没有接收数据，发送超时后已取消，其余数据未发送。");
  }
  if (note.substituted > 0) {
    text += WindowText::tr("（%1字以?代替）").arg(note.substituted);
    if (!explanation.isEmpty()) explanation += '\n';
    explanation += WindowText::tr("有%1个字符无法用GBK编码，已以?发送。").arg(note.substituted);
  }
  panel->setText(text);
  panel->setToolTip(explanation);
}
