#include "tools/output_scanner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ui/control_ids.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"
#include "tools/scan_capture.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::FfmpegCommand;
using testing::Quoted;
using testing::TempDir;

// Output of a tool that ended by itself with `exit_code`.
AnalysisResult Captured(std::string output, int exit_code = 0) {
  AnalysisResult result;
  result.capture = std::move(output);
  result.exit_code = exit_code;
  return result;
}

// ---- Probe (mode 0) on hand-made output ----

struct ProbeCase {
  const char* name;
  std::string output;
  int verdict;
  std::vector<std::string> lines;
  double duration;
  int video_kind;
};

class ProbeScanTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeScanTest, FindsStreamsDurationAndVideoKind) {
  const ProbeCase& c = GetParam();
  AnalysisResult result = Captured(c.output);
  FakeDialog dialog;
  EXPECT_EQ(ScanCapture(result, dialog, SCAN_PROBE, nullptr), c.verdict);
  EXPECT_EQ(result.stream_lines, c.lines);
  EXPECT_DOUBLE_EQ(result.duration, c.duration);
  EXPECT_EQ(result.video_kind, c.video_kind);
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_PROCESS), "ストリーム情報の取得中．．．");
  EXPECT_EQ(dialog.TextHistory(IDC_PROGRESS_STATUS), c.lines);
}

const std::string kVideoLine = "Stream #0:0: Video: h264 (High), yuv420p, 640x360, 25 fps";
const std::string kAudioLine = "Stream #0:1: Audio: aac (LC), 48000 Hz, stereo";
const std::string kProbeCrLf = "Input #0, matroska,webm, from 'a.mkv':\r\n  Duration: 00:01:02.50, start: 0.0\r\n    " +
                               kVideoLine + "\r\n    " + kAudioLine + "\r\nAt least one output file must be specified\r\n";

std::string WithLf(std::string text) {
  std::erase(text, '\r');
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ProbeScanTest,
    ::testing::Values(
        ProbeCase{"WindowsLineEnds", kProbeCrLf, 1, {kVideoLine, kAudioLine}, 62.5, 2},
        ProbeCase{"PosixLineEnds", WithLf(kProbeCrLf), 1, {kVideoLine, kAudioLine}, 62.5, 2},
        ProbeCase{"BrandBeforeVideo", "compatible_brands: isomiso2avc1mp41\n" + kProbeCrLf, 1, {kVideoLine, kAudioLine},
                  62.5, 1},
        ProbeCase{"BrandAfterVideo", kVideoLine + "\nisomiso2\n", 1, {kVideoLine}, 0, 2},
        ProbeCase{"LaterDurationAfterNA", "Duration: N/A, bitrate: N/A\nDuration: 00:00:10.00\n" + kAudioLine + "\n", 1,
                  {kAudioLine}, 10, 0},
        ProbeCase{"SecondVideoKeepsKind",
                  kVideoLine + "\nisomiso2\nStream #0:1: Video: mjpeg, 90x90\n", 1,
                  {kVideoLine, "Stream #0:1: Video: mjpeg, 90x90"}, 0, 2},
        ProbeCase{"SecondInputNotStored", "Stream #1:0: Video: h264\n" + kAudioLine + "\n", 1, {kAudioLine}, 0, 0},
        ProbeCase{"VideoWordOutsideTheLine", "Stream #0:0: Data: bin_data\nx: Video: \n", 1,
                  {"Stream #0:0: Data: bin_data"}, 0, 0},
        ProbeCase{"LineCutByTheEnd", kAudioLine + "\n" + kVideoLine, 1, {kAudioLine}, 0, 0},
        ProbeCase{"DurationCutByTheEnd", "Duration: 00:02", 0, {}, 120, 0},
        ProbeCase{"NoStreams", "x.mp4: Invalid data found when processing input\n", 0, {}, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProbeScan, StopsStoringAtTheCapacities) {
  std::string output;
  for (int i = 0; i < 300; ++i) output += "  Stream #0:" + std::to_string(i) + ": Audio: pcm\r\n";
  // A stream line is cut to 259 UTF-16 units, between characters.
  const std::string long_line = "Stream #0:300: Video: " + std::string(230, 'x') + "動画動画動画動画動画動画動画動画動画動画";
  AnalysisResult result = Captured(output + long_line + "\n");
  FakeDialog dialog;
  EXPECT_EQ(ScanCapture(result, dialog, SCAN_PROBE, nullptr), 1);
  ASSERT_EQ(result.stream_lines.size(), 256u);
  EXPECT_EQ(result.stream_lines.back(), "Stream #0:255: Audio: pcm");
  EXPECT_EQ(result.video_kind, 2);  // the video line is still looked at

  AnalysisResult one = Captured(long_line + "\r\n");
  ScanCapture(one, dialog, SCAN_PROBE, nullptr);
  ASSERT_EQ(one.stream_lines.size(), 1u);
  EXPECT_EQ(one.stream_lines[0], long_line.substr(0, 22 + 230 + 7 * 3));
}

// ---- Job (mode 1) on hand-made output ----

struct JobCase {
  const char* name;
  std::string output;
  int verdict;
  std::string status;
  std::optional<int> exit_code = 0;
};

class JobScanTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(JobScanTest, JudgesAndShowsTheLastNotableLine) {
  AnalysisResult result = Captured(GetParam().output);
  result.exit_code = GetParam().exit_code;
  FakeDialog dialog;
  EXPECT_EQ(ScanCapture(result, dialog, SCAN_JOB, nullptr), GetParam().verdict);
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_STATUS), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, JobScanTest,
    ::testing::Values(
        JobCase{"ProgressAndSummary", "frame=  50 size=  12kB speed=5x\rvideo:10kB audio:2kB muxing overhead: 1%\r\n", 1,
                "video:10kB audio:2kB muxing overhead: 1%\r"},
        JobCase{"PosixSummary", "frame=  50 size=  12kB\rvideo:10kB audio:2kB\n", 1, "video:10kB audio:2kB\n"},
        JobCase{"OnlyAnError", "Input #0\r\nError opening output files: Invalid argument\r\n", 0,
                "Error opening output files: Invalid argument\r"},
        JobCase{"CouldNot", "Could not write header for output file #0\n", 0, "Could not write header for output file #0\n"},
        JobCase{"ErrorAfterProgress", "size=1kB\rError while decoding stream #0:0\n", 1,
                "Error while decoding stream #0:0\n"},
        JobCase{"ProducedWithoutLineEnd", "frame=1 size=1kB", 1, ""},
        // FFmpeg's texts say nothing once it has ended with an error, or been ended.
        JobCase{"ProgressButExitCodeOne", "frame=  1 size=  1kB\rvideo:1kB audio:0kB\r\n", 0, "video:1kB audio:0kB\r", 1},
        JobCase{"ProgressButEndedFromOutside", "frame=  1 size=  1kB\r", 0, "size=  1kB\r", std::nullopt},
        JobCase{"NothingNotable", "x.mp4: No such file or directory\n", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- AACGain (modes 4 and 5) on hand-made output ----

struct GainCase {
  const char* name;
  int mode;
  std::string output;
  int verdict;
  int gain;
  std::string status;
};

class GainScanTest : public ::testing::TestWithParam<GainCase> {};

TEST_P(GainScanTest, FirstOfRecommendationDoneAndErrorDecides) {
  const GainCase& c = GetParam();
  AnalysisResult result = Captured(c.output);
  FakeDialog dialog;
  int gain = GAIN_NOT_FOUND;
  EXPECT_EQ(ScanCapture(result, dialog, c.mode, &gain), c.verdict);
  EXPECT_EQ(gain, c.gain);
  EXPECT_EQ(dialog.Text(IDC_PROGRESS_STATUS), c.status);
}

constexpr const char* kRecommended = "Recommended \"Track\" mp3 gain change: ";

INSTANTIATE_TEST_SUITE_P(
    Outputs, GainScanTest,
    ::testing::Values(
        GainCase{"NegativeGain", SCAN_GAIN_ANALYSE,
                 std::string("a.mp3\nRecommended \"Track\" dB change: -4.5\n") + kRecommended + "-3\nMax PCM\n", 1, -3, ""},
        GainCase{"GainAtTheVeryEnd", SCAN_GAIN_ANALYSE, std::string(kRecommended) + "12", 1, 12, ""},
        GainCase{"NotFoundValue", SCAN_GAIN_ANALYSE, std::string(kRecommended) + "65535\r\n", 0, GAIN_NOT_FOUND, ""},
        GainCase{"DoneBeforeRecommendation", SCAN_GAIN_ANALYSE, std::string("done\r\n") + kRecommended + "2\n", 1,
                 GAIN_NOT_FOUND, "done\r"},
        GainCase{"AnalysisError", SCAN_GAIN_ANALYSE, "Error: cannot open a.mp3\nmore\n", 0, GAIN_NOT_FOUND,
                 "Error: cannot open a.mp3\nmore\n"},
        GainCase{"Applied", SCAN_GAIN_APPLY, " 99% of 10 bytes written\r\ndone\n", 1, GAIN_NOT_FOUND, "done\n"},
        GainCase{"ErrorBeforeDone", SCAN_GAIN_APPLY, "Error writing x\ndone\n", 0, GAIN_NOT_FOUND, "Error writing x\ndone\n"},
        GainCase{"ApplyIgnoresRecommendation", SCAN_GAIN_APPLY, std::string(kRecommended) + "3\n", 0, GAIN_NOT_FOUND, ""},
        GainCase{"NeitherText", SCAN_GAIN_APPLY, "Applying gain change of 2 to a.mp3...\n", 0, GAIN_NOT_FOUND, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanCapture, EmptyOutputAndUnknownModesFail) {
  FakeDialog dialog;
  AnalysisResult empty;
  for (const int mode : {0, 1, 2, 3, 4, 5}) EXPECT_EQ(ScanCapture(empty, dialog, mode, nullptr), 0) << mode;
  AnalysisResult some = Captured("size=1kB\r\nvideo:1kB\r\n");
  EXPECT_EQ(ScanCapture(some, dialog, 6, nullptr), 0);
  EXPECT_EQ(ScanCapture(some, dialog, -1, nullptr), 0);
  EXPECT_TRUE(dialog.TextHistory(IDC_PROGRESS_STATUS).empty());
}

// The abort flag decides once the tool has ended, whatever the output says.
TEST(ScanOutput, AbortedRunGivesTwoWithoutScanning) {
  FakeDialog dialog;
  std::atomic<int> abort{1};
  AnalysisResult result;
  const std::string command = Quoted(testing::TestToolPath("emit")) + " \"  Stream #0:0: Audio: mp3\\n\"";
  for (const int mode : {SCAN_PROBE, SCAN_GAIN_APPLY}) {
    EXPECT_EQ(ScanOutput(result, dialog, abort, command, mode, nullptr, 0), VERDICT_ABORTED);
  }
  EXPECT_TRUE(result.stream_lines.empty());
}

// ---- Real FFmpeg runs on clips made at test time ----

class FfmpegScanTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    ASSERT_TRUE(testing::MakeClip(Mp4(), 2, true, true, "-c:v libx264 -preset ultrafast -c:a aac"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string Mp4() { return dir_->File("clip.mp4"); }

  int Run(AnalysisResult& result, const std::string& command, int mode, double duration = 0) {
    return ScanOutput(result, dialog_, abort_, command, mode, nullptr, duration);
  }

  static TempDir* dir_;
  FakeDialog dialog_;
  std::atomic<int> abort_{0};
};

TempDir* FfmpegScanTest::dir_ = nullptr;

std::string ProbeCommand(const std::string& path) {
  return FfmpegCommand() + " -hide_banner -nostats -i " + Quoted(path);
}

TEST_F(FfmpegScanTest, ProbesAnMp4) {
  AnalysisResult result;
  ASSERT_EQ(Run(result, ProbeCommand(Mp4()), SCAN_PROBE), VERDICT_SUCCESS) << result.capture;
  ASSERT_EQ(result.stream_lines.size(), 2u) << result.capture;
  EXPECT_TRUE(result.stream_lines[0].starts_with("Stream #0:0")) << result.stream_lines[0];
  EXPECT_NE(result.stream_lines[0].find(": Video: h264"), std::string::npos);
  EXPECT_NE(result.stream_lines[1].find(": Audio: aac"), std::string::npos);
  for (const std::string& line : result.stream_lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_NEAR(result.duration, 2.0, 0.05);
  EXPECT_EQ(result.video_kind, 1);
}

TEST_F(FfmpegScanTest, ProbesAnMkv) {
  const std::string mkv = dir_->File("clip.mkv");
  ASSERT_TRUE(testing::MakeClip(mkv, 1, true, false, "-c:v mpeg4"));
  AnalysisResult result;
  ASSERT_EQ(Run(result, ProbeCommand(mkv), SCAN_PROBE), VERDICT_SUCCESS) << result.capture;
  ASSERT_EQ(result.stream_lines.size(), 1u);
  EXPECT_NE(result.stream_lines[0].find(": Video: mpeg4"), std::string::npos);
  EXPECT_NEAR(result.duration, 1.0, 0.05);
  EXPECT_EQ(result.video_kind, 2);
}

TEST_F(FfmpegScanTest, ProbeOfSomethingElseFails) {
  const std::string text = dir_->Write("notes.mp4", "not a media file");
  AnalysisResult result;
  EXPECT_EQ(Run(result, ProbeCommand(text), SCAN_PROBE), VERDICT_FAILURE);
  EXPECT_TRUE(result.stream_lines.empty());
}

TEST_F(FfmpegScanTest, JobSucceedsOrFails) {
  const std::string out = dir_->File("copy.mkv");
  AnalysisResult good;
  ASSERT_EQ(Run(good, FfmpegCommand() + " -hide_banner -i " + Quoted(Mp4()) + " -c copy " + Quoted(out), SCAN_JOB, 2),
            VERDICT_SUCCESS)
      << good.capture;
  EXPECT_NE(dialog_.Text(IDC_PROGRESS_STATUS).find("video:"), std::string::npos);
  EXPECT_EQ(testing::ProbeStreams(out).size(), 2u);

  AnalysisResult bad;
  const std::string nowhere = dir_->File("missing-folder") + "/copy.mkv";
  EXPECT_EQ(Run(bad, FfmpegCommand() + " -hide_banner -i " + Quoted(Mp4()) + " -c copy " + Quoted(nowhere), SCAN_JOB),
            VERDICT_FAILURE)
      << bad.capture;
}

// A job succeeds only when FFmpeg ended with 0: H.264 into WebM writes a header and prints
// "video" among its texts before it gives up. And FFmpeg asking whether to overwrite a file that
// exists is told no at once, so the job fails with the file untouched instead of waiting.
TEST_F(FfmpegScanTest, AJobFailsOnFfmpegsExitCodeAndNeverWaitsOnTheOverwriteQuestion) {
  AnalysisResult webm;
  const std::string junk = dir_->File("h264.webm");
  EXPECT_EQ(Run(webm, FfmpegCommand() + " -hide_banner -i " + Quoted(Mp4()) + " -c copy " + Quoted(junk), SCAN_JOB),
            VERDICT_FAILURE)
      << webm.capture;

  const std::string taken = dir_->Write("taken.mkv", "a user's file");
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    // Ends a run that waits for an answer, so that the test fails instead of hanging.
    for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    abort_ = 1;
  });
  const auto start = std::chrono::steady_clock::now();
  AnalysisResult asked;
  const int verdict = Run(asked, FfmpegCommand() + " -hide_banner -i " + Quoted(Mp4()) + " -c copy " + Quoted(taken),
                          SCAN_JOB);
  const auto took = std::chrono::steady_clock::now() - start;
  done = true;
  watchdog.join();
  EXPECT_EQ(verdict, VERDICT_FAILURE) << asked.capture;
  EXPECT_LT(took, std::chrono::seconds(10));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(taken, &bytes));
  EXPECT_EQ(bytes, "a user's file");
}

// An abort stops a long encode at once, and FFmpeg still finishes its file.
TEST_F(FfmpegScanTest, AbortStopsALongEncodeCleanly) {
  const std::string out = dir_->File("long.mp4");
  // -re paces the encode in real time: it would take a minute, at little cost.
  const std::string command = FfmpegCommand() + " -hide_banner -re -f lavfi -i testsrc=size=160x120:rate=25:duration=60" +
                              " -c:v libx264 -preset ultrafast -y " + Quoted(out);
  AnalysisResult result;
  std::atomic<long long> aborted_at{0};
  std::thread user([&] {
    // Abort once FFmpeg shows progress, as a user would.
    for (int i = 0; i < 300 && dialog_.Text(IDC_PROGRESS_STATUS).find("frame=") == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    aborted_at = std::chrono::steady_clock::now().time_since_epoch().count();
    abort_ = 1;
  });
  const int verdict = Run(result, command, SCAN_JOB, 60);
  const auto returned_at = std::chrono::steady_clock::now().time_since_epoch().count();
  user.join();
  EXPECT_EQ(verdict, VERDICT_ABORTED);
  // Far less than the ten seconds after which a stuck FFmpeg would be ended.
  EXPECT_LT(std::chrono::steady_clock::duration(returned_at - aborted_at.load()), std::chrono::seconds(6));
  const std::vector<std::string> streams = testing::ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u) << result.capture;
  EXPECT_NE(streams[0].find("Video: h264"), std::string::npos);
}

// The real AACGain's texts.
TEST_F(FfmpegScanTest, GainAnalysisAndApplication) {
  const std::string mp3 = dir_->File("tone.mp3");
  ASSERT_TRUE(testing::MakeClip(mp3, 3, false, true, "-c:a libmp3lame -b:a 128k"));
  const std::string aacgain = Quoted(test_config::kAacgain);

  AnalysisResult analysis;
  int gain = GAIN_NOT_FOUND;
  ASSERT_EQ(ScanOutput(analysis, dialog_, abort_, aacgain + " /e /c /d 11.000000 /s s " + Quoted(mp3),
                       SCAN_GAIN_ANALYSE, &gain, 0),
            VERDICT_SUCCESS)
      << analysis.capture;
  EXPECT_NE(gain, GAIN_NOT_FOUND);
  EXPECT_GT(gain, 0);  // 11 dB louder than the reference

  AnalysisResult application;
  ASSERT_EQ(ScanOutput(application, dialog_, abort_, aacgain + " /g " + std::to_string(gain) + " /c /s s " + Quoted(mp3),
                       SCAN_GAIN_APPLY, nullptr, 0),
            VERDICT_SUCCESS)
      << application.capture;
  EXPECT_TRUE(dialog_.Text(IDC_PROGRESS_STATUS).starts_with("done"));

  AnalysisResult missing;
  gain = GAIN_NOT_FOUND;
  EXPECT_EQ(ScanOutput(missing, dialog_, abort_, aacgain + " /e /c /d 1.0 /s s " + Quoted(dir_->File("none.mp3")),
                       SCAN_GAIN_ANALYSE, &gain, 0),
            VERDICT_FAILURE);
  EXPECT_EQ(gain, GAIN_NOT_FOUND);
}

}  // namespace
}  // namespace clipwright
