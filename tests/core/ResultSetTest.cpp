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

// Each way a set can fall short leaves the folder as it was, without a
// temporary file.
TEST(ResultSet, SetNotWrittenWholeChangesNothing) {
  struct Case {
    const char* name;
    const char* blocked;  ///< made a folder before the set is written; "" for none
    bool commit;
    ResultSet::Stage stage;  ///< of the blocked file
    int error;
  };
  const Case cases[] = {
      {"a folder of a result's name", "b.dat", true, ResultSet::Stage::notOpened, EISDIR},
      {"written but never committed", "", false, ResultSet::Stage::written, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    dir.write("a.dat", "old a");
    if (*c.blocked != '\0') fs::create_directory(dir.path() / c.blocked);
    const auto before = test::folderFiles(dir.path());
    {
      ResultSet set(dir.path());
      EXPECT_TRUE(set.add("a.dat", "new a"));
      const ResultSet::Outcome outcome = set.add("b.dat", "new b");
      EXPECT_EQ(outcome.stage, c.stage);
      EXPECT_EQ(outcome.error, c.error);
      EXPECT_TRUE(set.add("c.dat", "new c"));  // a later file is still written, and still not committed
      EXPECT_EQ(set.complete(), *c.blocked == '\0');
      if (c.commit) {
        EXPECT_FALSE(set.commit());
      }
      EXPECT_TRUE(set.renameFault().name.empty());
    }
    EXPECT_EQ(test::folderFiles(dir.path()), before);
  }
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
