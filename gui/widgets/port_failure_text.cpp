#include "gui/widgets/port_failure_text.h"

#include "gui/widgets/message_box.h"

const char* PortFailureText(PortStep step, const PortFailure& failure) {
  if (failure.error == PortError::NotOpen) return kPortMissingOrBusy;
  switch (step) {
    case PortStep::Open: return kPortMissingOrBusy;
    case PortStep::ReadSettings: return kPortSettingsReadFailed;
    case PortStep::WriteSettings: return kPortSettingsWrong;
  }
  return kPortSettingsWrong;
}
