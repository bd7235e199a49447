#include "ui/status_fields.h"

#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTime>

namespace jinro {

namespace {

QLabel* field(QStatusBar* bar, const char* name) {
  auto* label = new QLabel(bar);
  label->setObjectName(QLatin1String(name));
  label->setContentsMargins(6, 0, 6, 0);
  bar->addPermanentWidget(label);
  label->hide();  // until it has something to say
  return label;
}

}  // namespace

StatusFields::StatusFields(QStatusBar* bar)
    : QObject(bar),
      game_(field(bar, "status_game")),
      countdown_(field(bar, "status_countdown")),
      load_(field(bar, "status_load")),
      statusFile_(qEnvironmentVariable("JINRO_STATUS_FILE")) {
  // A quarter second: the shown second changes close to when it should.
  tick_.setInterval(250);
  connect(&tick_, &QTimer::timeout, this, [this] { showCountdown(); });
}

void StatusFields::setGameStatus(const QString& text) { set(game_, text); }

void StatusFields::setCountdown(uint64_t intervalMilliseconds) {
  interval_ = intervalMilliseconds;
  if (interval_ == 0) {
    tick_.stop();
    waiting_ = false;
  } else {
    clock_.start();
    tick_.start();
  }
  showCountdown();
}

void StatusFields::setWaiting(bool waiting) {
  waiting_ = waiting;
  showCountdown();
}

void StatusFields::setPaused(bool paused) {
  paused_ = paused;
  showCountdown();
}

void StatusFields::showCountdown() {
  if (paused_) {
    set(countdown_, QStringLiteral("自動更新を一時停止 — ゲーム画面ではありません"));
    return;
  }
  if (interval_ == 0) {
    set(countdown_, QString());
    return;
  }
  if (waiting_) {
    set(countdown_, QStringLiteral("入力中 — 更新を待っています"));
    return;
  }
  // The timer repeats: the next tick is a whole number of intervals from the start.
  const uint64_t elapsed = static_cast<uint64_t>(clock_.elapsed()) % interval_;
  const uint64_t seconds = (interval_ - elapsed + 999) / 1000;
  set(countdown_, QStringLiteral("次の更新まで %1秒").arg(seconds));
}

void StatusFields::setPageLoad(bool loaded) {
  // A failure stays until a page loads again.
  set(load_, loaded ? QStringLiteral("最終読込 %1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
                    : QStringLiteral("接続できません — 次の更新で再試行"));
}

void StatusFields::set(QLabel* label, const QString& text) {
  if (label->text() == text) return;
  label->setText(text);
  label->setVisible(!text.isEmpty());
  record(label->objectName(), text);
}

void StatusFields::recordMessage(const QString& text) {
  if (text == message_) return;
  message_ = text;
  record(QStringLiteral("status_text"), text);
}

void StatusFields::record(const QString& field, const QString& text) {
  if (statusFile_.isEmpty()) return;
  QFile file(statusFile_);
  if (!file.open(QIODevice::Append | QIODevice::Text)) return;
  file.write((field + QLatin1Char('\t') + text + QLatin1Char('\n')).toUtf8());
}

}  // namespace jinro
