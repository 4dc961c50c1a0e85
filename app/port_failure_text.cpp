#include "app/port_failure_text.h"

#include "app/message_box.h"

const char* PortFailureText(PortStep step, const PortFailure& failure) {
  if (failure.error == PortError::NotOpen) return kPortMissingOrBusy;
  switch (step) {
    case PortStep::Open: return kPortMissingOrBusy;
    case PortStep::ReadSettings: return kPortSettingsReadFailed;
    case PortStep::WriteSettings: return kPortSettingsWrong;
  }
  return kPortSettingsWrong;
}
