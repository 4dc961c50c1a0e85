// The 32 presets and their cycle, with the window's port open on a pseudo-terminal.
#include "transmit/preset_panel_test.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstring>

#include "transmit/bounded_write.h"
#include "transmit/open_terminal.h"

namespace {

// A period of 0 keeps Timer1 still, so that only the test's own calls make passes.
void StartCycleWithoutTicks(TVornicSPComm& w) {
  w.E_ExpandTime->setText("0");
  w.CB_SendAutoCycle->setChecked(true);
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Ascii(const char* text) { return Bytes(text, text + std::strlen(text)); }

}  // namespace

void PresetPanelTest::rowsStandAtTheirPlaces() {
  OpenTerminal t(false);
  QWidget* panel = t.w.P_Expand;
  QVERIFY(panel->isHidden());
  QCOMPARE(panel->width(), 223);
  for (int n : {1, 2, 17, 32}) {
    const int y = 24 + 16 * (n - 1);
    auto* box = panel->findChild<QCheckBox*>(QString("CheckBox%1").arg(n));
    auto* edit = panel->findChild<QLineEdit*>(QString("Edit%1").arg(n));
    auto* button = panel->findChild<QPushButton*>(QString("Button%1").arg(n));
    QVERIFY(box && edit && button);
    QCOMPARE(box, t.w.CheckBoxes[n - 1]);
    QCOMPARE(QRect(box->mapTo(panel, QPoint()), box->size()), QRect(0, y, 17, 17));
    QCOMPARE(QRect(edit->mapTo(panel, QPoint()), edit->size()), QRect(16, y, 169, 17));
    QCOMPARE(QRect(button->mapTo(panel, QPoint()), button->size()), QRect(182, y, 35, 17));
    QCOMPARE(button->text(), QString::number(n));
  }
  QCOMPARE(t.w.Edits[0]->text(), QString("12 00 FF 88"));
  QVERIFY(t.w.CheckBoxes[0]->isChecked());
  QCOMPARE(t.w.Edits[1]->text(), QString("output string"));
  QVERIFY(!t.w.CheckBoxes[1]->isChecked());
  QCOMPARE(t.w.CB_SendAutoCycle->text(), U("自动循环发送，间隔："));
  QCOMPARE(t.w.E_ExpandTime->text(), QString("1000"));
  // The cycle strip stays along the panel's bottom whatever its height.
  t.w.B_ExpandClick();
  t.w.resize(900, 700);
  t.w.PageControl->setCurrentWidget(t.w.TabSheet1);
  t.w.show();
  QTRY_VERIFY(panel->isVisible());
  QCOMPARE(t.w.CB_SendAutoCycle->parentWidget()->mapTo(panel, QPoint()).y(), panel->height() - 23);
  // Every caption of the panel can be read whole ("HEX" is wider than its column).
  const QList<QLabel*> labels = panel->findChildren<QLabel*>();
  QVERIFY(labels.size() >= 4);
  for (QLabel* label : labels) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    QVERIFY2(needed <= label->contentsRect().width(), qPrintable(label->text()));
    QVERIFY2(QRect(label->mapTo(panel, QPoint()), label->size()).left() >= 0, qPrintable(label->text()));
  }
}

void PresetPanelTest::onePassSendsTheDefaultPresets() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  StartCycleWithoutTicks(w);
  w.CB_TransmitNewLine->setChecked(false);
  w.CB_TransmitCR->setChecked(false);
  w.Timer1Timer();
  const Bytes defaults = Concat({0x12, 0x00, 0xFF, 0x88}, Ascii("output string"));
  QCOMPARE(t.Sent(17), defaults);
  QVERIFY(t.More().empty());
  QCOMPARE(w.TransmittedCount, 17);
  QCOMPARE(t.Status(), U("发送：17"));

  // The transmit panel's new line counts for character presets even in its hex mode, where
  // the box is disabled.
  w.CB_TransmitHex->setChecked(false);
  w.CB_TransmitNewLine->setChecked(true);
  w.CB_TransmitHex->setChecked(true);
  QVERIFY(!w.CB_TransmitNewLine->isEnabled());
  w.Timer1Timer();
  QCOMPARE(t.Sent(19), Concat(defaults, {0x0D, 0x0A}));
  QCOMPARE(t.Status(), U("发送：36"));

  // Without the cycle's mark a tick does nothing.
  w.CB_SendAutoCycle->setChecked(false);
  w.Timer1Timer();
  QVERIFY(t.More().empty());
}

void PresetPanelTest::eachButtonSendsItsOwnRow() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  QTest::mouseClick(w.Buttons[4], Qt::LeftButton);  // empty: returns before anything else
  QVERIFY(w.TerminalPort->GetEventMask() != win::EV_RXCHAR);
  w.Edits[2]->setText("ABC");
  w.CheckBoxes[2]->setChecked(true);
  w.Edits[3]->setText("ff");  // lower case is no hex digit, and the presets have no key filter
  w.CheckBoxes[3]->setChecked(true);
  w.Edits[31]->setText(U("末行"));
  QTest::mouseClick(w.Buttons[2], Qt::LeftButton);
  QCOMPARE(t.Sent(2), (Bytes{0xAB, 0x0C}));
  QTest::mouseClick(w.Buttons[3], Qt::LeftButton);
  QVERIFY(t.More().empty());
  QCOMPARE(w.TerminalPort->GetEventMask(), win::EV_RXCHAR);
  QCOMPARE(t.Status(), U("发送：2"));
  QTest::mouseClick(w.Buttons[31], Qt::LeftButton);
  QCOMPARE(t.Sent(4), (Bytes{0xC4, 0xA9, 0xD0, 0xD0}));
  QCOMPARE(w.TransmittedCount, 6);

  // An empty preset does nothing at all, not even on a closed port.
  w.B_OpenPortClick();
  QVERIFY(!w.TerminalPort->IsOpen());
  QTest::mouseClick(w.Buttons[4], Qt::LeftButton);
  QVERIFY(t.harness.messages.empty());
  QTest::mouseClick(w.Buttons[2], Qt::LeftButton);
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QCOMPARE(t.harness.messages[0].text, U("串口还未打开！"));
}

void PresetPanelTest::cycleHoldsTheRepeatAndBringsItBack() {
  OpenTerminal t(false);
  auto& w = t.w;
  w.E_AutoTransmitTime->setText("500");
  w.CB_AutoTransmit->setChecked(true);
  QVERIFY(w.Timer->isActive());
  w.E_ExpandTime->setText("300");
  w.CB_SendAutoCycle->setChecked(true);
  for (QWidget* held : std::initializer_list<QWidget*>{w.E_ExpandTime, w.E_AutoTransmitTime, w.CB_AutoTransmit,
                                                      w.CB_TransmitHex})
    QVERIFY2(!held->isEnabled(), qPrintable(held->objectName()));
  QVERIFY(!w.Timer->isActive());
  QVERIFY(w.Timer1->isActive());
  QCOMPARE(w.Timer1->interval(), 300);

  w.CB_SendAutoCycle->setChecked(false);
  for (QWidget* back : std::initializer_list<QWidget*>{w.E_ExpandTime, w.CB_AutoTransmit, w.CB_TransmitHex})
    QVERIFY2(back->isEnabled(), qPrintable(back->objectName()));
  QVERIFY(!w.E_AutoTransmitTime->isEnabled());  // the repeat is back on
  QVERIFY(w.Timer->isActive());
  QCOMPARE(w.Timer->interval(), 500);
  QVERIFY(!w.Timer1->isActive());

  // With the repeat off, the cycle's end leaves it off and its field free.
  w.CB_AutoTransmit->setChecked(false);
  w.CB_SendAutoCycle->setChecked(true);
  w.CB_SendAutoCycle->setChecked(false);
  QVERIFY(!w.Timer->isActive());
  QVERIFY(w.E_AutoTransmitTime->isEnabled());
}

void PresetPanelTest::cyclePeriodRules() {
  OpenTerminal t(false);
  auto& w = t.w;
  StartCycleWithoutTicks(w);
  QVERIFY(!w.Timer1->isActive());  // 0 never ticks
  w.CB_SendAutoCycle->setChecked(false);

  w.E_AutoTransmitTime->setText("700");  // has no effect on the cycle
  w.E_ExpandTime->setText("99999999999");
  w.CB_SendAutoCycle->setChecked(true);
  QCOMPARE(t.harness.messages.size(), size_t(1));
  QVERIFY(t.harness.messages[0].text.contains(U("不是有效的整数值")));
  QVERIFY(!w.Timer1->isActive());
  QVERIFY(!w.CB_TransmitHex->isEnabled());  // checked, controls held, nothing running
  w.CB_SendAutoCycle->setChecked(false);
  QVERIFY(w.CB_TransmitHex->isEnabled());
  QVERIFY(w.E_ExpandTime->isEnabled());
}

void PresetPanelTest::closedPortPassGivesOneNoticePerPresetWithoutNesting() {
  OpenTerminal t(false);
  auto& w = t.w;
  StartCycleWithoutTicks(w);
  // Ticks of both timers that come while a notice is up (from its event loop) are skipped.
  std::vector<ShownMessage> shown;
  SetMessageObserver([&](const QString& title, const QString& text) {
    shown.push_back({title, text});
    w.Timer1Timer();
    w.TimerTimer();
  });
  w.Timer1Timer();
  SetMessageObserver([&](const QString& title, const QString& text) { shown.push_back({title, text}); });
  QCOMPARE(shown.size(), size_t(2));  // the two non-empty default presets
  for (const ShownMessage& m : shown) {
    QCOMPARE(m.title, U("提示"));
    QCOMPARE(m.text, U("串口还未打开！"));
  }
  QCOMPARE(w.TransmittedCount, 0);
  QCOMPARE(t.Status(), U("发送：0"));

  // All presets empty: nothing to report, even on a closed port.
  for (QLineEdit* edit : w.Edits) edit->clear();
  w.Timer1Timer();
  QCOMPARE(shown.size(), size_t(2));
}

void PresetPanelTest::expandButtonShowsAndHidesThePanel() {
  OpenTerminal t(false);
  auto& w = t.w;
  w.PageControl->setCurrentWidget(w.TabSheet1);
  w.show();
  QCOMPARE(w.B_Expand->text(), U("扩展"));
  QTest::mouseClick(w.B_Expand, Qt::LeftButton);
  QVERIFY(w.ExpandShown);
  QVERIFY(w.P_Expand->isVisible());
  QCOMPARE(w.B_Expand->text(), U("隐藏"));
  StartCycleWithoutTicks(w);
  w.E_ExpandTime->setText("400");
  w.CB_SendAutoCycle->setChecked(false);
  w.CB_SendAutoCycle->setChecked(true);
  QTest::mouseClick(w.B_Expand, Qt::LeftButton);
  QVERIFY(!w.ExpandShown);
  QVERIFY(w.P_Expand->isHidden());
  QCOMPARE(w.B_Expand->text(), U("扩展"));
  QVERIFY(w.Timer1->isActive());  // hiding the panel does not stop the cycle
}

void PresetPanelTest::aPassOnAHeldLineSendsNothingAndTheNextTriesAgain() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  for (int n = 0; n < 32; ++n) {
    w.Edits[n]->setText(QString("preset %1").arg(n + 1));
    w.CheckBoxes[n]->setChecked(false);
  }
  w.CB_TransmitNewLine->setChecked(false);
  w.CB_TransmitCR->setChecked(false);
  StartCycleWithoutTicks(w);
  QVERIFY(t.HoldLine());
  QElapsedTimer clock;
  clock.start();
  w.Timer1Timer();
  const qint64 took = clock.elapsed();
  const LineFrame frame{w.TerminalBaudRate, w.TerminalDataBits, w.TerminalParity, w.TerminalStopBits};
  QVERIFY2(took < WriteBoundMs(1, frame), qPrintable(QString::number(took)));  // no write's bound waited
  QCOMPARE(w.TransmittedCount, 0);
  QVERIFY(t.Status().contains(U("线路阻塞")));
  QVERIFY(t.harness.messages.empty());

  // The next pass tries the line again; released, it carries all 32 presets.
  t.pty.Send(Bytes{0x11});
  QVERIFY(WindowHarness::WaitUntil([&] { return w.TerminalPort->WaitWriteRoom(0) == 0; }));
  w.Timer1Timer();
  Bytes all;
  for (int n = 1; n <= 32; ++n) all = Concat(all, Ascii(qPrintable(QString("preset %1").arg(n))));
  QCOMPARE(t.Sent(all.size()), all);
  QCOMPARE(t.Status(), QString(U("发送：%1")).arg(all.size()));
}

void PresetPanelTest::cycleIntoAFullLineKeepsTheWindowAnswering() {
  OpenTerminal t;
  QVERIFY(t.Ready());
  auto& w = t.w;
  w.CB_TransmitNewLine->setChecked(false);
  w.CB_TransmitCR->setChecked(false);
  QVERIFY(t.FillLine());
  w.E_ExpandTime->setText("1");
  w.CB_SendAutoCycle->setChecked(true);
  const qint64 longest = OpenTerminal::LongestEventLoopGap(2500);  // a guard, as for the timed send
  QVERIFY2(longest < 1000, qPrintable(QString::number(longest)));
  QVERIFY(t.Status().contains(U("线路阻塞")));
  const int32_t held = w.TransmittedCount;
  OpenTerminal::LongestEventLoopGap(100);
  QCOMPARE(w.TransmittedCount, held);
  QVERIFY(t.harness.messages.empty());

  // Once the peer reads, whole passes go out again.
  QVERIFY(!t.More().empty());
  QVERIFY(WindowHarness::WaitUntil([&] { return w.TransmittedCount >= held + 3 * 17; }));
  QVERIFY(!t.Status().contains(U("线路阻塞")));
  w.CB_SendAutoCycle->setChecked(false);
  const Bytes sent = t.More();
  QCOMPARE(sent.size(), size_t(w.TransmittedCount - held));
  const Bytes pass = Concat({0x12, 0x00, 0xFF, 0x88}, Ascii("output string"));
  for (size_t i = 0; i < sent.size(); ++i) QCOMPARE(sent[i], pass[i % pass.size()]);
}
