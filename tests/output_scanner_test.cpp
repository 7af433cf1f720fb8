#include "tools/output_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "test_config.h"
#include "tools/scan_capture.h"

namespace clipwright {
namespace {

using testing::FfmpegCommand;
using testing::Quoted;
using testing::RecordingObserver;
using testing::TempDir;

// Output of a tool that ended by itself with `exit_code`.
AnalysisResult Captured(std::string output, std::optional<int> exit_code = 0) {
  AnalysisResult result;
  result.capture = std::move(output);
  result.exit_code = exit_code;
  return result;
}

// The one tool output a scan showed; "" when it showed none.
std::string Shown(RecordingObserver& observer) {
  const std::vector<std::string> outputs = observer.outputs();
  EXPECT_LE(outputs.size(), 1u);
  return outputs.empty() ? std::string() : outputs.back();
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

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeScanTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeScanTest, FindsStreamsDurationAndVideoKind) {
  const ProbeCase& c = GetParam();
  AnalysisResult result = Captured(c.output);
  RecordingObserver observer;
  EXPECT_EQ(ScanCapture(result, observer, SCAN_PROBE, nullptr), c.verdict);
  EXPECT_EQ(result.stream_lines, c.lines);
  EXPECT_DOUBLE_EQ(result.duration, c.duration);
  EXPECT_EQ(result.video_kind, c.video_kind);
  EXPECT_EQ(observer.stages(), std::vector<Stage>{Stage::kReadingStreams});
  EXPECT_EQ(observer.outputs(), c.lines);
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
        ProbeCase{"NoStreams", "x.mp4: Invalid data found when processing input\n", 0, {}, 0, 0},
        // Tags and programs print the same text further on in their lines, and an MPEG-TS file
        // lists a stream once under each program it belongs to: one row per stream number.
        ProbeCase{"TagsAndProgramsNameNoStream",
                  "    title           : Stream #0:9: Audio: aac\n  Program 1\n    Stream #0:0[0x100]: Video: h264\n"
                  "  Program 2\n    Stream #0:0[0x100]: Video: h264\n    Stream #0:1[0x101]: Audio: aac\n"
                  "      comment         : Duration: 09:09:09.00\n  Duration: 00:00:02.00\n",
                  1, {"Stream #0:0[0x100]: Video: h264", "Stream #0:1[0x101]: Audio: aac"}, 2, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProbeScan, StopsStoringAtTheCapacities) {
  std::string output;
  for (int i = 0; i < 300; ++i) output += "  Stream #0:" + std::to_string(i) + ": Audio: pcm\r\n";
  // A stream line is cut to 259 UTF-16 units, between characters.
  const std::string long_line = "Stream #0:300: Video: " + std::string(230, 'x') + "動画動画動画動画動画動画動画動画動画動画";
  AnalysisResult result = Captured(output + long_line + "\n");
  RecordingObserver observer;
  EXPECT_EQ(ScanCapture(result, observer, SCAN_PROBE, nullptr), 1);
  ASSERT_EQ(result.stream_lines.size(), 256u);
  EXPECT_EQ(result.stream_lines.back(), "Stream #0:255: Audio: pcm");
  EXPECT_EQ(observer.outputs().size(), 256u) << "streams that are not stored are not shown either";
  EXPECT_EQ(result.video_kind, 2);  // the video line is still looked at

  AnalysisResult one = Captured(long_line + "\r\n");
  ScanCapture(one, observer, SCAN_PROBE, nullptr);
  ASSERT_EQ(one.stream_lines.size(), 1u);
  EXPECT_EQ(one.stream_lines[0], long_line.substr(0, 22 + 230 + 7 * 3));
}

// ---- Job (mode 1) on hand-made output ----

struct JobCase {
  const char* name;
  std::string output;
  int verdict;
  std::string shown;
  std::optional<int> exit_code = 0;
};

void PrintTo(const JobCase& c, std::ostream* os) { *os << c.name; }

class JobScanTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(JobScanTest, JudgesAndShowsTheLastNotableLine) {
  AnalysisResult result = Captured(GetParam().output, GetParam().exit_code);
  RecordingObserver observer;
  EXPECT_EQ(ScanCapture(result, observer, SCAN_JOB, nullptr), GetParam().verdict);
  EXPECT_EQ(Shown(observer), GetParam().shown);
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
  std::string shown;
  std::optional<int> exit_code = 0;
};

void PrintTo(const GainCase& c, std::ostream* os) { *os << c.name; }

class GainScanTest : public ::testing::TestWithParam<GainCase> {};

TEST_P(GainScanTest, TheFirstWholeLineOfRecommendationDoneOrErrorDecides) {
  const GainCase& c = GetParam();
  AnalysisResult result = Captured(c.output, c.exit_code);
  RecordingObserver observer;
  int gain = GAIN_NOT_FOUND;
  EXPECT_EQ(ScanCapture(result, observer, c.mode, &gain), c.verdict);
  EXPECT_EQ(gain, c.gain);
  EXPECT_EQ(Shown(observer), c.shown);
}

constexpr const char* kRecommended = "Recommended \"Track\" mp3 gain change: ";
// What AACGain prints before its analysis: the progress line, then the file's name.
const std::string kAnalysing = std::string(49, ' ') + "\r";

INSTANTIATE_TEST_SUITE_P(
    Outputs, GainScanTest,
    ::testing::Values(
        GainCase{"NegativeGain", SCAN_GAIN_ANALYSE,
                 std::string("a.mp3\nRecommended \"Track\" dB change: -4.5\n") + kRecommended + "-3\nMax PCM\n", 1, -3, ""},
        GainCase{"GainAtTheVeryEnd", SCAN_GAIN_ANALYSE, std::string(kRecommended) + "12", 1, 12, ""},
        GainCase{"WindowsLineEnds", SCAN_GAIN_ANALYSE, kAnalysing + "temp0001.mp3\r\n" + kRecommended + "7\r\n", 1, 7, ""},
        GainCase{"NotFoundValue", SCAN_GAIN_ANALYSE, std::string(kRecommended) + "65535\r\n", 0, GAIN_NOT_FOUND, ""},
        GainCase{"DoneBeforeRecommendation", SCAN_GAIN_ANALYSE, std::string("done\r\n") + kRecommended + "2\n", 1,
                 GAIN_NOT_FOUND, "done"},
        GainCase{"DoneInAFileNameDecidesNothing", SCAN_GAIN_ANALYSE,
                 kAnalysing + "done.mp3\n" + kRecommended + "4\n", 1, 4, ""},
        GainCase{"RecommendationInsideALineIsNone", SCAN_GAIN_ANALYSE, std::string("x ") + kRecommended + "4\n", 0,
                 GAIN_NOT_FOUND, ""},
        GainCase{"AnalysisError", SCAN_GAIN_ANALYSE, "Error: cannot open a.mp3\nmore\n", 0, GAIN_NOT_FOUND,
                 "Error: cannot open a.mp3\nmore\n"},
        GainCase{"RecommendationButExitCodeOne", SCAN_GAIN_ANALYSE, std::string(kRecommended) + "3\n", 0, 3, "", 1},
        GainCase{"Applied", SCAN_GAIN_APPLY, " 99% of 10 bytes written\r\ndone\n", 1, GAIN_NOT_FOUND, "done"},
        GainCase{"DoneInTheAppliedFilesName", SCAN_GAIN_APPLY,
                 "Applying gain change of 2 to done...\n\nCan't open done for modifying\n", 0,
                 GAIN_NOT_FOUND, ""},
        GainCase{"DoneWithMoreOnItsLine", SCAN_GAIN_APPLY, "done with a.mp3\nnot done\n", 0, GAIN_NOT_FOUND, ""},
        GainCase{"ErrorInsideALineDecidesNothing", SCAN_GAIN_APPLY, "Applying gain to Error.mp3...\ndone\n", 1,
                 GAIN_NOT_FOUND, "done"},
        GainCase{"ErrorBeforeDone", SCAN_GAIN_APPLY, "Error writing x\ndone\n", 0, GAIN_NOT_FOUND, "Error writing x\ndone\n"},
        GainCase{"DoneButExitCodeOne", SCAN_GAIN_APPLY, "Applying gain change of 2 to a.mp3...\ndone\n", 0,
                 GAIN_NOT_FOUND, "done", 1},
        GainCase{"DoneButEndedFromOutside", SCAN_GAIN_APPLY, "done\n", 0, GAIN_NOT_FOUND, "done", std::nullopt},
        GainCase{"ApplyIgnoresRecommendation", SCAN_GAIN_APPLY, std::string(kRecommended) + "3\n", 0, GAIN_NOT_FOUND, ""},
        GainCase{"NeitherText", SCAN_GAIN_APPLY, "Applying gain change of 2 to a.mp3...\n", 0, GAIN_NOT_FOUND, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanCapture, EmptyOutputAndUnknownModesFail) {
  RecordingObserver observer;
  AnalysisResult empty;
  for (const int mode : {0, 1, 2, 3, 4, 5}) EXPECT_EQ(ScanCapture(empty, observer, mode, nullptr), 0) << mode;
  AnalysisResult some = Captured("size=1kB\r\nvideo:1kB\r\n");
  EXPECT_EQ(ScanCapture(some, observer, 6, nullptr), 0);
  EXPECT_EQ(ScanCapture(some, observer, -1, nullptr), 0);
  EXPECT_TRUE(observer.outputs().empty());
}

// The abort flag decides once the tool has ended, whatever the output says.
TEST(ScanOutput, AbortedRunGivesTwoWithoutScanning) {
  RecordingObserver observer;
  std::atomic<int> abort{1};
  AnalysisResult result;
  const std::string command = Quoted(testing::TestToolPath("emit")) + " \"  Stream #0:0: Audio: mp3\\n\"";
  for (const int mode : {SCAN_PROBE, SCAN_GAIN_APPLY}) {
    EXPECT_EQ(ScanOutput(result, observer, abort, command, mode, nullptr, 0), VERDICT_ABORTED);
  }
  EXPECT_TRUE(result.stream_lines.empty());
}

// The exit code is the tool's own: a tool that prints AACGain's "done" and ends with 1 failed.
TEST(ScanOutput, AGainRunThatPrintsDoneAndEndsWithAnErrorFails) {
  RecordingObserver observer;
  std::atomic<int> abort{0};
  const std::string emit = Quoted(testing::TestToolPath("emit"));
  for (const int exit_code : {0, 1}) {
    AnalysisResult result;
    const std::string command = emit + " \"done\\n\" --exit=" + std::to_string(exit_code);
    EXPECT_EQ(ScanOutput(result, observer, abort, command, SCAN_GAIN_APPLY, nullptr, 0),
              exit_code == 0 ? VERDICT_SUCCESS : VERDICT_FAILURE);
    EXPECT_EQ(result.exit_code, exit_code);
  }
}

// ---- Real FFmpeg and AACGain runs on clips made at test time ----

class ToolScanTest : public ::testing::Test {
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
    return ScanOutput(result, observer_, abort_, command, mode, nullptr, duration);
  }
  int Gain(AnalysisResult& result, const std::string& arguments, int mode, int* gain) {
    // AACGain is given bare names in its own folder, as the volume job gives them.
    return ScanOutput(result, observer_, abort_, Quoted(test_config::kAacgain) + " " + arguments, mode, gain, 0,
                      dir_->path());
  }

  static TempDir* dir_;
  RecordingObserver observer_;
  std::atomic<int> abort_{0};
};

TempDir* ToolScanTest::dir_ = nullptr;

std::string ProbeCommand(const std::string& path) {
  return FfmpegCommand() + " -hide_banner -nostats -i " + Quoted(path);
}

TEST_F(ToolScanTest, ProbesAnMp4) {
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

TEST_F(ToolScanTest, ProbesAnMkv) {
  const std::string mkv = dir_->File("clip.mkv");
  ASSERT_TRUE(testing::MakeClip(mkv, 1, true, false, "-c:v mpeg4"));
  AnalysisResult result;
  ASSERT_EQ(Run(result, ProbeCommand(mkv), SCAN_PROBE), VERDICT_SUCCESS) << result.capture;
  ASSERT_EQ(result.stream_lines.size(), 1u);
  EXPECT_NE(result.stream_lines[0].find(": Video: mpeg4"), std::string::npos);
  EXPECT_NEAR(result.duration, 1.0, 0.05);
  EXPECT_EQ(result.video_kind, 2);
}

TEST_F(ToolScanTest, ProbeOfSomethingElseFails) {
  const std::string text = dir_->Write("notes.mp4", "not a media file");
  AnalysisResult result;
  EXPECT_EQ(Run(result, ProbeCommand(text), SCAN_PROBE), VERDICT_FAILURE);
  EXPECT_TRUE(result.stream_lines.empty());
}

TEST_F(ToolScanTest, JobSucceedsOrFails) {
  const std::string out = dir_->File("copy.mkv");
  AnalysisResult good;
  ASSERT_EQ(Run(good, FfmpegCommand() + " -hide_banner -i " + Quoted(Mp4()) + " -c copy " + Quoted(out), SCAN_JOB, 2),
            VERDICT_SUCCESS)
      << good.capture;
  ASSERT_FALSE(observer_.outputs().empty());
  EXPECT_NE(observer_.outputs().back().find("video:"), std::string::npos);
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
TEST_F(ToolScanTest, AJobFailsOnFfmpegsExitCodeAndNeverWaitsOnTheOverwriteQuestion) {
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
TEST_F(ToolScanTest, AbortStopsALongEncodeCleanly) {
  const std::string out = dir_->File("long.mp4");
  // -re paces the encode in real time: it would take a minute, at little cost.
  const std::string command = FfmpegCommand() + " -hide_banner -re -f lavfi -i testsrc=size=160x120:rate=25:duration=60" +
                              " -c:v libx264 -preset ultrafast -y " + Quoted(out);
  AnalysisResult result;
  std::atomic<long long> aborted_at{0};
  const auto progress_shown = [&] {
    const std::vector<std::string> outputs = observer_.outputs();
    return std::any_of(outputs.begin(), outputs.end(), [](const std::string& line) {
      return line.find("frame=") != std::string::npos;
    });
  };
  std::thread user([&] {
    // Abort once FFmpeg shows progress, as a user would.
    for (int i = 0; i < 300 && !progress_shown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
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

// The real AACGain's texts. A file named "done.mp3" is analysed all the same: AACGain prints its
// name on a line of its own before the recommendation.
TEST_F(ToolScanTest, GainAnalysisAndApplication) {
  const std::string mp3 = dir_->File("done.mp3");
  ASSERT_TRUE(testing::MakeClip(mp3, 3, false, true, "-c:a libmp3lame -b:a 128k"));

  AnalysisResult analysis;
  int gain = GAIN_NOT_FOUND;
  ASSERT_EQ(Gain(analysis, "/e /c /d 11.000000 /s s done.mp3", SCAN_GAIN_ANALYSE, &gain), VERDICT_SUCCESS)
      << analysis.capture;
  const std::size_t name = analysis.capture.find("done.mp3");
  ASSERT_NE(name, std::string::npos) << analysis.capture;
  EXPECT_TRUE(name == 0 || analysis.capture[name - 1] == '\r' || analysis.capture[name - 1] == '\n')
      << "the name starts a line";
  EXPECT_NE(gain, GAIN_NOT_FOUND);
  EXPECT_GT(gain, 0);  // 11 dB louder than the reference

  AnalysisResult application;
  ASSERT_EQ(Gain(application, "/g " + std::to_string(gain) + " /c /s s done.mp3", SCAN_GAIN_APPLY, nullptr),
            VERDICT_SUCCESS)
      << application.capture;
  ASSERT_FALSE(observer_.outputs().empty());
  EXPECT_EQ(observer_.outputs().back(), "done");

  AnalysisResult missing;
  gain = GAIN_NOT_FOUND;
  EXPECT_EQ(Gain(missing, "/e /c /d 1.0 /s s none.mp3", SCAN_GAIN_ANALYSE, &gain), VERDICT_FAILURE);
  EXPECT_EQ(gain, GAIN_NOT_FOUND);
}

// AACGain turns down an Apple Lossless file with an "Error:" line, which is shown.
TEST_F(ToolScanTest, AnAacGainErrorLineFailsTheRun) {
  ASSERT_TRUE(testing::MakeClip(dir_->File("lossless.m4a"), 1, false, true, "-c:a alac"));
  for (const char* arguments : {"/e /c /d 11.000000 /s s lossless.m4a", "/g 2 /c /s s lossless.m4a"}) {
    AnalysisResult result;
    int gain = GAIN_NOT_FOUND;
    EXPECT_EQ(Gain(result, arguments, arguments[1] == 'e' ? SCAN_GAIN_ANALYSE : SCAN_GAIN_APPLY, &gain),
              VERDICT_FAILURE)
        << result.capture;
    EXPECT_EQ(gain, GAIN_NOT_FOUND);
    ASSERT_FALSE(observer_.outputs().empty()) << result.capture;
    EXPECT_TRUE(observer_.outputs().back().starts_with("Error: Apple Lossless")) << observer_.outputs().back();
  }
}

}  // namespace
}  // namespace clipwright
