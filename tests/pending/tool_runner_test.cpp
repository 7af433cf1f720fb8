#include "tools/tool_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "ui/control_ids.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tools/analysis_result.h"
#include "tools/live_progress.h"
#include "tools/output_scanner.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::Quoted;
using testing::TempDir;
using testing::TestToolPath;
using Clock = std::chrono::steady_clock;

std::string Tool(std::string_view name) { return Quoted(TestToolPath(name)); }

TEST(RunTool, SilentToolGivesAnEmptyCapture) {
  FakeDialog dialog;
  std::atomic<int> abort{0};
  std::string capture = "left over";
  EXPECT_EQ(RunTool(capture, dialog, abort, Tool("emit"), SCAN_JOB, 0), 1);
  EXPECT_TRUE(capture.empty());
  EXPECT_TRUE(dialog.TextHistory(IDC_PROGRESS_STATUS).empty());
}

TEST(RunTool, MissingToolCannotStart) {
  TempDir dir;
  FakeDialog dialog;
  std::atomic<int> abort{0};
  std::string capture;
  const std::string command = Quoted(dir.File("no-such-ffmpeg")) + " -i x";
  EXPECT_EQ(RunTool(capture, dialog, abort, command, SCAN_PROBE, 0), 0);
  EXPECT_TRUE(capture.empty());

  AnalysisResult result;
  EXPECT_EQ(ScanOutput(result, dialog, abort, command, SCAN_PROBE, nullptr, 0), VERDICT_FAILURE);
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_PROCESS), "パイプ通信の作成に失敗しました。");
}

// More than a pipe holds, on both streams, written just before the exit: all of it is read.
TEST(RunTool, CapturesEverythingUpToTheExit) {
  FakeDialog dialog;
  std::atomic<int> abort{0};
  std::string capture;
  const std::string command = Tool("emit") + " --repeat=20000 0123456789abcdef --stderr tail";
  ASSERT_EQ(RunTool(capture, dialog, abort, command, SCAN_JOB, 0), 1);
  ASSERT_EQ(capture.size(), 20000u * 16 + 4);
  EXPECT_EQ(capture.substr(capture.size() - 20), "0123456789abcdeftail");
}

// A tool that closes its output and goes on is waited for: a run never returns while its child
// still runs.
TEST(RunTool, ReturnsOnlyOnceTheToolHasExited) {
  TempDir dir;
  FakeDialog dialog;
  std::atomic<int> abort{0};
  std::string capture;
  const std::string marker = dir.File("exited");
  ASSERT_EQ(RunTool(capture, dialog, abort, Tool("emit") + " said --close --sleep=700 --touch=" + Quoted(marker),
                    SCAN_JOB, 0),
            1);
  EXPECT_EQ(capture, "said");
  EXPECT_TRUE(platform::PathExists(marker));
}

struct AbortCase {
  const char* name;
  int mode;
  int tool_ms;                 // how long the tool runs if nobody ends it
  const char* input;           // what the tool received
  std::chrono::milliseconds at_least;
};

class RunToolAbortTest : public ::testing::TestWithParam<AbortCase> {};

// An FFmpeg run gets "q" once and, when it ignores it, is ended after the wait. AACGain changes
// its file in place, so its runs go on to the end whatever the abort flag says.
TEST_P(RunToolAbortTest, CarriesOutTheAbort) {
  const AbortCase& c = GetParam();
  TempDir dir;
  FakeDialog dialog;
  std::atomic<int> abort{1};
  std::string capture;
  const std::string record = dir.File("stdin.txt");
  const std::string command = Tool("ignore_quit") + " " + Quoted(record) + " " + std::to_string(c.tool_ms);
  const auto start = Clock::now();
  ASSERT_EQ(RunTool(capture, dialog, abort, command, c.mode, 0, RunToolLimits{400}), 1);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, c.at_least);
  EXPECT_LT(took, std::chrono::seconds(8));
  std::string received = "unread";
  ASSERT_TRUE(platform::ReadWholeFile(record, &received));
  EXPECT_EQ(received, c.input);
  EXPECT_NE(capture.find("frame="), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RunToolAbortTest,
    ::testing::Values(AbortCase{"Job", SCAN_JOB, 60000, "q", std::chrono::milliseconds(400)},
                      AbortCase{"Keyframes", SCAN_KEYFRAMES, 60000, "q", std::chrono::milliseconds(400)},
                      AbortCase{"GainAnalysis", SCAN_GAIN_ANALYSE, 900, "", std::chrono::milliseconds(900)},
                      AbortCase{"GainApplication", SCAN_GAIN_APPLY, 900, "", std::chrono::milliseconds(900)}),
    [](const auto& info) { return std::string(info.param.name); });

// Chunks that come within half a second of the last live scan are captured but not shown.
TEST(RunTool, ShowsProgressAtMostTwiceASecond) {
  FakeDialog dialog;
  std::atomic<int> abort{0};
  std::string capture;
  std::string command = Tool("emit");
  for (int i = 1; i <= 12; ++i) command += " \"frame=" + std::to_string(i) + " speed=1.5x \\r\" --sleep=100";
  const auto start = Clock::now();
  ASSERT_EQ(RunTool(capture, dialog, abort, command, SCAN_JOB, 60), 1);
  const auto elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_NE(capture.find("frame=1 "), std::string::npos);
  EXPECT_NE(capture.find("frame=12 "), std::string::npos);
  const auto shown = dialog.TextHistory(IDC_PROGRESS_STATUS);
  EXPECT_GE(shown.size(), 1u);
  EXPECT_LE(static_cast<long long>(shown.size()), elapsed_ms / 500);
  for (const std::string& line : shown) EXPECT_TRUE(line.starts_with("frame=")) << line;
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_PROCESS), "ファイルを変換中です．．．[予測時間 00:00:40.00]");
}

TEST(ProgressInterval, DueAfterMoreThanHalfASecond) {
  ProgressInterval interval(1000);
  EXPECT_FALSE(interval.Due(1400));
  EXPECT_FALSE(interval.Due(1500));  // exactly half a second is not more
  EXPECT_TRUE(interval.Due(1501));
  EXPECT_FALSE(interval.Due(1900));  // restarted at 1501
  EXPECT_TRUE(interval.Due(2002));

  ProgressInterval wrapping(0xFFFFFF00u);  // the tick count wraps after 49.7 days
  EXPECT_FALSE(wrapping.Due(0x00000010u));
  EXPECT_TRUE(wrapping.Due(0x000001F5u));
}

struct LiveCase {
  const char* name;
  int mode;
  std::string chunk;
  double duration;
  std::string process;  // 9501 afterwards ("" = untouched)
  std::string status;   // 9502 afterwards ("" = untouched)
};

class LiveProgressTest : public ::testing::TestWithParam<LiveCase> {};

TEST_P(LiveProgressTest, ShowsWhatTheChunkHolds) {
  const LiveCase& c = GetParam();
  FakeDialog dialog;
  ShowLiveProgress(dialog, c.mode, c.chunk, c.duration);
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_PROCESS), c.process);
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_STATUS), c.status);
}

const std::string kJobLine = "frame=  250 fps=50 q=28.0 size=    1024kB time=00:00:10.00 bitrate= 838.9kbits/s speed=2.5x ";

INSTANTIATE_TEST_SUITE_P(
    Modes, LiveProgressTest,
    ::testing::Values(
        LiveCase{"JobPrediction", SCAN_JOB, kJobLine + "   \r", 100, "ファイルを変換中です．．．[予測時間 00:00:40.00]",
                 kJobLine},
        LiveCase{"JobHours", SCAN_JOB, "size= 1kB speed=0.5x\n", 3725.5, "ファイルを変換中です．．．[予測時間 02:04:11.00]",
                 "size= 1kB speed=0.5x\n"},
        LiveCase{"JobNoDurationNoPrediction", SCAN_JOB, kJobLine, 0, "", kJobLine},
        LiveCase{"JobLongSpeedTextNoPrediction", SCAN_JOB, "frame=1 speed=N/A    \rframe=2 speed=1x", 100, "",
                 "frame=1 speed=N/A    \rframe=2 speed=1x"},
        LiveCase{"JobZeroSpeedNoPrediction", SCAN_JOB, "frame=1 speed=0x ", 100, "", "frame=1 speed=0x "},
        LiveCase{"JobSpanEndsAtTheCapture", SCAN_JOB, "frame=1 speed=2x", 10, "ファイルを変換中です．．．[予測時間 00:00:05.00]",
                 "frame=1 speed=2x"},
        LiveCase{"JobNoSpeed", SCAN_JOB, "frame=1 fps=0\r", 10, "", ""},
        LiveCase{"JobNoX", SCAN_JOB, "frame=1 speed=1.0", 10, "", ""},
        LiveCase{"JobSpeedBeforeMarker", SCAN_JOB, "speed=1x frame=2 q=1", 10, "", ""},
        LiveCase{"KeyframeLine", SCAN_KEYFRAMES, "junk [Parsed_select_0 @ 0x1] n:3.0\nnext [", 0, "",
                 "[Parsed_select_0 @ 0x1] n:3.0\n"},
        LiveCase{"KeyframeNoLineFeed", SCAN_KEYFRAMES, "[Parsed_select_0 @ 0x1] n:3.0\r", 0, "", ""},
        LiveCase{"AudioFrame", SCAN_AUDIO_FRAMES, "x [Parsed_ashowinfo_0 @ 0x2] n:1 pts:47 pts_time:0.001", 0, "",
                 "[Parsed_ashowinfo_0 @ 0x2] n:1 "},
        LiveCase{"AudioFrameWithoutPts", SCAN_AUDIO_FRAMES, "[Parsed_ashowinfo_0 @ 0x2] n:1\n", 0, "", ""},
        LiveCase{"GainAnalysed", SCAN_GAIN_ANALYSE, "\r  4% of 1920984 bytes analyzed\r  8%", 0, "",
                 "\r  4% of 1920984 bytes analyzed\r"},
        LiveCase{"GainWritten", SCAN_GAIN_APPLY, "  8% of 1920984 bytes written\r", 0, "",
                 "  8% of 1920984 bytes written\r"},
        LiveCase{"GainFinalStage", SCAN_GAIN_APPLY, "\r 99% of 1920984 bytes written\r",
                 0, "MP3ゲイン適用の最終処理を行っています．．．［これにはかなり時間が掛かります］",
                 "\r 99% of 1920984 bytes written\r"},
        LiveCase{"GainPercentWithoutWritten", SCAN_GAIN_ANALYSE, " 100% of 5 bytes", 0, "", ""},
        LiveCase{"ProbeShowsNothing", SCAN_PROBE, kJobLine, 100, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PredictionText, ReadsLikePrintf) {
  EXPECT_EQ(PredictionText(100, 2.5), "ファイルを変換中です．．．[予測時間 00:00:40.00]");
  EXPECT_EQ(PredictionText(7, 3), "ファイルを変換中です．．．[予測時間 00:00:02.33]");
  EXPECT_EQ(PredictionText(36000.5, 0.25), "ファイルを変換中です．．．[予測時間 40:00:02.00]");
  EXPECT_EQ(PredictionText(100, 0), "");
  EXPECT_EQ(PredictionText(100, -1), "");
}

}  // namespace
}  // namespace clipwright
