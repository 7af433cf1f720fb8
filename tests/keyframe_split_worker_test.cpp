#include "jobs/keyframe_split_worker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "support/fake_dialog.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::FakeDialog;

// Four seconds at 25 fps, a keyframe every second, each decoded a frame before it is shown.
class KeyframeSplitWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
    page().AddCombo(IDC_SPLIT_CONTAINER, {"mkv"}, 0);
    split.last_frame_index = 100;
    for (int n = 0; n <= 100; ++n) split.frame_times.push_back(n / 25.0);
    split.keyframe_count = 4;
    split.keyframe_frames = {0, 25, 50, 75, 100};
    split.keyframe_decode_times = {-0.04, 0.96, 1.96, 2.96, 4.0};
    job.operation = OP_SPLIT_AT_KEYFRAMES;
    job.split = &split;
    job.program_folder = media.path();
    // Each piece's output is written, as FFmpeg begins it; the verdict is the next one given.
    job.scan_output = [this](AnalysisResult&, Dialog&, const std::atomic<int>&, std::string_view command, int, int*,
                             double) {
      commands.emplace_back(command);
      const std::size_t quote = command.rfind('"', command.size() - 2);
      platform::WriteWholeFile(std::string(command.substr(quote + 1, command.size() - quote - 2)), "begun");
      return verdicts.at(commands.size() - 1);
    };
  }
  FakeDialog& page() { return requests.page(PAGE_SPLIT); }
  std::string Piece(const char* name) { return media.File(std::string("clip_") + name + ".mkv"); }

  testing::TempDir media;
  testing::FakeRequests requests;
  FakeDialog progress;
  SplitPageState split;
  JobContext job;
  std::vector<std::string> commands;
  std::vector<int> verdicts;
};

TEST_F(KeyframeSplitWorkerTest, SeeksByDecodeTimeAndLeavesNoUnfinishedPieceOfItsOwn) {
  page().SetText(IDC_SPLIT_PATH, media.File("clip.mp4"));
  platform::WriteWholeFile(Piece("[000001]_000025-000050"), "an earlier run's piece");
  verdicts = {VERDICT_FAILURE, VERDICT_FAILURE, VERDICT_SUCCESS, VERDICT_ABORTED};
  KeyframeSplitWorker(job, progress, page(), requests);

  ASSERT_EQ(commands.size(), 4u);  // the abort ends the run
  EXPECT_EQ(commands[0], "\"" + std::string(test_config::kFfmpeg) + "\" -hide_banner -ss -0.040000 -i \"" +
                             media.File("clip.mp4") + "\" -map 0 -c copy -ss 0 -t 1.000000 -y \"" +
                             Piece("[000000]_000000-000025") + "\"");
  EXPECT_NE(commands[3].find("-ss 2.960000 -i"), std::string::npos);
  EXPECT_NE(commands[3].find("-ss 0 -t 1.040000 -y"), std::string::npos);  // to the end of the video
  EXPECT_FALSE(platform::PathExists(Piece("[000000]_000000-000025")));
  EXPECT_TRUE(platform::PathExists(Piece("[000001]_000025-000050")));  // there before the run
  EXPECT_TRUE(platform::PathExists(Piece("[000002]_000050-000075")));
  EXPECT_FALSE(platform::PathExists(Piece("[000003]_000075-000100")));
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "ファイルの分割を中断中しました。");
  EXPECT_EQ(progress.Text(IDC_PROGRESS_STATUS), "作成結果\r\n成功： 1 ファイル\r\n失敗： 3 ファイル");
  EXPECT_FALSE(progress.IsVisible(IDC_PROGRESS_ABORT));
}

TEST_F(KeyframeSplitWorkerTest, APieceWhoseCommandPassesTheLimitIsNotRun) {
  page().SetText(IDC_SPLIT_PATH, media.File(std::string(400, 'n') + ".mp4"));
  KeyframeSplitWorker(job, progress, page(), requests);
  EXPECT_TRUE(commands.empty());
  const std::string shown = progress.Text(IDC_PROGRESS_PROCESS);
  EXPECT_TRUE(shown.starts_with("コマンドラインが長くなり過ぎです。 [ ")) << shown;
  EXPECT_TRUE(shown.ends_with(" byte ] ファイル名を短くして下さい。")) << shown;
  EXPECT_EQ(progress.Text(IDC_PROGRESS_STATUS), "作成結果\r\n成功： 0 ファイル\r\n失敗： 4 ファイル");
}

}  // namespace
}  // namespace clipwright
