#pragma once
// Helpers of the configuration page's window tests: picking the module port as the user does,
// a record of the window's captions, and a gate that replaces the countdown's one-second
// pause so tests order it instead of waiting.
#include <QComboBox>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config_page_harness.h"
#include "gui/widgets/controls.h"
#include "core/terminal/sleeping_worker.h"
#include "support/window_harness.h"
#include "gui/widgets/ui_text.h"


// Lists `path` as the only port, drops the module list down and picks it.
inline void SelectModulePort(WindowHarness& h, const std::string& path) {
  h.ports->SetPorts({path});
  h.w().TabSheet2->CB_ZELCOMx->showPopup();
  h.w().TabSheet2->CB_ZELCOMx->hidePopup();
  Pick(h.w().TabSheet2->CB_ZELCOMx, 0);
}

// Every caption the window takes, in order.
class CaptionLog {
 public:
  explicit CaptionLog(TVornicSPComm& window) : base_(window.BaseCaption()) {
    QObject::connect(&window, &QWidget::windowTitleChanged, &window,
                     [this](const QString& title) { captions_.push_back(title); });
  }
  // Status suffixes shown so far (captions other than the base caption).
  QStringList Statuses() const {
    QStringList statuses;
    for (const QString& caption : captions_) {
      if (caption != base_) statuses << caption.mid(base_.size());
    }
    return statuses;
  }
  bool WaitForStatus(const char* suffix) {
    return WindowHarness::WaitUntil([&] { return Statuses().contains(U(suffix)); });
  }

 private:
  QString base_;
  QStringList captions_;
};

inline const char* const kReadOkStatus = " - 读取配置成功！";
inline const char* const kWriteOkStatus = " - 写入配置成功！";
inline const char* const kFailedStatus = " - 读取（写入）配置失败！";

// Replaces the countdown's one-second pauses: each pause waits until the test releases it.
class CountdownGate {
 public:
  // Pauses also end when the window stops its workers, so that closing it never hangs.
  static std::shared_ptr<CountdownGate> Install(TVornicSPComm& w) {
    auto gate = std::make_shared<CountdownGate>();
    const std::atomic<bool>* stop = &w.Workers.StopWorkers;
    w.CountdownWorkerForTesting().SetPauseForTesting([gate, stop](uint32_t) { return gate->Pause(*stop); });
    return gate;
  }

  // True once the worker has entered its n-th pause.
  bool WaitEntered(int n) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return entered_ >= n; });
  }
  // Lets one pause end, as if its second had passed.
  void Release() {
    std::lock_guard lock(mutex_);
    ++released_;
    changed_.notify_all();
  }

 private:
  bool Pause(const std::atomic<bool>& stop) {
    std::unique_lock lock(mutex_);
    const int mine = ++entered_;
    changed_.notify_all();
    // The stop flag has no notification of its own: look at it now and then.
    while (released_ < mine) {
      if (stop.load()) return false;
      changed_.wait_for(lock, std::chrono::milliseconds(10));
    }
    return true;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  int entered_ = 0;
  int released_ = 0;
};
