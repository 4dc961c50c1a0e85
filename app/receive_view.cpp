// Content, layout, scrolling and selection of the receive window.
#include "app/receive_view.h"

#include <QAccessible>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "app/receive_view_accessible.h"
#include "app/receive_view_charmap.h"

namespace {

constexpr int kFontPixels = 12;
const char* const kPreferredFamily = "Noto Sans Mono CJK SC";

}  // namespace

ReceiveView::ReceiveView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("M_ReceiverData"));
  InstallReceiveViewAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(Qt::IBeamCursor);
  ChooseFont();
  lines_.Rebuild(content_, ColumnsForWidth());
  UpdateScrollRange();
}

ReceiveView::~ReceiveView() = default;

// A CJK monospace font keeps a GBK pair exactly two cells wide; without one, the system's
// fixed font still keeps ASCII on the grid (wider characters are then centred in their cells).
void ReceiveView::ChooseFont() {
  QFont preferred(QString::fromLatin1(kPreferredFamily));
  preferred.setPixelSize(kFontPixels);
  preferred.setStyleHint(QFont::Monospace);
  if (QFontInfo(preferred).family().compare(QString::fromLatin1(kPreferredFamily), Qt::CaseInsensitive) == 0) {
    setFont(preferred);
  } else {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(kFontPixels);
    setFont(fixed);
  }
  MeasureFont();
}

void ReceiveView::MeasureFont() {
  const QFontMetricsF metrics(font());
  cellWidth_ = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('M')));
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.height())));
  ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
  wideCharsAligned_ = std::abs(metrics.horizontalAdvance(QChar(0x4E2D)) - 2 * cellWidth_) < 0.01;
}

size_t ReceiveView::ColumnsForWidth() const {
  const qreal usable = viewport()->width() - 2 * kReceiveViewMargin;
  return std::max<size_t>(1, static_cast<size_t>(std::max<qreal>(0, usable) / cellWidth_));
}

QSize ReceiveView::sizeHint() const {
  return {static_cast<int>(80 * cellWidth_) + 2 * kReceiveViewMargin + verticalScrollBar()->sizeHint().width(),
          20 * lineHeight_};
}

// ---- content ----

void ReceiveView::Append(const char* bytes, size_t count) {
  if (bytes == nullptr || count == 0) return;
  const bool follow = IsAtBottom();
  const size_t lastLineBefore = lines_.LineCount() - 1;
  content_.append(bytes, count);
  lines_.Extend(content_);
  UpdateScrollRange();
  if (follow) ScrollToBottom();
  RepaintFromLine(lastLineBefore);
  ContentChanged();
}

void ReceiveView::SetContent(std::string bytes) {
  content_ = std::move(bytes);
  anchor_ = cursor_ = 0;
  lines_.Rebuild(content_, ColumnsForWidth());
  UpdateScrollRange();
  ScrollToLine(0);
  viewport()->update();
  ContentChanged();
}

void ReceiveView::Clear() {
  content_.clear();  // keeps its capacity for the next stream
  anchor_ = cursor_ = 0;
  lines_.Rebuild(content_, ColumnsForWidth());
  UpdateScrollRange();
  ScrollToLine(0);
  viewport()->update();
  ContentChanged();
}

void ReceiveView::DropHead(size_t count) {
  count = std::min(count, content_.size());
  if (count == 0) return;
  const bool follow = IsAtBottom();
  const size_t firstByte = lines_.LineStart(FirstVisibleLine());
  const bool cutAfterCarriageReturn = content_[count - 1] == '\r';
  content_.erase(0, count);
  lines_.DropHead(content_, count, cutAfterCarriageReturn);
  anchor_ = anchor_ > count ? anchor_ - count : 0;
  cursor_ = cursor_ > count ? cursor_ - count : 0;
  UpdateScrollRange();
  if (follow) {
    ScrollToBottom();
  } else {
    ScrollToLine(firstByte > count ? lines_.LineOf(firstByte - count) : 0);
  }
  viewport()->update();
  ContentChanged();
}

void ReceiveView::ContentChanged() {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
  QAccessible::updateAccessibility(&event);
}

// ---- layout and scrolling ----

void ReceiveView::Relayout() {
  const size_t columns = ColumnsForWidth();
  const bool follow = IsAtBottom();
  if (columns != lines_.Columns()) {
    const size_t firstByte = lines_.LineStart(FirstVisibleLine());
    lines_.Rebuild(content_, columns);
    UpdateScrollRange();
    ScrollToLine(lines_.LineOf(firstByte));
  } else {
    UpdateScrollRange();
  }
  if (follow) ScrollToBottom();
  viewport()->update();
}

void ReceiveView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  Relayout();
}

void ReceiveView::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::FontChange) {
    MeasureFont();
    lines_.Rebuild(content_, ColumnsForWidth());
    Relayout();
  }
}

void ReceiveView::UpdateScrollRange() {
  const size_t rows = VisibleLineCount();
  const size_t count = lines_.LineCount();
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, static_cast<int>(count > rows ? count - rows : 0));
  bar->setPageStep(static_cast<int>(rows));
  bar->setSingleStep(1);
}

void ReceiveView::scrollContentsBy(int, int) { viewport()->update(); }

void ReceiveView::RepaintFromLine(size_t line) {
  const size_t first = FirstVisibleLine();
  const int top = line <= first ? 0 : kReceiveViewMargin + static_cast<int>(line - first) * lineHeight_;
  if (top < viewport()->height()) viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
}

bool ReceiveView::IsAtBottom() const { return verticalScrollBar()->value() >= verticalScrollBar()->maximum(); }
void ReceiveView::ScrollToBottom() { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); }
void ReceiveView::ScrollToLine(size_t line) {
  verticalScrollBar()->setValue(static_cast<int>(std::min<size_t>(line, verticalScrollBar()->maximum())));
}
size_t ReceiveView::FirstVisibleLine() const { return static_cast<size_t>(verticalScrollBar()->value()); }
size_t ReceiveView::VisibleLineCount() const {
  return static_cast<size_t>(std::max(1, (viewport()->height() - kReceiveViewMargin) / lineHeight_));
}

// ---- positions ----

size_t ReceiveView::OffsetAt(QPoint point) const {
  if (point.y() < kReceiveViewMargin && FirstVisibleLine() == 0) return 0;
  const long row = static_cast<long>(std::floor(static_cast<double>(point.y() - kReceiveViewMargin) / lineHeight_));
  const long line = static_cast<long>(FirstVisibleLine()) + row;
  if (line < 0) return 0;
  if (static_cast<size_t>(line) >= lines_.LineCount()) return content_.size();
  const double cells = (point.x() - kReceiveViewMargin) / cellWidth_;
  LineCells walk(content_, lines_.LineStart(line), lines_.LineEnd(line), lines_.Columns());
  while (walk.Next()) {
    const bool lineEnd = walk.Kind() == CellKind::LineEnd || walk.Kind() == CellKind::JoinedLineEnd;
    if (lineEnd || cells < walk.Column() + walk.Width() / 2.0) return walk.Offset();
  }
  return lines_.LineEnd(line);
}

QRect ReceiveView::CharacterRect(size_t offset) const {
  const size_t line = lines_.LineOf(offset);
  const size_t first = FirstVisibleLine();
  if (line < first || line > first + VisibleLineCount()) return {};
  const int top = kReceiveViewMargin + static_cast<int>(line - first) * lineHeight_;
  return LineCellsRect(line, top, offset, offset + 1);
}

// The rectangle over the cells of the characters of `line` that start in [begin, end).
QRect ReceiveView::LineCellsRect(size_t line, int top, size_t begin, size_t end) const {
  LineCells walk(content_, lines_.LineStart(line), lines_.LineEnd(line), lines_.Columns());
  size_t from = 0;
  size_t to = 0;
  bool any = false;
  while (walk.Next()) {
    if (walk.Offset() < begin || walk.Offset() >= end) continue;
    if (!any) from = walk.Column();
    any = true;
    to = walk.Column() + std::max<size_t>(walk.Width(), 1);  // a selected line end shows as a cell
  }
  if (!any) return {};
  const int left = kReceiveViewMargin + static_cast<int>(std::floor(from * cellWidth_));
  const int right = kReceiveViewMargin + static_cast<int>(std::ceil(to * cellWidth_));
  return {left, top, right - left, lineHeight_};
}

size_t ReceiveView::CharBoundaryAtOrBefore(size_t offset) const {
  offset = std::min(offset, content_.size());
  size_t pos = lines_.LineStart(lines_.LineOf(offset));
  while (pos < offset) {
    const CellChar c = CellCharAt(content_, pos);
    if (c.length == 0 || pos + c.length > offset) break;
    pos += c.length;
  }
  return pos;
}

// ---- selection and text ----

void ReceiveView::SetSelection(size_t anchor, size_t position) {
  anchor_ = CharBoundaryAtOrBefore(anchor);
  cursor_ = CharBoundaryAtOrBefore(position);
  viewport()->update();
}

void ReceiveView::SelectAll() {
  anchor_ = 0;
  cursor_ = content_.size();
  viewport()->update();
}

size_t ReceiveView::SelectionStart() const { return std::min(anchor_, cursor_); }
size_t ReceiveView::SelectionEnd() const { return std::max(anchor_, cursor_); }
QString ReceiveView::SelectedText() const { return TextOfRange(SelectionStart(), SelectionEnd()); }

void ReceiveView::CopySelection() const {
  if (HasSelection()) QGuiApplication::clipboard()->setText(SelectedText());
}

QString ReceiveView::TextOfRange(size_t begin, size_t end) const {
  end = std::min(end, content_.size());
  QString text;
  if (begin >= end) return text;
  text.reserve(static_cast<qsizetype>(end - begin));
  for (size_t pos = CharBoundaryAtOrBefore(begin); pos < end;) {
    const CellChar c = CellCharAt(content_, pos);
    if (c.length == 0) break;
    if (c.kind == CellKind::LineEnd) {
      text += QLatin1Char('\n');
    } else if (c.kind != CellKind::JoinedLineEnd && content_[pos] != '\0') {
      text += QChar(CellCharCode(content_, pos, c));
    }
    pos += c.length;
  }
  return text;
}

ReceiveViewVisibleText ReceiveView::VisibleText() const {
  ReceiveViewVisibleText visible;
  const size_t first = FirstVisibleLine();
  const size_t last = std::min(lines_.LineCount(), first + VisibleLineCount());
  const auto add = [&](QChar c, size_t offset) {
    visible.text += c;
    visible.offsets.push_back(offset);
  };
  for (size_t line = first; line < last; ++line) {
    bool endedByLineEnd = false;
    LineCells walk(content_, lines_.LineStart(line), lines_.LineEnd(line), lines_.Columns());
    while (walk.Next()) {
      endedByLineEnd = walk.Kind() == CellKind::LineEnd;
      if (endedByLineEnd) {
        add(QLatin1Char('\n'), walk.Offset());
      } else if (walk.Kind() != CellKind::JoinedLineEnd && content_[walk.Offset()] != '\0') {
        add(QChar(CellCharCode(content_, walk.Offset(), {walk.Length(), walk.Kind()})), walk.Offset());
      }
    }
    // A wrapped line is still a line of its own for a reader; its break has no byte.
    if (!endedByLineEnd && line + 1 < last) add(QLatin1Char('\n'), lines_.LineEnd(line));
  }
  visible.offsets.push_back(last > first ? lines_.LineEnd(last - 1) : content_.size());
  return visible;
}
