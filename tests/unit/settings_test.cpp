#include "settings/settings.h"
#include "settings/window_geometry.h"

#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/code_page.h"
#include "unit/test_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "jinro/server_base_url.h"
#include "base/code_page.h"
#include "base/executable_dir.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;

using jinro::test_files::slurp;
using jinro::test_files::spit;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "jinro-settings-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/jinro.ini";
    setSettingsFileOverride(path_);
  }
  void TearDown() override {
    setSettingsFileOverride("");
    std::error_code ec;
    fs::remove_all(dir_, ec);
    fs::current_path(cwd_, ec);
  }
  fs::path cwd_;
  std::string dir_;
  std::string path_;
};

// 投票</font>を行ってください。
const std::string kTohyo = "\x93\x8A\x95[</font>\x82\xF0\x8Ds\x82\xC1\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81" "B";
// 「村　人」の勝利です！</font> (full-width space 0x8140, full-width '!' 0x8149)
const std::string kSonmin = "\x81u\x91\xBA\x81@\x90l\x81v\x82\xCC\x8F\x9F\x97\x98\x82\xC5\x82\xB7\x81I</font>";
// 妖　狐</font>」の勝利です！</font>
const std::string kYoko = "\x97" "d\x81@\x8C\xCF</font>\x81v\x82\xCC\x8F\x9F\x97\x98\x82\xC5\x82\xB7\x81I</font>";
// <B>村民登録書</B>
const std::string kSonmintoroku = "<B>\x91\xBA\x96\xAF\x93o\x98^\x8F\x91</B>";

TEST_F(SettingsTest, NoFileGivesEveryDefault) {
  Settings s;
  s.alarm(AlarmKind::night).repeat = true;
  loadSoundSettings(s);
  loadGeneralSettings(s);

  const AlarmSetting& night = s.alarm(AlarmKind::night);
  EXPECT_EQ(night.leftTrigger, ".CLSTD01");
  EXPECT_EQ(night.middleTrigger, "black");
  EXPECT_EQ(night.rightTrigger, "background-color");
  EXPECT_EQ(night.soundPath, "monst01.wav");
  EXPECT_FALSE(night.repeat);
  EXPECT_EQ(s.alarm(AlarmKind::daytime).soundPath, "bird.wav");
  EXPECT_FALSE(s.alarm(AlarmKind::daytime).repeat);
  EXPECT_EQ(s.alarm(AlarmKind::tohyo).trigger, shiftJisToUtf8(kTohyo));
  EXPECT_TRUE(s.alarm(AlarmKind::tohyo).repeat);
  EXPECT_TRUE(s.alarm(AlarmKind::kodo).repeat);
  EXPECT_EQ(s.alarm(AlarmKind::sonmin).trigger, shiftJisToUtf8(kSonmin));
  EXPECT_EQ(s.alarm(AlarmKind::yoko).trigger, shiftJisToUtf8(kYoko));
  EXPECT_EQ(s.alarm(AlarmKind::sonmintoroku).trigger, shiftJisToUtf8(kSonmintoroku));
  EXPECT_EQ(s.alarm(AlarmKind::sonmintoroku).soundPath, "tam-g07.mid");
  EXPECT_EQ(s.alarm(AlarmKind::full_alarm).soundPath, "bin100818210142001.wav");
  EXPECT_TRUE(s.alarm(AlarmKind::full_alarm).armed);
  EXPECT_TRUE(s.alarm(AlarmKind::daytime).trigger.empty());

  // Every default (UTF-8) round-trips through Shift_JIS, i.e. the file and
  // the pages can hold every character of it.
  for (const SoundKey& k : soundKeys()) {
    const std::string text(k.defaultText);
    EXPECT_EQ(shiftJisToUtf8(utf8ToShiftJis(text)), text) << k.key;
    EXPECT_EQ(utf8ToShiftJis(text).find('?'), std::string::npos) << k.key;
    EXPECT_TRUE(k.key.starts_with(keyPrefix(k.kind))) << k.key;
  }

  const std::string base = kServerBaseUrl;
  EXPECT_EQ(s.startUrl, base + "index2.html");
  EXPECT_EQ(s.frameUrl, base);
  EXPECT_EQ(s.cgiUrl, base + "cgi_jinro.cgi");
  EXPECT_EQ(s.refreshIntervalSeconds, 10u);

  WindowPlacement p;
  loadWindowPlacement(p);
  EXPECT_EQ(p.flags, WPF_SETMINPOSITION);
  EXPECT_EQ(p.showCmd, SW_SHOWNORMAL);
  EXPECT_EQ(p.ptMinPositionX, 200);
  EXPECT_EQ(p.ptMinPositionY, 200);
  EXPECT_EQ(p.ptMaxPositionX, 0);
  EXPECT_EQ(p.ptMaxPositionY, 0);
  EXPECT_EQ(p.rcNormalLeft, 50);
  EXPECT_EQ(p.rcNormalTop, 50);
  EXPECT_EQ(p.rcNormalRight, 650);
  EXPECT_EQ(p.rcNormalBottom, 450);
  EXPECT_FALSE(fs::exists(path_));  // loading never creates the file
}

TEST_F(SettingsTest, ValuesAreTakenAsTheFileGivesThem) {
  spit(path_,
       "[sound1]\n"
       "night_sound_roop_check=2\n"
       "tohyo_trigger_string=\n"
       "kodo_trigger_string = \"  spaced  \" \n"
       "[SOUND3]\r\n"
       "full_alarm_check=0\r\n"
       "[Zenpan]\r\n"
       "jidokosin_kankaku=3\r\n"
       "URL_frame=http://example.org/frame/\r\n");
  Settings s;
  loadSoundSettings(s);
  loadGeneralSettings(s);
  EXPECT_FALSE(s.alarm(AlarmKind::night).repeat);  // 2, not 1: plays once
  EXPECT_EQ(s.alarm(AlarmKind::tohyo).trigger, "");
  EXPECT_EQ(s.alarm(AlarmKind::kodo).trigger, "  spaced  ");
  EXPECT_FALSE(s.alarm(AlarmKind::full_alarm).armed);
  EXPECT_TRUE(s.alarm(AlarmKind::tohyo).repeat);  // absent key keeps its default
  EXPECT_EQ(s.refreshIntervalSeconds, 3u);       // taken as it stands
  EXPECT_EQ(s.frameUrl, "http://example.org/frame/");
  EXPECT_EQ(s.startUrl, std::string(kServerBaseUrl) + "index2.html");
}

TEST_F(SettingsTest, LongTextsAreCutToTheirFieldsOnCharacterBoundaries) {
  // 1022 ASCII bytes then あ: 1024 bytes; the field keeps 1023, which would
  // split あ, so 1022 remain. Paths: 258 + あ.
  const std::string trigger = std::string(1022, 't') + "\x82\xA0";
  const std::string path = std::string(258, 'p') + "\x82\xA0";
  const std::string whole = std::string(257, 'p') + "\x82\xA0";  // 259 bytes: kept, then in UTF-8
  const std::string url = std::string(2000, 'u');
  spit(path_, "[SOUND2]\r\njinro_trigger_string=" + trigger + "\r\njinro_sound_path=" + path +
                  "\r\nyoko_sound_path=" + whole +
                  "\r\n[SOUND3]\r\nnekomata_trigger_string=" + std::string(1023, 'n') +
                  "\r\n[ZENPAN]\r\nURL_cgi=" + url + "\r\n");
  Settings s;
  loadSoundSettings(s);
  loadGeneralSettings(s);
  EXPECT_EQ(s.alarm(AlarmKind::jinro).trigger, std::string(1022, 't'));
  EXPECT_EQ(s.alarm(AlarmKind::jinro).soundPath, std::string(258, 'p'));
  EXPECT_EQ(s.alarm(AlarmKind::yoko).soundPath, std::string(257, 'p') + "あ");
  EXPECT_EQ(s.alarm(AlarmKind::nekomata).trigger, std::string(1023, 'n'));
  EXPECT_EQ(s.cgiUrl, std::string(1023, 'u'));
}

TEST_F(SettingsTest, PlacementRoundTripsWithNegativeAndLargeValues) {
  WindowPlacement p;
  p.flags = WPF_SETMINPOSITION | WPF_RESTORETOMAXIMIZED;
  p.showCmd = 4294967295u;
  p.ptMinPositionX = -32000;
  p.ptMinPositionY = -32000;
  p.ptMaxPositionX = -1;
  p.ptMaxPositionY = 0;
  p.rcNormalLeft = -8;
  p.rcNormalTop = 2147483647;
  p.rcNormalRight = -2147483647 - 1;
  p.rcNormalBottom = 450;
  ASSERT_TRUE(saveWindowPlacement(p));
  EXPECT_EQ(slurp(path_),
            "[WINDOW_PLACEMENT]\r\n"
            "flags=3\r\n"
            "showCmd=4294967295\r\n"
            "ptMinPosition_x=-32000\r\n"
            "ptMinPosition_y=-32000\r\n"
            "ptMaxPosition_x=-1\r\n"
            "ptMaxPosition_y=0\r\n"
            "rcNormalPosition_left=-8\r\n"
            "rcNormalPosition_top=2147483647\r\n"
            "rcNormalPosition_right=-2147483648\r\n"
            "rcNormalPosition_bottom=450\r\n");
  WindowPlacement q;
  loadWindowPlacement(q);
  EXPECT_EQ(q.flags, p.flags);
  EXPECT_EQ(q.showCmd, p.showCmd);
  EXPECT_EQ(q.ptMinPositionX, p.ptMinPositionX);
  EXPECT_EQ(q.ptMinPositionY, p.ptMinPositionY);
  EXPECT_EQ(q.ptMaxPositionX, p.ptMaxPositionX);
  EXPECT_EQ(q.ptMaxPositionY, p.ptMaxPositionY);
  EXPECT_EQ(q.rcNormalLeft, p.rcNormalLeft);
  EXPECT_EQ(q.rcNormalTop, p.rcNormalTop);
  EXPECT_EQ(q.rcNormalRight, p.rcNormalRight);
  EXPECT_EQ(q.rcNormalBottom, p.rcNormalBottom);
}

// The window's geometry is kept in the placement record's shape: the state as
// showCmd and the restore flag, the frame as the normal rectangle; what the
// file holds beside it stays.
TEST_F(SettingsTest, GeometrySavesInThePlacementsShapeKeepingTheRest) {
  spit(path_, "[WINDOW_PLACEMENT]\r\nflags=1\r\nshowCmd=1\r\nptMinPosition_x=-32000\r\nptMinPosition_y=-32000\r\n");
  WindowGeometry g{-8, 30, 1040, 790, WindowGeometry::State::maximized, false};
  ASSERT_TRUE(saveWindowGeometry(g));
  EXPECT_EQ(slurp(path_),
            "[WINDOW_PLACEMENT]\r\nflags=3\r\nshowCmd=3\r\nptMinPosition_x=-32000\r\nptMinPosition_y=-32000\r\n"
            "ptMaxPosition_x=0\r\nptMaxPosition_y=0\r\nrcNormalPosition_left=-8\r\nrcNormalPosition_top=30\r\n"
            "rcNormalPosition_right=1032\r\nrcNormalPosition_bottom=820\r\n");
  EXPECT_EQ(loadWindowGeometry(), g);
  g.state = WindowGeometry::State::normal;
  ASSERT_TRUE(saveWindowGeometry(g));
  EXPECT_NE(slurp(path_).find("flags=1\r\nshowCmd=1\r\n"), std::string::npos);
}

TEST_F(SettingsTest, NotificationSwitchesReadOnWithoutTheirKeysAndOffOnlyWhenZero) {
  spit(path_, "[ZENPAN]\nURL_cgi=x\njidokosin_kankaku=30\n");
  Settings s;
  loadGeneralSettings(s);
  EXPECT_TRUE(s.notifyDesktop);
  EXPECT_TRUE(s.notifyUrgency);
  EXPECT_EQ(s.refreshIntervalSeconds, 30u);
  spit(path_, "[ZENPAN]\nnotify_desktop=0\nnotify_urgency=2\nURL_cgi=x\n");
  loadGeneralSettings(s);
  EXPECT_FALSE(s.notifyDesktop);
  EXPECT_TRUE(s.notifyUrgency);
  EXPECT_EQ(s.cgiUrl, "x");
}

TEST_F(SettingsTest, SavingASectionKeepsTheOthersAndDropsUnknownKeys) {
  const std::string sound = "[SOUND2]\nsonmin_sound_path=own.mid\n\n";
  const std::string custom = "[MyNotes]\nremember=this\n";
  spit(path_, sound + "[ZENPAN]\nURL_cgi=x\nhand_written=1\n" + custom);
  ASSERT_TRUE(writeSection("ZENPAN", {{"URL_non_frame", "a"}, {"URL_frame", "b"}, {"jidokosin_kankaku", "20"},
                                      {"URL_cgi", "c"}}));
  EXPECT_EQ(slurp(path_), sound +
                              "[ZENPAN]\r\nURL_non_frame=a\r\nURL_frame=b\r\njidokosin_kankaku=20\r\nURL_cgi=c\r\n" +
                              custom);
  WindowPlacement p;
  ASSERT_TRUE(saveWindowPlacement(p));
  Settings s;
  loadSoundSettings(s);
  loadGeneralSettings(s);
  EXPECT_EQ(s.alarm(AlarmKind::sonmin).soundPath, "own.mid");
  EXPECT_EQ(s.refreshIntervalSeconds, 20u);
  EXPECT_EQ(s.cgiUrl, "c");
  EXPECT_NE(slurp(path_).find(custom), std::string::npos);
}

TEST_F(SettingsTest, HostileFileLoadsWithoutHarm) {
  // Zero bytes, a directory in the file's place, a huge single line.
  const char raw[] = "[SOUND1]\nnight_sound_path=a\0b.wav\n\0\0\n[ZENPAN]\njidokosin_kankaku=25\0junk\n";
  spit(path_, std::string_view(raw, sizeof raw - 1));
  Settings s;
  loadSoundSettings(s);
  loadGeneralSettings(s);
  EXPECT_EQ(s.alarm(AlarmKind::night).soundPath, "a");
  EXPECT_EQ(s.refreshIntervalSeconds, 25u);

  fs::remove(path_);
  fs::create_directory(path_);
  Settings d;
  loadSoundSettings(d);
  EXPECT_EQ(d.alarm(AlarmKind::tohyo).trigger, shiftJisToUtf8(kTohyo));
  WindowPlacement p;
  EXPECT_FALSE(saveWindowPlacement(p));
  EXPECT_TRUE(fs::is_directory(path_));
}

TEST(SettingsFilePath, IsBesideTheExecutableWhereverThePlayerStartsIt) {
  const fs::path before = fs::current_path();
  fs::current_path(fs::temp_directory_path());
  EXPECT_EQ(settingsFilePath(), executableDirectory() + "jinro.ini");
  // The program then works from its own folder, where the sounds lie.
  EXPECT_EQ(enterExecutableDirectory(), executableDirectory());
  EXPECT_EQ(fs::current_path().string() + "/", executableDirectory());
  fs::current_path(before);
}

}  // namespace
}  // namespace jinro
