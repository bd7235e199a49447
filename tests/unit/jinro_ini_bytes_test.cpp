// The bytes of jinro.ini after each save the client makes: the general
// settings' OK, the sound sheet's OK with any set of its pages created, and
// the window's placement on close, from one starting file that holds values
// of every kind (Shift_JIS text, a text longer than a box takes, a loop flag
// of 2, an interval out of range, keys absent, a section name in other case,
// LF and CRLF lines, sections and keys of no dialog). The expected files in
// tests/golden/jinro_ini were written by the client itself; a player's file
// must come out the same from every later version.
//
// JINRO_REWRITE_GOLDEN=1 rewrites the expected files from what the code
// writes now: for a deliberate change of what jinro.ini holds, never to make
// a failing test pass.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "client/client.h"
#include "fakes/fakes.h"
#include "support/fake_desktop.h"
#include "settings/settings_sections.h"
#include "unit/test_files.h"

namespace fs = std::filesystem;

namespace jinro {
namespace {

const fs::path kGolden = JINRO_GOLDEN_DIR;

class JinroIniBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("jinro_ini_bytes_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ini_ = (dir_ / "jinro.ini").string();
    setSettingsFileOverride(ini_);
  }
  void TearDown() override {
    setSettingsFileOverride("");
    fs::remove_all(dir_);
  }

  // The client started on the given starting file ("" for none).
  Client& startOn(const std::string& startName) {
    fs::remove(ini_);
    if (!startName.empty()) test_files::spit(ini_, test_files::slurp((kGolden / startName).string()));
    client_ = std::make_unique<Client>(
        fake::desktopOf(fake_),
        dir_.string() + "/");
    client_->start();
    return *client_;
  }

  void expectFileIs(const std::string& goldenName) {
    const std::string now = test_files::slurp(ini_);
    const fs::path golden = kGolden / goldenName;
    if (const char* rewrite = std::getenv("JINRO_REWRITE_GOLDEN"); rewrite != nullptr && std::string(rewrite) == "1") {
      test_files::spit(golden.string(), now);
      return;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(now, test_files::slurp(golden.string())) << "jinro.ini differs from " << golden;
  }

  fs::path dir_;
  std::string ini_;
  fake::FakeDesktop fake_;
  std::unique_ptr<Client> client_;
};

TEST_F(JinroIniBytes, GeneralOkWritesZenpanAsTheDialogShowedIt) {
  Client& c = startOn("start.ini");
  ASSERT_EQ(c.confirmGeneralSettings(generalDialogTextsFrom(c.settings())), GeneralOkResult::saved);
  expectFileIs("general_ok.ini");

  Client& fresh = startOn("");
  ASSERT_EQ(fresh.confirmGeneralSettings(generalDialogTextsFrom(fresh.settings())), GeneralOkResult::saved);
  expectFileIs("general_ok_from_no_file.ini");
}

TEST_F(JinroIniBytes, SoundOkWritesTheSectionsOfTheCreatedPagesOnly) {
  // Every set of created pages, the sheet's values as it filled them.
  for (int created = 0; created < (1 << kSoundPageCount); ++created) {
    SCOPED_TRACE(created);
    Client& c = startOn("start.ini");
    c.setSoundOn(false);
    std::array<SoundPageValues, kSoundPageCount> values;
    SoundSheetPages pages{};
    std::string name = "sound_ok_pages_";
    for (int page = 0; page < kSoundPageCount; ++page) {
      if ((created & (1 << page)) == 0) {
        name += '-';
        continue;
      }
      values[page] = soundPageValuesFrom(c.settings(), page);
      pages[page] = &values[page];
      name += std::to_string(page + 1);
    }
    ASSERT_TRUE(c.confirmSoundSheet(pages));
    expectFileIs(name + ".ini");
  }

  Client& fresh = startOn("");
  fresh.setSoundOn(false);
  std::array<SoundPageValues, kSoundPageCount> values;
  for (int page = 0; page < kSoundPageCount; ++page) values[page] = soundPageValuesFrom(fresh.settings(), page);
  ASSERT_TRUE(fresh.confirmSoundSheet({&values[0], &values[1], &values[2]}));
  expectFileIs("sound_ok_pages_123_from_no_file.ini");
}

TEST_F(JinroIniBytes, CloseWritesTheWindowsPlacement) {
  using State = WindowGeometry::State;
  const std::pair<WindowGeometry, const char*> cases[] = {
      {{-5, 40, 1000, 700, State::normal, false}, "close_normal.ini"},
      {{100, 50, 640, 480, State::maximized, false}, "close_maximized.ini"},
      {{30, 60, 800, 600, State::minimized, true}, "close_minimized_from_maximized.ini"},
  };
  for (const auto& [geometry, name] : cases) {
    SCOPED_TRACE(name);
    Client& c = startOn("start.ini");
    fake_.window.currentGeometry = geometry;
    c.close();
    expectFileIs(name);
  }
  Client& fresh = startOn("");
  fake_.window.currentGeometry = {0, 0, 1024, 768, State::normal, false};
  fresh.close();
  expectFileIs("close_from_no_file.ini");
}

}  // namespace
}  // namespace jinro
