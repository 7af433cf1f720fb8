#include "jobs/output_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "win32/job_pages.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::FakeRequests;
using testing::TempDir;

std::string Read(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

TEST(OutputPath, TakesTheFirstCounterWithNothingAtItsName) {
  TempDir dir;
  dir.Write("movie_1.mp4", "earlier");
  dir.Write("movie_2.mp4", "earlier");
  FakeDialog page;
  testing::SelectContainer(page, IDC_CONVERT_CONTAINER, "mp4");
  JobContext job;
  job.operation = OP_CONVERT;
  EXPECT_EQ(MakeOutputPath(job, page, dir.File("movie.mkv")), dir.File("movie_3.mp4"));
  EXPECT_EQ(job.container, "mp4");

  // A folder of that name, or a file that cannot be read, is not free either.
  std::filesystem::create_directory(testing::FsPath(dir.File("movie_3.mp4")));
  const std::string unreadable = dir.Write("movie_4.mp4", "locked");
  std::filesystem::permissions(testing::FsPath(unreadable), std::filesystem::perms::none);
  EXPECT_EQ(MakeOutputPath(job, page, dir.File("movie.mkv")), dir.File("movie_5.mp4"));
  std::filesystem::permissions(testing::FsPath(unreadable), std::filesystem::perms::owner_all);

  job.operation = OP_SPLIT;
  testing::SelectContainer(page, IDC_SPLIT_CONTAINER, "mkv");
  EXPECT_EQ(MakeOutputPath(job, page, dir.File("movie.mkv")), dir.File("movie_1.mkv"));
  EXPECT_EQ(job.container, "mkv");
}

TEST(TempCopies, ConcatenateCopiesEveryRowAndTheCleanUpRemovesThemAndTheList) {
  TempDir dir;
  dir.Write("a.mkv", "first");
  dir.Write("b.mkv", "second");
  platform::SetReadOnly(dir.File("b.mkv"));  // the copy carries the attribute and must go all the same
  FakeDialog page;
  page.AddRows(IDC_CONCAT_FILES, {dir.File("a.mkv"), dir.File("b.mkv")});
  JobContext job;
  job.operation = OP_CONCATENATE;
  std::string failure;
  const std::string list = WriteConcatList(job, page, true, &failure);
  ASSERT_EQ(list, dir.File("input.txt"));
  EXPECT_EQ(job.concat_list, list);

  ASSERT_EQ(job.temp_slots.size(), 2u);
  EXPECT_EQ(job.temp_slots[0], dir.File("temp0001.mkv"));
  EXPECT_EQ(job.temp_slots[1], dir.File("temp0002.mkv"));
  EXPECT_EQ(Read(dir.File("temp0001.mkv")), "first");
  EXPECT_EQ(Read(dir.File("temp0002.mkv")), "second");
  EXPECT_EQ(Read(list), "file '" + dir.File("temp0001.mkv") + "'\r\nfile '" + dir.File("temp0002.mkv") + "'\r\n");

  // A failed run leaves no output, and the clean-up still happens.
  FinishOutputFiles(job, dir.File("b.mkv"), dir.File("input_1.mkv"), 2, false);
  EXPECT_FALSE(platform::PathExists(dir.File("temp0001.mkv")));
  EXPECT_FALSE(platform::PathExists(dir.File("temp0002.mkv")));
  EXPECT_FALSE(platform::PathExists(list));
  EXPECT_EQ(Read(dir.File("a.mkv")), "first");
  EXPECT_EQ(Read(dir.File("b.mkv")), "second");
  platform::ClearReadOnly(dir.File("b.mkv"));
}

TEST(TempCopies, TakenNamesAreSkippedAndAFailedCopyLeavesNothingToRemove) {
  TempDir dir;
  dir.Write("temp0001.mp4", "a user's file");
  dir.Write("clip.mp4", "clip");
  JobContext job;
  std::string path = dir.File("clip.mp4");
  MakeTempCopy(job, path, 0);
  EXPECT_EQ(path, dir.File("temp0002.mp4"));
  EXPECT_EQ(Read(path), "clip");

  // A file that is gone cannot be copied: the file fails, and no name is passed on.
  std::string missing = dir.File("gone.mp4");
  EXPECT_FALSE(MakeTempCopy(job, missing, 1));
  EXPECT_EQ(missing, dir.File("gone.mp4"));
  EXPECT_EQ(job.temp_slots.size(), 1u);
  EXPECT_FALSE(platform::PathExists(dir.File("temp0003.mp4")));

  std::string empty;
  EXPECT_TRUE(MakeTempCopy(job, empty, 2));
  EXPECT_EQ(empty, "");
  EXPECT_EQ(Read(dir.File("temp0001.mp4")), "a user's file");
}

// A name can be taken after it was looked at; here by a link that leads nowhere, which a look-up
// that follows links finds free. The copy then takes the next free name: FFmpeg must never read
// something else under the copy's name.
TEST(TempCopies, ANameTakenSinceItWasLookedAtIsPassedOver) {
  TempDir dir;
  dir.Write("clip.mp4", "clip");
  std::error_code error;
  std::filesystem::create_symlink(testing::FsPath(dir.File("elsewhere.mp4")), testing::FsPath(dir.File("temp0001.mp4")),
                                  error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  JobContext job;
  std::string path = dir.File("clip.mp4");
  MakeTempCopy(job, path, 0);
  EXPECT_EQ(path, dir.File("temp0002.mp4"));
  EXPECT_EQ(Read(path), "clip");
  EXPECT_FALSE(platform::PathExists(dir.File("elsewhere.mp4")));
}

// Only "no such file" makes a name free; a look-up that fails otherwise (access denied, a name
// too long for the call, here a file where a folder should be) gives no name at all.
TEST(OutputPath, ALookUpThatFailsGivesNoName) {
  TempDir dir;
  dir.Write("notes.txt", "a file, not a folder");
  FakeDialog page;
  testing::SelectContainer(page, IDC_CONVERT_CONTAINER, "mp4");
  JobContext job;
  job.operation = OP_CONVERT;
  EXPECT_EQ(MakeOutputPath(job, page, dir.File("notes.txt") + "/movie.mkv"), "");
}

TEST(ConcatList, IsUtf8WithQuotesEscapedAndNeverReplacesAUsersFile) {
  TempDir dir;
  dir.Write("input.txt", "a user's notes");
  FakeDialog page;
  const std::string japanese = dir.File("夏の動画.mp4");
  const std::string quoted = dir.File("Don't Stop.mp4");
  page.AddRows(IDC_CONCAT_FILES, {japanese, quoted});
  JobContext job;
  job.operation = OP_CONCATENATE;
  std::string failure;
  const std::string list = WriteConcatList(job, page, false, &failure);
  EXPECT_EQ(list, dir.File("input_1.txt"));
  EXPECT_EQ(Read(list), "file '" + japanese + "'\r\nfile '" + dir.File("Don'\\''t Stop.mp4") + "'\r\n");
  EXPECT_EQ(Read(dir.File("input.txt")), "a user's notes");
  EXPECT_TRUE(job.temp_slots.empty());
}

TEST(FinalName, SplitNamesItsRangeFirstThenCounts) {
  TempDir dir;
  JobContext job;
  job.operation = OP_SPLIT;
  job.start_time = 12.5;
  job.end_time = 60;
  const std::string clip = dir.File("clip.mp4");
  dir.Write("clip_1.mp4", "first run");
  FinishOutputFiles(job, clip, dir.File("clip_1.mp4"), 0, false);
  EXPECT_EQ(Read(dir.File("clip_00012.500-00060.000_1.mp4")), "first run");
  EXPECT_FALSE(platform::PathExists(dir.File("clip_1.mp4")));

  dir.Write("clip_1.mp4", "second run");
  FinishOutputFiles(job, clip, dir.File("clip_1.mp4"), 0, false);
  EXPECT_EQ(Read(dir.File("clip_2.mp4")), "second run");

  // With a temp copy: the output of the copy gets the listed file's name, the copy goes.
  dir.Write("temp0001.mp4", "copy");
  dir.Write("temp0001_1.mp4", "third run");
  job.temp_slots = {dir.File("temp0001.mp4")};
  job.start_time = 0;
  job.end_time = 3723.25;
  FinishOutputFiles(job, clip, dir.File("temp0001_1.mp4"), 1, true);
  EXPECT_EQ(Read(dir.File("clip_00000.000-03723.250_1.mp4")), "third run");
  EXPECT_FALSE(platform::PathExists(dir.File("temp0001.mp4")));
}

TEST(FinalName, OtherOperationsCountFromOneBesideTheListedFile) {
  TempDir dir;
  JobContext job;
  job.operation = OP_CONCATENATE;
  dir.Write("b_1.mp4", "taken");
  dir.Write("input_1.mp4", "joined");
  const std::string list = dir.Write("input.txt", "file 'x'\r\n");
  const std::string users = dir.Write("input_1.txt", "a user's notes");
  job.concat_list = list;  // made by this run
  FinishOutputFiles(job, dir.File("b.mkv"), dir.File("input_1.mp4"), 0, false);
  EXPECT_EQ(Read(dir.File("b_2.mp4")), "joined");
  EXPECT_FALSE(platform::PathExists(list));
  EXPECT_EQ(Read(users), "a user's notes");

  // The listed file itself never goes.
  job.operation = OP_MULTIPLEX;
  const std::string kept = dir.Write("video.mp4", "input");
  FinishOutputFiles(job, kept, dir.File("video_1.mp4"), 2, false);
  EXPECT_EQ(Read(kept), "input");
}

TEST(CommandLog, StartsWithTheByteOrderMarkOnceAndAppendsLines) {
  TempDir dir;
  FakeRequests requests;
  testing::FillSettingsPage(requests.page(PAGE_SETTINGS));
  AppendCommandLog(requests, "\"ffmpeg\" -i \"a\" \"b\"", dir.path());
  EXPECT_FALSE(platform::PathExists(dir.File("log.txt")));

  requests.page(PAGE_SETTINGS).SetChecked(IDC_COMMAND_LOG, true);
  AppendCommandLog(requests, "\"ffmpeg\" -i \"動画.mp4\" \"b\"", dir.path());
  AppendCommandLog(requests, "second", dir.path());
  EXPECT_EQ(Read(dir.File("log.txt")), "\xEF\xBB\xBF\"ffmpeg\" -i \"動画.mp4\" \"b\"\r\nsecond\r\n");

  // A folder that cannot take the log is skipped quietly.
  AppendCommandLog(requests, "third", dir.File("missing") + "/");
  EXPECT_FALSE(platform::PathExists(dir.File("missing")));
}

}  // namespace
}  // namespace clipwright
