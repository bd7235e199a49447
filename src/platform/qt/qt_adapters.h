#pragma once
// The small desktop services on Qt: the refresh timer, the clipboard and the
// starting of other programs.
#include <QObject>
#include <QTimer>

#include "platform/clipboard.h"
#include "platform/message_target.h"
#include "platform/process_launcher.h"
#include "platform/refresh_timer.h"

namespace jinro::qt {

// Ticks go to the dispatcher as WM_TIMER with the timer's id.
class QtRefreshTimer : public QObject, public RefreshTimer {
  Q_OBJECT
 public:
  explicit QtRefreshTimer(QObject* parent = nullptr);
  void setTarget(MessageTarget* target) { target_ = target; }
  void start(uint64_t intervalMilliseconds) override;
  void stop() override;
  bool isActive() const { return timer_.isActive(); }
  int interval() const { return timer_.interval(); }

 private:
  QTimer timer_;
  MessageTarget* target_ = nullptr;
};

class QtClipboard : public Clipboard {
 public:
  bool clear() override;
  bool setText(std::string_view shiftJisText) override;
};

class QtProcessLauncher : public ProcessLauncher {
 public:
  int64_t startDetached(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace jinro::qt
