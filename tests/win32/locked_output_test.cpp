// A file that another program holds open without sharing cannot be opened for reading, yet it
// is not a free name: a job must never be pointed at it.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/control_ids.h"
#include "jobs/job_context.h"
#include "jobs/output_files.h"
#include "platform/win32/wide.h"
#include "support/fake_dialog.h"
#include "support/job_pages.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

TEST(LockedOutput, ALockedFileIsNotTakenAsFree) {
  testing::TempDir dir;
  const std::string locked = dir.Write("movie_1.mp4", "in use");
  HANDLE handle = CreateFileW(platform::Widen(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  testing::FakeDialog page;
  testing::SelectContainer(page, IDC_CONVERT_CONTAINER, "mp4");
  JobContext job;
  job.operation = OP_CONVERT;
  EXPECT_EQ(MakeOutputPath(job, page, dir.File("movie.mkv")), dir.File("movie_2.mp4"));

  std::string temp = dir.File("movie.mkv");
  dir.Write("movie.mkv", "source");
  dir.Write("temp0001.mkv", "");
  HANDLE temp_lock = CreateFileW(platform::Widen(dir.File("temp0001.mkv")).c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(temp_lock, INVALID_HANDLE_VALUE);
  MakeTempCopy(job, temp, 0);
  EXPECT_EQ(temp, dir.File("temp0002.mkv"));
  CloseHandle(temp_lock);
  CloseHandle(handle);
}

}  // namespace
}  // namespace clipwright
