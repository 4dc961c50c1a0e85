// The 32 presets and their cycle, with the window's port open on a pseudo-terminal.
#include "transmit/preset_panel_test.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "transmit/open_terminal.h"

void PresetPanelTest::rowsStandAtTheirPlaces() {
  OpenTerminal t(false);
  QWidget* panel = t.w.TabSheet1->Presets;
  QVERIFY(panel->isHidden());
  QCOMPARE(panel->width(), 223);
  for (int n : {1, 2, 17, 32}) {
    const int y = 24 + 16 * (n - 1);
    auto* box = panel->findChild<QCheckBox*>(QString("CheckBox%1").arg(n));
    auto* edit = panel->findChild<QLineEdit*>(QString("Edit%1").arg(n));
    auto* button = panel->findChild<QPushButton*>(QString("Button%1").arg(n));
    QVERIFY(box && edit && button);
    QCOMPARE(box, t.w.TabSheet1->Presets->CheckBoxes[n - 1]);
    QCOMPARE(QRect(box->mapTo(panel, QPoint()), box->size()), QRect(0, y, 17, 17));
    QCOMPARE(QRect(edit->mapTo(panel, QPoint()), edit->size()), QRect(16, y, 169, 17));
    QCOMPARE(QRect(button->mapTo(panel, QPoint()), button->size()), QRect(182, y, 35, 17));
    QCOMPARE(button->text(), QString::number(n));
  }
  QCOMPARE(t.w.TabSheet1->Presets->Edits[0]->text(), QString("12 00 FF 88"));
  QVERIFY(t.w.TabSheet1->Presets->CheckBoxes[0]->isChecked());
  QCOMPARE(t.w.TabSheet1->Presets->Edits[1]->text(), QString("output string"));
  QVERIFY(!t.w.TabSheet1->Presets->CheckBoxes[1]->isChecked());
  QCOMPARE(t.w.TabSheet1->Presets->CB_SendAutoCycle->text(), U("自动循环发送，间隔："));
  QCOMPARE(t.w.TabSheet1->Presets->E_ExpandTime->text(), QString("1000"));
  // The cycle strip stays along the panel's bottom whatever its height.
  t.w.TabSheet1->Presets->B_ExpandClick();
  t.w.resize(900, 700);
  t.w.PageControl->setCurrentWidget(t.w.TabSheet1);
  t.w.show();
  QTRY_VERIFY(panel->isVisible());
  QCOMPARE(t.w.TabSheet1->Presets->CB_SendAutoCycle->parentWidget()->mapTo(panel, QPoint()).y(), panel->height() - 23);
  // Every caption of the panel can be read whole ("HEX" is wider than its column).
  const QList<QLabel*> labels = panel->findChildren<QLabel*>();
  QVERIFY(labels.size() >= 4);
  for (QLabel* label : labels) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    QVERIFY2(needed <= label->contentsRect().width(), qPrintable(label->text()));
    QVERIFY2(QRect(label->mapTo(panel, QPoint()), label->size()).left() >= 0, qPrintable(label->text()));
  }
}

void PresetPanelTest::cycleTicksSendThePresets() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  PresetPanel& p = *t.w.TabSheet1->Presets;
  t.w.TabSheet1->Transmitter->CB_TransmitNewLine->setChecked(false);
  t.w.TabSheet1->Transmitter->CB_TransmitCR->setChecked(false);
  p.E_ExpandTime->setText("1");
  p.CB_SendAutoCycle->setChecked(true);
  QVERIFY(p.Timer1->isActive());
  QCOMPARE(p.Timer1->interval(), 1);
  QVERIFY(WindowHarness::WaitUntil([&] { return t.Count() >= 2 * 17; }));
  p.CB_SendAutoCycle->setChecked(false);
  QVERIFY(!p.Timer1->isActive());
  const Bytes sent = t.More();
  QCOMPARE(sent.size(), size_t(t.Count()));
  const char* pass = "\x12\x00\xFF\x88output string";
  for (size_t i = 0; i < sent.size(); ++i) QCOMPARE(sent[i], uint8_t(pass[i % 17]));
  QCOMPARE(t.Status(), QString(U("发送：%1")).arg(t.Count()));
}

void PresetPanelTest::eachButtonSendsItsOwnRow() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  PresetPanel& p = *t.w.TabSheet1->Presets;
  p.Edits[2]->setText("ABC");
  p.CheckBoxes[2]->setChecked(true);
  p.Edits[31]->setText(U("末行"));
  QTest::mouseClick(p.Buttons[2], Qt::LeftButton);
  QTest::mouseClick(p.Buttons[31], Qt::LeftButton);
  QCOMPARE(t.Sent(6), (Bytes{0xAB, 0x0C, 0xC4, 0xA9, 0xD0, 0xD0}));
  QCOMPARE(t.Status(), U("发送：6"));

  // On a closed port each click of a non-empty row gives one notice.
  t.w.TabSheet1->B_OpenPortClick();
  QVERIFY(!t.w.Terminal->Port().IsOpen());
  QTest::mouseClick(p.Buttons[4], Qt::LeftButton);
  QVERIFY(t.harness.messages.empty());
  QTest::mouseClick(p.Buttons[2], Qt::LeftButton);
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].title, U("提示"));
  QCOMPARE(t.harness.messages[0].text, U("串口还未打开！"));
}

void PresetPanelTest::cycleHoldsTheTimedSendAndBringsItBack() {
  OpenTerminal t(false);
  TransmitPanel& transmit = *t.w.TabSheet1->Transmitter;
  PresetPanel& p = *t.w.TabSheet1->Presets;
  transmit.E_AutoTransmitTime->setText("500");
  transmit.CB_AutoTransmit->setChecked(true);
  QVERIFY(transmit.Timer->isActive());
  p.E_ExpandTime->setText("300");
  p.CB_SendAutoCycle->setChecked(true);
  const auto held = {static_cast<QWidget*>(p.E_ExpandTime), static_cast<QWidget*>(transmit.E_AutoTransmitTime),
                     static_cast<QWidget*>(transmit.CB_AutoTransmit), static_cast<QWidget*>(transmit.CB_TransmitHex)};
  for (QWidget* control : held) QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
  QVERIFY(!transmit.Timer->isActive());
  QVERIFY(p.Timer1->isActive());
  QCOMPARE(p.Timer1->interval(), 300);

  p.CB_SendAutoCycle->setChecked(false);
  for (QWidget* control : {static_cast<QWidget*>(p.E_ExpandTime), static_cast<QWidget*>(transmit.CB_AutoTransmit),
                           static_cast<QWidget*>(transmit.CB_TransmitHex)})
    QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
  QVERIFY(!transmit.E_AutoTransmitTime->isEnabled());  // the timed send is back on
  QVERIFY(transmit.Timer->isActive());
  QCOMPARE(transmit.Timer->interval(), 500);
  QVERIFY(!p.Timer1->isActive());

  // An unreadable period is reported; the cycle then holds without ticking.
  p.E_ExpandTime->setText("99999999999");
  p.CB_SendAutoCycle->setChecked(true);
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].text, U("“99999999999”不是有效的整数值！"));
  QVERIFY(!p.Timer1->isActive());
  QVERIFY(!transmit.Timer->isActive());
  QVERIFY(!transmit.CB_TransmitHex->isEnabled());
}

void PresetPanelTest::expandButtonShowsAndHidesThePanel() {
  OpenTerminal t(false);
  auto& w = t.w;
  w.PageControl->setCurrentWidget(w.TabSheet1);
  w.show();
  QCOMPARE(w.TabSheet1->Presets->B_Expand->text(), U("扩展"));
  QTest::mouseClick(w.TabSheet1->Presets->B_Expand, Qt::LeftButton);
  QVERIFY(w.TabSheet1->Presets->ExpandShown);
  QVERIFY(w.TabSheet1->Presets->isVisible());
  QCOMPARE(w.TabSheet1->Presets->B_Expand->text(), U("隐藏"));
  w.TabSheet1->Presets->E_ExpandTime->setText("400");
  w.TabSheet1->Presets->CB_SendAutoCycle->setChecked(true);
  QTest::mouseClick(w.TabSheet1->Presets->B_Expand, Qt::LeftButton);
  QVERIFY(!w.TabSheet1->Presets->ExpandShown);
  QVERIFY(w.TabSheet1->Presets->isHidden());
  QCOMPARE(w.TabSheet1->Presets->B_Expand->text(), U("扩展"));
  QVERIFY(w.TabSheet1->Presets->Timer1->isActive());  // hiding the panel does not stop the cycle
}
