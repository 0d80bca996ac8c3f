#include "platform/file_identity.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "platform/terminal.hpp"

namespace slurry1d::platform {
namespace {

namespace fs = std::filesystem;

// A fresh directory under the system's temporary directory, removed at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const fs::path candidate =
          fs::temp_directory_path() / ("slurry1d-platform-" + std::to_string(seed()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) path_ = candidate;
    }
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

fs::path write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path) << text;
  return path;
}

TEST(FileIdentity, OneFileReachedByTwoPathsIsTheSameFile) {
  const ScratchDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  fs::create_directory(dir.path() / "sub");
  const fs::path answers = write_file(dir.path() / "answers.txt", "2.65\n");
  const auto identity = file_identity(answers);
  ASSERT_TRUE(identity.has_value());
  EXPECT_EQ(file_identity(dir.path() / "sub" / ".." / "answers.txt"), identity);
  EXPECT_EQ(file_identity(dir.path() / "." / "answers.txt"), identity);

  std::error_code error;
  fs::create_hard_link(answers, dir.path() / "linked.txt", error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(file_identity(dir.path() / "linked.txt"), identity);
}

TEST(FileIdentity, FilesSideBySideAreDifferentFilesEvenWithTheSameContents) {
  const ScratchDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  const auto first = file_identity(write_file(dir.path() / "input", "same\n"));
  const auto second = file_identity(write_file(dir.path() / "copy", "same\n"));
  ASSERT_TRUE(first.has_value());
  ASSERT_TRUE(second.has_value());
  EXPECT_NE(first, second);
  EXPECT_NE(first, file_identity(dir.path()));
}

TEST(FileIdentity, ADirectoryHasAnIdentityAndAMissingFileHasNone) {
  const ScratchDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  ASSERT_TRUE(file_identity(dir.path()).has_value());
  EXPECT_EQ(file_identity(dir.path() / "."), file_identity(dir.path()));
  EXPECT_EQ(file_identity(dir.path() / "input"), std::nullopt);
  EXPECT_EQ(file_identity(dir.path() / "no" / "such" / "file"), std::nullopt);
}

TEST(FileIdentity, SymbolicLinkIsFollowedToItsFile) {
  const ScratchDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  const fs::path target = write_file(dir.path() / "answers.txt", "1\n");
  std::error_code error;
  fs::create_symlink(target, dir.path() / "link.txt", error);
  // Windows lets only privileged accounts or developer mode make links.
  if (error) GTEST_SKIP() << "cannot make a symbolic link here: " << error.message();
  EXPECT_EQ(file_identity(dir.path() / "link.txt"), file_identity(target));
}

// Standard input redirected from a file, as "slurry1d < answers.txt" does:
// it is that file, and it is no terminal.
TEST(StandardInput, RedirectedFromAFileIsThatFileAndNoTerminal) {
  const ScratchDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  const fs::path answers = write_file(dir.path() / "answers.txt", "2\n");
  ASSERT_NE(std::freopen(answers.string().c_str(), "r", stdin), nullptr);
  EXPECT_FALSE(stdin_is_terminal());
  const auto identity = stdin_identity();
  ASSERT_TRUE(identity.has_value());
  EXPECT_EQ(identity, file_identity(answers));
  EXPECT_NE(identity, file_identity(write_file(dir.path() / "input", "2\n")));
  std::fclose(stdin);
}

}  // namespace
}  // namespace slurry1d::platform
