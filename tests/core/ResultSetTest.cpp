// A result set: files written under temporary names and renamed into place
// all together, or none of them.

#include "core/ResultSet.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "SmallFileSystem.h"  // folderFiles

namespace grip {
namespace {

namespace fs = std::filesystem;

TEST(ResultSet, CommitReplacesEveryFileKeepingModesAndLinks) {
  test::TempDir dir;
  dir.write("a.dat", "old a");
  ::chmod(dir.file("a.dat").c_str(), 0660);  // wider than the usual umask leaves
  dir.write("target.dat", "old b");
  fs::create_symlink("target.dat", dir.path() / "b.dat");
  ResultSet set(dir.path());
  EXPECT_TRUE(set.add("a.dat", "new a"));
  EXPECT_TRUE(set.add("b.dat", [](std::FILE* file) { std::fputs("new b", file); }));
  EXPECT_TRUE(set.add("c.dat", ""));
  EXPECT_EQ(dir.read("a.dat"), "old a");  // nothing is replaced before the commit
  ASSERT_TRUE(set.commit());
  EXPECT_EQ(test::folderFiles(dir.path()),
            (std::map<std::string, std::string>{
                {"a.dat", "new a"}, {"b.dat", "new b"}, {"c.dat", ""}, {"target.dat", "new b"}}));
  struct stat status {};
  ASSERT_EQ(::stat(dir.file("a.dat").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0660u);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "b.dat"));
}

// A set with a file that cannot be written, and a set never committed,
// leave the folder as it was, without a temporary file.
TEST(ResultSet, SetNotWrittenWholeChangesNothing) {
  test::TempDir dir;
  dir.write("a.dat", "old a");
  fs::create_directory(dir.path() / "b.dat");
  const auto before = test::folderFiles(dir.path());
  {
    ResultSet set(dir.path());
    EXPECT_TRUE(set.add("a.dat", "new a"));
    const ResultSet::Outcome blocked = set.add("b.dat", "new b");
    EXPECT_EQ(blocked.stage, ResultSet::Stage::notOpened);
    EXPECT_EQ(blocked.error, EISDIR);
    EXPECT_TRUE(set.add("c.dat", "new c"));  // a later file is still written, and not committed
    EXPECT_FALSE(set.complete());
    EXPECT_FALSE(set.commit());
    EXPECT_TRUE(set.renameFault().name.empty());
    ResultSet uncommitted(dir.path());
    EXPECT_TRUE(uncommitted.add("a.dat", "new a"));
  }
  EXPECT_EQ(test::folderFiles(dir.path()), before);
}

// A rename that fails (here: a folder made where the second file goes after
// it was written) stops the commit there: the files before it are new, the
// ones after it as they were, and no temporary file is left.
TEST(ResultSet, FailedRenameStopsTheCommitWithItsFileAndReason) {
  test::TempDir dir;
  ResultSet set(dir.path());
  EXPECT_TRUE(set.add("a.dat", "new a"));
  EXPECT_TRUE(set.add("b.dat", "new b"));
  EXPECT_TRUE(set.add("c.dat", [&](std::FILE*) { fs::create_directories(dir.path() / "b.dat" / "full"); }));
  EXPECT_FALSE(set.commit());
  EXPECT_EQ(set.renameFault().name, "b.dat");
  EXPECT_EQ(set.renameFault().error, EISDIR);
  EXPECT_EQ(test::folderFiles(dir.path()), (std::map<std::string, std::string>{{"a.dat", "new a"}, {"b.dat", "<folder>"}}));
}

// A file the process may not make so large (RLIMIT_FSIZE, set in a child
// process so that the test's own files are not limited) fails as a full disk
// does: the write, with its reason, and the files before stay.
TEST(ResultSet, WriteBeyondTheFileSizeLimitFails) {
  test::TempDir dir;
  dir.write("a.dat", "old a");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{4096, 4096};
    std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
    ResultSet set(dir.path());
    const ResultSet::Outcome small = set.add("b.dat", "new b");
    const ResultSet::Outcome large = set.add("a.dat", std::string(10000, 'x'));
    const bool committed = set.commit();
    ::_exit(!small ? 11 : large.stage != ResultSet::Stage::notWritten ? 12 : large.error != EFBIG ? 13 : committed ? 14 : 0);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);  // 11 to 14: the first expectation that failed
  EXPECT_EQ(test::folderFiles(dir.path()), (std::map<std::string, std::string>{{"a.dat", "old a"}}));
}

}  // namespace
}  // namespace grip
