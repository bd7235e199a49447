// Where an installed program and a program in one folder keep and find their
// files, and which sound file an alarm opens when the player's folder and the
// installed defaults both might hold it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/code_page.h"
#include "client/alarm_player.h"
#include "client/client.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "jinro/server_base_url.h"
#include "settings/program_paths.h"
#include "test_files.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;

class ProgramPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "jinro-paths-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    root = tmpl;
    bin = root + "/usr/bin/";
    fs::create_directories(bin);
  }
  void TearDown() override { fs::remove_all(root); }
  void install() { fs::create_directories(root + "/usr/share/jinro-client/sounds"); }

  std::string root, bin;
};

TEST_F(ProgramPathsTest, InstalledProgramKeepsThePlayersFilesInTheXdgFolders) {
  install();
  const ProgramPaths p = programPathsFor(bin, {root + "/home", root + "/cfg", "", ""});
  EXPECT_TRUE(p.installed);
  EXPECT_EQ(p.settingsFolder, root + "/cfg/jinro-client/");
  EXPECT_EQ(p.cacheFolder, root + "/home/.cache/jinro-client/");
  EXPECT_EQ(p.villagesFolder, root + "/home/.local/share/jinro-client/villages/");

  ASSERT_TRUE(p.createFolders());
  EXPECT_TRUE(fs::is_directory(p.settingsFolder));
  EXPECT_TRUE(fs::is_directory(p.cacheFolder));
  EXPECT_EQ(fs::status(p.settingsFolder).permissions() & fs::perms::all, fs::perms::owner_all);

  // A relative XDG folder is not one: the default under HOME is used.
  EXPECT_EQ(programPathsFor(bin, {root + "/home", "cfg", "cache", ""}).settingsFolder,
            root + "/home/.config/jinro-client/");
}

TEST_F(ProgramPathsTest, AFolderWithItsOwnSettingsOrNoInstalledDataKeepsEverythingInIt) {
  const ProgramPaths build = programPathsFor(bin, {root + "/home", "", "", ""});
  EXPECT_FALSE(build.installed);
  EXPECT_EQ(build.settingsFolder, bin);
  EXPECT_EQ(build.cacheFolder, bin);
  EXPECT_EQ(build.villagesFolder, bin + "villages/");

  install();
  test_files::spit(bin + "jinro.ini", "[ZENPAN]\r\n");
  const ProgramPaths portable = programPathsFor(bin, {root + "/home", "", "", ""});
  EXPECT_FALSE(portable.installed);
  EXPECT_EQ(portable.settingsFolder, bin);
  EXPECT_EQ(portable.soundFolder, bin);
}

TEST_F(ProgramPathsTest, RelativeSoundPathsTakeThePlayersFileFirstThenTheDefault) {
  const std::string mine = root + "/mine/", defaults = root + "/defaults/";
  fs::create_directories(mine);
  fs::create_directories(defaults);
  for (const std::string& f : {mine + "owl.wav", defaults + "owl.wav", defaults + "bird.wav"}) test_files::spit(f, "RIFF");

  fake::FakeSoundDevice device;
  Settings settings;
  AlarmPlayer alarms(device, settings, mine, defaults);
  const auto opened = [&](const std::string& soundPath) {
    settings.alarm(AlarmKind::night).soundPath = soundPath;
    device.calls.clear();
    alarms.playAlarm(AlarmKind::night);
    for (const auto& call : device.calls) {
      if (call.op == "open") return call.detail.substr(call.detail.find(':') + 1);
    }
    return std::string("(nothing opened)");
  };
  EXPECT_EQ(opened("owl.wav"), mine + "owl.wav");
  EXPECT_EQ(opened("bird.wav"), defaults + "bird.wav");
  // In neither folder: the failure names the player's folder.
  EXPECT_EQ(opened("lost.wav"), mine + "lost.wav");
  EXPECT_EQ(opened(defaults + "owl.wav"), defaults + "owl.wav");
}

// A day page and then a night page of the game, as the game writes them.
std::string gamePage(bool night) {
  const std::string colours = night ? ".CLSTD01 { color: black; }\nbody { background-color: #000000; }\n"
                                    : ".CLSTD01 { color: white; }\nbody { background-color: black; }\n";
  return utf8ToShiftJis("<html><head><title>テスト村 12日目</title><style>\n" + colours +
                        "</style></head><body>\n<b>12</b>日目 の朝\n<table><tr><td>12番地</td></tr></table>\n"
                        "<table cellpadding=0>\n<tr><td width=160><font>◆</font>太郎</td><td>「one」</td></tr>\n"
                        "<tr><td colspan=2>end</td></tr>\n</table>\n<form><input type=hidden name=TXTPNO value=3>"
                        "<input type=submit value=\"行動/更新\">\n</form></body></html>\n");
}

TEST_F(ProgramPathsTest, AnInstalledClientLogsToTheCacheAndStartsTheInstalledViewer) {
  const ProgramPaths paths{root + "/config/", root + "/cache/", root + "/share/sounds/", root + "/libexec/quill_pane",
                           root + "/doc/readme.txt", root + "/data/villages/", true};
  ASSERT_TRUE(paths.createFolders());
  fs::create_directories(paths.soundFolder);
  test_files::spit(paths.soundFolder + "monst01.wav", "RIFF");
  setSettingsFileOverride(paths.settingsFolder + "jinro.ini");
  fake::FakeDesktop d;
  {
    Client client(fake::desktopOf(d), paths);
    client.start();
    const std::u16string cgi = shiftJisToUtf16(std::string(kServerBaseUrl) + "cgi_jinro.cgi");
    client.documentComplete(cgi, shiftJisToUtf16(gamePage(false)));
    client.documentComplete(cgi, shiftJisToUtf16(gamePage(true)));
    EXPECT_EQ(client.readmePath(), root + "/doc/readme.txt");
  }
  setSettingsFileOverride("");
  ASSERT_EQ(d.launcher.launches.size(), 1u);
  EXPECT_EQ(d.launcher.launches[0].first, root + "/libexec/quill_pane");
  EXPECT_EQ(d.launcher.launches[0].second.at(0), root + "/cache/tmp.html");
  EXPECT_TRUE(fs::exists(root + "/cache/tmp.html"));
  // The night's default sound, not in the settings folder, is the installed one.
  bool nightFromDefaults = false;
  for (const auto& call : d.sound.calls) nightFromDefaults |= call.detail == "wave:" + paths.soundFolder + "monst01.wav";
  EXPECT_TRUE(nightFromDefaults);
}

}  // namespace
}  // namespace jinro
