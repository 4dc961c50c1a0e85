#pragma once
// Small controls the toolkit lacks in the form the window needs.
#include <QComboBox>
#include <QLabel>
#include <QWidget>

// A drop-down list that reports when the user opens it, before the list is shown, so the
// owner can rebuild its items.
class DropDownComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;
 signals:
  void droppedDown();
};

// The round lamp beside the open button: white while closed, red while open.
class LampWidget : public QWidget {
  Q_OBJECT
 public:
  explicit LampWidget(QWidget* parent = nullptr);
  void setColor(const QColor& color);
  QColor color() const { return color_; }
  QSize sizeHint() const override { return {25, 25}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor color_{Qt::white};
};

// A label that reacts to the press of any mouse button (not the click).
class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void pressed();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
};
