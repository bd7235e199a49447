// The player's notebook through the client on fakes: notes per village kept
// across restarts, speeches quoted from the page, every day's log kept, and
// names from pages that never leave the villages folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "base/code_page.h"
#include "client/village_archive.h"
#include "fakes/fakes.h"
#include "page/speech_quote.h"
#include "support/fake_desktop.h"
#include "unit/pages_2004.h"
#include "unit/pages_standard.h"
#include "unit/test_files.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;
const std::string kCgi = "http://127.0.0.1:8399/jinro/cgi_jinro.cgi";

std::string withVillage(const std::string& page, const std::string& number) {
  std::string p = page;
  const std::string from = "name=VILLAGENO value=12";
  p.replace(p.find(from), from.size(), "name=VILLAGENO value=" + number);
  return p;
}

TEST(VillageNames, NamesFromPagesStayOneFolder) {
  EXPECT_EQ(safeFolderName(".."), "_..");
  EXPECT_EQ(safeFolderName("."), "_.");
  EXPECT_EQ(safeFolderName(""), "_");
  EXPECT_EQ(safeFolderName("a/../b\x01\xff"), "a_.._b__");
  EXPECT_EQ(safeFolderName(std::string(300, 'x')).size(), 64u);

  const Result<VillageKey> key = villageKeyOf("http://user@game.example:8399/jinro/cgi_jinro.cgi?x=1", "0012");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->relative(), "game.example_8399/12/");
  EXPECT_EQ(villageKeyOf("https://h/", "0")->number, "0");
  for (const char* bad : {"12/../13", "abc", "1234567890", "-1", " 12"}) EXPECT_FALSE(villageKeyOf(kCgi, bad)) << bad;
  EXPECT_FALSE(villageKeyOf("no-scheme", "12"));
  EXPECT_FALSE(villageKeyOf("http:///path", "12"));
  EXPECT_EQ(villageKeyOf("http://../", "1")->host, "_..");
}

TEST(SpeechQuote, ASpeechRowInEitherDialectAndNothingElse) {
  const std::string page = pages::gamePage(false);
  const std::string row = utf8ToShiftJis("<tr><td width=160><font>◆</font>太郎</td><td>「one」</td></tr>");
  EXPECT_EQ(speechQuoteLine(page, row), utf8ToShiftJis("◆太郎「one」"));
  EXPECT_FALSE(speechQuoteLine(page, "<tr><td colspan=2>end</td></tr>"));  // no speech in it
  EXPECT_FALSE(speechQuoteLine(page, utf8ToShiftJis("<tr><td>12番地</td></tr>")));  // outside the speeches
  EXPECT_FALSE(speechQuoteLine(page, utf8ToShiftJis("<tr><td>◆次郎</td><td>「not here」</td></tr>")));
  EXPECT_FALSE(speechQuoteLine(utf8ToShiftJis("<html><title>x</title>◆太郎「one」</html>"), row));

  pages2004::Village village;
  const std::string said = pages2004::speechRow("村人2", "占いCO。村人3は人狼");
  village.log = {said};
  EXPECT_EQ(speechQuoteLine(pages2004::page(village), utf8ToShiftJis(said)),
            utf8ToShiftJis("◆村人2さん 「占いCO。村人3は人狼」"));
}

class NotebookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "jinro-notebook-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir = tmpl + "/";
    setSettingsFileOverride(dir + "jinro.ini");
  }
  void TearDown() override {
    client.reset();
    setSettingsFileOverride("");
    fs::remove_all(dir);
  }
  void restart() {
    client.reset();
    d = std::make_unique<fake::FakeDesktop>();
    client = std::make_unique<Client>(fake::desktopOf(*d), dir);
    client->start();
  }
  void complete(const std::string& page) { client->documentComplete(shiftJisToUtf16(kCgi), shiftJisToUtf16(page)); }
  std::string villageFolder(const std::string& number) { return dir + "villages/127.0.0.1_8399/" + number + "/"; }

  std::unique_ptr<fake::FakeDesktop> d = std::make_unique<fake::FakeDesktop>();
  std::unique_ptr<Client> client;
  std::string dir;
};

TEST_F(NotebookTest, NotesComeBackForTheirVillageOnly) {
  restart();
  complete(pages::gamePage(false));
  EXPECT_EQ(d->notesPane.shown, 1);
  EXPECT_EQ(d->notesPane.text, "");
  client->notesEdited("占い師は太郎\n");
  EXPECT_EQ(test_files::slurp(villageFolder("12") + "notes.txt"), "占い師は太郎\n");
  complete(pages::gamePage(true));  // the same village: the pane is left alone
  EXPECT_EQ(d->notesPane.shown, 1);
  complete(utf8ToShiftJis("<html><title>案内</title></html>"));  // names no village
  EXPECT_EQ(d->notesPane.shown, 1);

  restart();
  complete(pages::gamePage(false));
  EXPECT_EQ(d->notesPane.text, "占い師は太郎\n");
  complete(withVillage(pages::gamePage(false), "13"));
  EXPECT_EQ(d->notesPane.text, "");
  EXPECT_GE(d->notesPane.flushes, 1);  // the edit under way went to the village left
}

TEST_F(NotebookTest, AFileThatCannotBeReadWholeIsKeptAside) {
  fs::create_directories(villageFolder("12"));
  test_files::spit(villageFolder("12") + "notes.txt", "ok \xff\xfe end");
  restart();
  complete(pages::gamePage(false));
  EXPECT_EQ(d->notesPane.text, "ok \xEF\xBF\xBD\xEF\xBF\xBD end");
  EXPECT_NE(d->statusBar.status.find("UTF-8"), std::string::npos);
  client->notesEdited("new");
  EXPECT_EQ(test_files::slurp(villageFolder("12") + "notes-kept-1.txt"), "ok \xff\xfe end");
  EXPECT_EQ(test_files::slurp(villageFolder("12") + "notes.txt"), "new");

  fs::create_directories(villageFolder("13"));
  test_files::spit(villageFolder("13") + "notes.txt", std::string(kNotesReadLimit + 5, 'a'));
  complete(withVillage(pages::gamePage(false), "13"));
  EXPECT_EQ(d->notesPane.text.size(), kNotesReadLimit);
  client->notesEdited("short");
  EXPECT_EQ(fs::file_size(villageFolder("13") + "notes-kept-1.txt"), kNotesReadLimit + 5);

  complete(withVillage(pages::gamePage(false), "x1"));  // not a number: the pane stays
  EXPECT_EQ(d->notesPane.text.size(), kNotesReadLimit);
  EXPECT_NE(d->statusBar.status.find("村番号が数字ではありません"), std::string::npos);
}

TEST_F(NotebookTest, AQuotedSpeechAndEveryDaysLogAreKept) {
  restart();
  complete(pages::gamePage(false));
  client->speechRowClicked(u"<tr><td width=\"160\"><font>◆</font>花子</td><td>「two」</td></tr>");  // not as the page holds it
  client->speechRowClicked(u"<tr><td width=160><font>◆</font>花子</td><td>「two」</td></tr>");
  client->speechRowClicked(u"<tr><td colspan=2>end</td></tr>");
  EXPECT_EQ(d->notesPane.text, "◆花子「two」\n");

  complete(pages::gamePage(true));  // nightfall: the day's log
  ASSERT_EQ(d->launcher.launches.size(), 1u);
  const std::string kept = villageFolder("12") + "day-12.html";
  EXPECT_EQ(test_files::slurp(kept), test_files::slurp(dir + "tmp.html"));
  const std::vector<ArchivedVillage> archive = client->archivedVillages();
  ASSERT_EQ(archive.size(), 1u);
  EXPECT_EQ(archive[0].number, "12");
  ASSERT_EQ(archive[0].days.size(), 1u);
  client->openArchivedDay(archive[0].days[0]);
  EXPECT_EQ(d->launcher.launches.back().second, (std::vector<std::string>{kept, "12日目の記録"}));
}

TEST_F(NotebookTest, ALogWithoutADayNumberIsShownButNotKept) {
  restart();
  std::string day = pages::gamePage(false);
  const std::string mark = utf8ToShiftJis("<b>12</b>日目 の朝");
  day.replace(day.find(mark), mark.size(), "");
  complete(day);
  complete(pages::gamePage(true));
  EXPECT_EQ(d->launcher.launches.size(), 1u);
  EXPECT_FALSE(fs::exists(villageFolder("12") + "day-0.html"));
  EXPECT_NE(d->statusBar.status.find("日付の読めない記録"), std::string::npos);
}

TEST_F(NotebookTest, NothingIsWrittenWhereTheFolderCannotBeMade) {
  test_files::spit(dir + "villages", "a file in the folder's place");
  restart();
  complete(pages::gamePage(false));
  client->notesEdited("lost?");
  complete(pages::gamePage(true));
  EXPECT_TRUE(d->writer.written.empty());
  EXPECT_NE(d->statusBar.status.find("記録のフォルダー"), std::string::npos);
  EXPECT_EQ(test_files::slurp(dir + "villages"), "a file in the folder's place");
}

}  // namespace
}  // namespace jinro
