// Content, layout, scrolling and selection of the receive window.
#include "gui/widgets/receive_view.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gui/widgets/receive_view_accessible.h"

namespace {

constexpr int kFontPixels = 12;
const char* const kPreferredFamily = "Noto Sans Mono CJK SC";
constexpr int kStreamRepaintMs = 33;
constexpr int kStreamScrollBarMs = 100;

size_t CommonPrefixLength(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  constexpr size_t kBlock = 4096;
  size_t i = 0;
  while (i + kBlock <= n && std::memcmp(a.data() + i, b.data() + i, kBlock) == 0) i += kBlock;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

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
  streamRepaintTimer_.setInterval(kStreamRepaintMs);
  connect(&streamRepaintTimer_, &QTimer::timeout, this, [this] {
    if (streamDirtyLine_ == kNoLine) {
      streamRepaintTimer_.stop();
      SyncScrollBar();  // the stream paused: the bar shows where it ended
    } else {
      FlushStreamRepaint();
    }
  });
  tailIdleTimer_.setSingleShot(true);
  tailIdleTimer_.setInterval(kTailIdleMs);
  connect(&tailIdleTimer_, &QTimer::timeout, this, &ReceiveView::SettleTail);
  ChooseFont();
  lines_.Rebuild(content_, ColumnsForWidth());
  SyncScrollBar();
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

// Cells are whole pixels wide, so that lines compose from cell images without seams.
void ReceiveView::MeasureFont() {
  const QFontMetricsF metrics(font());
  cellWidth_ = std::max<qreal>(1, std::round(metrics.horizontalAdvance(QLatin1Char('M'))));
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.height())));
  ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
  ResetCells();
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
  lines_.UnsettleTail();  // a lead byte shown on its own may get its trail now
  streamDirtyLine_ = std::min(streamDirtyLine_, lines_.LineCount() - 1);  // the last line grows
  content_.append(bytes, count);
  lines_.Extend(content_);
  WatchTail();
  ShowStreamChange();
}

void ReceiveView::SettleTail() {
  const size_t lastLine = lines_.LineCount() - 1;
  if (!lines_.SettleTail(content_)) return;
  streamDirtyLine_ = std::min(streamDirtyLine_, lastLine);
  ShowStreamChange();
}

// Each new byte restarts the wait of a lead byte at the end; no lead byte, no wait.
void ReceiveView::WatchTail() {
  if (lines_.TailWaits()) {
    tailIdleTimer_.start();
  } else {
    tailIdleTimer_.stop();
  }
}

void ReceiveView::ShowStreamChange() {
  if (FollowsEnd()) firstLine_ = LastFirstLine();
  if (streamRepaintTimer_.isActive()) return;
  FlushStreamRepaint();
  streamRepaintTimer_.start();
}

// A stream repaints (and moves the scroll bar) at most once a tick: the first change after
// a pause shows at once, later ones wait for the next tick. What is already painted moves up
// by a blit; only the lines that changed or came into sight are painted.
void ReceiveView::FlushStreamRepaint() {
  const size_t dirtyLine = streamDirtyLine_;
  streamDirtyLine_ = kNoLine;
  // The scroll bar repaints itself whenever it moves: a few times a second is enough.
  if (!scrollBarSynced_.isValid() || scrollBarSynced_.elapsed() >= kStreamScrollBarMs) SyncScrollBar();
  const int height = viewport()->height();
  const int width = viewport()->width();
  if (firstLine_ != shownFirstLine_) {
    const size_t moved = firstLine_ - shownFirstLine_;
    if (firstLine_ > shownFirstLine_ && moved < VisibleLineCount()) {
      const int dy = static_cast<int>(moved) * lineHeight_;
      viewport()->scroll(0, -dy, QRect(0, kReceiveViewMargin, width, height - kReceiveViewMargin));
      shownFirstLine_ = firstLine_;
    } else {
      RepaintAll();
    }
  }
  if (dirtyLine != kNoLine) {
    const int top = dirtyLine <= firstLine_ ? 0 : kReceiveViewMargin + static_cast<int>(dirtyLine - firstLine_) * lineHeight_;
    if (top < height) viewport()->update(0, top, width, height - top);
  }
  ContentChanged();  // a screen reader hears of a stream once a tick, too
}

void ReceiveView::RepaintAll() {
  shownFirstLine_ = firstLine_;
  viewport()->update();
}

void ReceiveView::SetContent(std::string_view bytes, WrapAt wrap) {
  const size_t unchanged = CommonPrefixLength(content_, bytes);
  const size_t columns = ColumnsForWidth();
  if (bytes.empty()) {
    content_.clear();  // keeps the capacity for the next stream
  } else {
    content_.assign(bytes.data(), bytes.size());
  }
  anchor_ = cursor_ = 0;
  matches_.clear();
  ++generation_;
  if (columns == lines_.Columns() && wrap == lines_.Wrap()) {
    lines_.Replace(content_, unchanged);
  } else {
    lines_.Rebuild(content_, columns, wrap);
  }
  WatchTail();
  ShowLine(0);
  followEnd_ = true;
  ContentChanged();
}

void ReceiveView::Clear() { SetContent({}); }

// Fresh memory is mapped page by page as it is first written, each page a fault that costs
// microseconds; a burst filling a new window would take thousands of them in its appends.
// Writing the whole room once here takes them all at one go, before any data comes.
void ReceiveView::Reserve(size_t bytes) {
  if (content_.capacity() >= bytes) return;
  const size_t size = content_.size();
  content_.resize(bytes);
  content_.resize(size);
}

// SetContent's results, but the lines before the change keep their layout and the picture
// is brought up to date like a stream's: at most once a tick, only from the changed line on.
void ReceiveView::ReplaceTail(size_t cut, std::string_view bytes) {
  const size_t keep = content_.size() - std::min(cut, content_.size());
  const size_t changedLine = lines_.LineOf(keep > 0 ? keep - 1 : 0);
  content_.resize(keep);
  content_.append(bytes.data(), bytes.size());
  if (HasSelection() || !matches_.empty()) RepaintAll();
  anchor_ = cursor_ = 0;
  matches_.clear();
  ++generation_;
  lines_.Replace(content_, keep);
  WatchTail();
  followEnd_ = true;
  streamDirtyLine_ = std::min(streamDirtyLine_, std::min(changedLine, lines_.LineCount() - 1));
  ShowStreamChange();
}

void ReceiveView::DropHead(size_t count) {
  count = std::min(count, content_.size());
  if (count == 0) return;
  const bool follow = FollowsEnd();
  const size_t firstByte = lines_.LineStart(firstLine_);
  const bool cutAfterCarriageReturn = content_[count - 1] == '\r';
  content_.erase(0, count);
  lines_.DropHead(content_, count, cutAfterCarriageReturn);
  anchor_ = anchor_ > count ? anchor_ - count : 0;
  cursor_ = cursor_ > count ? cursor_ - count : 0;
  const auto cut = std::find_if(matches_.begin(), matches_.end(), [count](const SearchMatch& m) { return m.begin >= count; });
  currentMatch_ -= std::min<size_t>(currentMatch_, static_cast<size_t>(cut - matches_.begin()));
  matches_.erase(matches_.begin(), cut);
  for (SearchMatch& m : matches_) m = {m.begin - count, m.end - count};
  ++generation_;
  ShowLine(follow ? LastFirstLine() : firstByte > count ? lines_.LineOf(firstByte - count) : 0);
  ContentChanged();
}

void ReceiveView::ContentChanged() {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
  QAccessible::updateAccessibility(&event);
}

// ---- layout and scrolling ----
// The first line in sight is kept here, not in the scroll bar: a stream moves it on every
// append, the scroll bar follows once a tick (moving it costs a repaint of its own).

void ReceiveView::Relayout() {
  const bool follow = IsAtBottom();
  const size_t firstByte = lines_.LineStart(firstLine_);
  const size_t columns = ColumnsForWidth();
  if (columns != lines_.Columns()) LayOutAgain(columns);
  ShowLine(follow ? LastFirstLine() : lines_.LineOf(firstByte));
}

// The same content at another width: a lead byte already shown on its own stays shown.
void ReceiveView::LayOutAgain(size_t columns) {
  const bool settled = lines_.TailSettled();
  lines_.Rebuild(content_, columns);
  if (settled) lines_.SettleTail(content_);
}

void ReceiveView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  Relayout();
}

void ReceiveView::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::FontChange) {
    MeasureFont();
    LayOutAgain(ColumnsForWidth());
    Relayout();
  } else if (e->type() == QEvent::PaletteChange) {
    ResetCells();
    RepaintAll();
  }
}

size_t ReceiveView::LastFirstLine() const {
  const size_t rows = VisibleLineCount();
  return lines_.LineCount() > rows ? lines_.LineCount() - rows : 0;
}

void ReceiveView::SyncScrollBar() {
  scrollBarSynced_.start();
  QScrollBar* bar = verticalScrollBar();
  syncingScrollBar_ = true;
  bar->setRange(0, static_cast<int>(LastFirstLine()));
  bar->setPageStep(static_cast<int>(VisibleLineCount()));
  bar->setSingleStep(1);
  bar->setValue(static_cast<int>(firstLine_));
  syncingScrollBar_ = false;
}

// The user moved the scroll bar (by dragging, the wheel or a key). During a stream the bar
// may be a tick behind: its end still means "follow the stream".
void ReceiveView::scrollContentsBy(int, int) {
  if (syncingScrollBar_) return;
  const QScrollBar* bar = verticalScrollBar();
  followEnd_ = bar->value() >= bar->maximum();
  firstLine_ = followEnd_ ? LastFirstLine() : std::min<size_t>(static_cast<size_t>(bar->value()), LastFirstLine());
  RepaintAll();
}

void ReceiveView::ScrollToLine(size_t line) {
  ShowLine(line);
  followEnd_ = IsAtBottom();
}

// Moves the view without touching whether it follows the stream.
void ReceiveView::ShowLine(size_t line) {
  firstLine_ = std::min(line, LastFirstLine());
  SyncScrollBar();
  RepaintAll();
}

void ReceiveView::SetMatches(std::vector<SearchMatch> matches, size_t current) {
  matches_ = std::move(matches);
  currentMatch_ = current;
  RepaintAll();
}

void ReceiveView::SetCurrentMatch(size_t current) {
  currentMatch_ = current;
  RepaintAll();
}

void ReceiveView::ShowRange(size_t begin, size_t end) {
  begin = std::min(begin, content_.size());
  end = std::min(end, content_.size());
  const size_t line = lines_.LineOf(begin);
  const size_t rows = VisibleLineCount();
  if (line < firstLine_ || line >= firstLine_ + rows) ScrollToLine(line > rows / 2 ? line - rows / 2 : 0);
  SetSelection(begin, end);
}

bool ReceiveView::IsAtBottom() const { return firstLine_ >= LastFirstLine(); }
void ReceiveView::ScrollToBottom() { ScrollToLine(LastFirstLine()); }
size_t ReceiveView::FirstVisibleLine() const { return firstLine_; }
size_t ReceiveView::VisibleLineCount() const {
  return static_cast<size_t>(std::max(1, (viewport()->height() - kReceiveViewMargin) / lineHeight_));
}

