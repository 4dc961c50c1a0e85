#include "gui/widgets/interval_field.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include "gui/widgets/field_hooks.h"
#include "gui/widgets/message_box.h"
#include "core/transmit/transmit_session.h"
#include "gui/widgets/ui_text.h"

std::optional<int32_t> ParseInterval(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return static_cast<int32_t>(value);
}

void ShowIntervalRefused(QWidget* window, const QLineEdit* field) {
  ShowMessageBox(window, WindowText::tr(kWarningTitle),
                 WindowText::tr("“%1”不是有效的整数值！").arg(field->text()));
}

void FollowTimerState(QTimer* timer, const TimerState& state) {
  timer->setInterval(state.interval);
  if (state.ticking) {
    timer->start();
  } else {
    timer->stop();
  }
}

namespace {
// Set while the focus is being put back into a refused field. The field that had taken the
// focus loses it again on the way; were it an empty period field too, its own check would
// refuse it and the two would bounce the focus (and the warning) between them for ever.
bool refocusing = false;
}  // namespace

// The focus is put back once the focus change in progress has finished (setting it from
// inside that change would be undone by it).
void RejectEmptyField(QWidget* window, QLineEdit* field) {
  if (refocusing || !field->text().isEmpty()) return;
  ShowMessageBox(window, WindowText::tr(kWarningTitle), WindowText::tr(kEnterPositiveInteger));
  refocusing = true;
  QTimer::singleShot(0, [field = QPointer<QLineEdit>(field)] {
    if (field && field->isEnabled()) field->setFocus(Qt::OtherFocusReason);
    refocusing = false;
  });
}

void SetUpIntervalField(QLineEdit* field, std::function<void()> onExit) {
  InstallKeyFilter(field, DigitsAndBackspace);
  InstallExitHandler(field, std::move(onExit));
}
