#include "gui/terminal/preset_panel.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "gui/widgets/interval_field.h"
#include "core/transmit/transmit_session.h"
#include "gui/widgets/ui_text.h"

namespace {

// Geometry of the panel, in pixels.
constexpr int kRowTop = 24;
constexpr int kRowPitch = 16;
constexpr int kRowHeight = 17;
constexpr int kCheckBoxX = 0, kCheckBoxWidth = 17;
constexpr int kEditX = 16, kEditWidth = 169;
constexpr int kButtonX = 182, kButtonWidth = 35;
constexpr int kFootHeight = 23;

QString Numbered(const char* family, int row) { return QString::fromLatin1(family) + QString::number(row); }

// A caption centred over its column; one wider than its column ("HEX" over the 17-pixel
// check boxes) starts at the column's left edge and takes the room its text needs.
void AddHeader(QWidget* rows, const char* caption, int x, int width) {
  auto* label = new QLabel(WindowText::tr(caption), rows);
  const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 1;
  if (needed <= width) {
    label->setGeometry(x, 4, width, 16);
    label->setAlignment(Qt::AlignCenter);
  } else {
    label->setGeometry(x, 4, needed, 16);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
}

// Keeps the rows above the foot strip and the strip along the panel's bottom; rows that do
// not fit are cut off by their area (the panel does not scroll).
class PanelLayout : public QObject {
 public:
  PanelLayout(QWidget* panel, QWidget* rows, QWidget* foot) : QObject(panel), rows_(rows), foot_(foot) {
    panel->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) Place(static_cast<QWidget*>(watched));
    return false;
  }

  void Place(QWidget* panel) {
    const int width = panel->width();
    const int rowsHeight = std::max(0, panel->height() - kFootHeight);
    rows_->setGeometry(0, 0, width, rowsHeight);
    foot_->setGeometry(0, rowsHeight, width, kFootHeight);
  }

 private:
  QWidget* rows_;
  QWidget* foot_;
};

}  // namespace

PresetPanel::PresetPanel(TransmitSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("P_Expand");
  setFixedWidth(223);
  hide();
  // The page places the button in its port row; until then it lives beside the panel.
  B_Expand = new QPushButton(WindowText::tr("扩展"), parent);
  B_Expand->setObjectName("B_Expand");

  auto* rows = new QWidget(this);
  rows->setObjectName("PresetRows");
  auto* foot = new QWidget(this);
  foot->setObjectName("PresetCycle");
  BuildRows(rows);
  BuildCycleStrip(foot);
  (new PanelLayout(this, rows, foot))->Place(this);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(session_.Cycle().interval);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(B_Expand, &QPushButton::clicked, this, [this] { B_ExpandClick(); });
  connect(CB_SendAutoCycle, &QCheckBox::toggled, this, [this] { CB_SendAutoCycleClick(); });
  SetUpIntervalField(E_ExpandTime, [this] { E_ExpandTimeExit(); });
}

void PresetPanel::BuildRows(QWidget* rows) {
  AddHeader(rows, "HEX", kCheckBoxX, kEditX);
  AddHeader(rows, QT_TRANSLATE_NOOP("WindowText", "字符串"), kEditX, kEditWidth);
  AddHeader(rows, QT_TRANSLATE_NOOP("WindowText", "发送"), kButtonX, kButtonWidth);
  for (int n = 1; n <= 32; ++n) {
    const int y = kRowTop + kRowPitch * (n - 1);
    auto* box = new QCheckBox(rows);
    box->setObjectName(Numbered("CheckBox", n));
    box->setGeometry(kCheckBoxX, y, kCheckBoxWidth, kRowHeight);
    auto* edit = new QLineEdit(rows);
    edit->setObjectName(Numbered("Edit", n));
    edit->setGeometry(kEditX, y, kEditWidth, kRowHeight);
    edit->setMaxLength(std::numeric_limits<int>::max());
    auto* button = new QPushButton(QString::number(n), rows);
    button->setObjectName(Numbered("Button", n));
    button->setGeometry(kButtonX, y, kButtonWidth, kRowHeight);
    connect(button, &QPushButton::clicked, this, [this, n] { PresetButtonClick(n); });
    CheckBoxes[n - 1] = box;
    Edits[n - 1] = edit;
    Buttons[n - 1] = button;
  }
  Edits[0]->setText(QStringLiteral("12 00 FF 88"));
  CheckBoxes[0]->setChecked(true);
  Edits[1]->setText(QStringLiteral("output string"));
}

void PresetPanel::BuildCycleStrip(QWidget* foot) {
  auto* row = new QHBoxLayout(foot);
  row->setContentsMargins(0, 2, 0, 2);
  row->setSpacing(2);
  CB_SendAutoCycle = new QCheckBox(WindowText::tr("自动循环发送，间隔："), foot);
  CB_SendAutoCycle->setObjectName("CB_SendAutoCycle");
  E_ExpandTime = new QLineEdit(QStringLiteral("1000"), foot);
  E_ExpandTime->setObjectName("E_ExpandTime");
  row->addWidget(CB_SendAutoCycle);
  row->addWidget(E_ExpandTime, 1);
  row->addWidget(new QLabel(QStringLiteral("ms"), foot));
}

QAbstractButton* PresetPanel::RowButtonOf(const QWidget* focus) const {
  for (size_t n = 0; n < Buttons.size(); ++n) {
    if (focus == Edits[n] || focus == CheckBoxes[n]) return Buttons[n];
  }
  return nullptr;
}

Preset PresetPanel::PresetAt(int row) const {
  return Preset{Edits[row - 1]->text().toStdString(), CheckBoxes[row - 1]->isChecked()};
}

void PresetPanel::SendPreset(const QString& text, bool hex) { session_.SendPreset(Preset{text.toStdString(), hex}); }

void PresetPanel::PresetButtonClick(int row) { session_.SendPreset(PresetAt(row)); }

void PresetPanel::B_ExpandClick() {
  ExpandShown = !ExpandShown;
  setVisible(ExpandShown);
  B_Expand->setText(ExpandShown ? WindowText::tr("隐藏") : WindowText::tr("扩展"));
}

void PresetPanel::CB_SendAutoCycleClick() {
  const bool on = CB_SendAutoCycle->isChecked();
  const std::optional<int32_t> period = on ? ParseInterval(E_ExpandTime->text()) : std::nullopt;
  const bool accepted = session_.SwitchCycle(on, period);
  E_ExpandTime->setEnabled(!on);
  emit CycleSwitched();
  if (!accepted) ShowIntervalRefused(window(), E_ExpandTime);
  FollowTimerState(Timer1, session_.Cycle());
}

void PresetPanel::Timer1Timer() {
  session_.CycleTick([this](int row) { return PresetAt(row); });
}

void PresetPanel::E_ExpandTimeExit() { RejectEmptyField(window(), E_ExpandTime); }
