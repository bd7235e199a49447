#include "client/page_monitor.h"

#include "client/game_status.h"

namespace jinro {

void PageMonitor::reset() {
  ++visit_;
  lastPhase_.reset();
  awaitingFirstGamePage_ = true;
  gameOver_ = false;
  capacityNoticePending_ = true;
}

PageReaction PageMonitor::follow(const PageReading& page) {
  PageReaction reaction = decide(page);
  reaction.gameOver = gameOver_;
  return reaction;
}

PageReaction PageMonitor::decide(const PageReading& page) {
  PageReaction reaction;
  reaction.status = gameStatusText(page);
  if (!page.titled) return reaction;
  reaction.caption = page.caption;

  // The capacity alarm sounds whatever the sound switch says: the player
  // armed it, and it stops with a click on the page.
  if (page.preDay) {
    if (settings_.alarm(AlarmKind::full_alarm).armed) {
      // The first time, the player reads the notice before the alarm can
      // sound: the check of this page waits until the box is closed.
      reaction.capacity = capacityNoticePending_ ? CapacityStep::noticeFirst
                          : page.lobbyFull()     ? CapacityStep::sound
                                                 : CapacityStep::unchanged;
      reaction.lobbyFull = page.lobbyFull();
    }
    capacityNoticePending_ = false;
  } else {
    reaction.capacity = CapacityStep::stop;
  }

  if (!page.gamePage) {
    reaction.otherPage = OtherPage{page.url};
    if (!page.registrationOpen) {
      reaction.silenceAlarms = true;
      lastPhase_.reset();
      return reaction;
    }
    reaction.alarms.push_back(AlarmKind::sonmintoroku);
    return reaction;
  }

  if (page.event) {
    // The alarm first, the log after: the player hears the end of the game
    // while the last day's log is written and its viewer starts.
    reaction.alarms.push_back(*page.event);
    if (isGameEnd(*page.event)) {
      // The last day's log, unless the game was over before this client saw it.
      reaction.launchDayLog = !gameOver_ && !awaitingFirstGamePage_ && lastPhase_ != Phase::night;
      gameOver_ = true;
    }
  }
  reaction.gameForm = GamePageForm{page.url, page.postBody};
  reaction.keepScroll = true;
  if (gameOver_) return reaction;

  if (!page.night) {
    if (!page.preDay) reaction.speechCopy = true;
    if (lastPhase_ == Phase::night) {
      reaction.keepScroll = false;
      reaction.alarms.push_back(AlarmKind::daytime);
    }
    lastPhase_ = Phase::day;
  } else {
    if (lastPhase_ == Phase::day) {
      reaction.keepScroll = false;
      reaction.alarms.push_back(AlarmKind::night);
      reaction.launchDayLog = !awaitingFirstGamePage_;
    }
    lastPhase_ = Phase::night;
  }
  awaitingFirstGamePage_ = false;
  return reaction;
}

}  // namespace jinro
