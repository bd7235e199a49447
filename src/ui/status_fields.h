#pragma once
// The status bar's fields beside the alarm line: the game's state, the
// countdown to the next automatic refresh, and the last page load.
//
// For diagnostics (and the end-to-end tests), JINRO_STATUS_FILE=<path> makes
// every change of a field append a line "<field>\t<text>" (UTF-8) to that
// file; the fields are status_game, status_countdown and status_load, which
// are also the labels' object names, and status_text, the line at the bar's
// left.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

class QLabel;
class QStatusBar;

namespace jinro {

class StatusFields : public QObject {
 public:
  explicit StatusFields(QStatusBar* bar);

  void setGameStatus(const QString& text);
  // A repeating countdown started now; 0 hides it.
  void setCountdown(uint64_t intervalMilliseconds);
  void setWaiting(bool waiting);
  void setPaused(bool paused);
  void setPageLoad(bool loaded);
  // The line at the bar's left, shown by the bar itself: only recorded.
  void recordMessage(const QString& text);

 private:
  void showCountdown();
  void set(QLabel* label, const QString& text);
  void record(const QString& field, const QString& text);

  QLabel* game_;
  QLabel* countdown_;
  QLabel* load_;
  QTimer tick_;
  QElapsedTimer clock_;
  uint64_t interval_ = 0;
  bool waiting_ = false;
  bool paused_ = false;
  QString statusFile_;
  QString message_;
};

}  // namespace jinro
