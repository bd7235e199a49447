#include "app/save_failure_notice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/fake/fakes.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;

TEST(SaveFailureNotice, OneBoxPerRunWhateverFailsAfterwards) {
  fake::FakePlatform fakes;
  ClientController c(fakes.ports());
  EXPECT_TRUE(noteSettingsSave(c, true));
  EXPECT_TRUE(fakes.shell.messageBoxes.empty());

  EXPECT_FALSE(noteSettingsSave(c, false));
  EXPECT_TRUE(noteSettingsSave(c, true));
  EXPECT_FALSE(noteSettingsSave(c, false));
  ASSERT_EQ(fakes.shell.messageBoxes.size(), 1u);
  EXPECT_EQ(fakes.shell.messageBoxes[0].first, kSaveFailureText);
  EXPECT_EQ(fakes.shell.messageBoxes[0].second, kSaveFailureCaption);

  ClientController headless;  // no main window: nothing to show, nothing breaks
  EXPECT_FALSE(noteSettingsSave(headless, false));
}

class SettingsWritable : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/jinro-writable.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { fs::remove_all(dir); }
  std::vector<std::string> entries() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
  }
  fs::path dir;
};

TEST_F(SettingsWritable, ProbesBesideTheFileAndLeavesNothingBehind) {
  const std::string ini = (dir / "jinro.ini").string();
  std::string why;
  EXPECT_TRUE(settingsFileWritable(ini, why)) << why;  // absent: a save would create it
  EXPECT_TRUE(entries().empty());

  const std::string content = "[ZENPAN]\r\njidokosin_kankaku=30\r\n";
  std::ofstream(ini, std::ios::binary) << content;
  EXPECT_TRUE(settingsFileWritable(ini, why)) << why;
  EXPECT_EQ(entries(), std::vector<std::string>{"jinro.ini"});
  std::ifstream in(ini, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
}

TEST_F(SettingsWritable, RefusesWhatASaveCouldNotReplace) {
  std::string why;
  fs::create_directory(dir / "jinro.ini");
  EXPECT_FALSE(settingsFileWritable((dir / "jinro.ini").string(), why));
  EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;

  why.clear();
  EXPECT_FALSE(settingsFileWritable((dir / "gone" / "jinro.ini").string(), why));
  EXPECT_FALSE(why.empty());
}

TEST_F(SettingsWritable, StartUpCheckTellsOnceAndTheSavesDoNotTellAgain) {
  fake::FakePlatform fakes;
  ClientController c(fakes.ports());
  EXPECT_TRUE(checkSettingsWritable(c, (dir / "jinro.ini").string()));
  EXPECT_TRUE(fakes.shell.messageBoxes.empty());

  fs::create_directory(dir / "jinro.ini");
  EXPECT_FALSE(checkSettingsWritable(c, (dir / "jinro.ini").string()));
  EXPECT_FALSE(noteSettingsSave(c, false));  // the placement at the close
  EXPECT_EQ(fakes.shell.messageBoxes.size(), 1u);
}

}  // namespace
}  // namespace jinro
