#pragma once
// The small desktop services on Qt: the refresh timer, the clipboard and the
// starting of other programs.
#include <QObject>
#include <QTimer>

#include "platform/clipboard.h"
#include "platform/process_launcher.h"
#include "platform/refresh_timer.h"

namespace jinro::qt {

class QtRefreshTimer : public QObject, public RefreshTimer {
  Q_OBJECT
 public:
  explicit QtRefreshTimer(QObject* parent = nullptr);
  void start(uint64_t intervalMilliseconds) override;
  void stop() override;
  void setTickHandler(std::function<void()> tick) override { tick_ = std::move(tick); }
  bool isActive() const { return timer_.isActive(); }
  int interval() const { return timer_.interval(); }

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

class QtClipboard : public Clipboard {
 public:
  bool clear() override;
  bool setText(std::string_view utf8Text) override;
};

class QtProcessLauncher : public ProcessLauncher {
 public:
  int64_t startDetached(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace jinro::qt
