// The one bounded reader behind the settings file and the sound files.
#include "base/bounded_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "unit/test_files.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;
using test_files::spit;

class BoundedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "jinro-bounded-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  // The fault of a read that must fail.
  static FileReadFault faultOf(const Result<std::string, FileReadError>& r) {
    EXPECT_FALSE(r);
    return r ? FileReadFault::missing : r.error().fault;
  }

  std::string dir_;
};

TEST_F(BoundedFileTest, ReadsAWholeFileUpToTheBound) {
  spit(dir_ + "/ten", "0123456789");
  Result<std::string, FileReadError> r = readFileBounded(dir_ + "/ten", 10);
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, "0123456789");

  r = readFileBounded(dir_ + "/ten", 9);
  EXPECT_EQ(faultOf(r), FileReadFault::tooLarge);
  EXPECT_EQ(r.error().size, 10u);

  spit(dir_ + "/empty", "");
  r = readFileBounded(dir_ + "/empty", 10);
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, "");
}

TEST_F(BoundedFileTest, TellsAMissingFileFromOneThatIsNotAFile) {
  Result<std::string, FileReadError> r = readFileBounded(dir_ + "/absent", 10);
  EXPECT_EQ(faultOf(r), FileReadFault::missing);
  EXPECT_EQ(r.error().systemError, ENOENT);
  EXPECT_EQ(describe(r.error(), "absent"), "cannot open absent: No such file or directory");

  r = readFileBounded(dir_, 10);
  EXPECT_EQ(faultOf(r), FileReadFault::notRegular);
  EXPECT_EQ(describe(r.error(), dir_), dir_ + " is not a regular file");

  // A FIFO without a writer: refused at once instead of waited on.
  ASSERT_EQ(mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
  EXPECT_EQ(faultOf(readFileBounded(dir_ + "/pipe", 10)), FileReadFault::notRegular);
}

TEST_F(BoundedFileTest, AnUnreadableFileCannotBeOpened) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  spit(dir_ + "/secret", "x");
  ASSERT_EQ(chmod((dir_ + "/secret").c_str(), 0), 0);
  Result<std::string, FileReadError> r = readFileBounded(dir_ + "/secret", 10);
  EXPECT_EQ(faultOf(r), FileReadFault::cannotOpen);
  EXPECT_EQ(r.error().systemError, EACCES);
}

TEST_F(BoundedFileTest, TheWordsNameTheFileAndTheCause) {
  EXPECT_EQ(describe(FileReadError{FileReadFault::tooLarge, 0, 12}, "big"), "big is too large (12 bytes)");
  EXPECT_EQ(describe(FileReadError{FileReadFault::readFailed, EIO, 0}, "bad"),
            "cannot read bad: Input/output error");
}

}  // namespace
}  // namespace jinro
