#include "gui/widgets/controls.h"

#include <QMouseEvent>
#include <QPainter>

void DropDownComboBox::showPopup() {
  emit droppedDown();
  QComboBox::showPopup();
}

LampWidget::LampWidget(QWidget* parent) : QWidget(parent) { setFixedSize(25, 25); }

void LampWidget::setColor(const QColor& color) {
  if (color_ == color) return;
  color_ = color;
  update();
}

void LampWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(color_);
  painter.drawEllipse(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
}

void LinkLabel::mousePressEvent(QMouseEvent* e) {
  e->accept();
  emit pressed();
}
