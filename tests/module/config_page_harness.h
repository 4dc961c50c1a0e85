#pragma once
// A configuration page alone, without a window, over a module exchange whose time and port
// events the test drives: the port's event messages are dropped, and the test hands the
// exchange the arrived characters itself, then ends the wait as the window's delay would.
#include <QComboBox>
#include <QStringList>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "core/module/module_exchange.h"
#include "gui/module/config_page.h"
#include "gui/widgets/controls.h"
#include "serial/comm_types.h"
#include "support/fake_port_source.h"
#include "support/message_log.h"

// As the user's pick: select the entry and run the list's change reaction.
inline void Pick(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

// Port events nobody reads: the test gathers the reply itself.
class DroppedMessages : public MessageTarget {
 public:
  void Post(uint32_t, uintptr_t, intptr_t) override {}
};

// No pause and no reply delay: the test ends the wait itself.
class NoWaitClock : public ExchangeClock {
 public:
  void Pause(std::chrono::milliseconds) override {}
  void StartReplyDelay(ExchangeKind) override {}
};

class ConfigPageHarness {
 public:
  ConfigPageHarness() {
    QObject::connect(&page, &ConfigPage::StatusCaption, &page, [this](const QString& suffix) { captions << suffix; });
  }

  // Lists `path` as the only port, drops the module list down and picks it.
  void SelectPort(const std::string& path) {
    ports->SetPorts({path});
    page.CB_ZELCOMx->showPopup();
    page.CB_ZELCOMx->hidePopup();
    Pick(page.CB_ZELCOMx, 0);
  }

  // Gathers until `length` reply bytes have come, then lets the page judge; false when they
  // did not come in time (the page then judges what it has).
  bool Judge(size_t length) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool complete = true;
    while (exchange.Reply().ReplyLength < length) {
      if (std::chrono::steady_clock::now() > deadline) {
        complete = false;
        break;
      }
      exchange.OnPortEvent(win::EV_RXCHAR);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    page.EvaluateModuleReply();
    return complete;
  }

  std::shared_ptr<FakePortSource> ports = std::make_shared<FakePortSource>();
  MessageLog log;
  QStringList captions;  // every status text the page asked the window to show
  DroppedMessages events;
  ModuleExchange exchange{events, 0x0401, std::make_unique<NoWaitClock>()};
  ConfigPage page{exchange, ports};
};
