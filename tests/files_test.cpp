#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_dir.h"

namespace clipwright::platform {
namespace {

using clipwright::testing::TempDir;

TEST(Files, CopyNeverReplacesAnExistingFile) {
  TempDir dir;
  const std::string source = dir.Write("a.mkv", "source bytes");
  const std::string target = dir.Write("temp0001.mkv", "keep me");
  EXPECT_EQ(CopyToNewFile(source, target), NewFile::kExists);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(target, &bytes));
  EXPECT_EQ(bytes, "keep me");

  const std::string fresh = dir.File("temp0002.mkv");
  EXPECT_EQ(CopyToNewFile(source, fresh), NewFile::kMade);
  ASSERT_TRUE(ReadWholeFile(fresh, &bytes));
  EXPECT_EQ(bytes, "source bytes");
}

// A name is had by creating the file, never one that a file or a folder has; a copy over the
// caller's own file is writable even from a read-only source.
TEST(Files, NamesAreTakenByCreatingTheFile) {
  TempDir dir;
  const std::string source = dir.Write("song.mp3", "source bytes");
  ASSERT_TRUE(SetReadOnly(source));
  const std::string temp = dir.File("temp0001.mp3");
  EXPECT_EQ(CreateNewFile(temp), NewFile::kMade);
  for (const std::string& taken : {temp, source, dir.path()}) EXPECT_EQ(CreateNewFile(taken), NewFile::kExists);
  EXPECT_EQ(CreateNewFile(dir.File("missing") + "/temp0001.mp3"), NewFile::kFailed);
  ASSERT_TRUE(CopyFileOver(source, temp));
  EXPECT_TRUE(AppendToFile(temp, "+"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(temp, &bytes));
  EXPECT_EQ(bytes, "source bytes+");
  EXPECT_FALSE(CopyFileOver(source, dir.File("gone.mp3")));
  EXPECT_FALSE(PathExists(dir.File("gone.mp3")));
}

TEST(Files, RenameNeverReplacesAnExistingFile) {
  TempDir dir;
  const std::string from = dir.Write("out_1.mp4", "new");
  const std::string taken = dir.Write("movie_1.mp4", "old");
  EXPECT_EQ(RenameToNewName(from, taken), NewFile::kExists);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(taken, &bytes));
  EXPECT_EQ(bytes, "old");
  EXPECT_EQ(RenameToNewName(from, dir.File("movie_2.mp4")), NewFile::kMade);
  EXPECT_FALSE(PathExists(from));
}

TEST(Files, ReadOnlyFilesAreDeletedAndReadOnlyTravelsWithACopy) {
  TempDir dir;
  const std::string file = dir.Write("locked.mp3", "x");
  ASSERT_TRUE(SetReadOnly(file));
  const std::string copy = dir.File("temp0001.mp3");
  ASSERT_EQ(CopyToNewFile(file, copy), NewFile::kMade);
  EXPECT_TRUE(DeleteFileForced(file));
  EXPECT_FALSE(PathExists(file));
  EXPECT_TRUE(DeleteFileForced(copy));
  EXPECT_FALSE(DeleteFileForced(dir.File("missing")));
}

TEST(Files, SizesAppendsAndFoldersAreToldApart) {
  TempDir dir;
  const std::string file = dir.File("log.txt");
  EXPECT_FALSE(FileSize(file).has_value());
  ASSERT_TRUE(AppendToFile(file, "one\r\n"));
  ASSERT_TRUE(AppendToFile(file, "two\r\n"));
  EXPECT_EQ(FileSize(file), 10u);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file, &bytes));
  EXPECT_EQ(bytes, "one\r\ntwo\r\n");
  ASSERT_TRUE(WriteWholeFile(file, "new"));
  EXPECT_EQ(FileSize(file), 3u);

  EXPECT_TRUE(IsDirectory(dir.path()));
  EXPECT_TRUE(PathExists(dir.path()));
  EXPECT_FALSE(CanOpenForReading(dir.File("nothing")));
  EXPECT_FALSE(FileSize(dir.path()).has_value());
}

TEST(Files, ListFolderNamesFilesAndFoldersWithSizes) {
  TempDir dir;
  dir.Write("0000000012.bmp", "bm");
  dir.Write("動画.mp4", "");
  std::vector<FolderEntry> entries = ListFolder(dir.path());
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "0000000012.bmp");
  EXPECT_EQ(entries[0].size, 2u);
  EXPECT_EQ(entries[1].name, "動画.mp4");
  EXPECT_FALSE(entries[1].is_directory);
}

}  // namespace
}  // namespace clipwright::platform
