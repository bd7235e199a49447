// The client on a fake desktop, driven as the browser and the player drive
// it; what it produced is read off the fakes, jinro.ini and a temporary
// program folder.
#include "client/client.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "base/code_page.h"
#include "jinro/server_base_url.h"
#include "page/day_log.h"
#include "page/page_limits.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "settings/settings_sections.h"
#include "unit/pages_standard.h"
#include "unit/test_files.h"

namespace jinro {
namespace {

using Texts = std::vector<std::string>;
const std::string kBase = kServerBaseUrl;
const std::string kCgi = kBase + "cgi_jinro.cgi";
const std::string kStart = kBase + "index2.html";
const std::string kBody = "COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pw&VILLAGENO=12&TXTLOGIN=1&FORMID=f9";

std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

using pages::gamePage;
using pages::kVote;
using pages::kWolvesWin;
using pages::preDayPage;

using fake::desktopOf;

class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "jinro-client-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir = tmpl + "/";
    ini = dir + "jinro.ini";
    setSettingsFileOverride(ini);
  }
  void TearDown() override {
    client.reset();
    setSettingsFileOverride("");
    std::filesystem::remove_all(dir);
  }

  // A new window on a jinro.ini holding these lines (written in Shift_JIS).
  void start(std::string_view iniLines = "") {
    if (!iniLines.empty()) test_files::spit(ini, sj(iniLines));
    client = std::make_unique<Client>(desktopOf(d), dir);
    client->start();
  }
  void complete(const std::string& page, const std::string& url = kCgi) {
    client->documentComplete(shiftJisToUtf16(url), shiftJisToUtf16(page));
  }
  bool navigate(const std::string& url) { return client->refuseNavigation(shiftJisToUtf16(url)); }
  // The browser goes where the client last sent it, and the page completes.
  void arrive(const std::string& page = gamePage(false)) {
    const std::string url = d.browser.navigations.back().url;
    navigate(url);
    complete(page, url);
  }

  // The sound files opened, in order, by their names in the program folder.
  Texts opened() const {
    Texts out;
    for (const auto& c : d.sound.calls)
      if (c.op == "open") out.push_back(c.detail.substr(c.detail.find(':') + 1 + dir.size()));
    return out;
  }
  // The sound opened last (throws, failing the test, when there is none).
  SoundId lastSound() const { return d.sound.lastOpened().value(); }
  // The files sounding now, by their names in the program folder.
  Texts sounding() const {
    Texts out;
    for (const std::string& path : d.sound.sounding()) out.push_back(path.substr(dir.size()));
    return out;
  }
  // The device calls from the nth on, as "op:id" ("open:-" for a failed open).
  Texts deviceCalls(size_t from) const {
    Texts out;
    for (size_t i = from; i < d.sound.calls.size(); ++i) {
      const auto& c = d.sound.calls[i];
      out.push_back(c.op + ":" + (c.sound ? std::to_string(c.sound->value()) : "-"));
    }
    return out;
  }
  bool released(SoundId id) const { return d.sound.sounds.count(id) == 0; }
  const fake::FakeBrowser::Navigation& lastNavigation() const { return d.browser.navigations.back(); }

  fake::FakeDesktop d;
  std::unique_ptr<Client> client;
  std::string dir, ini;
};

TEST_F(ClientTest, PhaseChangesSoundOnceAndNightfallShowsTheDaysLog) {
  start();
  const std::string day = gamePage(false, "<a href=\"./rule.html\">r</a>");
  complete(day);  // the first game page: its phase is only noted
  EXPECT_TRUE(opened().empty());
  EXPECT_TRUE(d.window.enabled[Command::copySpeeches]);
  EXPECT_EQ(d.window.caption, "テスト村 12日目");
  complete(gamePage(true));
  complete(gamePage(true));  // the same phase again
  client->pageClicked();  // stops the capacity alarm only
  EXPECT_EQ(opened(), (Texts{"monst01.wav"}));
  EXPECT_EQ(sounding(), (Texts{"monst01.wav"}));
  EXPECT_EQ(d.sound.count("stop"), 0u);
  EXPECT_FALSE(d.window.enabled[Command::copySpeeches]);
  EXPECT_EQ(d.browser.scrolledTo.size(), 2u);  // kept on the same phase only

  // The log is the day's last page, its relative links made absolute.
  ASSERT_EQ(d.launcher.launches.size(), 1u);
  EXPECT_EQ(d.launcher.launches[0].first, dir + "quill_pane");
  EXPECT_EQ(d.launcher.launches[0].second, (Texts{dir + "tmp.html", "12日目の記録"}));
  std::string log = day;
  log.replace(log.find("./rule"), 2, kBase);
  EXPECT_EQ(test_files::slurp(dir + "tmp.html"), logFileBytes(log));

  // Morning on a vote page: the vote alarm gives way to the daytime alarm,
  // and comes back on the next refresh; then nothing new.
  const std::string vote = gamePage(false, kVote);
  for (int i = 0; i < 3; ++i) complete(vote);
  EXPECT_EQ(opened(), (Texts{"monst01.wav", "se-037.wav", "bird.wav", "se-037.wav"}));
  EXPECT_EQ(d.launcher.launches.size(), 1u);
}

TEST_F(ClientTest, AVictorySoundsOnceAndShowsTheLogOfADayTheClientFollowed) {
  start();
  complete("<html><body>lobby</body></html>", kStart);
  EXPECT_TRUE(d.sound.readied.empty());  // no game can end on the lobby's pages
  const std::string won = gamePage(true, kWolvesWin);
  complete(gamePage(false));
  EXPECT_EQ(d.sound.readied, (Texts{dir + "tamhe06.mid"}));  // the villagers' win, the first song
  complete(won);
  complete(won);
  complete(gamePage(false, kWolvesWin));
  EXPECT_EQ(opened(), (Texts{"tam-g09.mid"}));
  EXPECT_EQ(d.sound.readied.size(), 1u);
  EXPECT_EQ(d.launcher.launches.size(), 1u);
  EXPECT_FALSE(d.window.enabled[Command::copySpeeches]);

  // Sound switched off and on: the alarm again, the log not.
  client->setSoundOn(false);
  client->setSoundOn(true);
  complete(won);
  EXPECT_EQ(opened(), (Texts{"tam-g09.mid", "tam-g09.mid"}));
  EXPECT_EQ(d.launcher.launches.size(), 1u);

  // A victory right after nightfall: that night's page already showed the log.
  client->returnToTop();
  complete(gamePage(false));
  complete(gamePage(true));
  complete(gamePage(false, "「村　人」の勝利です！</font>"));
  EXPECT_EQ(opened().back(), "tamhe06.mid");
  EXPECT_EQ(d.launcher.launches.size(), 2u);

  // A game already over when first seen: its alarm, no log.
  client->returnToTop();
  complete(won);
  EXPECT_EQ(opened().back(), "tam-g09.mid");
  EXPECT_EQ(d.launcher.launches.size(), 2u);
}

TEST_F(ClientTest, RegistrationSoundsItsAlarmAndAnyOtherPageStopsEverything) {
  start();
  const std::string reg = sj("<html><title>登録</title><B>村民登録書</B></html>");
  complete(gamePage(false));
  complete(reg);
  complete(reg);
  complete(gamePage(true));  // the registration page left the phase alone
  EXPECT_EQ(opened(), (Texts{"tam-g07.mid", "monst01.wav"}));
  EXPECT_EQ(sounding(), (Texts{"monst01.wav"}));
  const SoundId night = lastSound();

  complete(sj("<html><title>トップ</title><body>ようこそ</body></html>"), kStart);
  EXPECT_EQ(d.window.caption, "トップ");
  EXPECT_TRUE(released(night));
  EXPECT_TRUE(sounding().empty());
  client->refresh();  // such a page has no form to post
  EXPECT_EQ(lastNavigation().url, kStart);
  EXPECT_EQ(lastNavigation().body, "");
  complete(gamePage(false));  // the phase was forgotten
  EXPECT_EQ(opened().size(), 2u);
}

// A page that is no game page and came from the bare script address cannot
// be asked for again without its form: the game page's form is posted
// instead, and with no game page yet, automatic refresh pauses.
TEST_F(ClientTest, ANonGameAnswerFromTheScriptIsRefreshedWithTheGamesForm) {
  const std::string error = sj("<html><title>エラー</title><body>しばらくお待ちください。</body></html>");
  start();
  client->toggleAutoRefresh();
  complete(error);  // a login form, before any game page
  EXPECT_TRUE(d.statusBar.refreshPaused);
  EXPECT_FALSE(d.timer.running);
  const size_t before = d.browser.navigations.size();
  d.timer.running = true;  // a tick already on its way
  d.timer.fire();
  EXPECT_EQ(d.browser.navigations.size(), before);

  complete(gamePage(false));  // the player logged in
  EXPECT_FALSE(d.statusBar.refreshPaused);
  EXPECT_TRUE(d.timer.running);
  complete(error);  // an error in the middle of the game
  EXPECT_FALSE(d.statusBar.refreshPaused);
  d.timer.fire();
  EXPECT_EQ(lastNavigation().url, kCgi);
  EXPECT_EQ(lastNavigation().body, kBody);

  // A page reached by its own address is asked for by it, as ever.
  const std::string reg = sj("<html><title>登録</title><B>村民登録書</B></html>");
  complete(reg, kCgi + "?COMMAND=ENTRY");
  d.timer.fire();
  EXPECT_EQ(lastNavigation().url, kCgi + "?COMMAND=ENTRY");
  EXPECT_EQ(lastNavigation().body, "");

  // Back at the top, the game before is no longer the player's.
  client->returnToTop();
  navigate(kStart);
  client->toggleAutoRefresh();
  complete(error);
  EXPECT_TRUE(d.statusBar.refreshPaused);
  client->toggleAutoRefresh();
  EXPECT_FALSE(d.statusBar.refreshPaused);  // told only while switched on
}

TEST_F(ClientTest, TheCapacityNoticeComesOnceAndTheAlarmAfterTheBoxIsClosed) {
  start();
  client->toggleAutoRefresh();
  const std::string full = preDayPage("（定員：16人） [生存中 16人]");
  complete(full);
  ASSERT_EQ(d.notices.notices.size(), 1u);
  EXPECT_EQ(d.notices.notices[0].text,
            "参加者定員到達アラームをセットしました。自動更新をONにしてください。\n"
            "アラームが鳴り始めた後に音を止めるには、ゲーム画面のどこかをクリックしてください。");
  EXPECT_EQ(d.notices.notices[0].caption, "お知らせ");
  EXPECT_EQ(d.notices.notices[0].icon, MessageIcon::information);
  EXPECT_TRUE(opened().empty());
  EXPECT_FALSE(d.window.enabled[Command::copySpeeches]);

  d.notices.closeNotice();
  EXPECT_EQ(opened(), (Texts{"bin100818210142001.wav"}));
  EXPECT_FALSE(d.timer.running);  // the lobby page stays as it is
  EXPECT_FALSE(d.window.checked[Command::autoRefresh]);
  const SoundId alarm = lastSound();
  d.sound.finishPlaying(alarm);  // it always repeats
  d.sound.finishPlaying(alarm);
  EXPECT_EQ(d.sound.played(), (Texts(3, dir + "bin100818210142001.wav")));
  EXPECT_EQ(sounding(), (Texts{"bin100818210142001.wav"}));

  client->pageClicked();
  EXPECT_TRUE(released(alarm));
  EXPECT_TRUE(sounding().empty());
  complete(full);  // neither the notice nor the alarm again
  EXPECT_EQ(d.notices.notices.size(), 1u);
  EXPECT_EQ(opened().size(), 1u);

  // Followed afresh after a return to the top; off the pre-day page it stops.
  client->returnToTop();
  complete(full);
  EXPECT_EQ(d.notices.notices.size(), 2u);
  d.notices.closeNotice();
  ASSERT_EQ(opened().size(), 2u);
  complete(gamePage(false));
  EXPECT_TRUE(released(lastSound()));

  // Disarmed in the sound settings: neither notice nor alarm.
  SoundPageValues page = soundPageValuesFrom(client->settings(), 2);
  page.checks.clear();
  ASSERT_TRUE(client->confirmSoundSheet({nullptr, nullptr, &page}));
  client->returnToTop();
  complete(full);
  EXPECT_EQ(d.notices.notices.size(), 2u);
  EXPECT_EQ(opened().size(), 2u);
}

TEST_F(ClientTest, RefusedAddressesReturnToTheStartPageWithTheLastBody) {
  start();
  client->toggleAutoRefresh();
  complete(gamePage(false));
  complete(gamePage(true));
  const SoundId night = lastSound();
  for (const std::string& url : {kBase, kBase + "index.html", std::string("./")}) {
    SCOPED_TRACE(url);
    EXPECT_TRUE(navigate(url));
    EXPECT_TRUE(lastNavigation().post);
    EXPECT_EQ(lastNavigation().url, kStart);
    EXPECT_EQ(lastNavigation().body, kBody);
    EXPECT_EQ(lastNavigation().headers, "Content-Type: application/x-www-form-urlencoded\nReferer: " + kCgi);
  }
  EXPECT_EQ(d.browser.stops, 3);
  EXPECT_TRUE(released(night));
  EXPECT_TRUE(sounding().empty());
  for (const std::string& url : {kBase + "INDEX.html", kBase + "index.htm", std::string(".//"), kBase + "?x"})
    EXPECT_FALSE(navigate(url)) << url;
  EXPECT_EQ(d.browser.navigations.size(), 4u);
  EXPECT_TRUE(d.timer.running);

  // Reaching the start page switches automatic refresh off.
  EXPECT_FALSE(navigate(kStart));
  EXPECT_FALSE(d.timer.running);
  EXPECT_FALSE(d.window.checked[Command::autoRefresh]);
  complete(gamePage(false));  // followed afresh: the first game page is silent
  EXPECT_EQ(opened().size(), 1u);
}

TEST_F(ClientTest, ThePlayersPagesRestartTheCountdownButATimerRefreshDoesNot) {
  start();
  complete(gamePage(false));
  client->refresh();
  EXPECT_TRUE(lastNavigation().post);
  EXPECT_EQ(lastNavigation().url, kCgi);
  EXPECT_EQ(lastNavigation().body, kBody);

  client->toggleAutoRefresh();
  EXPECT_TRUE(d.window.checked[Command::autoRefresh]);
  EXPECT_EQ(d.timer.interval, 10000u);
  const size_t navigations = d.browser.navigations.size();  // no refresh at once
  d.timer.fire();
  ASSERT_EQ(d.browser.navigations.size(), navigations + 1);
  EXPECT_EQ(lastNavigation().body, kBody);
  complete(gamePage(false));  // the tick's page
  EXPECT_EQ(d.timer.starts, 1);
  complete(gamePage(false));  // a page the player loaded
  EXPECT_EQ(d.timer.starts, 2);

  // A new interval applies to the running countdown at once.
  GeneralDialogTexts texts = generalDialogTextsFrom(client->settings());
  texts.interval = "9";
  EXPECT_EQ(client->confirmGeneralSettings(texts), GeneralOkResult::badInterval);
  EXPECT_EQ(d.timer.starts, 2);
  texts.interval = "30";
  EXPECT_EQ(client->confirmGeneralSettings(texts), GeneralOkResult::saved);
  EXPECT_EQ(d.timer.interval, 30000u);
  EXPECT_NE(test_files::slurp(ini).find("jidokosin_kankaku=30"), std::string::npos);

  client->toggleAutoRefresh();
  EXPECT_FALSE(d.timer.running);
  EXPECT_FALSE(d.window.checked[Command::autoRefresh]);
}

TEST_F(ClientTest, SpeechesAreCopiedAsShownAndReverseModeKeepsTheScroll) {
  start();
  EXPECT_FALSE(d.window.enabled.at(Command::copySpeeches));
  d.clipboard.text = "kept";
  complete(sj("<html><title>t</title></html>"));
  client->copySpeeches();
  EXPECT_EQ(d.clipboard.text, "kept");  // not a game page
  complete(gamePage(false));
  client->copySpeeches();
  EXPECT_EQ(d.clipboard.text, "◆太郎「one」\r\n◆花子「two」\r\n");
  navigate(kCgi);  // the first page left: no scroll position to keep yet
  EXPECT_FALSE(d.window.enabled[Command::copySpeeches]);

  client->toggleReverseRows();
  EXPECT_TRUE(d.window.checked[Command::reverseRows]);
  EXPECT_TRUE(lastNavigation().post);  // the page is read again at once
  d.browser.scroll = {3, 1234};
  navigate(kCgi);
  complete(gamePage(false));
  ASSERT_EQ(d.browser.shown.size(), 1u);
  const std::string shown = d.browser.shown[0].first;
  EXPECT_EQ(d.browser.shown[0].second, kCgi);
  EXPECT_EQ(d.browser.shownCharset, "Shift_JIS");  // the page's own bytes, shown as they came
  EXPECT_LT(shown.find("two"), shown.find("one"));
  EXPECT_NE(shown.find("action=\"" + kCgi), std::string::npos);
  // The rewritten page completing is only scrolled, not read again.
  d.window.caption = "kept";
  client->documentComplete(shiftJisToUtf16(kCgi), shiftJisToUtf16(shown));
  EXPECT_EQ(d.window.caption, "kept");
  EXPECT_EQ(d.browser.shown.size(), 1u);
  ASSERT_EQ(d.browser.scrolledTo.size(), 3u);
  for (size_t i : {1, 2}) EXPECT_TRUE(d.browser.scrolledTo[i].left == 3 && d.browser.scrolledTo[i].top == 1234);
  client->copySpeeches();
  EXPECT_LT(d.clipboard.text.find("two"), d.clipboard.text.find("one"));

  // The view's report of a scroll just made can lag; a refresh asks the page.
  d.browser.scroll = {0, 0};
  d.browser.pageScroll = ScrollPosition{0, 777};
  client->refresh();
  navigate(kCgi);
  complete(gamePage(false));
  client->documentComplete(shiftJisToUtf16(kCgi), shiftJisToUtf16(d.browser.shown.back().first));
  EXPECT_EQ(d.browser.scrolledTo.back().top, 777);
}

TEST_F(ClientTest, SoundOffStopsTheAlarmAndSilencesEverythingButTheCapacityAlarm) {
  start("[SOUND1]\nnight_sound_roop_check=1\n");
  complete(gamePage(false));
  complete(gamePage(true));
  const SoundId night = lastSound();
  const size_t navigations = d.browser.navigations.size();
  client->setSoundOn(false);
  EXPECT_TRUE(d.window.checked[Command::soundOff]);
  EXPECT_FALSE(d.window.checked[Command::soundOn]);
  EXPECT_TRUE(released(night));
  EXPECT_TRUE(sounding().empty());
  EXPECT_EQ(d.browser.navigations.size(), navigations);
  d.sound.fireEnd(night);  // a late notice
  EXPECT_EQ(d.sound.count("playNotify"), 1u);
  EXPECT_TRUE(sounding().empty());

  complete(gamePage(false));
  complete(gamePage(true));
  EXPECT_EQ(opened(), (Texts{"monst01.wav"}));
  EXPECT_EQ(d.launcher.launches.size(), 2u);  // the log all the same
  complete(preDayPage("（定員：5人） [生存中 5人]"));
  d.notices.closeNotice();
  EXPECT_EQ(opened().back(), "bin100818210142001.wav");
  EXPECT_EQ(sounding(), (Texts{"bin100818210142001.wav"}));
  d.sound.finishPlaying(lastSound());  // but not repeated while the sound is off
  EXPECT_EQ(d.sound.count("playNotify"), 2u);
  EXPECT_TRUE(sounding().empty());

  client->setSoundOn(true);  // the page is read again so that its alarm sounds now
  EXPECT_TRUE(d.window.checked[Command::soundOn]);
  EXPECT_EQ(lastNavigation().url, kCgi);
  EXPECT_TRUE(lastNavigation().post);
}

TEST_F(ClientTest, AnAlarmRepeatsOnAFinishedPlayOnlyWhenItsLoopFlagIsOne) {
  start("[SOUND1]\nnight_sound_roop_check=1\ndaytime_sound_roop_check=2\n");
  complete(gamePage(false));
  complete(gamePage(true));
  const SoundId night = lastSound();
  size_t from = d.sound.calls.size();
  d.sound.finishPlaying(night);
  d.sound.fireEnd(night, PlayEnd::cutShort);
  d.sound.fireEnd(SoundId(night.value() + 40));
  const std::string n = std::to_string(night.value());
  EXPECT_EQ(deviceCalls(from), (Texts{"playNotify:" + n}));
  EXPECT_EQ(sounding(), (Texts{"monst01.wav"}));

  from = d.sound.calls.size();
  complete(gamePage(false));  // a new alarm stops the old one first
  const std::string m = std::to_string(lastSound().value());
  EXPECT_EQ(deviceCalls(from), (Texts{"stop:" + n, "close:" + n, "open:" + m, "play:" + m}));
  EXPECT_EQ(sounding(), (Texts{"bird.wav"}));
  from = d.sound.calls.size();
  d.sound.finishPlaying(lastSound());  // played once, without a notice
  d.sound.fireEnd(night);
  EXPECT_EQ(deviceCalls(from), Texts{});
  EXPECT_TRUE(sounding().empty());

  // New sound settings stop the alarm, read the page again and apply.
  SoundPageValues page = soundPageValuesFrom(client->settings(), 0);
  page.texts[{AlarmKind::night, AlarmField::soundPath}] = "owl.wav";
  EXPECT_TRUE(client->confirmSoundSheet({&page, nullptr, nullptr}));
  EXPECT_TRUE(released(lastSound()));
  EXPECT_EQ(lastNavigation().url, kCgi);
  complete(gamePage(true));
  EXPECT_EQ(opened().back(), "owl.wav");
}

TEST_F(ClientTest, TriggerTextsOfTheFileAndOfTheSheetReadThePages) {
  // jinro.ini holds the trigger in Shift_JIS, the settings in UTF-8; the page
  // is matched in its own bytes.
  start("[SOUND1]\nkodo_trigger_string=月影村の朝\nkodo_sound_path=kodo.wav\nkodo_sound_roop_check=0\n");
  EXPECT_EQ(client->settings().alarm(AlarmKind::kodo).trigger, "月影村の朝");
  complete(gamePage(false));
  complete(gamePage(false, "月影村の朝"));
  const std::string kodo = dir + "kodo.wav";
  EXPECT_EQ(d.sound.played(), Texts{kodo});

  // A trigger typed in the sheet reads the very next page: the same words
  // now tell voting time.
  SoundPageValues page = soundPageValuesFrom(client->settings(), 0);
  page.texts[{AlarmKind::tohyo, AlarmField::trigger}] = "月影村の朝";
  page.texts[{AlarmKind::tohyo, AlarmField::soundPath}] = "tohyo.wav";
  ASSERT_TRUE(client->confirmSoundSheet({&page, nullptr, nullptr}));
  complete(gamePage(false));
  complete(gamePage(false, "月影村の朝"));
  EXPECT_EQ(d.sound.played(), (Texts{kodo, dir + "tohyo.wav"}));
}

TEST_F(ClientTest, AnAlarmThatCannotSoundIsToldOnTheStatusLineAndStandardError) {
  start("[SOUND1]\nnight_sound_path=夜.wav\n");
  const std::string owl = dir + "夜.wav";  // the sound device gets the path in UTF-8
  d.sound.failures[owl] = owl + ": the WAV file is truncated\x1b";  // shown as '?'
  d.sound.failures[dir + "se-037.wav"] = "no audio output";
  ::testing::internal::CaptureStderr();
  complete(gamePage(false));
  complete(gamePage(true));
  complete(gamePage(true));
  EXPECT_EQ(d.statusBar.status, "警報音を鳴らせません（夜に変わった時）: 夜.wav: the WAV file is truncated?");
  EXPECT_EQ(d.sound.count("open"), 1u);  // the same page does not try again

  // The latest failure is shown, with the number of the others.
  complete(gamePage(false, kVote));
  EXPECT_EQ(d.statusBar.status, "警報音を鳴らせません（投票時間中）: no audio output ほか 1 件");
  // Mended, each one goes.
  d.sound.failures.clear();
  complete(gamePage(false, kVote));
  EXPECT_EQ(d.statusBar.status, "警報音を鳴らせません（夜に変わった時）: 夜.wav: the WAV file is truncated?");
  complete(gamePage(true));
  EXPECT_EQ(d.statusBar.status, "");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("the night alarm is silent: 夜.wav: the WAV file is truncated?"), std::string::npos) << err;
  EXPECT_NE(err.find("the tohyo alarm is silent: no audio output"), std::string::npos) << err;
}

TEST_F(ClientTest, WindowCommandsAndTheCloseReachTheLogViewersToo) {
  start();
  ASSERT_EQ(d.browser.navigations.size(), 1u);
  EXPECT_EQ(d.browser.navigations[0].url, kStart);
  EXPECT_FALSE(d.browser.navigations[0].post);
  EXPECT_TRUE(d.window.checked[Command::soundOn]);
  client->toggleAutoRefresh();
  complete(gamePage(false));
  complete(gamePage(true));
  const SoundId night = lastSound();
  d.window.currentGeometry = {-20, 0, 720, 0, WindowGeometry::State::maximized, false};

  client->minimizeAll();
  client->moveAllTopLeft();
  EXPECT_EQ(d.window.events, (Texts{"minimize", "moveToTopLeft"}));

  client->close();
  EXPECT_FALSE(d.timer.running);
  EXPECT_TRUE(released(night));
  const std::vector<std::pair<SweepKind, std::string>> sweeps = {{SweepKind::minimize, kViewerWindowClass},
                                                                 {SweepKind::moveTopLeft, kViewerWindowClass},
                                                                 {SweepKind::close, kViewerWindowClass}};
  EXPECT_EQ(d.sweeper.sweeps, sweeps);
  // The browser is let go: nothing more is asked of it or read from it.
  const size_t navigations = d.browser.navigations.size();
  EXPECT_FALSE(navigate(kBase));
  client->refresh();
  complete(sj("<title>later</title>"));
  EXPECT_EQ(d.browser.navigations.size(), navigations);
  EXPECT_EQ(d.browser.stops, 0);
  EXPECT_NE(d.window.caption, "later");

  // A maximised window comes back maximised.
  fake::FakeDesktop next;
  Client(desktopOf(next), dir).restorePlacement();
  ASSERT_EQ(next.window.applied.size(), 1u);
  const WindowGeometry& g = next.window.applied[0];
  EXPECT_EQ(g.state, WindowGeometry::State::maximized);
  EXPECT_EQ(g.left, -20);
  EXPECT_EQ(g.width, 720);
}

TEST_F(ClientTest, ASettingsFileThatCannotBeWrittenIsToldOnce) {
  start();
  client->checkSettingsWritable();
  EXPECT_TRUE(d.notices.notices.empty());
  std::filesystem::create_directory(ini);
  ::testing::internal::CaptureStderr();
  client->checkSettingsWritable();
  client->close();
  const std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(d.notices.notices.size(), 1u);
  EXPECT_EQ(d.notices.notices[0].caption, "設定を保存できません");
  EXPECT_EQ(d.notices.notices[0].icon, MessageIcon::error);
  const std::string line = "the settings could not be saved to jinro.ini: ";
  EXPECT_NE(err.find(line + ini + " is not a regular file"), std::string::npos) << err;
  EXPECT_NE(err.find(line), err.rfind(line)) << err;  // told on standard error each time
  // The dialogs say it themselves.
  EXPECT_EQ(client->confirmGeneralSettings(generalDialogTextsFrom(client->settings())),
            GeneralOkResult::writeFailed);
  EXPECT_EQ(d.notices.notices.size(), 1u);
}

TEST_F(ClientTest, PagesAreReadAsFarAsThePageTextHolds) {
  start();
  // 511,999 bytes, whether from as many UTF-16 units or from half as many.
  std::string kanji;
  for (size_t i = 0; i < (kPageTextLimit - 15) / 2; ++i) kanji += sj("日");
  complete("<title>" + kanji + "</title>");
  EXPECT_EQ(d.window.caption, shiftJisToUtf8(kanji.substr(0, 254)));
  for (const std::string& page : {"<title>v" + kanji + "</title>", "<title>t" + std::string(kPageTextLimit - 15, ' ') +
                                                                        "</title>"})
    complete(page);
  client->documentComplete(shiftJisToUtf16(kCgi), std::u16string(u"<title>w\0</title>", 17));  // ends at the zero
  EXPECT_EQ(d.window.caption, shiftJisToUtf8(kanji.substr(0, 254)));
  complete("<title>t" + std::string(kPageTextLimit - 16, ' ') + "</title>");
  EXPECT_EQ(d.window.caption, "t" + std::string(254, ' '));
}

TEST_F(ClientTest, AnAlarmInTheBackgroundIsToldByTheDesktopOnceAndNotAtTheWindow) {
  start();
  client->setNotifier(&d.notifier);
  complete(gamePage(false));
  d.window.windowActive = false;
  complete(gamePage(true));
  complete(gamePage(true));  // the same alarm: nothing new to tell
  ASSERT_EQ(d.notifier.shown.size(), 1u);
  EXPECT_EQ(d.notifier.shown[0].summary, "人狼クライアント");
  EXPECT_EQ(d.notifier.shown[0].body, "夜に変わった時");
  EXPECT_EQ(d.window.attentionRequests, 1);

  // The player at the window hears the vote alarm; nothing else tells it.
  d.window.windowActive = true;
  complete(gamePage(true, kVote));
  EXPECT_EQ(opened().back(), "se-037.wav");
  EXPECT_EQ(d.notifier.shown.size(), 1u);
  EXPECT_EQ(d.window.attentionRequests, 1);

  // Morning on a vote page, in the background: of the alarms that start
  // within one page, the one left sounding is told.
  d.window.windowActive = false;
  client->returnToTop();
  complete(gamePage(true));
  complete(gamePage(false, kVote));
  EXPECT_EQ(opened().back(), "bird.wav");
  ASSERT_EQ(d.notifier.shown.size(), 2u);
  EXPECT_EQ(d.notifier.shown[1].body, "昼に変わった時");
}

TEST_F(ClientTest, EachSwitchOfTheNotificationsTurnsOffItsOwnWayOnly) {
  start("[ZENPAN]\r\nnotify_desktop=0\r\n");
  client->setNotifier(&d.notifier);
  d.window.windowActive = false;
  complete(gamePage(false));
  complete(gamePage(true));
  EXPECT_TRUE(d.notifier.shown.empty());
  EXPECT_EQ(d.window.attentionRequests, 1);

  GeneralDialogTexts texts = generalDialogTextsFrom(client->settings());
  texts.notifyDesktop = true;
  texts.notifyUrgency = false;
  ASSERT_EQ(client->confirmGeneralSettings(texts), GeneralOkResult::saved);
  complete(gamePage(true, kVote));
  ASSERT_EQ(d.notifier.shown.size(), 1u);
  EXPECT_EQ(d.notifier.shown[0].body, "投票時間中");
  EXPECT_EQ(d.window.attentionRequests, 1);
}

SpeechDraft draft(std::u16string text) {
  SpeechDraft d;
  d.text = std::move(text);
  d.selects = {{u"COMMAND", u"MSG"}, {u"CMBPLAYER", u""}};
  d.selectionStart = d.selectionEnd = 1;
  return d;
}

TEST_F(ClientTest, ARefreshPutsTheSpeechDraftBackWithoutSendingIt) {
  start();
  arrive();
  client->refresh();
  const std::string body = d.browser.navigations.back().body;
  arrive();
  d.browser.draft = draft(u"私は占い師です");
  client->refresh();
  EXPECT_EQ(d.browser.navigations.back().body, body);  // the draft is never posted
  EXPECT_TRUE(d.browser.restoredDrafts.empty());
  arrive();
  ASSERT_EQ(d.browser.restoredDrafts.size(), 1u);
  EXPECT_EQ(d.browser.restoredDrafts[0], draft(u"私は占い師です"));

  // A page without a box keeps it waiting; the player leaving drops it.
  d.browser.boxTakesDraft = false;
  client->refresh();
  arrive();
  d.browser.boxTakesDraft = true;
  client->refuseNavigation(u"cgi_jinro.cgi?COMMAND=LOGVIEW");
  client->documentComplete(u"x", shiftJisToUtf16(gamePage(false)));
  EXPECT_EQ(d.browser.restoredDrafts.size(), 1u);

  // Newest-first: the draft goes into the rewritten page once it is shown.
  client->toggleReverseRows();
  arrive();
  EXPECT_EQ(d.browser.restoredDrafts.size(), 1u);
  ASSERT_EQ(d.browser.shown.size(), 1u);
  client->documentComplete(u"data:", shiftJisToUtf16(d.browser.shown[0].first));
  EXPECT_EQ(d.browser.restoredDrafts.size(), 2u);
  EXPECT_EQ(d.statusBar.gameStatus, "12日目 昼");
}

TEST_F(ClientTest, ATickWaitsWhileThePlayerTypesButNoLongerThanTheNextTick) {
  start();
  arrive();
  const auto posts = [&] { return d.browser.navigations.size(); };
  client->toggleAutoRefresh();
  const size_t before = posts();
  client->typingChanged(true);
  d.timer.fire();
  EXPECT_EQ(posts(), before);
  EXPECT_TRUE(d.statusBar.refreshWaiting);
  client->typingChanged(false);  // the pause: the refresh goes now
  EXPECT_EQ(posts(), before + 1);
  EXPECT_FALSE(d.statusBar.refreshWaiting);

  client->typingChanged(true);
  d.timer.fire();
  d.timer.fire();  // still typing a whole interval later
  EXPECT_EQ(posts(), before + 2);
  client->typingChanged(false);
  EXPECT_EQ(posts(), before + 2);  // nothing waited any more
  client->refresh();               // by hand: never held back
  EXPECT_EQ(posts(), before + 3);
}

TEST_F(ClientTest, ACrashedPageIsLoadedAgainButNotInALoop) {
  start();
  client->pageCrashed();  // nothing shown yet: the start page again
  EXPECT_EQ(lastNavigation().url, kStart);
  EXPECT_FALSE(lastNavigation().post);
  complete(gamePage(false));
  EXPECT_EQ(d.statusBar.status, "表示が停止したため再読み込みしました");  // the page loaded again keeps the note

  client->pageCrashed();
  EXPECT_EQ(lastNavigation().url, kCgi);
  EXPECT_EQ(lastNavigation().body, kBody);
  arrive(gamePage(true));
  EXPECT_EQ(opened(), (Texts{"monst01.wav"}));  // the alarms carry on
  complete(gamePage(true));
  EXPECT_EQ(d.statusBar.status, "");  // the next page clears it

  // The third crash within the minute stops the retries.
  const size_t before = d.browser.navigations.size();
  client->pageCrashed();
  EXPECT_EQ(d.browser.navigations.size(), before);
  EXPECT_NE(d.statusBar.status.find("再読み込みを止めました"), std::string::npos);
  // The player's refresh tries again, and so does the next crash.
  client->refresh();
  EXPECT_EQ(d.browser.navigations.size(), before + 1);
  client->pageCrashed();
  EXPECT_EQ(d.browser.navigations.size(), before + 2);
}

TEST(CrashRecovery, ThreeCrashesWithinAMinuteStopUntilARefresh) {
  auto now = std::chrono::steady_clock::time_point{};
  CrashRecovery crashes([&now] { return now; });
  EXPECT_TRUE(crashes.crashed());
  now += std::chrono::seconds(59);
  EXPECT_TRUE(crashes.crashed());
  now += std::chrono::seconds(2);  // the first is over a minute old
  EXPECT_TRUE(crashes.crashed());
  crashes.refreshing();  // an ordinary refresh does not forget the crashes
  EXPECT_FALSE(crashes.crashed());
  EXPECT_FALSE(crashes.crashed());
  EXPECT_TRUE(crashes.stopped());
  crashes.refreshing();
  EXPECT_FALSE(crashes.stopped());
  EXPECT_TRUE(crashes.crashed());
}

}  // namespace
}  // namespace jinro
