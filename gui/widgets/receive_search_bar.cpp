#include "gui/widgets/receive_search_bar.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "core/text/gbk_codec.h"
#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"

namespace {

QToolButton* ToolButton(QWidget* parent, const char* name, const char* text, const char* tip) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(U(text));
  button->setToolTip(WindowText::tr(tip));
  button->setAutoRaise(true);
  return button;
}

}  // namespace

ReceiveSearchBar::ReceiveSearchBar(ReceiveView& view) : QFrame(&view), view_(view) {
  setObjectName("ReceiveSearchBar");
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 2, 2);
  row->setSpacing(3);
  Pattern = new QLineEdit(this);
  Pattern->setObjectName("E_SearchPattern");
  Pattern->setPlaceholderText(WindowText::tr("查找"));
  Pattern->setMinimumWidth(150);
  HexBytes = new QCheckBox("HEX", this);
  HexBytes->setObjectName("CB_SearchHex");
  HexBytes->setToolTip(WindowText::tr("按十六进制字节查找，如 0D 0A"));
  MatchCase = new QCheckBox("Aa", this);
  MatchCase->setObjectName("CB_SearchMatchCase");
  MatchCase->setToolTip(WindowText::tr("区分大小写"));
  B_Previous = ToolButton(this, "B_SearchPrevious", "▲", QT_TRANSLATE_NOOP("WindowText", "上一个 (Shift+F3)"));
  B_Next = ToolButton(this, "B_SearchNext", "▼", QT_TRANSLATE_NOOP("WindowText", "下一个 (F3)"));
  Count = new QLabel(this);
  Count->setObjectName("L_SearchCount");
  Count->setMinimumWidth(70);
  B_Close = ToolButton(this, "B_SearchClose", "✕", QT_TRANSLATE_NOOP("WindowText", "关闭 (Esc)"));
  for (QWidget* w : std::initializer_list<QWidget*>{Pattern, HexBytes, MatchCase, B_Previous, B_Next, Count, B_Close})
    row->addWidget(w);

  connect(Pattern, &QLineEdit::textChanged, this, [this] { Search(); });
  connect(HexBytes, &QCheckBox::toggled, this, [this] { Search(); });
  connect(MatchCase, &QCheckBox::toggled, this, [this] { Search(); });
  connect(B_Next, &QToolButton::clicked, this, [this] { Next(); });
  connect(B_Previous, &QToolButton::clicked, this, [this] { Previous(); });
  connect(B_Close, &QToolButton::clicked, this, [this] { Close(); });
  Pattern->installEventFilter(this);
  view_.installEventFilter(this);
  hide();
}

void ReceiveSearchBar::Place() {
  adjustSize();
  const int scrollBar = view_.width() - view_.viewport()->width();
  move(std::max(0, view_.width() - scrollBar - width() - 2), 2);
}

void ReceiveSearchBar::Open() {
  Place();
  show();
  raise();
  Pattern->setFocus(Qt::ShortcutFocusReason);
  Pattern->selectAll();
  Search();
}

void ReceiveSearchBar::Close() {
  hide();
  view_.SetMatches({}, 0);
  view_.setFocus(Qt::OtherFocusReason);
}

void ReceiveSearchBar::Refresh() {
  if (!isHidden()) Search();
}

bool ReceiveSearchBar::eventFilter(QObject* watched, QEvent* e) {
  if (watched == &view_ && e->type() == QEvent::Resize && isVisible()) Place();
  if (watched == Pattern && e->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Escape) {
      Close();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_F3) {
      Step(!(key->modifiers() & Qt::ShiftModifier));
      return true;
    }
  }
  return QFrame::eventFilter(watched, e);
}

void ReceiveSearchBar::Search() {
  SearchQuery query;
  query.hexBytes = HexBytes->isChecked();
  query.matchCase = MatchCase->isChecked();
  const QString text = Pattern->text();
  badPattern_ = false;
  if (query.hexBytes && !text.trimmed().isEmpty()) {
    const std::optional<std::string> bytes = ParseHexSearchPattern(text.toStdString());
    badPattern_ = !bytes;
    if (bytes) query.bytes = *bytes;
  } else if (!query.hexBytes) {
    query.bytes = EncodeGbk(text.toStdString()).bytes;
  }
  const bool hexRendering = view_.Lines().Wrap() == WrapAt::Blank;
  std::vector<SearchMatch> matches = search_.FindAll(view_.Content(), query, hexRendering);
  searchedGeneration_ = view_.ContentGeneration();
  searchedSize_ = view_.Content().size();
  // The first match at or after the place the reader is at.
  const size_t from = view_.Lines().LineStart(view_.FirstVisibleLine());
  current_ = static_cast<size_t>(std::lower_bound(matches.begin(), matches.end(), from,
                                                  [](const SearchMatch& m, size_t at) { return m.begin < at; }) -
                                 matches.begin());
  if (current_ == matches.size()) current_ = 0;
  view_.SetMatches(std::move(matches), current_);
  if (!view_.Matches().empty()) view_.ShowRange(view_.Matches()[current_].begin, view_.Matches()[current_].end);
  ShowCount();
}

void ReceiveSearchBar::Step(bool forward) {
  if (view_.ContentGeneration() != searchedGeneration_ || view_.Content().size() != searchedSize_) {
    Search();
  } else if (!view_.Matches().empty()) {
    const size_t count = view_.Matches().size();
    current_ = forward ? (current_ + 1) % count : (current_ + count - 1) % count;
    view_.SetCurrentMatch(current_);
  }
  if (!view_.Matches().empty()) {
    const SearchMatch m = view_.Matches()[current_];
    view_.ShowRange(m.begin, m.end);
  }
  ShowCount();
}

void ReceiveSearchBar::ShowCount() {
  const size_t count = view_.Matches().size();
  if (badPattern_) {
    Count->setText(WindowText::tr("十六进制有误"));
  } else if (Pattern->text().isEmpty()) {
    Count->clear();
  } else if (count == 0) {
    Count->setText(WindowText::tr("无匹配"));
  } else {
    Count->setText(QString("%1/%2").arg(current_ + 1).arg(count));
  }
}
