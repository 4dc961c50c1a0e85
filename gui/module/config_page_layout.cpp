// Layout of the ZEL configuration page: the parameter group at the left; the port list,
// model and version, the two exchange buttons and the "关于我们" group at the right.
#include "gui/module/config_page.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <span>
#include <string_view>

#include "core/text/about_text.h"
#include "core/text/maker.h"
#include "gui/widgets/controls.h"
#include "gui/widgets/maker_link.h"
#include "core/module/frequency_text.h"
#include "core/module/module_protocol.h"
#include "core/module/module_settings.h"
#include "gui/widgets/ui_text.h"

namespace {

constexpr int kByteFieldLimit = 3;
constexpr int kAboutFontPixels = 21;

template <typename T>
T* Named(T* control, const char* name) {
  control->setObjectName(name);
  return control;
}

QComboBox* CodeList(const char* name, std::span<const std::string_view> texts, int selected) {
  auto* list = Named(new QComboBox, name);
  for (std::string_view text : texts) list->addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  list->setCurrentIndex(selected);
  return list;
}

QLineEdit* NumberField(const char* name, const char* text, int limit) {
  auto* field = Named(new QLineEdit(WindowText::tr(text)), name);
  field->setMaxLength(limit);
  return field;
}

// A check box whose caption stands on the left of its box.
QCheckBox* CaptionLeftCheckBox(const char* name, const char* caption) {
  auto* box = Named(new QCheckBox(WindowText::tr(caption)), name);
  box->setLayoutDirection(Qt::RightToLeft);
  box->setChecked(true);
  return box;
}

// Any mouse button pressed on the watched widget opens the maker's address.
class PressOpensMakerAddress : public QObject {
 public:
  explicit PressOpensMakerAddress(QObject* watched) : QObject(watched) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress) return false;
    OpenMakerWebAddress();
    return true;
  }
};

}  // namespace

QWidget* ConfigPage::BuildPackLengthChoices() {
  // One parent for the six buttons: they form one exclusive group.
  auto* choices = new QWidget;
  auto* row = new QHBoxLayout(choices);
  row->setContentsMargins(0, 0, 0, 0);
  static const char* const kNames[] = {"RB_PackLength1", "RB_PackLength2", "RB_PackLength3",
                                       "RB_PackLength4", "RB_PackLength5", "RB_PackLength6"};
  for (size_t i = 0; i < RB_PackLength.size(); ++i) {
    RB_PackLength[i] = Named(new QRadioButton(QString::number(PackLengthBytes[i]), choices), kNames[i]);
    row->addWidget(RB_PackLength[i]);
  }
  RB_PackLength[4]->setChecked(true);
  row->addStretch();
  return choices;
}

void ConfigPage::BuildParameterRows() {
  auto* grid = new QGridLayout(GroupBox1);
  grid->setVerticalSpacing(12);
  const std::pair<const char*, QWidget*> rows[] = {
      {QT_TRANSLATE_NOOP("WindowText", "射频工作频率："), E_RFFreq},
      {QT_TRANSLATE_NOOP("WindowText", "射频空中速率："), CB_RFBaudrate},
      {QT_TRANSLATE_NOOP("WindowText", "射频发射功率："), CB_Power},
      {QT_TRANSLATE_NOOP("WindowText", "串口波特率："), CB_RFCOMBaudRate},
      {QT_TRANSLATE_NOOP("WindowText", "串口奇偶校验："), CB_Parity},
      {QT_TRANSLATE_NOOP("WindowText", "唤醒时间间隔："), CB_RFWakeUpTime},
      {QT_TRANSLATE_NOOP("WindowText", "延时触发时间："), E_DelayTime},
      {nullptr, CB_FECEnable},
      {QT_TRANSLATE_NOOP("WindowText", "本机地址："), E_LocalAddr},
      {QT_TRANSLATE_NOOP("WindowText", "目标地址："), E_TargetAddr},
      {QT_TRANSLATE_NOOP("WindowText", "包长设定："), nullptr},
      {nullptr, CB_PackComplete}};
  int row = 0;
  for (const auto& [label, control] : rows) {
    if (!label) {
      // A check box with its caption on its left: it lines up with the labels above it.
      grid->addWidget(control, row++, 0, 1, 2, Qt::AlignAbsolute | Qt::AlignLeft);
      continue;
    }
    grid->addWidget(new QLabel(WindowText::tr(label)), row, 0);
    if (control) grid->addWidget(control, row, 1);
    ++row;
  }
  grid->addWidget(new QLabel("MHz"), 0, 2);
  grid->addWidget(new QLabel("ms"), 6, 2);
  grid->addWidget(BuildPackLengthChoices(), 10, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(row, 1);
}

void ConfigPage::CreateParameterControls() {
  GroupBox1 = Named(new QGroupBox(WindowText::tr("无线模块参数设置")), "GroupBox1");
  E_RFFreq = NumberField("E_RFFreq", "433.92", static_cast<int>(kFrequencyTextLimit));
  CB_RFBaudrate = CodeList("CB_RFBaudrate", RfBaudRateTexts, 0);
  CB_Power = CodeList("CB_Power", RfPowerTexts, 7);
  CB_RFCOMBaudRate = CodeList("CB_RFCOMBaudRate", SerialRateListTexts, 5);
  CB_Parity = CodeList("CB_Parity", SerialParityTexts, 0);
  CB_RFWakeUpTime = CodeList("CB_RFWakeUpTime", WakeUpTimeTexts, 5);
  E_DelayTime = NumberField("E_DelayTime", "5", kByteFieldLimit);
  CB_FECEnable = CaptionLeftCheckBox("CB_FECEnable", QT_TRANSLATE_NOOP("WindowText", "纠错编码使能："));
  E_LocalAddr = NumberField("E_LocalAddr", "0", kByteFieldLimit);
  E_TargetAddr = NumberField("E_TargetAddr", "0", kByteFieldLimit);
  CB_PackComplete = CaptionLeftCheckBox("CB_PackComplete", QT_TRANSLATE_NOOP("WindowText", "包完整模式："));
}

QWidget* ConfigPage::BuildAboutGroup() {
  auto* group = Named(new QGroupBox(WindowText::tr("关于我们")), "GroupBox2");
  auto* column = new QVBoxLayout(group);
  M_About = Named(new QPlainTextEdit, "M_About");
  M_About->setReadOnly(true);
  M_About->setTextInteractionFlags(Qt::NoTextInteraction);
  M_About->setFrameShape(QFrame::NoFrame);
  M_About->setPlainText(WindowText::tr(kAboutText) + "\n" + U(kMakerWebAddress));
  QFont font = M_About->font();
  font.setPixelSize(kAboutFontPixels);
  M_About->setFont(font);
  QPalette palette = M_About->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  M_About->setPalette(palette);
  M_About->viewport()->setCursor(Qt::PointingHandCursor);
  M_About->viewport()->installEventFilter(new PressOpensMakerAddress(M_About->viewport()));
  column->addWidget(M_About);
  return group;
}

QWidget* ConfigPage::BuildModuleColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* grid = new QGridLayout;
  CB_ZELCOMx = Named(new DropDownComboBox, "CB_ZELCOMx");
  // Device paths are long: the list shows them whole when dropped down.
  CB_ZELCOMx->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  CB_ZELCOMx->setMinimumContentsLength(16);
  CB_ZELCOMx->view()->setMinimumWidth(320);
  L_Model = Named(new QLabel, "L_Model");
  L_Version = Named(new QLabel, "L_Version");
  grid->addWidget(new QLabel(WindowText::tr("选择电脑串口：")), 0, 0);
  grid->addWidget(CB_ZELCOMx, 0, 1);
  grid->addWidget(new QLabel(WindowText::tr("无线模块型号：")), 1, 0);
  grid->addWidget(L_Model, 1, 1);
  grid->addWidget(new QLabel(WindowText::tr("无线模块版本：")), 2, 0);
  grid->addWidget(L_Version, 2, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  B_ReadConfiguration = Named(new QPushButton(WindowText::tr("读取配置")), "B_ReadConfiguration");
  B_WriteConfiguration = Named(new QPushButton(WindowText::tr("写入配置")), "B_WriteConfiguration");
  for (QPushButton* button : {B_ReadConfiguration, B_WriteConfiguration}) {
    button->setMinimumHeight(36);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  layout->addWidget(BuildAboutGroup(), 1);
  return column;
}

ConfigPage::ConfigPage(ModuleExchange& exchange, std::shared_ptr<PortSource> ports, QWidget* parent)
    : QWidget(parent), exchange_(exchange), ports_(std::move(ports)) {
  setObjectName("TabSheet2");
  CreateParameterControls();
  BuildParameterRows();
  auto* page = new QHBoxLayout(this);
  page->setContentsMargins(8, 8, 8, 8);
  page->setSpacing(12);
  page->addWidget(GroupBox1, 5);
  page->addWidget(BuildModuleColumn(), 6);
  ConnectHandlers();
  InstallFieldRules();
}
