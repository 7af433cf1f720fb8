// Files that another program holds open: a locked file is not a free name, and a file held
// while the run ends is neither lost nor passed over in silence.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/job_context.h"
#include "jobs/job_worker.h"
#include "jobs/output_files.h"
#include "platform/files.h"
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

// Files that another program holds open while the run ends, as a virus scanner does.
class HeldFileTest : public ::testing::Test {
 protected:
  HeldFileTest() {
    testing::FillSettingsPage(requests.page(PAGE_SETTINGS));
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, tools.Write("ffmpeg.exe", "not run"));
    page.AddRows(IDC_CONVERT_FILES, {dir.Write("song.wav", "RIFF")});
    list.files.push_back(FileEntry{{{"Stream #0:0: Audio: pcm_s16le", 1}}, 1});
    job.operation = OP_CONVERT;
    job.files = &list;
    job.program_folder = tools.path();
  }
  ~HeldFileTest() override {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }

  // While "FFmpeg" runs, it writes `output` to the command's last path, and another program
  // opens the file `name` with `share`.
  void HoldDuringTheRun(const std::string& name, DWORD share, const std::string& output) {
    job.scan_output = [=, this](AnalysisResult&, Dialog&, const std::atomic<int>&, std::string_view command, int,
                                int*, double) {
      const std::size_t close = command.rfind('"');
      const std::size_t open = command.rfind('"', close - 1);
      platform::WriteWholeFile(std::string(command.substr(open + 1, close - open - 1)), output);
      held = CreateFileW(platform::Widen(dir.File(name)).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      return int{VERDICT_SUCCESS};
    };
  }

  testing::TempDir tools;
  testing::TempDir dir;
  testing::FakeRequests requests;
  testing::FakeDialog page;
  testing::FakeDialog progress;
  FileList list;
  JobContext job;
  HANDLE held = INVALID_HANDLE_VALUE;
};

// A temp copy that cannot be deleted is named for the user to remove, not passed over.
TEST_F(HeldFileTest, ATempCopyThatStaysIsNamed) {
  requests.page(PAGE_SETTINGS).SetChecked(IDC_TEMP_COPIES, true);
  testing::SelectContainer(page, IDC_CONVERT_CONTAINER, "mkv");
  HoldDuringTheRun("temp0001.wav", FILE_SHARE_READ, "converted");
  JobWorker(job, progress, page, requests);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "削除出来なかったファイルがあります： " + dir.File("temp0001.wav"));
  EXPECT_TRUE(platform::PathExists(dir.File("song_1.mkv")));
}

// The tag removal puts the new file in the output's place in one step: an output that another
// program holds (allowing deletion) is never lost to a temporary name. (Whether the system lets
// the held file be replaced at all depends on its version; either way the output is whole.)
TEST_F(HeldFileTest, TheTagRemovalNeverLeavesTheOutputUnderAnotherName) {
  requests.page(PAGE_SETTINGS).SetChecked(IDC_OPT_STRIP_ID3, true);
  testing::SelectContainer(page, IDC_CONVERT_CONTAINER, "mp3");
  const std::string tag = std::string("ID3\x04\x00\x00\x00\x00\x00\x0a", 10) + std::string(10, '\0');
  const std::string audio = "\xFF\xFB\x40\xC0" + std::string(60, 'a');
  HoldDuringTheRun("song_1.mp3", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, tag + audio);
  JobWorker(job, progress, page, requests);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CloseHandle(held);
  held = INVALID_HANDLE_VALUE;
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(dir.File("song_1.mp3"), &bytes));
  EXPECT_TRUE(bytes == audio || bytes == tag + audio) << bytes.size();
  EXPECT_FALSE(platform::PathExists(dir.File("song_1.mp3.strip1")));
}

}  // namespace
}  // namespace clipwright
