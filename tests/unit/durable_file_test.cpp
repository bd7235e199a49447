#include "base/durable_file.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "unit/test_files.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;
using test_files::slurp;
using test_files::spit;

class DurableFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "jinro-durable-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

  std::string dir_;
  std::string ini() const { return dir_ + "/jinro.ini"; }
};

// A file size limit binds root too: a write that fails half-way.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit lowered{bytes, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
    handler = signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, handler);
  }
  rlimit old{};
  sighandler_t handler;
};

TEST_F(DurableFileTest, ReplacesWholeContentKeepingTheMode) {
  spit(ini(), std::string(10000, 'o'));
  ASSERT_EQ(chmod(ini().c_str(), 0640), 0);
  ASSERT_TRUE(writeFileDurably(ini(), "new"));
  EXPECT_EQ(slurp(ini()), "new");
  EXPECT_EQ(fs::status(ini()).permissions(), fs::perms(0640));

  const mode_t mask = umask(022);
  umask(mask);
  ASSERT_TRUE(writeFileDurably(dir_ + "/fresh", "", {.newFileMode = 0666}));
  EXPECT_EQ(fs::status(dir_ + "/fresh").permissions(), fs::perms(0666 & ~mask));
  EXPECT_EQ(entries(), 2u);  // no temporary left behind
}

TEST_F(DurableFileTest, RefusesWithAReasonAndLeavesTheOldFile) {
  ASSERT_TRUE(fs::create_directory(ini()));
  Result<void> r = writeFileDurably(ini(), "x");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), "cannot write " + ini() + ": it is not a regular file");
  EXPECT_TRUE(fs::is_directory(ini()));
  fs::remove(ini());

  spit(dir_ + "/plain", "");  // a folder that is a file: root cannot write in it either
  r = writeFileDurably(dir_ + "/plain/jinro.ini", "x");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), "cannot write " + dir_ + "/plain/jinro.ini: " + std::strerror(ENOTDIR));

  spit(ini(), "old");
  {
    const FileSizeLimit limit(4096);
    r = writeFileDurably(ini(), std::string(65536, 'n'));
  }
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), "cannot write " + ini() + ": " + std::strerror(EFBIG));
  EXPECT_EQ(slurp(ini()), "old");
  EXPECT_EQ(entries(), 2u);
}

TEST_F(DurableFileTest, ProbeTellsWhetherAReplacementCouldSucceed) {
  EXPECT_TRUE(probeReplaceable(ini()));  // absent: a save creates it
  EXPECT_EQ(entries(), 0u);
  spit(ini(), "[A]\r\nk=v\r\n");
  EXPECT_TRUE(probeReplaceable(ini()));
  EXPECT_EQ(slurp(ini()), "[A]\r\nk=v\r\n");
  {
    const FileSizeLimit limit(4096);  // room for the file, not for what a save adds
    Result<void> r = probeReplaceable(ini());
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), "cannot write beside " + ini() + ": " + std::strerror(EFBIG));
  }
  EXPECT_EQ(entries(), 1u);

  spit(dir_ + "/plain", "");
  Result<void> r = probeReplaceable(dir_ + "/plain/jinro.ini");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), dir_ + "/plain/jinro.ini: " + std::strerror(ENOTDIR));
  r = probeReplaceable(dir_);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), dir_ + " is not a regular file");
}

}  // namespace
}  // namespace jinro
