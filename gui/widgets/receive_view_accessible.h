#pragma once
// Screen-reader access to the receive window: an editable-text role (read-only, multi-line)
// whose text is the text of the lines in sight, with selection, caret and character
// geometry mapped onto that text.
#include <QAccessibleWidget>

class ReceiveView;

class ReceiveViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ReceiveViewAccessible(ReceiveView* view);

  QAccessible::State state() const override;
  QString text(QAccessible::Text t) const override;
  void* interface_cast(QAccessible::InterfaceType t) override;

  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override;
  void addSelection(int startOffset, int endOffset) override;
  void removeSelection(int selectionIndex) override;
  void setSelection(int selectionIndex, int startOffset, int endOffset) override;
  int cursorPosition() const override;
  void setCursorPosition(int position) override;
  QString text(int startOffset, int endOffset) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                           int* endOffset) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                          int* endOffset) const override;
  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                       int* endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int startIndex, int endIndex) override;
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  ReceiveView* View() const;
};

// Makes QAccessible create a ReceiveViewAccessible for every ReceiveView (idempotent).
void InstallReceiveViewAccessibility();
