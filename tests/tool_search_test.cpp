#include "settings/tool_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FsPath;
using testing::TempDir;

struct SearchCase {
  std::string name;
  std::vector<std::string> files;    // made under the test folder: "program/…" or "path/…"
  std::vector<std::string> folders;  // likewise, folders named like a tool
  std::string ffmpeg, aacgain;       // where each is expected, relative; empty: not found
  std::string saved_ffmpeg;          // a path already in status.ini
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

class FirstStartTest : public ::testing::TestWithParam<SearchCase> {};

// "/" in the table is the system's separator; tool names get the system's extension.
std::string Native(const TempDir& root, std::string relative) {
  const std::string extension(platform::ProgramExtension());
  for (const char* tool : {"ffmpeg", "aacgain"}) {
    const std::size_t at = relative.rfind(tool);
    if (at != std::string::npos && at + std::char_traits<char>::length(tool) == relative.size()) relative += extension;
  }
  for (char& c : relative) {
    if (c == '/') c = platform::PathSeparator();
  }
  return root.File(relative);
}

TEST_P(FirstStartTest, FillsTheFirstFoundAndKeepsASavedPath) {
  const SearchCase& c = GetParam();
  TempDir root;
  std::filesystem::create_directories(FsPath(Native(root, "program")));
  for (const std::string& file : c.files) {
    std::filesystem::create_directories(FsPath(Native(root, file)).parent_path());
    root.Write(Native(root, file).substr(root.path().size()), "MZ");
  }
  for (const std::string& folder : c.folders) std::filesystem::create_directories(FsPath(Native(root, folder)));

  StoredSettings settings;
  settings.ffmpeg_path = c.saved_ffmpeg;
  FindMissingTools(&settings, Native(root, "program/"), {Native(root, "missing/"), Native(root, "path/")});
  EXPECT_EQ(settings.ffmpeg_path, !c.saved_ffmpeg.empty() ? c.saved_ffmpeg : c.ffmpeg.empty() ? "" : Native(root, c.ffmpeg));
  EXPECT_EQ(settings.aacgain_path, c.aacgain.empty() ? "" : Native(root, c.aacgain));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, FirstStartTest,
    ::testing::Values(
        SearchCase{"Nowhere", {}, {}, "", "", ""},
        SearchCase{"BesideBeforeAllElse",
                   {"program/ffmpeg", "program/bin/ffmpeg", "path/ffmpeg", "program/aacgain", "program/bin/aacgain", "path/aacgain"},
                   {}, "program/ffmpeg", "program/aacgain", ""},
        SearchCase{"FfmpegsOwnBinBeforeBin",
                   {"program/ffmpeg/bin/ffmpeg", "program/bin/ffmpeg", "program/bin/aacgain", "path/aacgain"},
                   {}, "program/ffmpeg/bin/ffmpeg", "program/bin/aacgain", ""},
        SearchCase{"ThePathLast", {"path/ffmpeg", "path/aacgain", "program/ffmpeg/bin/aacgain"}, {}, "path/ffmpeg", "path/aacgain", ""},
        SearchCase{"AFolderOfTheNameIsNoTool", {"path/ffmpeg"}, {"program/ffmpeg", "program/bin/aacgain"}, "path/ffmpeg", "", ""},
        SearchCase{"ASavedPathStaysThoughItIsGone", {"program/ffmpeg"}, {}, "", "", "C:\\gone\\ffmpeg.exe"}),
    [](const auto& info) { return info.param.name; });

TEST(FolderList, SplitsLikeThePathVariable) {
  const std::string s(1, platform::PathSeparator());
  EXPECT_EQ(platform::SplitFolderList("C:\\a;\"C:\\b;c\";;C:\\d\\", ';'),
            (std::vector<std::string>{"C:\\a" + s, "C:\\b;c" + s, "C:\\d\\"}));
}

}  // namespace
}  // namespace clipwright
