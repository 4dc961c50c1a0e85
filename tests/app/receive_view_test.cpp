// The receive window on the offscreen platform: its line index against a slow reference,
// content changes, scrolling, selection and copy, keys, accessibility and painting.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <random>

#include "gui/widgets/receive_view.h"
#include "core/receive/receive_view_charmap.h"
#include "app/receive_view_reference_wrap.h"

namespace {

const QString kMiddle = QString::fromUtf8("中");  // GBK D6 D0

class Fixture {
 public:
  Fixture() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(view);
    layout->addWidget(other);
    window.resize(420, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  QWidget window;
  ReceiveView* view = new ReceiveView;
  QLineEdit* other = new QLineEdit;
};

bool LinesMatchReference(const ReceiveView& view) {
  return view.Lines().Starts() ==
         ReferenceWrap(view.Content(), view.Columns(), view.Lines().Wrap(), view.Lines().TailSettled());
}

QImage Painted(ReceiveView& view) { return view.viewport()->grab().toImage(); }

// What the screen shows of the view (a stream paints only what changed; this is the sum).
QImage OnScreen(Fixture& f) {
  QWidget* surface = f.view->viewport();
  const QPoint origin = surface->mapTo(&f.window, QPoint(0, 0));
  return QGuiApplication::primaryScreen()
      ->grabWindow(f.window.winId())
      .toImage()
      .copy(QRect(origin, surface->size()))
      .convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class ReceiveViewTest : public QObject {
  Q_OBJECT

 private slots:
  void appendsInRandomPiecesMatchTheReferenceWrap();
  void resizingWrapsAgain();
  void setContentClearAndDropHead();
  void dropHeadKeepsTheLinesInSight();
  void replacingTheTailEqualsSettingTheWholeContent();
  void followsTheEndUnlessTheReaderKeepsHisPlace();
  void selectAllAndCopyGiveUnicodeText();
  void mouseDragSelectsCharacters();
  void keysReachTheHooksAndChangeNothing();
  void swallowedArrowsDoNotScroll();
  void tabAndEnterStayInTheView();
  void inputMethodCommitIsTypedText();
  void accessibleTextIsTheVisibleLines();
  void splitPairPaintsLikeAWholePair();
  void leadByteAtTheEndShowsOnceTheStreamPauses();
  void streamedPictureEqualsAFreshPaint();
  void objectNameIsTheControlName();
};

void ReceiveViewTest::appendsInRandomPiecesMatchTheReferenceWrap() {
  Fixture f;
  std::mt19937 random(42);
  for (int round = 0; round < 10; ++round) {
    const std::string all = RandomLayoutContent(random, 3000);
    f.view->Clear();
    std::string appended;
    while (appended.size() < all.size()) {
      const std::string piece = all.substr(appended.size(), 1 + random() % 40);
      f.view->Append(piece);
      appended += piece;
      QVERIFY2(LinesMatchReference(*f.view), qPrintable(QString("round %1 at %2").arg(round).arg(appended.size())));
    }
    QCOMPARE(f.view->Content(), all);
    if (round % 3 == 0) QCoreApplication::processEvents();  // paints now and then, with a split pair
  }
}

void ReceiveViewTest::resizingWrapsAgain() {
  Fixture f;
  std::mt19937 random(5);
  f.view->SetContent(RandomLayoutContent(random, 5000));
  const size_t before = f.view->Columns();
  f.window.resize(260, 300);
  QTRY_VERIFY(f.view->Columns() != before);
  QVERIFY(LinesMatchReference(*f.view));
  f.view->Append("tail \xD6\xD0\r\n");
  QVERIFY(LinesMatchReference(*f.view));
}

void ReceiveViewTest::setContentClearAndDropHead() {
  Fixture f;
  f.view->Append("help text\n");
  f.view->SetContent("41 00 42 ");
  QCOMPARE(f.view->Content(), std::string("41 00 42 "));
  QCOMPARE(f.view->FirstVisibleLine(), size_t(0));
  f.view->Append("08 ");
  f.view->DropHead(3);
  QCOMPARE(f.view->Content(), std::string("00 42 08 "));
  QVERIFY(LinesMatchReference(*f.view));
  f.view->DropHead(100);
  QCOMPARE(f.view->Content(), std::string());
  f.view->Append("ab\r");
  f.view->Append("\ncd");
  f.view->DropHead(3);  // the "\r" of "\r\n" goes: the "\n" now makes a line of its own
  QCOMPARE(f.view->Content(), std::string("\ncd"));
  QVERIFY(LinesMatchReference(*f.view));
  QCOMPARE(f.view->Lines().LineCount(), size_t(2));
  f.view->SelectAll();
  f.view->Clear();
  QCOMPARE(f.view->Content(), std::string());
  QCOMPARE(f.view->Lines().LineCount(), size_t(1));
  QVERIFY(!f.view->HasSelection());
}

void ReceiveViewTest::dropHeadKeepsTheLinesInSight() {
  Fixture f;
  std::string content;
  for (int i = 0; i < 400; ++i) content += "line " + std::to_string(i) + "\n";
  f.view->SetContent(content);
  f.view->ScrollToLine(200);
  const size_t firstByte = f.view->Lines().LineStart(f.view->FirstVisibleLine());
  const std::string firstLine = content.substr(firstByte, content.find('\n', firstByte) - firstByte);
  f.view->DropHead(content.find("line 50\n"));
  const size_t nowFirst = f.view->Lines().LineStart(f.view->FirstVisibleLine());
  QCOMPARE(f.view->Content().substr(nowFirst, firstLine.size()), firstLine);
}

// A backspace re-sets the window to the kept text, whose end changed: cutting the end and
// appending must leave the window as a re-set and a scroll to the end would, in layout,
// place, selection and picture (a lead byte shown on its own before the cut included).
void ReceiveViewTest::replacingTheTailEqualsSettingTheWholeContent() {
  Fixture f;
  Fixture reset;
  std::mt19937 random(17);
  for (const WrapAt wrap : {WrapAt::AnyCharacter, WrapAt::Blank}) {
    std::string content = RandomLayoutContent(random, 6000);
    f.view->SetContent(content, wrap);
    for (int round = 0; round < 40; ++round) {
      if (round % 5 == 0) {
        f.view->Append("\xC4");
        f.view->SettleTail();
        content += "\xC4";
      }
      if (round % 7 == 0) f.view->SetSelection(content.size() / 3, content.size() / 2);
      if (round % 9 == 0) f.view->ScrollToLine(0);
      // Now and then a cut of several lines and a longer new end, so that the picture moves.
      const bool deep = round % 10 == 9;
      const size_t cut = deep ? std::min<size_t>(content.size(), 150)
                              : random() % std::min<size_t>(content.size() + 1, round % 4 == 0 ? 2000 : 3);
      const std::string tail = RandomLayoutContent(random, deep ? 300 : random() % 50);
      const uint64_t generation = f.view->ContentGeneration();
      f.view->ReplaceTail(cut, tail);
      content = content.substr(0, content.size() - cut) + tail;
      reset.view->SetContent(content, wrap);
      reset.view->ScrollToBottom();
      const QString where = QString("round %1, cut %2").arg(round).arg(cut);
      QVERIFY2(f.view->Content() == content, qPrintable(where));
      QVERIFY2(f.view->Lines().Starts() == reset.view->Lines().Starts(), qPrintable(where));
      QVERIFY2(LinesMatchReference(*f.view), qPrintable(where));
      QCOMPARE(f.view->FirstVisibleLine(), reset.view->FirstVisibleLine());
      QVERIFY(f.view->FollowsEnd() && !f.view->HasSelection());
      QVERIFY(f.view->ContentGeneration() != generation);
      if (deep) {
        QTRY_COMPARE(size_t(f.view->verticalScrollBar()->value()), f.view->FirstVisibleLine());
        QCoreApplication::processEvents();
        QCOMPARE(OnScreen(f), Painted(*reset.view).convertToFormat(QImage::Format_RGB32));
      }
    }
  }
}

void ReceiveViewTest::followsTheEndUnlessTheReaderKeepsHisPlace() {
  Fixture f;
  for (int i = 0; i < 100; ++i) f.view->Append("a line\n");
  QVERIFY(f.view->IsAtBottom());
  QVERIFY(f.view->FirstVisibleLine() > 0);
  // The scroll bar follows the stream within a repaint tick; then the user can move it.
  QScrollBar* bar = f.view->verticalScrollBar();
  QTRY_COMPARE(size_t(bar->value()), f.view->FirstVisibleLine());
  QCOMPARE(bar->maximum(), bar->value());
  bar->setValue(10);
  f.view->Append("more\n");
  QCOMPARE(f.view->FirstVisibleLine(), size_t(10));
  bar->setValue(bar->maximum());  // back at the end: following again
  f.view->Append(std::string(5000, 'x'));  // one long wrapped line
  QVERIFY(f.view->IsAtBottom());

  f.view->SetSelection(3, 9);
  const size_t held = f.view->FirstVisibleLine();
  f.view->Append("while selected\n");
  QCOMPARE(f.view->FirstVisibleLine(), held);
  QTRY_VERIFY(bar->maximum() > bar->value());
  bar->setValue(bar->maximum());
  f.view->Append("x");
  QVERIFY(f.view->IsAtBottom());
  QVERIFY(f.view->HasSelection());

  f.view->SetContent(f.view->Content());  // shows the top, as a toggle or the help does
  QCOMPARE(f.view->FirstVisibleLine(), size_t(0));
  f.view->Append("y");
  QVERIFY(f.view->IsAtBottom());
}

void ReceiveViewTest::selectAllAndCopyGiveUnicodeText() {
  Fixture f;
  f.view->SetContent(std::string("ab\xD6\xD0\r\ncd\0e\rf\tg\x80", 15));
  f.view->SelectAll();
  f.view->CopySelection();
  QCOMPARE(QGuiApplication::clipboard()->text(), "ab" + kMiddle + QString::fromUtf8("\ncde\nf\tg€"));
  f.view->SetSelection(3, 8);  // starts inside the pair: the whole pair is taken
  QCOMPARE(f.view->SelectedText(), kMiddle + "\ncd");
}

void ReceiveViewTest::mouseDragSelectsCharacters() {
  Fixture f;
  f.view->SetContent("0123456789\nabc\xD6\xD0xyz");
  const QRect zero = f.view->CharacterRect(0);
  const QRect pairCells = f.view->CharacterRect(14);
  QVERIFY(!zero.isEmpty() && !pairCells.isEmpty());
  QCOMPARE(pairCells.width(), 2 * f.view->CharacterRect(11).width());
  QWidget* surface = f.view->viewport();
  QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(f.view->CharacterRect(2).left() + 1, zero.center().y()));
  QMouseEvent move(QEvent::MouseMove, QPointF(pairCells.right() - 1, pairCells.center().y()),
                   surface->mapToGlobal(QPointF(pairCells.right() - 1, pairCells.center().y())), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(surface, &move);
  QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(pairCells.right() - 1, pairCells.center().y()));
  QCOMPARE(f.view->SelectedText(), QString::fromUtf8("23456789\nabc中"));
  QTest::keyClick(f.view, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("23456789\nabc中"));
}

void ReceiveViewTest::keysReachTheHooksAndChangeNothing() {
  Fixture f;
  f.view->SetContent("received");
  QList<int> keys;
  QStringList typed;
  f.view->SetKeyHooks({[&](int key, Qt::KeyboardModifiers) {
                         keys << key;
                         return false;
                       },
                       [&](const QString& text) { typed << text; }});
  f.view->setFocus();
  QTest::keyClicks(f.view, "hi");
  QTest::keyClick(f.view, Qt::Key_Return);
  QTest::keyClick(f.view, Qt::Key_Backspace);
  QTest::keyClick(f.view, Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(keys, (QList<int>{Qt::Key_H, Qt::Key_I, Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Control, Qt::Key_A}));
  QCOMPARE(typed, (QStringList{"h", "i", "\r", "\b", QString(QChar(1))}));
  QCOMPARE(f.view->Content(), std::string("received"));
  QVERIFY2(f.view->HasSelection(), "Ctrl+A also selects everything");
}

void ReceiveViewTest::swallowedArrowsDoNotScroll() {
  Fixture f;
  for (int i = 0; i < 100; ++i) f.view->Append("row\n");
  f.view->ScrollToLine(40);
  QStringList typed;
  f.view->SetKeyHooks({[](int key, Qt::KeyboardModifiers) { return key >= Qt::Key_Left && key <= Qt::Key_Down; },
                       [&](const QString& text) { typed << text; }});
  for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right}) QTest::keyClick(f.view, key);
  QCOMPARE(f.view->FirstVisibleLine(), size_t(40));
  QVERIFY(typed.isEmpty());
  f.view->SetKeyHooks({});
  QTest::keyClick(f.view, Qt::Key_Up);
  QCOMPARE(f.view->FirstVisibleLine(), size_t(39));  // not swallowed, an arrow scrolls
}

void ReceiveViewTest::tabAndEnterStayInTheView() {
  Fixture f;
  QStringList typed;
  f.view->SetKeyHooks({nullptr, [&](const QString& text) { typed << text; }});
  f.view->setFocus();
  QTRY_VERIFY(f.view->hasFocus());
  QTest::keyClick(f.view, Qt::Key_Tab);
  QTest::keyClick(f.view, Qt::Key_Enter);
  QVERIFY(f.view->hasFocus());
  QCOMPARE(typed.size(), 2);
  QCOMPARE(typed[0], QString("\t"));
}

void ReceiveViewTest::inputMethodCommitIsTypedText() {
  Fixture f;
  QStringList typed;
  f.view->SetKeyHooks({nullptr, [&](const QString& text) { typed << text; }});
  QVERIFY(f.view->testAttribute(Qt::WA_InputMethodEnabled));
  QInputMethodEvent commit;
  commit.setCommitString(kMiddle);
  QApplication::sendEvent(f.view, &commit);
  QCOMPARE(typed, QStringList{kMiddle});
  QCOMPARE(f.view->Content(), std::string());
}

void ReceiveViewTest::accessibleTextIsTheVisibleLines() {
  Fixture f;
  f.view->SetContent("first\nsecond \xD6\xD0\n");
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(f.view);
  QVERIFY(accessible);
  QCOMPARE(accessible->role(), QAccessible::EditableText);
  QVERIFY(accessible->state().readOnly);
  QCOMPARE(accessible->text(QAccessible::Value), "first\nsecond " + kMiddle + "\n");
  QAccessibleTextInterface* text = accessible->textInterface();
  QVERIFY(text);
  f.view->SetSelection(6, 12);
  int start = 0;
  int end = 0;
  text->selection(0, &start, &end);
  QCOMPARE(text->text(start, end), QString("second"));
  QCOMPARE(text->textAtOffset(8, QAccessible::LineBoundary, &start, &end), QString("second " + kMiddle + "\n"));
}

void ReceiveViewTest::splitPairPaintsLikeAWholePair() {
  Fixture whole;
  Fixture split;
  whole.view->Append("x\xD6\xD0y");
  split.view->Append("x\xD6");
  QVERIFY(Painted(*whole.view) != Painted(*split.view));
  split.view->Append("\xD0y");
  QCOMPARE(Painted(*split.view), Painted(*whole.view));
}

// The idle timer is kept from firing here: the test says when the stream has paused.
void ReceiveViewTest::leadByteAtTheEndShowsOnceTheStreamPauses() {
  Fixture f;
  Fixture whole;
  f.view->SetTailIdleInterval(24 * 3600 * 1000);
  const std::string line(f.view->Columns() - 1, 'a');
  f.view->Append(line + "\xC4");
  QCOMPARE(f.view->VisibleText().text, QString::fromStdString(line));
  f.view->SettleTail();
  QCOMPARE(f.view->VisibleText().text, QString::fromStdString(line) + QChar(kReplacementChar));
  QCOMPARE(f.view->Content(), line + "\xC4");
  f.view->SelectAll();
  QCOMPARE(f.view->SelectedText(), QString::fromStdString(line) + QChar(kReplacementChar));
  f.view->ClearSelection();
  f.view->Append("\xE3");  // the pair no longer fits the line: it moves down whole
  QVERIFY(LinesMatchReference(*f.view));
  QCOMPARE(f.view->Lines().LineCount(), size_t(2));
  whole.view->Append(line + "\xC4\xE3");
  QCoreApplication::processEvents();
  QCOMPARE(Painted(*f.view), Painted(*whole.view));
}

// A stream moves what is painted up by blits and paints only changed lines: what the window
// shows in the end must be exactly what a full paint of the content gives.
// Wrapped at blanks, as the hex rendering is; a selection made halfway holds the view.
void ReceiveViewTest::streamedPictureEqualsAFreshPaint() {
  Fixture f;
  f.view->SetStreamRepaintInterval(0);  // a tick on every pass of the event loop
  f.view->SetContent({}, WrapAt::Blank);
  std::mt19937 random(9);
  const std::string content = RandomLayoutContent(random, 20000);
  for (size_t at = 0; at < content.size(); at += 1 + random() % 300) {
    f.view->Append(content.substr(at, 1 + random() % 300));
    if (at > content.size() / 2 && !f.view->HasSelection()) {
      const size_t first = f.view->Lines().LineStart(f.view->FirstVisibleLine());
      f.view->SetSelection(first + 5, first + 400);
    }
    QCoreApplication::processEvents();
  }
  QTRY_COMPARE(size_t(f.view->verticalScrollBar()->value()), f.view->FirstVisibleLine());
  QCoreApplication::processEvents();
  QCOMPARE(OnScreen(f), Painted(*f.view).convertToFormat(QImage::Format_RGB32));
}

void ReceiveViewTest::objectNameIsTheControlName() {
  ReceiveView view;
  QCOMPARE(view.objectName(), QString("M_ReceiverData"));
  QCOMPARE(view.focusPolicy(), Qt::StrongFocus);
}

QTEST_MAIN(ReceiveViewTest)
#include "receive_view_test.moc"
