#include "tools/tool_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>

#include "platform/files.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "tools/analysis_result.h"
#include "tools/live_progress.h"
#include "tools/output_scanner.h"

namespace clipwright {
namespace {

using testing::Quoted;
using testing::RecordingObserver;
using testing::TempDir;
using testing::TestToolPath;
using Clock = std::chrono::steady_clock;

std::string Tool(std::string_view name) { return Quoted(TestToolPath(name)); }

TEST(RunTool, SilentToolGivesAnEmptyCapture) {
  RecordingObserver observer;
  std::atomic<int> abort{0};
  std::string capture = "left over";
  EXPECT_EQ(RunTool(capture, observer, abort, Tool("emit"), SCAN_JOB, 0), 1);
  EXPECT_TRUE(capture.empty());
  EXPECT_TRUE(observer.outputs().empty());
}

TEST(RunTool, MissingToolCannotStart) {
  TempDir dir;
  RecordingObserver observer;
  std::atomic<int> abort{0};
  std::string capture;
  const std::string command = Quoted(dir.File("no-such-ffmpeg")) + " -i x";
  EXPECT_EQ(RunTool(capture, observer, abort, command, SCAN_PROBE, 0), 0);
  EXPECT_TRUE(capture.empty());

  AnalysisResult result;
  EXPECT_EQ(ScanOutput(result, observer, abort, command, SCAN_PROBE, nullptr, 0), VERDICT_FAILURE);
  EXPECT_EQ(observer.stages(), std::vector<Stage>{Stage::kToolNotStarted});
}

// More than a pipe holds, on both streams, written just before the exit: all of it is read, and
// the exit code is the tool's own.
TEST(RunTool, CapturesEverythingUpToTheExit) {
  RecordingObserver observer;
  std::atomic<int> abort{0};
  std::string capture;
  std::optional<int> exit_code;
  const std::string command = Tool("emit") + " --repeat=20000 0123456789abcdef --stderr tail --exit=3";
  ASSERT_EQ(RunTool(capture, observer, abort, command, SCAN_JOB, 0, RunToolLimits{}, &exit_code), 1);
  ASSERT_EQ(capture.size(), 20000u * 16 + 4);
  EXPECT_EQ(capture.substr(capture.size() - 20), "0123456789abcdeftail");
  EXPECT_EQ(exit_code, 3);
}

// A tool that closes its output and goes on is waited for: a run never returns while its child
// still runs.
TEST(RunTool, ReturnsOnlyOnceTheToolHasExited) {
  TempDir dir;
  RecordingObserver observer;
  std::atomic<int> abort{0};
  std::string capture;
  const std::string marker = dir.File("exited");
  ASSERT_EQ(RunTool(capture, observer, abort, Tool("emit") + " said --close --sleep=700 --touch=" + Quoted(marker),
                    SCAN_JOB, 0),
            1);
  EXPECT_EQ(capture, "said");
  EXPECT_TRUE(platform::PathExists(marker));
}

struct AbortCase {
  const char* name;
  int mode;
  int tool_ms;        // how long the tool runs if nobody ends it
  const char* input;  // what the tool received
  std::chrono::milliseconds at_least;
  bool exit_code;     // the run knows how the tool ended (it was not ended from outside)
};

void PrintTo(const AbortCase& c, std::ostream* os) { *os << c.name; }

class RunToolAbortTest : public ::testing::TestWithParam<AbortCase> {};

// An FFmpeg run gets "q" once and, when it ignores it, is ended after the wait. AACGain changes
// its file in place, so its runs go on to the end whatever the abort flag says.
TEST_P(RunToolAbortTest, CarriesOutTheAbort) {
  const AbortCase& c = GetParam();
  TempDir dir;
  RecordingObserver observer;
  std::atomic<int> abort{1};
  std::string capture;
  std::optional<int> exit_code;
  const std::string record = dir.File("stdin.txt");
  const std::string command = Tool("ignore_quit") + " " + Quoted(record) + " " + std::to_string(c.tool_ms);
  const auto start = Clock::now();
  ASSERT_EQ(RunTool(capture, observer, abort, command, c.mode, 0, RunToolLimits{400}, &exit_code), 1);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, c.at_least);
  EXPECT_LT(took, std::chrono::seconds(8));
  std::string received = "unread";
  ASSERT_TRUE(platform::ReadWholeFile(record, &received));
  EXPECT_EQ(received, c.input);
  EXPECT_NE(capture.find("frame="), std::string::npos);
  EXPECT_EQ(exit_code.has_value(), c.exit_code);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RunToolAbortTest,
    ::testing::Values(AbortCase{"Job", SCAN_JOB, 60000, "q", std::chrono::milliseconds(400), false},
                      AbortCase{"Keyframes", SCAN_KEYFRAMES, 60000, "q", std::chrono::milliseconds(400), false},
                      AbortCase{"GainAnalysis", SCAN_GAIN_ANALYSE, 900, "", std::chrono::milliseconds(900), true},
                      AbortCase{"GainApplication", SCAN_GAIN_APPLY, 900, "", std::chrono::milliseconds(900), true}),
    [](const auto& info) { return std::string(info.param.name); });

// Chunks that come within half a second of the last live scan are captured but not shown.
TEST(RunTool, ShowsProgressAtMostTwiceASecond) {
  RecordingObserver observer;
  std::atomic<int> abort{0};
  std::string capture;
  std::string command = Tool("emit");
  for (int i = 1; i <= 12; ++i) command += " \"frame=" + std::to_string(i) + " speed=1.5x \\r\" --sleep=100";
  const auto start = Clock::now();
  ASSERT_EQ(RunTool(capture, observer, abort, command, SCAN_JOB, 60), 1);
  const auto elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_NE(capture.find("frame=1 "), std::string::npos);
  EXPECT_NE(capture.find("frame=12 "), std::string::npos);
  const auto shown = observer.outputs();
  EXPECT_GE(shown.size(), 1u);
  EXPECT_LE(static_cast<long long>(shown.size()), elapsed_ms / 500);
  for (const std::string& line : shown) EXPECT_TRUE(line.starts_with("frame=")) << line;
  EXPECT_EQ(observer.predictions(), std::vector<double>(shown.size(), 40.0));
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
  std::optional<double> prediction;
  std::string output;  // the tool output shown; "" = none
  bool final_stage = false;
};

void PrintTo(const LiveCase& c, std::ostream* os) { *os << c.name; }

class LiveProgressTest : public ::testing::TestWithParam<LiveCase> {};

TEST_P(LiveProgressTest, ShowsWhatTheChunkHolds) {
  const LiveCase& c = GetParam();
  RecordingObserver observer;
  ShowLiveProgress(observer, c.mode, c.chunk, c.duration);
  EXPECT_EQ(observer.predictions(), c.prediction ? std::vector<double>{*c.prediction} : std::vector<double>{});
  EXPECT_EQ(observer.outputs(), c.output.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.output});
  EXPECT_EQ(observer.stages(), c.final_stage ? std::vector<Stage>{Stage::kGainFinalStage} : std::vector<Stage>{});
}

const std::string kJobLine = "frame=  250 fps=50 q=28.0 size=    1024kB time=00:00:10.00 bitrate= 838.9kbits/s speed=2.5x ";

INSTANTIATE_TEST_SUITE_P(
    Modes, LiveProgressTest,
    ::testing::Values(
        LiveCase{"JobPrediction", SCAN_JOB, kJobLine + "   \r", 100, 40, kJobLine},
        LiveCase{"JobHours", SCAN_JOB, "size= 1kB speed=0.5x\n", 3725.5, 7451, "size= 1kB speed=0.5x\n"},
        LiveCase{"JobNoDurationNoPrediction", SCAN_JOB, kJobLine, 0, std::nullopt, kJobLine},
        LiveCase{"JobLongSpeedTextNoPrediction", SCAN_JOB, "frame=1 speed=N/A    \rframe=2 speed=1x", 100,
                 std::nullopt, "frame=1 speed=N/A    \rframe=2 speed=1x"},
        LiveCase{"JobZeroSpeedNoPrediction", SCAN_JOB, "frame=1 speed=0x ", 100, std::nullopt, "frame=1 speed=0x "},
        LiveCase{"JobSpanEndsAtTheCapture", SCAN_JOB, "frame=1 speed=2x", 10, 5, "frame=1 speed=2x"},
        LiveCase{"JobNoSpeed", SCAN_JOB, "frame=1 fps=0\r", 10, std::nullopt, ""},
        LiveCase{"JobNoX", SCAN_JOB, "frame=1 speed=1.0", 10, std::nullopt, ""},
        LiveCase{"JobSpeedBeforeMarker", SCAN_JOB, "speed=1x frame=2 q=1", 10, std::nullopt, ""},
        LiveCase{"KeyframeLine", SCAN_KEYFRAMES, "junk [Parsed_select_0 @ 0x1] n:3.0\nnext [", 0, std::nullopt,
                 "[Parsed_select_0 @ 0x1] n:3.0\n"},
        LiveCase{"KeyframeNoLineFeed", SCAN_KEYFRAMES, "[Parsed_select_0 @ 0x1] n:3.0\r", 0, std::nullopt, ""},
        LiveCase{"AudioFrame", SCAN_AUDIO_FRAMES, "x [Parsed_ashowinfo_0 @ 0x2] n:1 pts:47 pts_time:0.001", 0,
                 std::nullopt, "[Parsed_ashowinfo_0 @ 0x2] n:1 "},
        LiveCase{"AudioFrameWithoutPts", SCAN_AUDIO_FRAMES, "[Parsed_ashowinfo_0 @ 0x2] n:1\n", 0, std::nullopt, ""},
        LiveCase{"GainAnalysed", SCAN_GAIN_ANALYSE, "\r  4% of 1920984 bytes analyzed\r  8%", 0, std::nullopt,
                 "\r  4% of 1920984 bytes analyzed\r"},
        LiveCase{"GainWritten", SCAN_GAIN_APPLY, "  8% of 1920984 bytes written\r", 0, std::nullopt,
                 "  8% of 1920984 bytes written\r"},
        LiveCase{"GainFinalStage", SCAN_GAIN_APPLY, "\r 99% of 1920984 bytes written\r", 0, std::nullopt,
                 "\r 99% of 1920984 bytes written\r", true},
        LiveCase{"GainPercentWithoutWritten", SCAN_GAIN_ANALYSE, " 100% of 5 bytes", 0, std::nullopt, ""},
        LiveCase{"ProbeShowsNothing", SCAN_PROBE, kJobLine, 100, std::nullopt, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PredictedSeconds, IsThePlayTimeOverTheSpeedWhenThatCanBeShown) {
  EXPECT_EQ(PredictedSeconds(100, 2.5), 40.0);
  EXPECT_NEAR(*PredictedSeconds(7, 3), 7.0 / 3, 1e-12);
  EXPECT_EQ(PredictedSeconds(36000.5, 0.25), 144002.0);
  // Hours are shown as a 32-bit count.
  EXPECT_TRUE(PredictedSeconds(4294967295.0 * 3600, 1).has_value());
  EXPECT_FALSE(PredictedSeconds(4294967296.0 * 3600, 1).has_value());
  for (const double speed : {0.0, -1.0, std::nan(""), 1e-320}) {
    EXPECT_FALSE(PredictedSeconds(100, speed).has_value()) << speed;
  }
  EXPECT_FALSE(PredictedSeconds(-5, 1).has_value());
}

}  // namespace
}  // namespace clipwright
