// Layout of the ZEL configuration page: the parameter group at the left; the port list,
// model and version, the two exchange buttons and the "关于我们" group at the right.
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

#include "gui/widgets/controls.h"
#include "gui/window/main_window.h"
#include "core/text/maker.h"
#include "core/text/about_text.h"
#include "gui/module/config_page.h"
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
  auto* field = Named(new QLineEdit(U(text)), name);
  field->setMaxLength(limit);
  return field;
}

// A check box whose caption stands on the left of its box.
QCheckBox* CaptionLeftCheckBox(const char* name, const char* caption) {
  auto* box = Named(new QCheckBox(U(caption)), name);
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
    OpenMakerWebsite();
    return true;
  }
};

QWidget* BuildPackLengthChoices(TVornicSPComm& w) {
  // One parent for the six buttons: they form one exclusive group.
  auto* choices = new QWidget;
  auto* row = new QHBoxLayout(choices);
  row->setContentsMargins(0, 0, 0, 0);
  static const char* const kNames[] = {"RB_PackLength1", "RB_PackLength2", "RB_PackLength3",
                                       "RB_PackLength4", "RB_PackLength5", "RB_PackLength6"};
  for (size_t i = 0; i < w.RB_PackLength.size(); ++i) {
    w.RB_PackLength[i] = Named(new QRadioButton(QString::number(PackLengthBytes[i]), choices), kNames[i]);
    row->addWidget(w.RB_PackLength[i]);
  }
  w.RB_PackLength[4]->setChecked(true);
  row->addStretch();
  return choices;
}

void BuildParameterRows(TVornicSPComm& w) {
  auto* grid = new QGridLayout(w.GroupBox1);
  grid->setVerticalSpacing(12);
  const std::pair<const char*, QWidget*> rows[] = {
      {"射频工作频率：", w.E_RFFreq},    {"射频空中速率：", w.CB_RFBaudrate}, {"射频发射功率：", w.CB_Power},
      {"串口波特率：", w.CB_RFCOMBaudRate}, {"串口奇偶校验：", w.CB_Parity},     {"唤醒时间间隔：", w.CB_RFWakeUpTime},
      {"延时触发时间：", w.E_DelayTime},  {nullptr, w.CB_FECEnable},           {"本机地址：", w.E_LocalAddr},
      {"目标地址：", w.E_TargetAddr},     {"包长设定：", nullptr},              {nullptr, w.CB_PackComplete}};
  int row = 0;
  for (const auto& [label, control] : rows) {
    if (!label) {
      // A check box with its caption on its left: it lines up with the labels above it.
      grid->addWidget(control, row++, 0, 1, 2, Qt::AlignAbsolute | Qt::AlignLeft);
      continue;
    }
    grid->addWidget(new QLabel(U(label)), row, 0);
    if (control) grid->addWidget(control, row, 1);
    ++row;
  }
  grid->addWidget(new QLabel("MHz"), 0, 2);
  grid->addWidget(new QLabel("ms"), 6, 2);
  grid->addWidget(BuildPackLengthChoices(w), 10, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(row, 1);
}

void CreateParameterControls(TVornicSPComm& w) {
  w.GroupBox1 = Named(new QGroupBox(U("无线模块参数设置")), "GroupBox1");
  w.E_RFFreq = NumberField("E_RFFreq", "433.92", static_cast<int>(kFrequencyTextLimit));
  w.CB_RFBaudrate = CodeList("CB_RFBaudrate", RfBaudRateTexts, 0);
  w.CB_Power = CodeList("CB_Power", RfPowerTexts, 7);
  w.CB_RFCOMBaudRate = CodeList("CB_RFCOMBaudRate", SerialRateListTexts, 5);
  w.CB_Parity = CodeList("CB_Parity", SerialParityTexts, 0);
  w.CB_RFWakeUpTime = CodeList("CB_RFWakeUpTime", WakeUpTimeTexts, 5);
  w.E_DelayTime = NumberField("E_DelayTime", "5", kByteFieldLimit);
  w.CB_FECEnable = CaptionLeftCheckBox("CB_FECEnable", "纠错编码使能：");
  w.E_LocalAddr = NumberField("E_LocalAddr", "0", kByteFieldLimit);
  w.E_TargetAddr = NumberField("E_TargetAddr", "0", kByteFieldLimit);
  w.CB_PackComplete = CaptionLeftCheckBox("CB_PackComplete", "包完整模式：");
}

QWidget* BuildAboutGroup(TVornicSPComm& w) {
  auto* group = Named(new QGroupBox(U("关于我们")), "GroupBox2");
  auto* column = new QVBoxLayout(group);
  w.M_About = Named(new QPlainTextEdit, "M_About");
  w.M_About->setReadOnly(true);
  w.M_About->setTextInteractionFlags(Qt::NoTextInteraction);
  w.M_About->setFrameShape(QFrame::NoFrame);
  w.M_About->setPlainText(U(kAboutText) + "\n" + U(kMakerWebAddress));
  QFont font = w.M_About->font();
  font.setPixelSize(kAboutFontPixels);
  w.M_About->setFont(font);
  QPalette palette = w.M_About->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  w.M_About->setPalette(palette);
  w.M_About->viewport()->setCursor(Qt::PointingHandCursor);
  w.M_About->viewport()->installEventFilter(new PressOpensMakerAddress(w.M_About->viewport()));
  column->addWidget(w.M_About);
  return group;
}

QWidget* BuildModuleColumn(TVornicSPComm& w) {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* grid = new QGridLayout;
  w.CB_ZELCOMx = Named(new DropDownComboBox, "CB_ZELCOMx");
  // Device paths are long: the list shows them whole when dropped down.
  w.CB_ZELCOMx->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  w.CB_ZELCOMx->setMinimumContentsLength(16);
  w.CB_ZELCOMx->view()->setMinimumWidth(320);
  w.L_Model = Named(new QLabel, "L_Model");
  w.L_Version = Named(new QLabel, "L_Version");
  grid->addWidget(new QLabel(U("选择电脑串口：")), 0, 0);
  grid->addWidget(w.CB_ZELCOMx, 0, 1);
  grid->addWidget(new QLabel(U("无线模块型号：")), 1, 0);
  grid->addWidget(w.L_Model, 1, 1);
  grid->addWidget(new QLabel(U("无线模块版本：")), 2, 0);
  grid->addWidget(w.L_Version, 2, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  w.B_ReadConfiguration = Named(new QPushButton(U("读取配置")), "B_ReadConfiguration");
  w.B_WriteConfiguration = Named(new QPushButton(U("写入配置")), "B_WriteConfiguration");
  for (QPushButton* button : {w.B_ReadConfiguration, w.B_WriteConfiguration}) {
    button->setMinimumHeight(36);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  layout->addWidget(BuildAboutGroup(w), 1);
  return column;
}

}  // namespace

void TVornicSPComm::BuildConfigPage() {
  if (!Module) Module = std::make_unique<ModuleSettings>();
  CreateParameterControls(*this);
  BuildParameterRows(*this);
  auto* page = new QHBoxLayout(TabSheet2);
  page->setContentsMargins(8, 8, 8, 8);
  page->setSpacing(12);
  page->addWidget(GroupBox1, 5);
  page->addWidget(BuildModuleColumn(*this), 6);
  ConnectConfigPage(*this);
}

