#pragma once
// Message boxes recorded instead of shown, for tests of anything that may show one.
#include <QString>
#include <vector>

#include "gui/widgets/message_box.h"

struct ShownMessage {
  QString title;
  QString text;
};

// Records every box shown while it lives.
class MessageLog {
 public:
  MessageLog() {
    SetMessageObserver([this](const QString& title, const QString& text) { messages.push_back({title, text}); });
  }
  ~MessageLog() { SetMessageObserver({}); }
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  std::vector<ShownMessage> messages;
};
