// The window in English: the language is chosen from --lang, else the settings file, before
// the window exists; then no caption, list entry, menu text or tool tip of any page is left in
// Chinese, messages, status texts and the help come in English, the window keeps its size,
// and the settings file it saves is the one the Chinese window saves.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

#include "gui/module/config_page.h"
#include "gui/plot/plot_page.h"
#include "gui/terminal/terminal_page.h"
#include "gui/terminal/transmit_panel.h"
#include "gui/widgets/receive_view.h"
#include "gui/window/interface_language.h"
#include "gui/window/start_options.h"
#include "support/file_bytes.h"
#include "support/window_harness.h"

namespace {

const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));



// A window whose profile holds `ini`, in the language a start with `arguments` chooses.
std::unique_ptr<WindowHarness> StartWith(const QByteArray& ini, const QStringList& arguments) {
  return std::make_unique<WindowHarness>([&](const QString& dir) {
    WriteFile(dir + "/VornicSPCommTool.ini", ini);
    const StartOptions options = ParseStartOptions(QStringList{"vornicspcomm"} + arguments);
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    QVERIFY(InstallInterfaceLanguage(StartLanguage(options.language, (dir + "/VornicSPCommTool.ini").toStdString())));
  });
}

// Every text a person reads on `root` and below that is still Chinese, named by its control.
QStringList ChineseTexts(QWidget* root) {
  QStringList found;
  const auto check = [&](const QObject* owner, const QString& what, const QString& text) {
    if (text.contains(kChinese)) found << owner->objectName() + " " + owner->metaObject()->className() + " " + what + ": " + text;
  };
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (qobject_cast<ReceiveView*>(w)) continue;  // shows received data, not captions
    check(w, "tool tip", w->toolTip());
    check(w, "title", w->windowTitle());
    if (auto* label = qobject_cast<QLabel*>(w)) check(w, "text", label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) check(w, "text", button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) check(w, "title", group->title());
    if (auto* field = qobject_cast<QLineEdit*>(w)) check(w, "text", field->text() + field->placeholderText());
    if (auto* list = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < list->count(); ++i) check(w, "entry", list->itemText(i));
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
      for (int i = 0; i < tabs->count(); ++i) check(w, "tab", tabs->tabText(i));
    for (QAction* action : w->actions()) check(action, "action", action->text() + action->toolTip());
  }
  for (QAction* action : root->findChildren<QAction*>()) check(action, "action", action->text());
  return found;
}

const QByteArray kSettings =
    "[VornicSPCommTool_USART]\nHex Display=0\n[VornicSPCommTool_Plot]\nInput=1\nTime Axis=1\nTrigger Falling=1\n"
    "[VornicSPCommTool_Interface]\nLanguage=auto\n";

}  // namespace

class EnglishWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { QVERIFY(InstallInterfaceLanguage(InterfaceLanguage::Chinese)); }

  void commandLineLanguage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("language");  // -1: none given; -2: refused
    QTest::newRow("none") << QStringList{} << -1;
    QTest::newRow("en") << QStringList{"--lang", "en"} << int(LanguageChoice::English);
    QTest::newRow("zh_CN") << QStringList{"--lang=zh_CN"} << int(LanguageChoice::Chinese);
    QTest::newRow("auto") << QStringList{"--lang", "auto"} << int(LanguageChoice::Auto);
    QTest::newRow("unknown") << QStringList{"--lang", "de"} << -2;
    QTest::newRow("other spelling") << QStringList{"--lang", "EN"} << -2;
    QTest::newRow("no value") << QStringList{"--lang"} << -2;
  }
  void commandLineLanguage() {
    QFETCH(QStringList, arguments);
    QFETCH(int, language);
    const StartOptions options = ParseStartOptions(QStringList{"vornicspcomm"} + arguments);
    QCOMPARE(!options.error.isEmpty(), language == -2);
    if (language >= 0) QCOMPARE(int(options.language.value_or(LanguageChoice(-1))), language);
    if (language == -1) QVERIFY(!options.language);
    QVERIFY(StartOptionsUsage().contains("--lang <language>"));
  }

  // The settings file's key chooses English when the command line does not; no page keeps a
  // Chinese text, and what the window says later comes in English too.
  void settingShowsEveryPageInEnglish() {
    auto h = StartWith("[VornicSPCommTool_Interface]\nLanguage=en\n", {});
    TVornicSPComm& w = h->w();
    const QStringList chinese = ChineseTexts(&w);
    QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join('\n')));
    QCOMPARE(w.PageControl->tabText(0), QString("Serial Terminal"));
    QCOMPARE(w.TabSheet2->B_ReadConfiguration->text(), QString("Read settings"));
    QCOMPARE(w.TabSheet3->CB_PlotInput->itemText(1), QString("Binary frames"));
    QVERIFY(w.windowTitle().startsWith("Kestrova Serial Tool V2.2 - "));
    QCOMPARE(w.TabSheet1->StatusPanels[1]->text(), QString("Sent: 0"));
    QVERIFY2(w.minimumSizeHint().width() <= 816 && w.minimumSizeHint().height() <= 564,
             qPrintable(QString("minimum size %1x%2").arg(w.minimumSizeHint().width()).arg(w.minimumSizeHint().height())));

    w.TabSheet1->Transmitter->B_TransmitClick();  // no port is open
    QCOMPARE(h->messages.size(), size_t(1));
    QCOMPARE(h->messages[0].title, QString("Notice"));
    QCOMPARE(h->messages[0].text, QString("The port is not open yet!"));
    w.TabSheet1->B_ClearClick();
    QCOMPARE(w.TabSheet1->StatusPanels[2]->text(), QString("Received: 0"));
    w.TabSheet3->B_PlotRun->click();
    QCOMPARE(w.TabSheet3->B_PlotRun->text(), QString("Resume"));

    // The help is shown in the receive window as bytes; English is plain ASCII there.
    w.TabSheet1->B_HelpClick();
    const std::string& help = w.TabSheet1->M_ReceiverData->Content();
    QVERIFY(help.find("==================== Version history ====================\n") != std::string::npos);
    QVERIFY(help.find("V2.1: DTR and RTS control lines can be set.\n") != std::string::npos);
    QVERIFY(std::all_of(help.begin(), help.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  }

  // The command line overrides the file for one run and is not saved; the English window
  // saves exactly the file the Chinese one saves, list choices included.
  void englishSavesWhatChineseSaves() {
    QByteArray saved[2];
    const QStringList languages{"en", "zh_CN"};
    for (int run = 0; run < 2; ++run) {
      auto h = StartWith(kSettings, {"--lang", languages[run]});
      TVornicSPComm& w = h->w();
      QCOMPARE(w.PageControl->tabText(2), run == 0 ? QString("Plot") : QString::fromUtf8("波形显示"));
      QCOMPARE(w.TabSheet3->CB_PlotInput->currentIndex(), 1);
      QCOMPARE(w.TabSheet3->CB_PlotXAxis->currentIndex(), 1);
      QCOMPARE(w.TabSheet3->CB_TriggerEdge->currentIndex(), 1);
      w.TabSheet2->CB_Parity->setCurrentIndex(2);
      w.TabSheet1->B_HelpClick();
      h->Close();
      saved[run] = ReadFile(h->settingsPath());
    }
    QVERIFY(saved[0].contains("[VornicSPCommTool_Interface]\nLanguage=auto\n"));
    QCOMPARE(saved[0], saved[1]);
  }
};

QTEST_MAIN(EnglishWindowTest)
#include "english_window_test.moc"
