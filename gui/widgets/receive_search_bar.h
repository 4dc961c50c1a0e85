#pragma once
// The receive window's search bar: a small strip over the window's top right corner with the
// pattern, "HEX" (the pattern is hex bytes), "Aa" (match case), previous / next, the count and
// a close button. Every change of the pattern or its options searches the whole content
// again and marks all matches in the view; next and previous select a match and bring it
// into view, searching again first when the content was set anew or cut in the meantime.
// Enter is next, Shift+Enter previous, Escape closes the bar and gives the focus back.
#include <QFrame>
#include <cstddef>

#include "core/receive/receive_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;
class ReceiveView;

class ReceiveSearchBar : public QFrame {
  Q_OBJECT

 public:
  // Sits over `view` (its parent), hidden until Open().
  explicit ReceiveSearchBar(ReceiveView& view);

  void Open();  // shows the bar with the pattern selected and the focus in it
  void Close();
  void Next() { Step(true); }
  void Previous() { Step(false); }
  // The content's rendering changed (hex or text): searches again.
  void Refresh();

  QLineEdit* Pattern = nullptr;
  QCheckBox* HexBytes = nullptr;
  QCheckBox* MatchCase = nullptr;
  QToolButton* B_Previous = nullptr;
  QToolButton* B_Next = nullptr;
  QToolButton* B_Close = nullptr;
  QLabel* Count = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Search();
  void Step(bool forward);
  void ShowCount();
  void Place();

  ReceiveView& view_;
  ReceiveSearch search_;
  bool badPattern_ = false;
  size_t current_ = 0;
  uint64_t searchedGeneration_ = 0;
  size_t searchedSize_ = 0;
};
