// What the settings dialogs write into jinro.ini and what an OK sets off,
// against a real file in a temporary folder.
#include "settings/settings_sections.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/client.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"

namespace fs = std::filesystem;
using namespace jinro;

namespace {

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

// The lines of one section of the file, without the header.
std::string sectionOf(const std::string& file, const std::string& name) {
  const std::string header = "[" + name + "]";
  size_t start = file.find(header);
  if (start == std::string::npos) return "<none>";
  start = file.find('\n', start);
  start = start == std::string::npos ? file.size() : start + 1;
  size_t end = file.find("\n[", start);
  return file.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("jinro_sections_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ini_ = dir_ / "jinro.ini";
    fs::remove(ini_);
    setSettingsFileOverride(ini_.string());
    reload();
  }
  void TearDown() override {
    setSettingsFileOverride("");
    fs::remove_all(dir_);
  }

  // The client loads the file it is pointed at and requests the start page.
  void reload() {
    client_.start();
    fake_.browser.navigations.clear();
  }

  fs::path dir_;
  fs::path ini_;
  fake::FakeDesktop fake_;
  Client client_{fake::desktopOf(fake_),
                 "/nonexistent/"};
};

// The texts of the general dialog as the user left them.
GeneralDialogTexts texts(std::string interval) {
  GeneralDialogTexts t;
  t.startUrl = "http://a.example/index2.html";
  t.frameUrl = "http://a.example/";
  t.cgiUrl = "http://a.example/cgi_jinro.cgi";
  t.interval = std::move(interval);
  return t;
}

}  // namespace

TEST(DialogBoxText, CutsTo259BytesOfShiftJisWithoutSplittingACharacter) {
  EXPECT_EQ(dialogBoxText(std::string(300, 'a')), std::string(259, 'a'));
  // 258 ASCII bytes then "村" (0x91 0xBA): the character would need bytes 259 and 260.
  const std::string split = std::string(258, 'a') + "村" + "zz";
  EXPECT_EQ(dialogBoxText(split), std::string(258, 'a'));
  // Double-byte characters whose second byte looks like ASCII ("ソ" 0x83 0x5C) stay whole.
  std::string kana, halfWidth;
  for (int i = 0; i < 150; ++i) kana += "ソ";
  EXPECT_EQ(dialogBoxText(kana).size(), 258u);
  EXPECT_EQ(dialogBoxText(kana).substr(0, 4), "\x83\x5C\x83\x5C");
  // Half-width katakana are single bytes: a full 259.
  for (int i = 0; i < 300; ++i) halfWidth += "ｱ";
  EXPECT_EQ(dialogBoxText(halfWidth), std::string(259, '\xB1'));
  // What Shift_JIS cannot hold is written as '?'.
  EXPECT_EQ(dialogBoxText("a\xF0\x9F\x90\x9F"), "a?");
}

TEST(DialogBoxText, FitsOnlyWhatTheFileHoldsWhole) {
  EXPECT_TRUE(fitsDialogBox(std::string(259, 'p')));
  EXPECT_FALSE(fitsDialogBox(std::string(260, 'p')));
  EXPECT_TRUE(fitsDialogBox(std::string(257, 'p') + "鳥"));   // 259 bytes in Shift_JIS
  EXPECT_FALSE(fitsDialogBox(std::string(258, 'p') + "鳥"));  // 260
  EXPECT_FALSE(fitsDialogBox("/snd/\xF0\x9F\x90\x9F.wav"));   // no Shift_JIS for it
}

TEST(DialogBoxText, KeepsOneLineOnly) {
  // A line break or a zero byte would end the key's line in the file and make
  // the rest a line of its own.
  EXPECT_EQ(dialogBoxText("abc\r\n[ZENPAN]\r\nURL_frame=x"), "abc");
  EXPECT_EQ(dialogBoxText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(dialogBoxText("能\n"), "\x94\x5C");
}

TEST(RefreshInterval, ParsesOnlyNumbersFrom10To10000) {
  EXPECT_EQ(parseRefreshInterval("10"), 10);
  EXPECT_EQ(parseRefreshInterval("10000"), 10000);
  EXPECT_EQ(parseRefreshInterval("060"), 60);
  EXPECT_EQ(parseRefreshInterval(std::string(250, '0') + "10"), 10);
  for (const char* bad : {"9", "10001", "", "0", "-10", "+10", " 10", "10 ", "1e3", "abc", "99999999999999999999",
                          "\x82\x50\x82\x4F"}) {  // "１０" in full-width digits
    EXPECT_FALSE(parseRefreshInterval(bad)) << bad;
  }
}

TEST(RefreshInterval, StoredValuesOutsideTheRangeShowAsTheNearerBound) {
  EXPECT_EQ(shownRefreshInterval(60), 60);
  EXPECT_EQ(shownRefreshInterval(0), 10);
  EXPECT_EQ(shownRefreshInterval(9), 10);
  EXPECT_EQ(shownRefreshInterval(10001), 10000);
  EXPECT_EQ(shownRefreshInterval(70000), 10000);  // not its low 16 bits (4464)
  EXPECT_EQ(shownRefreshInterval(static_cast<uint32_t>(-5)), 10);  // "-5" in the file
}

TEST(RefreshInterval, ArrowsStepAndStopAtBothEnds) {
  EXPECT_EQ(stepRefreshInterval("10000", 10, 1), 10000);
  EXPECT_EQ(stepRefreshInterval("10", 10000, -1), 10);
  EXPECT_EQ(stepRefreshInterval("9950", 10, 100), 10000);  // a held arrow's large step
  EXPECT_EQ(stepRefreshInterval("15", 10, -10), 10);
  EXPECT_EQ(stepRefreshInterval("60", 10, 1), 61);
  EXPECT_EQ(stepRefreshInterval("060", 10, -1), 59);
  // A text that is no number steps from the last position.
  EXPECT_EQ(stepRefreshInterval("x", 300, 1), 301);
  EXPECT_EQ(stepRefreshInterval("", 10, -1), 10);
  // A number past the range counts as its top.
  EXPECT_EQ(stepRefreshInterval("99999999999999999999", 10, -1), 9999);
}

TEST_F(SettingsFileTest, GeneralOkWritesZenpanInOrderAsTyped) {
  writeFile(ini_, "[SOUND1]\r\nnight_sound_path=x.wav\r\n[ZENPAN]\r\nmy_key=1\r\njidokosin_kankaku=30\r\n[OTHER]\r\na=b\r\n");
  reload();
  client_.toggleAutoRefresh();
  ASSERT_EQ(client_.confirmGeneralSettings(texts("060")), GeneralOkResult::saved);
  const std::string file = readFile(ini_);
  EXPECT_EQ(sectionOf(file, "ZENPAN"),
            "URL_non_frame=http://a.example/index2.html\r\nURL_frame=http://a.example/\r\n"
            "jidokosin_kankaku=060\r\nURL_cgi=http://a.example/cgi_jinro.cgi\r\n"
            "notify_desktop=1\r\nnotify_urgency=1\r\nserver_kind=auto\r\n");
  EXPECT_EQ(sectionOf(file, "SOUND1"), "night_sound_path=x.wav\r\n");
  EXPECT_EQ(sectionOf(file, "OTHER"), "a=b\r\n");
  // Reloaded at once, and the running countdown starts again on the new interval.
  EXPECT_EQ(client_.settings().refreshIntervalSeconds, 60u);
  EXPECT_EQ(client_.settings().cgiUrl, "http://a.example/cgi_jinro.cgi");
  EXPECT_EQ(fake_.timer.starts, 2);
  EXPECT_EQ(fake_.timer.interval, 60000u);
}

TEST_F(SettingsFileTest, GeneralOkWithABadIntervalWritesNothing) {
  const std::string before = "[ZENPAN]\r\njidokosin_kankaku=30\r\n";
  writeFile(ini_, before);
  reload();
  client_.toggleAutoRefresh();
  // The last one passes as a number, but the 259-byte cut would leave only zeros.
  for (const std::string& bad : {std::string("9"), std::string("10001"), std::string(""), std::string("6O"),
                                 std::string(257, '0') + "060"}) {
    EXPECT_EQ(client_.confirmGeneralSettings(texts(bad)), GeneralOkResult::badInterval) << bad;
  }
  EXPECT_EQ(readFile(ini_), before);
  EXPECT_EQ(client_.settings().refreshIntervalSeconds, 30u);
  EXPECT_EQ(fake_.timer.starts, 1);
  EXPECT_TRUE(fake_.notices.notices.empty());
}

TEST_F(SettingsFileTest, GeneralOkThatCannotWriteReportsItAndRestartsNothing) {
  setSettingsFileOverride((dir_ / "missing" / "jinro.ini").string());
  client_.toggleAutoRefresh();
  EXPECT_EQ(client_.confirmGeneralSettings(texts("20")), GeneralOkResult::writeFailed);
  // The dialog tells the failure; the client shows nothing of its own.
  EXPECT_TRUE(fake_.notices.notices.empty());
  EXPECT_EQ(client_.settings().refreshIntervalSeconds, 10u);  // the file's (default) value
  EXPECT_EQ(fake_.timer.starts, 1);
}

TEST_F(SettingsFileTest, SoundOkWritesOnlyTheCreatedPagesSections) {
  writeFile(ini_, "[SOUND2]\r\nsonmin_trigger_string=keep\r\nstray=1\r\n[SOUND3]\r\nfull_alarm_check=0\r\n");
  reload();
  SoundPageValues page1 = soundPageValuesFrom(client_.settings(), 0);
  page1.texts[{AlarmKind::tohyo, AlarmField::trigger}] = "投票";
  page1.checks[{AlarmKind::night, AlarmField::loop}] = true;
  page1.texts[{AlarmKind::sonmin, AlarmField::trigger}] = "not on this page";
  ASSERT_TRUE(client_.confirmSoundSheet({&page1, nullptr, nullptr}));
  const std::string file = readFile(ini_);
  EXPECT_EQ(sectionOf(file, "SOUND2"), "sonmin_trigger_string=keep\r\nstray=1\r\n");
  EXPECT_EQ(sectionOf(file, "SOUND3"), "full_alarm_check=0\r\n");
  const std::string s1 = sectionOf(file, "SOUND1");
  EXPECT_EQ(s1.substr(0, s1.find("night_sound_path")),
            "night_left_trigger_string=.CLSTD01\r\nnight_middle_trigger_string=black\r\n"
            "night_right_trigger_string=background-color\r\n");
  EXPECT_NE(s1.find("night_sound_roop_check=1\r\n"), std::string::npos);
  EXPECT_NE(s1.find("tohyo_trigger_string=\x93\x8A\x95\x5B\r\n"), std::string::npos);
  EXPECT_EQ(client_.settings().alarm(AlarmKind::tohyo).trigger, "投票");
  EXPECT_TRUE(client_.settings().alarm(AlarmKind::night).repeat);
  EXPECT_FALSE(client_.settings().alarm(AlarmKind::full_alarm).armed);

  // All three pages: every section rewritten whole; the stray key is gone.
  SoundPageValues page2 = soundPageValuesFrom(client_.settings(), 1);
  SoundPageValues page3 = soundPageValuesFrom(client_.settings(), 2);
  page3.checks[{AlarmKind::full_alarm, AlarmField::loop}] = true;
  ASSERT_TRUE(client_.confirmSoundSheet({&page1, &page2, &page3}));
  const std::string after = readFile(ini_);
  EXPECT_EQ(after.find("stray"), std::string::npos);
  EXPECT_NE(sectionOf(after, "SOUND2").find("sonmin_trigger_string=keep\r\n"), std::string::npos);
  EXPECT_TRUE(client_.settings().alarm(AlarmKind::full_alarm).armed);
}

TEST_F(SettingsFileTest, SoundOkRefreshesThePageOnlyWithTheSoundOn) {
  SoundPageValues p1 = soundPageValuesFrom(client_.settings(), 0);
  p1.texts[{AlarmKind::night, AlarmField::leftTrigger}] = "NIGHT";
  client_.setSoundOn(false);
  fake_.sound.calls.clear();
  ASSERT_TRUE(client_.confirmSoundSheet({&p1, nullptr, nullptr}));
  EXPECT_EQ(client_.settings().alarm(AlarmKind::night).leftTrigger, "NIGHT");
  EXPECT_TRUE(fake_.browser.navigations.empty());
  EXPECT_TRUE(fake_.sound.calls.empty());

  // With the sound on, the page is read again so that its alarm sounds now.
  client_.setSoundOn(true);
  fake_.browser.navigations.clear();
  ASSERT_TRUE(client_.confirmSoundSheet({&p1, nullptr, nullptr}));
  ASSERT_EQ(fake_.browser.navigations.size(), 1u);
  EXPECT_TRUE(fake_.browser.navigations[0].post);
}

TEST_F(SettingsFileTest, SoundOkThatCannotWriteRequestsNothing) {
  setSettingsFileOverride((dir_ / "missing" / "jinro.ini").string());
  ASSERT_TRUE(client_.alarms().soundOn());
  SoundPageValues p1 = soundPageValuesFrom(client_.settings(), 0);
  EXPECT_FALSE(client_.confirmSoundSheet({&p1, nullptr, nullptr}));
  EXPECT_TRUE(fake_.browser.navigations.empty());
}
