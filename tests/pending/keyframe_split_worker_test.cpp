#include "jobs/keyframe_split_worker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

// Four pieces, a keyframe every second. Each run writes its piece as FFmpeg begins it, then
// gives the next of `verdicts`.
struct FourPieces {
  FourPieces() {
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
    requests.page(PAGE_SPLIT).AddCombo(IDC_SPLIT_CONTAINER, {"mkv"}, 0);
    for (int n = 0; n <= 100; ++n) split.frame_times.push_back(n / 25.0);
    split.last_frame_index = 100;
    split.keyframe_count = 4;
    split.keyframe_frames = {0, 25, 50, 75, 100};
    job.split = &split;
    job.scan_output = [this](AnalysisResult&, Dialog&, const std::atomic<int>&, std::string_view command, int, int*,
                             double) {
      const std::size_t quote = command.rfind('"', command.size() - 2);
      platform::WriteWholeFile(std::string(command.substr(quote + 1, command.size() - quote - 2)), "begun");
      return verdicts.at(runs++);
    };
  }
  std::string Run(const std::string& file) {
    requests.page(PAGE_SPLIT).SetText(IDC_SPLIT_PATH, media.File(file));
    KeyframeSplitWorker(job, progress, requests.page(PAGE_SPLIT), requests);
    return progress.Text(IDC_PROGRESS_STATUS);
  }
  bool Left(const char* piece) { return platform::PathExists(media.File(std::string("clip_") + piece + ".mkv")); }

  testing::TempDir media;
  testing::FakeRequests requests;
  testing::FakeDialog progress;
  SplitPageState split;
  JobContext job;
  std::vector<int> verdicts;
  std::size_t runs = 0;
};

TEST(KeyframeSplitWorker, APieceThatFailedIsRemovedUnlessItWasThereBefore) {
  FourPieces run;
  run.media.Write("clip_[000001]_000025-000050.mkv", "an earlier run's piece");
  run.verdicts = {VERDICT_FAILURE, VERDICT_FAILURE, VERDICT_SUCCESS, VERDICT_ABORTED};
  EXPECT_EQ(run.Run("clip.mp4"), "作成結果\r\n成功： 1 ファイル\r\n失敗： 3 ファイル");
  EXPECT_EQ(run.runs, 4u);
  EXPECT_FALSE(run.Left("[000000]_000000-000025"));
  EXPECT_TRUE(run.Left("[000001]_000025-000050"));
  EXPECT_TRUE(run.Left("[000002]_000050-000075"));
  EXPECT_FALSE(run.Left("[000003]_000075-000100"));  // aborted
}

TEST(KeyframeSplitWorker, APieceWhoseCommandPassesTheLimitIsNotRun) {
  FourPieces run;
  EXPECT_EQ(run.Run(std::string(400, 'n') + ".mp4"), "作成結果\r\n成功： 0 ファイル\r\n失敗： 4 ファイル");
  EXPECT_EQ(run.runs, 0u);
  const std::string shown = run.progress.Text(IDC_PROGRESS_PROCESS);
  EXPECT_TRUE(shown.starts_with("コマンドラインが長くなり過ぎです。 [ ") && shown.ends_with(" byte ] ファイル名を短くして下さい。"))
      << shown;
}

}  // namespace
}  // namespace clipwright
