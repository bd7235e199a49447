// The main window's dispatcher: commands, timer, private messages and the
// sound device's notices.
#include "app/command_handler.h"

#include <gtest/gtest.h>

#include "browser/navigation.h"
#include "jinro/server_base_url.h"
#include "monitor/alarm_player.h"
#include "platform/executable_dir.h"
#include "platform/fake/fakes.h"
#include "settings/settings.h"

namespace jinro {
namespace {

using fake::FakePlatform;

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    p.messages.forwardTo = &handler;  // the logic's own messages come back here
    c.settings.startUrl = std::string(kServerBaseUrl) + "start.html";
    c.settings.refreshIntervalSeconds = 25;
    c.currentUrl = std::string(kServerBaseUrl) + "cgi_jinro.cgi";
    c.postBody = "COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=p&VILLAGENO=1&TXTLOGIN=1&FORMID=9";
    c.postBodyLength = static_cast<uint32_t>(c.postBody.size());
  }
  intptr_t send(uint32_t m, uintptr_t w, intptr_t l) { return handler.sendMessage(m, w, l); }
  void command(int id) { send(WM_COMMAND, static_cast<uintptr_t>(id), 0); }

  FakePlatform p;
  ClientController c{p.ports()};
  CommandHandler handler{c};
};

TEST(Navigation, PostCarriesExactlyTheBodyBytesAndTheTwoHeaderLines) {
  FakePlatform p;
  ClientController c{p.ports()};
  c.postBody = std::string("TXTMSG=\x93\xFA&A=\0b", 13) + "tail";
  c.postBodyLength = 13;
  navigateWithPost(c, "http://h/cgi_jinro.cgi");
  ASSERT_EQ(p.browser.navigations.size(), 1u);
  EXPECT_EQ(p.browser.navigations[0].body, std::string("TXTMSG=\x93\xFA&A=\0b", 13));
  const std::string expected = std::string("Content-Type: application/x-www-form-urlencoded\nReferer: ") +
                               kServerBaseUrl + "cgi_jinro.cgi";
  EXPECT_EQ(p.browser.navigations[0].headers, expected);
  EXPECT_EQ(expected.find('\r'), std::string::npos);
  EXPECT_EQ(requestHeaders().size(), 47 + 1 + 9 + std::string(kServerBaseUrl).size() + 13);

  // A stated length beyond the text never reads past it; zero is a post too.
  c.postBodyLength = 5000;
  navigateWithPost(c, "u");
  EXPECT_EQ(p.browser.navigations[1].body, c.postBody);
  c.postBodyLength = 0;
  navigateWithPost(c, "u");
  EXPECT_TRUE(p.browser.navigations[2].post);
  EXPECT_EQ(p.browser.navigations[2].body, "");

  // The Referer is the built-in one whatever the CGI setting says.
  c.settings.cgiUrl = "http://elsewhere/cgi_jinro.cgi";
  navigateWithPost(c, "u");
  EXPECT_EQ(p.browser.navigations[3].headers, expected);
}

TEST_F(Commands, AutomaticRefreshTogglesTimerButtonAndMenuTogether) {
  command(ID_TB_AUTO_REFRESH);
  EXPECT_EQ(c.autoRefreshOn, 1);
  EXPECT_EQ(c.timerRunning, 1);
  EXPECT_TRUE(p.timer.running);
  EXPECT_EQ(p.timer.interval, 25000u);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_AUTO_REFRESH], TBSTATE_CHECKED_ENABLED);
  EXPECT_TRUE(p.shell.menuChecks[IDM_AUTO_REFRESH]);
  EXPECT_TRUE(p.browser.navigations.empty());  // no refresh at once

  command(IDM_AUTO_REFRESH);
  command(IDM_AUTO_REFRESH);
  command(ID_TB_AUTO_REFRESH);
  EXPECT_EQ(c.autoRefreshOn, 0);
  EXPECT_EQ(c.timerRunning, 0);
  EXPECT_FALSE(p.timer.running);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_AUTO_REFRESH], TBSTATE_ENABLED);
  EXPECT_FALSE(p.shell.menuChecks[IDM_AUTO_REFRESH]);
}

TEST_F(Commands, SetAutoRefreshRestartsOnOneStopsOnZeroAndIgnoresTheRest) {
  send(WM_SET_AUTO_REFRESH, 0, 1);
  EXPECT_EQ(p.timer.starts, 1);
  EXPECT_GE(p.timer.stops, 1);  // a restart counts a full interval
  send(WM_SET_AUTO_REFRESH, 0, 2);
  send(WM_SET_AUTO_REFRESH, 0, -1);
  EXPECT_EQ(p.timer.starts, 1);
  EXPECT_TRUE(p.timer.running);
  EXPECT_EQ(c.timerRunning, 1);
  send(WM_SET_AUTO_REFRESH, 0, 0);
  EXPECT_FALSE(p.timer.running);
  EXPECT_EQ(c.timerRunning, 0);
}

TEST_F(Commands, TimerTickAndRefreshCommandsPostTheFormToTheCurrentPage) {
  send(WM_TIMER, 12345, 0);  // whatever the timer id
  ASSERT_EQ(p.browser.navigations.size(), 1u);
  EXPECT_EQ(c.refreshByTimer, 1);
  EXPECT_EQ(c.navigationUrl, c.currentUrl);
  EXPECT_EQ(p.browser.navigations[0].url, c.currentUrl);
  EXPECT_EQ(p.browser.navigations[0].body, c.postBody);
  command(IDM_MANUAL_REFRESH);
  command(ID_TB_MANUAL_REFRESH);
  ASSERT_EQ(p.browser.navigations.size(), 3u);
  EXPECT_TRUE(p.browser.navigations[2].post);
  // An empty current URL still posts (no page accepted yet).
  c.currentUrl.clear();
  command(ID_TB_MANUAL_REFRESH);
  EXPECT_EQ(p.browser.navigations.back().url, "");
}

TEST_F(Commands, SoundSwitchStopsEverythingAndOnlyOnRefreshes) {
  c.settings.alarm(AlarmKind::night).loop = 1;
  c.settings.alarm(AlarmKind::night).soundPath = "n.wav";
  AlarmPlayer(c).playAlarm(AlarmKind::night);
  const uint32_t id = c.alarmChannels[index(AlarmKind::night)].deviceId;
  ASSERT_NE(id, 0u);

  command(IDM_SOUND_OFF);
  EXPECT_EQ(c.soundOn, 0);
  EXPECT_EQ(c.currentAlarm, kNone);
  EXPECT_TRUE(p.shell.menuChecks[IDM_SOUND_OFF]);
  EXPECT_FALSE(p.shell.menuChecks[IDM_SOUND_ON]);
  EXPECT_TRUE(p.sound.openDevices.empty());
  EXPECT_TRUE(p.browser.navigations.empty());
  // A late completion notice is ignored while the sound is off.
  const size_t playsBefore = p.sound.count("playNotify");
  EXPECT_EQ(send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, id), 0);
  EXPECT_EQ(p.sound.count("playNotify"), playsBefore);

  command(IDM_SOUND_ON);
  EXPECT_EQ(c.soundOn, 1);
  EXPECT_TRUE(p.shell.menuChecks[IDM_SOUND_ON]);
  EXPECT_FALSE(p.shell.menuChecks[IDM_SOUND_OFF]);
  ASSERT_EQ(p.browser.navigations.size(), 1u);
  EXPECT_EQ(p.browser.navigations[0].url, c.currentUrl);
}

TEST_F(Commands, CompletionNoticesReplayLoopingAlarmsAndAlwaysTheCapacityAlarm) {
  c.settings.alarm(AlarmKind::tohyo).loop = 0;
  c.settings.alarm(AlarmKind::tohyo).soundPath = "t.wav";
  AlarmPlayer(c).playAlarm(AlarmKind::tohyo);
  const uint32_t tohyo = c.alarmChannels[index(AlarmKind::tohyo)].deviceId;
  size_t plays = p.sound.count("play") + p.sound.count("playNotify");
  send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, tohyo);
  EXPECT_EQ(p.sound.count("play") + p.sound.count("playNotify"), plays);

  c.settings.alarm(AlarmKind::daytime).loop = 1;
  c.settings.alarm(AlarmKind::daytime).soundPath = "d.wav";
  AlarmPlayer(c).playAlarm(AlarmKind::daytime);
  const uint32_t day = c.alarmChannels[index(AlarmKind::daytime)].deviceId;
  plays = p.sound.count("playNotify");
  send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, day);
  EXPECT_EQ(p.sound.count("playNotify"), plays + 1);
  // Notices of a stop or of another device do nothing.
  send(MM_MCINOTIFY, MCI_NOTIFY_ABORTED, day);
  send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 9999);
  EXPECT_EQ(p.sound.count("playNotify"), plays + 1);
}

TEST_F(Commands, ReturnToTopResetsTheMonitoringStateAndNothingElse) {
  c.lastPhase = kPhaseNight;
  c.currentAlarm = alarmId(AlarmKind::night);
  c.awaitingFirstGamePage = 0;
  c.gameOver = 1;
  c.savedScrollLeft = 4;
  c.savedScrollTop = 400;
  c.skipScrollSave = 0;
  c.capacityNoticePending = 0;
  c.restoreScroll = 1;
  for (auto& v : c.loginValues) v = "x";
  c.viewerProcesses = {11, 12};
  c.timerRunning = 1;
  c.autoRefreshOn = 1;
  c.reverseRows = 1;
  c.soundOn = 0;
  c.settings.alarm(AlarmKind::daytime).loop = 1;
  const std::string body = c.postBody;
  const std::string url = c.currentUrl;

  command(ID_TB_RETURN_TOP);
  EXPECT_EQ(c.lastPhase, kNone);
  EXPECT_EQ(c.currentAlarm, kNone);
  EXPECT_EQ(c.awaitingFirstGamePage, 1);
  EXPECT_EQ(c.gameOver, 0);
  EXPECT_EQ(c.savedScrollLeft, 0);
  EXPECT_EQ(c.savedScrollTop, 0);
  EXPECT_EQ(c.skipScrollSave, 1);
  EXPECT_EQ(c.capacityNoticePending, 1);
  for (const auto& v : c.loginValues) EXPECT_EQ(v, "");
  EXPECT_TRUE(c.viewerProcesses.empty());
  EXPECT_EQ(c.timerRunning, 0);
  // Kept: the switches, the post body, the page URL, restoreScroll and the
  // daytime alarm's loop flag.
  EXPECT_EQ(c.autoRefreshOn, 1);
  EXPECT_EQ(c.reverseRows, 1);
  EXPECT_EQ(c.soundOn, 0);
  EXPECT_EQ(c.restoreScroll, 1);
  EXPECT_EQ(c.postBody, body);
  EXPECT_EQ(c.currentUrl, url);
  EXPECT_EQ(c.settings.alarm(AlarmKind::daytime).loop, 1);
  ASSERT_EQ(p.browser.navigations.size(), 1u);
  EXPECT_TRUE(p.browser.navigations[0].post);
  EXPECT_EQ(p.browser.navigations[0].url, c.settings.startUrl);
  EXPECT_EQ(p.browser.navigations[0].body, body);
}

TEST_F(Commands, ReverseModeTogglesItsButtonAndReloadsEachTime) {
  command(ID_TB_REVERSE);
  EXPECT_EQ(c.reverseRows, 1);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_REVERSE], TBSTATE_CHECKED_ENABLED);
  command(ID_TB_REVERSE);
  EXPECT_EQ(c.reverseRows, 0);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_REVERSE], TBSTATE_ENABLED);
  EXPECT_EQ(p.browser.navigations.size(), 2u);
}

TEST_F(Commands, WindowCommandsSweepTheViewersBeforeTheMainWindow) {
  command(IDM_CLOSE_ALL_LOG_WINDOWS);
  command(IDM_MINIMIZE_ALL);
  command(IDM_SYS_MINIMIZE_ALL);
  command(IDM_SYS_MOVE_ALL_TOP_LEFT);
  send(WM_SYSCOMMAND, IDM_SYS_MOVE_ALL_TOP_LEFT, 0);
  send(WM_SYSCOMMAND, IDM_SYS_MINIMIZE_ALL, 0);
  send(WM_SYSCOMMAND, 0xF020, 0);  // the desktop's own minimise: not ours
  const std::vector<SweepKind> kinds = {SweepKind::close, SweepKind::minimize, SweepKind::minimize,
                                        SweepKind::moveTopLeft, SweepKind::moveTopLeft, SweepKind::minimize};
  ASSERT_EQ(p.sweeper.sweeps.size(), kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(p.sweeper.sweeps[i].first, kinds[i]);
    EXPECT_EQ(p.sweeper.sweeps[i].second, "QuillpaneClass_9gdFZb");
  }
  const std::vector<std::string> events = {"minimize", "minimize", "moveToTopLeft", "moveToTopLeft", "minimize"};
  EXPECT_EQ(p.shell.events, events);
}

TEST_F(Commands, DialogsReadMeVersionExitAndSpeechCopyGoToTheShell) {
  command(IDM_GENERAL_SETTINGS);
  command(IDM_SOUND_SETTINGS);
  command(IDM_OPEN_README);
  command(IDM_VERSION);
  command(IDM_EXIT);
  command(12345);  // unknown: nothing
  const std::vector<std::string> events = {"generalDialog", "soundSheet",
                                           "open:" + executableDirectory() + "readme.txt", "version", "close"};
  EXPECT_EQ(p.shell.events, events);

  // Speech copy: a page that is not a game page leaves the clipboard alone.
  p.clipboard.text = "kept";
  p.clipboard.hasText = true;
  c.pageText = "<html><title>t</title></html>";
  command(ID_TB_COPY_SPEECH);
  EXPECT_EQ(p.clipboard.text, "kept");
  send(WM_ENABLE_SPEECH_COPY, 0, 1);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_COPY_SPEECH], TBSTATE_ENABLED);
  send(WM_DISABLE_SPEECH_COPY, 0, 1);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_COPY_SPEECH], TBSTATE_DISABLED);
}

TEST_F(Commands, CloseStopsTimerAndAlarmsAndClosesTheViewersWithoutNavigatingAgain) {
  command(ID_TB_AUTO_REFRESH);
  c.settings.alarm(AlarmKind::night).soundPath = "n.wav";
  AlarmPlayer(c).playAlarm(AlarmKind::night);
  p.shell.currentPlacement.showCmd = SW_SHOWMAXIMIZED;
  p.shell.currentPlacement.rcNormalLeft = -20;
  p.shell.currentPlacement.rcNormalRight = 700;
  send(WM_CLOSE, 0, 0);
  // A maximised window is saved to come back maximised.
  WindowPlacement saved;
  loadWindowPlacement(saved);
  EXPECT_EQ(saved.showCmd, SW_SHOWMAXIMIZED);
  EXPECT_EQ(saved.flags & WPF_RESTORETOMAXIMIZED, WPF_RESTORETOMAXIMIZED);
  EXPECT_EQ(saved.rcNormalLeft, -20);
  EXPECT_EQ(saved.rcNormalRight, 700);
  EXPECT_FALSE(p.timer.running);
  EXPECT_EQ(c.timerRunning, 0);
  EXPECT_TRUE(p.sound.openDevices.empty());
  ASSERT_EQ(p.sweeper.sweeps.size(), 1u);
  EXPECT_EQ(p.sweeper.sweeps[0].first, SweepKind::close);
  // The browser is let go: a late tick posts nothing.
  send(WM_TIMER, 0, 0);
  EXPECT_TRUE(p.browser.navigations.empty());
}

}  // namespace
}  // namespace jinro
