#include "client/page_monitor.h"

#include "base/code_page.h"

namespace jinro {

namespace {

Notice capacityNotice() {
  return {"参加者定員到達アラームをセットしました。自動更新をONにしてください。\n"
          "アラームが鳴り始めた後に音を止めるには、ゲーム画面のどこかをクリックしてください。",
          "お知らせ", MessageIcon::information};
}

}  // namespace

PageMonitor::PageMonitor(ClientShell& shell, AlarmPlayer& alarms, AutoRefresh& refresh, LogLauncher& logs,
                         const Settings& settings)
    : shell_(shell), alarms_(alarms), refresh_(refresh), logs_(logs), settings_(settings) {}

void PageMonitor::reset() {
  // A capacity notice still shown speaks of a lobby left behind.
  self_ = std::make_shared<PageMonitor*>(this);
  lastPhase_.reset();
  awaitingFirstGamePage_ = true;
  gameOver_ = false;
  capacityNoticePending_ = true;
}

void PageMonitor::playUnlessCurrent(AlarmKind kind) {
  if (alarms_.soundOn() && !alarms_.isCurrent(kind)) alarms_.playAlarm(kind);
}

// The capacity alarm sounds whatever the sound switch says: the player armed
// it, and it stops with a click on the page. Automatic refresh then stops, so
// that the lobby page stays as it is.
void PageMonitor::soundCapacityAlarmIfFull(bool lobbyFull) {
  if (!lobbyFull || alarms_.isCurrent(AlarmKind::full_alarm)) return;
  alarms_.playAlarm(AlarmKind::full_alarm);
  refresh_.switchOff();
}

PageView PageMonitor::analysePage(const PageReading& page, bool reverseRows) {
  PageView view;
  if (!page.titled) return view;
  shell_.setCaption(shiftJisToUtf8(page.caption));

  if (page.preDay) {
    if (settings_.alarm(AlarmKind::full_alarm).armed) {
      if (capacityNoticePending_) {
        // The player reads the notice before the alarm can sound: the check
        // of this page waits until the box is closed.
        capacityNoticePending_ = false;
        std::weak_ptr<PageMonitor*> self = self_;
        shell_.showNotice(capacityNotice(), [self, full = page.lobbyFull()] {
          if (auto monitor = self.lock()) (*monitor)->soundCapacityAlarmIfFull(full);
        });
      } else {
        soundCapacityAlarmIfFull(page.lobbyFull());
      }
    }
    capacityNoticePending_ = false;
  } else {
    alarms_.stopCapacityAlarm();
  }

  if (!page.gamePage) {
    refresh_.otherPageRead(page.url);
    if (!page.registrationOpen) {
      alarms_.stopAllAlarms();
      lastPhase_.reset();
      alarms_.forgetCurrent();
      return view;
    }
    playUnlessCurrent(AlarmKind::sonmintoroku);
    return view;
  }

  if (page.event) {
    // The alarm first, the log after: the player hears the end of the game
    // while the last day's log is written and its viewer starts.
    playUnlessCurrent(*page.event);
    if (isGameEnd(*page.event)) {
      // The last day's log, unless the game was over before this client saw it.
      if (!gameOver_ && !awaitingFirstGamePage_ && lastPhase_ != Phase::night)
        logs_.launch(reverseRows, settings_.serverKind);
      gameOver_ = true;
    }
  }
  refresh_.gamePageRead(page.url, page.postBody);
  view.keepScroll = true;
  if (gameOver_) return view;

  if (!page.night) {
    if (!page.preDay) view.speechCopy = true;
    if (lastPhase_ == Phase::night) {
      view.keepScroll = false;
      playUnlessCurrent(AlarmKind::daytime);
    }
    lastPhase_ = Phase::day;
  } else {
    if (lastPhase_ == Phase::day) {
      view.keepScroll = false;
      playUnlessCurrent(AlarmKind::night);
      if (!awaitingFirstGamePage_) logs_.launch(reverseRows, settings_.serverKind);
    }
    lastPhase_ = Phase::night;
  }
  awaitingFirstGamePage_ = false;
  return view;
}

}  // namespace jinro
