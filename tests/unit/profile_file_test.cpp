#include "settings/profile_file.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "unit/test_files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace jinro::profile {
namespace {

namespace fs = std::filesystem;

using jinro::test_files::slurp;
using jinro::test_files::spit;

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "jinro-profile-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/jinro.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  size_t filesInDir() const {
    size_t n = 0;
    for (auto it = fs::directory_iterator(dir_); it != fs::directory_iterator(); ++it) ++n;
    return n;
  }
  std::string dir_;
  std::string path_;
};

// ---- reading -------------------------------------------------------------

TEST(ProfileDocument, NamesIgnoreAsciiCaseAndValuesAreTrimmedAndUnquoted) {
  const Document d = Document::parse(
      "[Sound1]\n"
      "  Night_Sound_Path =  monst01.wav \t\n"
      "dq=\"  quoted blanks  \"\n"
      "sq='single'\n"
      "mixed=\"left'\n"
      "lone=\"\n"
      "inner=a\"b\"c\n"
      "twice=\"\"x\"\"\n"
      "empty=\n"
      "blankonly=   \n");
  EXPECT_EQ(d.readString("SOUND1", "night_sound_path", "d", 260), "monst01.wav");
  EXPECT_EQ(d.readString(" sound1 ", " NIGHT_SOUND_PATH ", "d", 260), "monst01.wav");
  EXPECT_EQ(d.readString("SOUND1", "dq", "d", 260), "  quoted blanks  ");
  EXPECT_EQ(d.readString("SOUND1", "sq", "d", 260), "single");
  EXPECT_EQ(d.readString("SOUND1", "mixed", "d", 260), "\"left'");
  EXPECT_EQ(d.readString("SOUND1", "lone", "d", 260), "\"");
  EXPECT_EQ(d.readString("SOUND1", "inner", "d", 260), "a\"b\"c");
  EXPECT_EQ(d.readString("SOUND1", "twice", "d", 260), "\"x\"");
  // Present but empty is empty, never the default.
  EXPECT_EQ(d.readString("SOUND1", "empty", "d", 260), "");
  EXPECT_EQ(d.readString("SOUND1", "blankonly", "d", 260), "");
}

TEST(ProfileDocument, DefaultsForMissingSectionKeyOrFile) {
  const Document d = Document::parse("[A]\nk=v\n");
  EXPECT_EQ(d.readString("B", "k", "dflt", 1024), "dflt");
  EXPECT_EQ(d.readString("A", "x", "dflt", 1024), "dflt");
  EXPECT_EQ(d.readInt("A", "x", -5), -5);
  EXPECT_EQ(readString("A", "k", "dflt", 1024, "/nonexistent-dir/jinro.ini"), "dflt");
  EXPECT_EQ(readInt("A", "k", 42, "/nonexistent-dir/jinro.ini"), 42);
}

TEST(ProfileDocument, LineEndsAndStructure) {
  // CRLF, LF and lone CR lines; keys before any section, lines without '=',
  // and comment lines belong to nothing or are ignored.
  const Document d = Document::parse(
      "orphan=1\r\n"
      "[A]\r\n"
      "crlf=one\r\n"
      "noequals\n"
      "lf=two\n"
      "cr=three\r"
      "; comment=ignored? no: a key named '; comment'\n"
      "   [ B ]   trailing text\n"
      "k = v = w\n"
      "[A]\n"
      "crlf=duplicate section\n"
      "late=only in second\n"
      "[B]\n"
      "k=duplicate\n");
  EXPECT_EQ(d.readString("", "orphan", "d", 99), "d");
  EXPECT_EQ(d.readString("A", "crlf", "d", 99), "one");
  EXPECT_EQ(d.readString("A", "lf", "d", 99), "two");
  EXPECT_EQ(d.readString("A", "cr", "d", 99), "three");
  EXPECT_EQ(d.readString("A", "noequals", "d", 99), "d");
  EXPECT_EQ(d.readString("A", "comment", "d", 99), "d");
  // Only the first of two sections of the same name counts.
  EXPECT_EQ(d.readString("A", "late", "d", 99), "d");
  // The first '=' splits; the name in brackets is trimmed.
  EXPECT_EQ(d.readString("B", "k", "d", 99), "v = w");
}

TEST(ProfileDocument, DuplicateKeysFirstWins) {
  const Document d = Document::parse("[S]\nk=first\nK=second\n");
  EXPECT_EQ(d.readString("s", "k", "d", 99), "first");
}

TEST(ProfileDocument, CutsToBufferOnCharacterBoundary) {
  // "ab" then あい (0x82A0 0x82A2).
  const Document d = Document::parse("[S]\nv=ab\x82\xA0\x82\xA2\n");
  EXPECT_EQ(d.readString("S", "v", "", 7), "ab\x82\xA0\x82\xA2");
  EXPECT_EQ(d.readString("S", "v", "", 6), "ab\x82\xA0");  // 5 bytes allowed: no half character
  EXPECT_EQ(d.readString("S", "v", "", 5), "ab\x82\xA0");
  EXPECT_EQ(d.readString("S", "v", "", 4), "ab");
  EXPECT_EQ(d.readString("S", "v", "", 1), "");
  EXPECT_EQ(d.readString("S", "none", "xy\x82\xA0", 4), "xy");  // the default is cut too
  // Quotes come off before the cut.
  const Document q = Document::parse("[S]\nv=\"abcd\"\n");
  EXPECT_EQ(q.readString("S", "v", "", 4), "abc");
}

TEST(ProfileDocument, DoubleByteNamesAreNotCaseFoldedOrSplit) {
  // 0x83 0x5D is one character whose second byte is ']'; 0x83 0x41 and
  // 0x83 0x61 are different characters, not case variants.
  const Document d = Document::parse("[\x83]]\n\x83" "A=upper\n\x83" "a=lower\n");
  EXPECT_EQ(d.readString("\x83]", "\x83" "A", "d", 99), "upper");
  EXPECT_EQ(d.readString("\x83]", "\x83" "a", "d", 99), "lower");
}

TEST(ProfileDocument, ValueEndsAtZeroByte) {
  const Document d = Document::parse(std::string("[S]\nv=abc\0def\nw=1\n", 18));
  EXPECT_EQ(d.readString("S", "v", "d", 99), "abc");
  EXPECT_EQ(d.readString("S", "w", "d", 99), "1");
}

TEST(ProfileDocument, IntegersParseLikeWindows) {
  const Document d = Document::parse(
      "[S]\n"
      "two=2\nneg=-120\nplus=+7\ntrail=12abc\ngarbage=abc\nempty=\nquoted=\"5\"\n"
      "wrap=4294967295\nmin=-2147483648\nspaced=\" 9\"\nlong=0000000000000000000000000000000000000042\n");
  EXPECT_EQ(d.readInt("S", "two", 0), 2);
  EXPECT_EQ(d.readInt("S", "neg", 0), -120);
  EXPECT_EQ(d.readInt("S", "plus", 0), 7);
  EXPECT_EQ(d.readInt("S", "trail", 0), 12);
  EXPECT_EQ(d.readInt("S", "garbage", 99), 0);
  EXPECT_EQ(d.readInt("S", "empty", 99), 99);
  EXPECT_EQ(d.readInt("S", "quoted", 0), 5);
  EXPECT_EQ(d.readInt("S", "wrap", 0), -1);
  EXPECT_EQ(d.readInt("S", "min", 0), INT32_MIN);
  EXPECT_EQ(d.readInt("S", "spaced", 0), 9);
  // Read through a 30-byte buffer: the digits past 29 bytes are not seen.
  EXPECT_EQ(d.readInt("S", "long", 0), 0);
}

TEST(ProfileDocument, Utf8ByteOrderMarkIsPassedOver) {
  const Document d = Document::parse("\xEF\xBB\xBF[ZENPAN]\r\nURL_frame=x\r\n");
  EXPECT_EQ(d.readString("ZENPAN", "URL_frame", "d", 99), "x");
  EXPECT_EQ(replaceSection("\xEF\xBB\xBF[ZENPAN]\r\nURL_frame=x\r\n[B]\nk=v\n", "zenpan", {{"URL_frame", "y"}}),
            "\xEF\xBB\xBF[zenpan]\r\nURL_frame=y\r\n[B]\nk=v\n");
  EXPECT_EQ(replaceSection("\xEF\xBB\xBF", "A", {}), "\xEF\xBB\xBF[A]\r\n");
}

// ---- replacing a section ------------------------------------------------------

TEST(ReplaceSection, KeepsOtherSectionsByteForByteAndDropsUnknownKeys) {
  const std::string before =
      "; top comment\n"
      "[SOUND1]\r\n"
      "night_sound_path = x.wav \r\n"
      "\r\n"
      "[zenpan]\n"
      "URL_frame=old\n"
      "my_own_key=hand written\n"
      "; note\n"
      "\n"
      "\n"
      "[Other]\n"
      "odd  line without equals\n"
      "k=\x82\xA0\x82\xA2\n";
  const std::string after = replaceSection(before, "ZENPAN", {{"URL_frame", "new"}, {"jidokosin_kankaku", "30"}});
  EXPECT_EQ(after,
            "; top comment\n"
            "[SOUND1]\r\n"
            "night_sound_path = x.wav \r\n"
            "\r\n"
            "[ZENPAN]\r\n"
            "URL_frame=new\r\n"
            "jidokosin_kankaku=30\r\n"
            "\n"
            "\n"
            "[Other]\n"
            "odd  line without equals\n"
            "k=\x82\xA0\x82\xA2\n");
}

TEST(ReplaceSection, AppendsMissingSectionAndDropsLaterDuplicates) {
  EXPECT_EQ(replaceSection("", "W", {{"a", "1"}}), "[W]\r\na=1\r\n");
  EXPECT_EQ(replaceSection("[X]\nk=v", "W", {{"a", "1"}}), "[X]\nk=v\r\n[W]\r\na=1\r\n");
  EXPECT_EQ(replaceSection("[X]\nk=v\n", "W", {}), "[X]\nk=v\n[W]\r\n");
  EXPECT_EQ(replaceSection("[w]\nold=1\n[X]\nk=v\n[W]\nold=2\n", "W", {{"a", "1"}}), "[W]\r\na=1\r\n[X]\nk=v\n");
}

TEST(ReplaceSection, ValuesAreWrittenUnchangedButCannotStartNewLines) {
  const std::string sjis = "\x93\x8A\x95[</font> ";  // 投票</font> with a trailing blank
  const std::string after =
      replaceSection("", "S", {{"t", sjis}, {"inject", "x\r\n[ZENPAN]\r\nURL_frame=evil"}, {"z", std::string("a\0b", 3)}});
  EXPECT_EQ(after, "[S]\r\nt=" + sjis + "\r\ninject=x\r\nz=a\r\n");
  const Document d = Document::parse(after);
  EXPECT_EQ(d.readString("ZENPAN", "URL_frame", "safe", 99), "safe");
  // The trailing blank is written, and dropped again on reading.
  EXPECT_EQ(d.readString("S", "t", "", 1024), "\x93\x8A\x95[</font>");
}

// ---- the file -----------------------------------------------------------

TEST_F(ProfileFileTest, CreatesMissingFileAndRoundTrips) {
  ASSERT_TRUE(writeSection("WINDOW_PLACEMENT", {{"flags", "1"}, {"rcNormalPosition_left", "-8"}}, path_));
  EXPECT_EQ(slurp(path_), "[WINDOW_PLACEMENT]\r\nflags=1\r\nrcNormalPosition_left=-8\r\n");
  EXPECT_EQ(readInt("window_placement", "RCNORMALPOSITION_LEFT", 50, path_), -8);
  ASSERT_TRUE(writeSection("SOUND1", {{"night_sound_roop_check", "2"}}, path_));
  EXPECT_EQ(readInt("SOUND1", "night_sound_roop_check", 0, path_), 2);
  EXPECT_EQ(readInt("WINDOW_PLACEMENT", "flags", 0, path_), 1);
  EXPECT_EQ(filesInDir(), 1u);  // no temporary left behind

  // A new file gets the usual permissions (umask applied).
  const mode_t mask = umask(022);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(ProfileFileTest, KeepsPermissionsAndWritesThroughSymlink) {
  spit(path_, "[A]\nk=v\n");
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  ASSERT_TRUE(writeSection("B", {{"x", "y"}}, path_));
  struct stat st {};
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const std::string link = dir_ + "/link.ini";
  ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
  ASSERT_TRUE(writeSection("C", {{"z", "1"}}, link));
  struct stat lst {};
  ASSERT_EQ(lstat(link.c_str(), &lst), 0);
  EXPECT_TRUE(S_ISLNK(lst.st_mode));
  EXPECT_EQ(slurp(path_), "[A]\nk=v\n[B]\r\nx=y\r\n[C]\r\nz=1\r\n");
}

TEST_F(ProfileFileTest, UnreadableOrOddTargetsGiveDefaultsAndAreNotReplaced) {
  // A directory where the file should be.
  ASSERT_TRUE(fs::create_directory(path_));
  spit(path_ + "/inside", "keep");
  EXPECT_EQ(readString("A", "k", "d", 99, path_), "d");
  EXPECT_FALSE(writeSection("A", {{"k", "v"}}, path_));
  EXPECT_EQ(slurp(path_ + "/inside"), "keep");
  fs::remove_all(path_);

  // A FIFO: reading must not block, writing must not replace it.
  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  EXPECT_EQ(readInt("A", "k", 7, path_), 7);
  EXPECT_FALSE(writeSection("A", {{"k", "v"}}, path_));
  struct stat st {};
  ASSERT_EQ(lstat(path_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  fs::remove(path_);

  // A file too large to be a settings file (sparse, so it costs nothing).
  {
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, "[A]\nk=v\n", 8, 0), 8);
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(kMaxFileSize) + 1), 0);
    close(fd);
  }
  EXPECT_EQ(readString("A", "k", "d", 99, path_), "d");
  EXPECT_FALSE(writeSection("A", {{"k", "w"}}, path_));
  EXPECT_EQ(fs::file_size(path_), kMaxFileSize + 1);
  fs::remove(path_);

  // Section names that cannot be written as a header.
  EXPECT_FALSE(writeSection("", {{"k", "v"}}, path_));
  EXPECT_FALSE(writeSection("A]B", {{"k", "v"}}, path_));
  EXPECT_FALSE(writeSection("A\nB", {{"k", "v"}}, path_));
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_FALSE(writeSection("A", {{"k", "v"}}, dir_ + "/missing-dir/jinro.ini"));
}

TEST_F(ProfileFileTest, PermissionDeniedLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  spit(path_, "[A]\nk=v\n");
  // Unreadable file: not replaced, since its other sections would be lost.
  ASSERT_EQ(chmod(path_.c_str(), 0), 0);
  EXPECT_EQ(readString("A", "k", "d", 99, path_), "d");
  EXPECT_FALSE(writeSection("B", {{"x", "y"}}, path_));
  ASSERT_EQ(chmod(path_.c_str(), 0644), 0);
  EXPECT_EQ(slurp(path_), "[A]\nk=v\n");
  // Read-only directory: no temporary can be made.
  ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
  EXPECT_FALSE(writeSection("B", {{"x", "y"}}, path_));
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
  EXPECT_EQ(slurp(path_), "[A]\nk=v\n");
  EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(ProfileFileTest, HostileContentNeverCrashes) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(static_cast<size_t>(rng() % 4096), '\0');
    for (char& c : bytes) {
      // Bias towards the bytes the parser cares about.
      static const char interesting[] = "[]=\r\n \"'\x81\x83\x00";
      c = (rng() % 3 == 0) ? interesting[rng() % (sizeof interesting - 1)] : static_cast<char>(rng());
    }
    spit(path_, bytes);
    std::string v = readString("SOUND1", "night_sound_path", "d", 260, path_);
    EXPECT_LE(v.size(), 259u);
    (void)readInt("ZENPAN", "jidokosin_kankaku", 10, path_);
    ASSERT_TRUE(writeSection("SOUND1", {{"night_sound_path", "w.wav"}}, path_));
    EXPECT_EQ(readString("SOUND1", "night_sound_path", "d", 260, path_), "w.wav");
  }

  // One 10 MB line, and 10 MB of opening brackets.
  spit(path_, "[A]\nk=" + std::string(10u << 20, 'x') + "\n");
  EXPECT_EQ(readString("A", "k", "d", 1024, path_), std::string(1023, 'x'));
  ASSERT_TRUE(writeSection("B", {{"k", "v"}}, path_));
  EXPECT_EQ(fs::file_size(path_), 7 + (10u << 20) + 10);  // + "[B]\r\nk=v\r\n"
  spit(path_, std::string(10u << 20, '['));
  EXPECT_EQ(readString("A", "k", "d", 1024, path_), "d");
}

// A process that saves over and over, killed at random moments, leaves the old
// or the new file, whole.
TEST_F(ProfileFileTest, KillDuringSaveLeavesOldOrNewFile) {
  const std::string base =
      "[SOUND1]\r\nnight_sound_path=monst01.wav\r\n\r\n[ZENPAN]\r\nURL_frame=keep me\r\n";
  KeyValueList a, b;
  for (int i = 0; i < 400; ++i) {
    a.emplace_back("key" + std::to_string(i), std::string(100, 'a'));
    b.emplace_back("key" + std::to_string(i), std::string(150, 'b'));
  }
  const std::string fileA = replaceSection(base, "SOUND1", a);
  const std::string fileB = replaceSection(base, "SOUND1", b);
  ASSERT_EQ(replaceSection(fileA, "SOUND1", b), fileB);
  spit(path_, fileA);

  std::mt19937 rng(777);
  int sawA = 0, sawB = 0;
  for (int round = 0; round < 40; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (unsigned i = 0;; ++i) (void)writeSection("SOUND1", (i % 2) ? a : b, path_);
    }
    usleep(200 + rng() % 8000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const std::string now = slurp(path_);
    ASSERT_TRUE(now == fileA || now == fileB) << "round " << round << ": " << now.size() << " bytes";
    (now == fileA ? sawA : sawB)++;
  }
  EXPECT_GT(sawA + sawB, 0);
}

// Two clients saving different sections at the same time keep both.
TEST_F(ProfileFileTest, ConcurrentWritersDoNotLoseEachOthersSection) {
  constexpr int kWrites = 60;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      const std::string section = c == 0 ? "SOUND1" : "WINDOW_PLACEMENT";
      // Before each save the value of the previous save must still be there.
      int lost = 0;
      for (int i = 1; i <= kWrites; ++i) {
        if (readInt(section, "n", 0, path_) != i - 1) ++lost;
        if (!writeSection(section, {{"n", std::to_string(i)}}, path_)) ++lost;
      }
      _exit(lost == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    // A child that hangs is a failure, not a stuck test run.
    int status = 0;
    pid_t done = 0;
    for (int waited = 0; waited < 3000 && done == 0; ++waited) {
      done = waitpid(child, &status, WNOHANG);
      if (done == 0) usleep(10000);
    }
    if (done == 0) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << "writer did not finish";
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(readInt("SOUND1", "n", 0, path_), kWrites);
  EXPECT_EQ(readInt("WINDOW_PLACEMENT", "n", 0, path_), kWrites);
}

}  // namespace
}  // namespace jinro::profile
