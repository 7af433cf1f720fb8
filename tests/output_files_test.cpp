#include "jobs/output_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::TempDir;

std::string Read(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

TEST(NameSeries, Names) {
  EXPECT_EQ(NumberedName("C:\\media\\movie.mkv", 3, ".mp4"), "C:\\media\\movie_3.mp4");
  EXPECT_EQ(NumberedName("/media/movie.mkv", 12, ".mkv"), "/media/movie_12.mkv");
  EXPECT_EQ(TempName("C:\\media\\movie.mkv", 1, ".mkv"), "C:\\media\\temp0001.mkv");
  EXPECT_EQ(TempName("/media/a.mp3", 12345, ".mp3"), "/media/temp12345.mp3");
}

// A name is taken only where nothing has it: neither a file, nor a folder, nor a file that
// cannot be read, nor a link that leads nowhere. The file is made by the call that takes it.
TEST(NameSeries, TakesTheFirstNameNothingHas) {
  TempDir dir;
  dir.Write("movie_1.mp4", "earlier");
  std::filesystem::create_directory(testing::FsPath(dir.File("movie_2.mp4")));
  const std::string unreadable = dir.Write("movie_3.mp4", "locked");
  std::filesystem::permissions(testing::FsPath(unreadable), std::filesystem::perms::none);
  std::error_code error;
  std::filesystem::create_symlink(testing::FsPath(dir.File("elsewhere.mp4")), testing::FsPath(dir.File("movie_4.mp4")), error);
  const bool linked = !error;
  const auto name_for = [&](int n) { return NumberedName(dir.File("movie.mkv"), n, ".mp4"); };
  const std::string taken = TakeFirstFreeName(name_for, [](const std::string& name) { return platform::CreateNewFile(name, "new"); });
  EXPECT_EQ(taken, dir.File(linked ? "movie_5.mp4" : "movie_4.mp4"));
  EXPECT_EQ(Read(taken), "new");
  EXPECT_EQ(Read(dir.File("movie_1.mp4")), "earlier");
  EXPECT_FALSE(platform::PathExists(dir.File("elsewhere.mp4")));
  std::filesystem::permissions(testing::FsPath(unreadable), std::filesystem::perms::owner_all);
  EXPECT_EQ(FirstFreeName(name_for), dir.File(linked ? "movie_6.mp4" : "movie_5.mp4"));
}

// A name taken between the look-up and the making gives way to the next; a making that fails
// otherwise, or a look-up that fails for another reason than "no such file" (here a file where
// a folder should be), gives no name at all.
TEST(NameSeries, ANameTakenMeanwhileGivesWayAndAFailureGivesNone) {
  TempDir dir;
  const auto name_for = [&](int n) { return dir.File(std::string("x").append(std::to_string(n))); };
  int calls = 0;
  EXPECT_EQ(TakeFirstFreeName(name_for, [&](const std::string& name) {
              return ++calls == 1 ? platform::NewFile::kExists : platform::CreateNewFile(name);
            }),
            dir.File("x2"));
  EXPECT_EQ(TakeFirstFreeName(name_for, [](const std::string&) { return platform::NewFile::kFailed; }), "");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x2"});

  dir.Write("notes.txt", "a file, not a folder");
  const auto inside_a_file = [&](int n) { return NumberedName(dir.File("notes.txt") + "/movie.mkv", n, ".mp4"); };
  EXPECT_EQ(FirstFreeName(inside_a_file), "");
  EXPECT_EQ(TakeFirstFreeName(inside_a_file, [](const std::string& name) { return platform::CreateNewFile(name); }), "");
}

TEST(CommandLog, StartsWithTheByteOrderMarkOnceAndAppendsLines) {
  TempDir dir;
  AppendCommandLog(dir.path(), "\"ffmpeg\" -i \"動画.mp4\" \"b\"");
  AppendCommandLog(dir.path(), "second");
  EXPECT_EQ(Read(dir.File("log.txt")), "\xEF\xBB\xBF\"ffmpeg\" -i \"動画.mp4\" \"b\"\r\nsecond\r\n");
  // A folder that cannot take the log is skipped quietly.
  AppendCommandLog(dir.File("missing") + "/", "third");
  EXPECT_FALSE(platform::PathExists(dir.File("missing")));
}

}  // namespace
}  // namespace clipwright
