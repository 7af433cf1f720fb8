// Files that another program holds open: a locked file is not a free name, and a file held
// while the run ends is neither lost nor passed over in silence.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "jobs/job_plans.h"
#include "jobs/output_files.h"
#include "jobs/run_driver.h"
#include "platform/files.h"
#include "platform/win32/wide.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

HANDLE Hold(const std::string& path, DWORD share) {
  return CreateFileW(platform::Widen(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

TEST(LockedOutput, ALockedFileIsNotTakenAsFree) {
  testing::TempDir dir;
  const std::string movie = dir.Write("movie.mkv", "source");
  HANDLE output_lock = Hold(dir.Write("movie_1.mp4", "in use"), 0);
  ASSERT_NE(output_lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(TakeFirstFreeName([&](int n) { return NumberedName(movie, n, ".mp4"); },
                              [](const std::string& name) { return platform::CreateNewFile(name); }),
            dir.File("movie_2.mp4"));

  HANDLE temp_lock = Hold(dir.Write("temp0001.mkv", ""), 0);
  ASSERT_NE(temp_lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(TakeFirstFreeName([&](int n) { return TempName(movie, n, ".mkv"); },
                              [&](const std::string& name) { return platform::CopyToNewFile(movie, name); }),
            dir.File("temp0002.mkv"));
  CloseHandle(temp_lock);
  CloseHandle(output_lock);
}

// Files that another program holds open while the run ends, as a virus scanner does.
class HeldFileTest : public ::testing::Test {
 protected:
  HeldFileTest() {
    settings.ffmpeg = tools.Write("ffmpeg.exe", "not run");
    settings.log_folder = tools.path();
    request.files.push_back(InputFile{dir.Write("song.wav", "RIFF"), {StreamChoice{0, "Stream #0:0: Audio: pcm_s16le"}}});
    hooks.check_output = [](const std::string&, const std::string&, const OutputExpectation&, const std::atomic<int>&) {
      return CheckResult{};
    };
  }
  ~HeldFileTest() override {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }

  // While "FFmpeg" runs, it writes `output` to the command's last path, and another program
  // opens the file `name` with `share`.
  void HoldDuringTheRun(const std::string& name, DWORD share, const std::string& output) {
    hooks.run_tool = [=, this](AnalysisResult&, RunObserver&, const std::atomic<int>&, const CommandLine& command, int,
                               int*, double, const std::string&) {
      platform::WriteWholeFile(command.Arguments().back(), output);
      held = Hold(dir.File(name), share);
      return int{VERDICT_SUCCESS};
    };
  }

  RunSummary Run() {
    const std::atomic<int> abort{0};
    return RunFiles(PlanConvert(request, settings), settings, observer, abort, hooks);
  }

  testing::TempDir tools;
  testing::TempDir dir;
  RunSettings settings;
  ConvertRequest request;
  RunHooks hooks;
  testing::RecordingObserver observer;
  HANDLE held = INVALID_HANDLE_VALUE;
};

// A temp copy that cannot be deleted is named for the user to remove, not passed over.
TEST_F(HeldFileTest, ATempCopyThatStaysIsNamed) {
  settings.temp_copies = true;
  request.container = "mkv";
  HoldDuringTheRun("temp0001.wav", FILE_SHARE_READ, "converted");
  const RunSummary summary = Run();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(summary.left_behind, std::vector<std::string>{dir.File("temp0001.wav")});
  EXPECT_EQ(summary.successes, 1);
  EXPECT_TRUE(platform::PathExists(dir.File("song_1.mkv")));
}

// The tag removal puts the new file in the output's place in one step, or not at all: an output
// that another program holds (allowing deletion) is never left under a temporary name. Whether
// the system lets the held file be replaced depends on its version; where it does not, the file
// fails, said so, and goes as any failed output of the run's own does.
TEST_F(HeldFileTest, TheTagRemovalNeverLeavesTheOutputUnderAnotherName) {
  settings.strip_tags = true;
  request.container = "mp3";
  const std::string tag = std::string("ID3\x04\x00\x00\x00\x00\x00\x0a", 10) + std::string(10, '\0');
  const std::string audio = "\xFF\xFB\x40\xC0" + std::string(60, 'a');
  HoldDuringTheRun("song_1.mp3", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, tag + audio);
  const RunSummary summary = Run();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CloseHandle(held);
  held = INVALID_HANDLE_VALUE;
  if (summary.successes == 1) {
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(dir.File("song_1.mp3"), &bytes));
    EXPECT_EQ(bytes, audio);
  } else {
    EXPECT_TRUE(observer.Reached(Stage::kTagsFailed));
    EXPECT_FALSE(platform::PathExists(dir.File("song_1.mp3")));
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"song.wav"});
}

}  // namespace
}  // namespace clipwright
