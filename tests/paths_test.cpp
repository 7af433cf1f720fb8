#include "platform/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace clipwright::platform {
namespace {

struct SplitCase {
  std::string path;
  std::string drive, directory, name, extension;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.path << '"'; }

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

// Results of the Windows runtime's _wsplitpath for the same inputs.
TEST_P(SplitPathTest, MatchesTheRuntime) {
  const SplitCase& c = GetParam();
  const PathParts parts = SplitPath(c.path);
  EXPECT_EQ(parts.drive, c.drive);
  EXPECT_EQ(parts.directory, c.directory);
  EXPECT_EQ(parts.name, c.name);
  EXPECT_EQ(parts.extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitPathTest,
    ::testing::Values(SplitCase{"C:\\v\\movie.mkv", "C:", "\\v\\", "movie", ".mkv"},
                      SplitCase{"C:/v/movie.mkv", "C:", "/v/", "movie", ".mkv"},
                      SplitCase{"C:\\a/b\\c.tar.gz", "C:", "\\a/b\\", "c.tar", ".gz"},
                      SplitCase{"movie", "", "", "movie", ""},
                      SplitCase{"C:movie.mp4", "C:", "", "movie", ".mp4"},
                      SplitCase{"C:\\", "C:", "\\", "", ""},
                      SplitCase{"\\\\server\\share\\x.mp3", "", "\\\\server\\share\\", "x", ".mp3"},
                      SplitCase{"/home/u/.hidden", "", "/home/u/", "", ".hidden"},
                      SplitCase{"C:\\dir.d\\noext", "C:", "\\dir.d\\", "noext", ""},
                      SplitCase{"C:\\v\\動画 1.MP4", "C:", "\\v\\", "動画 1", ".MP4"},
                      SplitCase{"", "", "", "", ""}));

TEST(ProgramFolder, EndsInASeparatorAndNamesAnExistingFolder) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), PathSeparator());
}

}  // namespace
}  // namespace clipwright::platform
