#pragma once
// The receive window: a read-only, wrapping, fixed-pitch view of raw GBK bytes, built to take
// a continuous stream. Stock text widgets lay out a whole paragraph again on every append,
// which for the hex rendering (one line of up to three million characters) costs minutes;
// this view keeps the bytes as they are, an incremental index of wrapped line starts, and
// paints and decodes only the lines in sight. An append costs time in proportion to the new
// bytes; a new width or new content lays everything out again once.
//
// Layout: one cell per single-byte character, two per GBK pair; see receive_view_layout.h
// for line ends, tabs, control bytes (painted as small boxes) and bytes that are not GBK
// (painted as U+FFFD). A pair split across two appends shows once its trail byte arrives; a
// lead byte that ends the stream shows as U+FFFD once nothing more has come for a while
// (kTailIdleMs), and becomes the whole character if its trail comes later. Lines wrap
// anywhere, or at blanks (SetContent's WrapAt) so that hex pairs stay whole.
//
// Scrolling: every append brings the end into view (like a terminal), unless the reader
// scrolled away from the end by hand or made a selection: then the view stays where it is
// until he scrolls back to the end (or drops the selection while the end is still in view).
// SetContent and Clear show the top; the next append brings the end into view again.
//
// Painting: a stream repaints at most about 30 times a second (the first append after a
// pause shows at once), moves what is already painted up by a blit and paints only the lines
// that changed; lines are composed from pre-rendered character cells (receive_view_cells.h).
//
// Selection: with the mouse (press and drag), Ctrl+A / "全选" and programmatically; Ctrl+C,
// Ctrl+Insert and the context menu's "复制" copy it as Unicode text ("\r\n" and a lone '\r'
// become '\n'; NULs are left out). The owner may add entries of its own to the context menu.
//
// Search matches: ranges of content bytes painted in a marker colour (the current one
// stronger); a new content or a cut head takes them along.
//
// Keys: the window sends keys typed here on the port; the view reports them and never sends
// anything itself. Each key press goes first to KeyDown; if that returns true the key is
// swallowed and the view does nothing else with it (so arrow keys sent on the port do not
// scroll). Otherwise the view carries out its own keys (copy, select all, Page Up/Down,
// Ctrl+Home/End and the arrow keys scroll) and then reports the characters the key typed to
// TextTyped: printable text, Enter as "\r", Tab as "\t", Backspace as "\b", Escape as "\x1b",
// Ctrl+A to Ctrl+Z as 0x01 to 0x1A (so Ctrl+C both copies and types 0x03, as the classic
// control does). Input-method commits are reported to TextTyped as well. Tab and Enter never
// move the focus.
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gui/widgets/receive_view_cells.h"
#include "core/receive/receive_search.h"
#include "core/receive/receive_view_layout.h"

class QMenu;

// Blank border around the text, in pixels.
inline constexpr int kReceiveViewMargin = 2;
// How long a lead byte at the end waits for its trail before it is shown on its own, in ms.
inline constexpr int kTailIdleMs = 100;

struct ReceiveViewKeyHooks {
  std::function<bool(int qtKey, Qt::KeyboardModifiers modifiers)> KeyDown;  // true: swallow
  std::function<void(const QString& text)> TextTyped;
};

// The characters of the lines in sight, with the content offset of each UTF-16 unit (one
// more entry than units: the end). Lines are separated by '\n'.
struct ReceiveViewVisibleText {
  QString text;
  std::vector<size_t> offsets;
};

class QMenu;

class ReceiveView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit ReceiveView(QWidget* parent = nullptr);
  ~ReceiveView() override;

  // ---- content (raw GBK bytes) ----
  void Append(const char* bytes, size_t count);
  void Append(std::string_view bytes) { Append(bytes.data(), bytes.size()); }
  // Replaces everything. Lays out again only from the first byte that differs, so a re-set
  // from a buffer that mostly agrees with the window (a backspace) is cheap.
  void SetContent(std::string_view bytes) { SetContent(bytes, lines_.Wrap()); }
  // The same with a new wrap rule (then everything is laid out again).
  void SetContent(std::string_view bytes, WrapAt wrap);
  void Clear();
  // The same as SetContent with the content's last `cut` bytes replaced by `bytes` (the
  // selection and the matches go, and the end comes into view), at the cost of the change
  // alone: the window follows a text whose end a backspace removed.
  void ReplaceTail(size_t cut, std::string_view bytes);
  // Room for `bytes` of content, so that a growing stream does not copy it again and again;
  // the room is taken into use at once (see the definition).
  void Reserve(size_t bytes);
  // Removes the first `count` bytes (to follow the receive store when it drops its oldest
  // data); the lines in sight stay in sight.
  void DropHead(size_t count);
  const std::string& Content() const { return content_; }

  // No byte has come for a while: a lead byte left waiting at the end is shown on its own.
  // The idle timer calls this; tests may call it instead of waiting.
  void SettleTail();
  void SetTailIdleInterval(int ms) { tailIdleTimer_.setInterval(ms); }

  // ---- scrolling ----
  // As the reader scrolls: to the end follows the stream again, anywhere else stops it.
  void ScrollToBottom();
  void ScrollToLine(size_t line);
  bool IsAtBottom() const;
  // Whether the next append brings the end into view.
  bool FollowsEnd() const { return followEnd_; }
  size_t FirstVisibleLine() const;
  size_t VisibleLineCount() const;

  // ---- layout ----
  size_t Columns() const { return lines_.Columns(); }
  const WrappedLines& Lines() const { return lines_; }
  qreal CellWidth() const { return cellWidth_; }
  int LineHeight() const { return lineHeight_; }
  // Content offset of the character boundary nearest to a viewport point.
  size_t OffsetAt(QPoint viewportPoint) const;
  // The cells of the character at `offset`, in viewport coordinates (empty if not in sight).
  QRect CharacterRect(size_t offset) const;
  ReceiveViewVisibleText VisibleText() const;

  // ---- selection (content offsets) ----
  void SetSelection(size_t anchor, size_t position);
  void SelectAll();
  void ClearSelection() { SetSelection(0, 0); }
  size_t SelectionStart() const;
  size_t SelectionEnd() const;
  size_t CursorPosition() const { return cursor_; }
  bool HasSelection() const { return anchor_ != cursor_; }
  QString SelectedText() const;
  void CopySelection() const;
  // The Unicode text of the characters that start in [begin, end).
  QString TextOfRange(size_t begin, size_t end) const;

  // How often a stream repaints, in ms (about 30 times a second by default).
  void SetStreamRepaintInterval(int ms) { streamRepaintTimer_.setInterval(ms); }

  // ---- search matches ----
  void SetMatches(std::vector<SearchMatch> matches, size_t current);
  const std::vector<SearchMatch>& Matches() const { return matches_; }
  void SetCurrentMatch(size_t current);
  // Selects the range and brings it into view.
  void ShowRange(size_t begin, size_t end);
  // Changes whenever the content changes other than by an append (set, cleared, head cut).
  uint64_t ContentGeneration() const { return generation_; }

  // ---- keys ----
  void SetKeyHooks(ReceiveViewKeyHooks hooks) { hooks_ = std::move(hooks); }
  const ReceiveViewKeyHooks& KeyHooks() const { return hooks_; }

  QSize sizeHint() const override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 signals:
  // The context menu is about to show: its owner may add entries of its own (direct
  // connections only: the menu lives while it shows).
  void MenuOpening(QMenu* menu);

 protected:
  bool event(QEvent* e) override;
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void ChooseFont();
  void MeasureFont();
  size_t ColumnsForWidth() const;
  void Relayout();
  void LayOutAgain(size_t columns);
  size_t LastFirstLine() const;
  void SyncScrollBar();
  void ShowLine(size_t line);
  void ShowStreamChange();
  void WatchTail();
  void SelectionChanged();
  void ContentChanged();
  void HandleOwnKey(QKeyEvent* e);
  void ReportTypedText(const QKeyEvent* e);
  size_t CharBoundaryAtOrBefore(size_t offset) const;
  void ExtendSelectionTo(QPoint viewportPoint);
  void FlushStreamRepaint();
  void RepaintAll();
  void ResetCells();
  void PaintLine(QPainter& painter, size_t line, int top) const;
  QRect LineCellsRect(size_t line, int top, size_t begin, size_t end) const;

  std::string content_;
  WrappedLines lines_;
  size_t anchor_ = 0;
  size_t cursor_ = 0;
  bool selecting_ = false;
  qreal cellWidth_ = 7;
  int lineHeight_ = 14;
  int ascent_ = 11;
  mutable CellImageCache cells_;
  mutable CellLineImage lineImage_;  // scratch of PaintLine
  QElapsedTimer scrollBarSynced_;
  QTimer streamRepaintTimer_;
  QTimer tailIdleTimer_;
  static constexpr size_t kNoLine = static_cast<size_t>(-1);
  size_t streamDirtyLine_ = kNoLine;  // first line a stream changed since the last repaint
  size_t shownFirstLine_ = 0;         // the first line the painted (or pending) picture shows
  size_t firstLine_ = 0;  // the first line in sight; the scroll bar follows it
  bool followEnd_ = true;  // false while the reader keeps his place away from the end
  bool syncingScrollBar_ = false;
  ReceiveViewKeyHooks hooks_;
  std::vector<SearchMatch> matches_;
  size_t currentMatch_ = 0;
  uint64_t generation_ = 0;
};
