// Runs with the real FFmpeg that must fail: FFmpeg failing before or after it opens its output,
// FFmpeg succeeding with nothing in its output, and an output that cannot take its final name or
// lose its tag. The file counts as failed, and only what the run made for itself goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_plans.h"
#include "jobs/run_driver.h"
#include "platform/files.h"
#include "support/job_runs.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"
#include "tools/output_scanner.h"

namespace clipwright {
namespace {

using Names = std::vector<std::string>;

std::string Bytes(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

class FailingRunTest : public ::testing::Test {
 protected:
  void SetUp() override { settings.ffmpeg = test_config::kFfmpeg; }

  RunSummary Run(const RunPlan& plan) { return RunFiles(plan, settings, observer, abort, hooks); }

  std::vector<StageEvent> EventsOf(Stage stage) {
    std::vector<StageEvent> found;
    for (const StageEvent& event : observer.events()) {
      if (event.stage == stage) found.push_back(event);
    }
    return found;
  }

  testing::TempDir media;
  RunSettings settings;
  RunHooks hooks;
  testing::RecordingObserver observer;
  std::atomic<int> abort{0};
};

// A seek past the end of an MP3: FFmpeg says "Output file is empty, nothing was encoded" and
// ends with exit code 0 after its size line, which the job's scan takes for success. The check
// finds nothing in the output.
TEST_F(FailingRunTest, AnOutputFfmpegLeftEmptyWithExitCodeZeroFails) {
  const std::string tone = media.File("tone.mp3");
  ASSERT_TRUE(testing::MakeClip(tone, 3, false, true, "-c:a libmp3lame"));
  SplitCut cut;
  cut.start_time = cut.seek_time = 100;
  cut.end_time = 101;
  cut.seek = true;
  cut.length = 1;
  cut.audio_length = 1;
  cut.audio_frame = 0.026;
  std::string capture;
  int verdict = -1;
  hooks.run_tool = [&](AnalysisResult& result, RunObserver& seen, const std::atomic<int>& pressed,
                       const CommandLine& command, int mode, int* gain, double duration, const std::string& folder) {
    verdict = ScanOutput(result, seen, pressed, command.Text(), mode, gain, duration, folder);
    capture = result.capture;
    return verdict;
  };
  const RunSummary summary = Run(PlanSplit(SplitRequest{testing::Probed(tone), "mp3", cut}, settings));
  EXPECT_EQ(verdict, VERDICT_SUCCESS);
  EXPECT_NE(capture.find("nothing was encoded"), std::string::npos) << capture;
  EXPECT_EQ(summary.failures, 1);
  EXPECT_EQ(observer.outcomes(), std::vector<FileOutcome>{FileOutcome::kRefused});
  EXPECT_EQ(EventsOf(Stage::kCheckFailed).size(), 1u);
  EXPECT_EQ(media.Names(), Names{"tone.mp3"});
}

// FFmpeg fails before it opens its output (it cannot read the input, or lacks the encoder), or
// after it wrote a header (H.264 in WebM): the file failed, the output the run took goes, and
// the files another program has beside it, at any other name, stay.
struct FfmpegFailure {
  const char* name;
  std::function<ConvertRequest(const testing::TempDir&)> request;
};

void PrintTo(const FfmpegFailure& c, std::ostream* os) { *os << c.name; }

class FfmpegFailureTest : public FailingRunTest, public ::testing::WithParamInterface<FfmpegFailure> {};

TEST_P(FfmpegFailureTest, RemovesOnlyTheRunsOwnOutput) {
  const ConvertRequest request = GetParam().request(media);
  const std::string listed = request.files.at(0).path;
  const std::string stem = listed.substr(0, listed.rfind('.'));
  const std::string others[] = {stem + "." + request.container, stem + "_2." + request.container};
  for (const std::string& other : others) platform::WriteWholeFile(other, "another program's");
  const Names before = media.Names();
  const RunSummary summary = Run(PlanConvert(request, settings));
  EXPECT_EQ(summary.failures, 1);
  EXPECT_EQ(observer.outcomes(), std::vector<FileOutcome>{FileOutcome::kFailed});
  EXPECT_EQ(media.Names(), before);
  for (const std::string& other : others) EXPECT_EQ(Bytes(other), "another program's");
}

ConvertRequest ConvertOf(InputFile file, const std::string& container) { return ConvertRequest{{std::move(file)}, {}, container}; }

INSTANTIATE_TEST_SUITE_P(
    Failures, FfmpegFailureTest,
    ::testing::Values(
        FfmpegFailure{"UnreadableInput",
                      [](const testing::TempDir& dir) {
                        // An empty file: FFmpeg 4 reads a text file as ANSI art.
                        return ConvertOf(InputFile{dir.Write("notes.dat", ""), {{0, "Stream #0:0: Video: h264"}}, 0}, "mp4");
                      }},
        FfmpegFailure{"EncoderThisFfmpegLacks",
                      [](const testing::TempDir& dir) {
                        EXPECT_TRUE(testing::MakeClip(dir.File("tone.wav"), 1, false, true));
                        ConvertRequest request = ConvertOf(testing::Probed(dir.File("tone.wav")), "m4a");
                        request.choices.audio_codec = "libfdk_aac";
                        return request;
                      }},
        FfmpegFailure{"H264InWebm",
                      [](const testing::TempDir& dir) {
                        EXPECT_TRUE(testing::MakeClip(dir.File("movie.mp4"), 1, true, false, "-c:v libx264 -preset ultrafast"));
                        ConvertRequest request = ConvertOf(testing::Probed(dir.File("movie.mp4")), "webm");
                        request.choices.video_codec = "copy";
                        return request;
                      }}),
    [](const ::testing::TestParamInfo<FfmpegFailure>& info) { return std::string(info.param.name); });

// An output that cannot take its final name, or cannot lose its tag, fails with that stage, and
// goes. The long name passes the file system's 255 units for a name only in the final name. No
// real FFmpeg run leaves an MP3 whose tag cannot be removed: that output is handed to the run.
struct LastStep {
  const char* name;
  std::function<RunPlan(const testing::TempDir&, RunSettings&)> plan;
  Stage stage;
  Names left;  // besides the listed file
  std::string spoiled = {};  // what the tool run leaves, in place of FFmpeg
};

void PrintTo(const LastStep& c, std::ostream* os) { *os << c.name; }

class LastStepTest : public FailingRunTest, public ::testing::WithParamInterface<LastStep> {};

TEST_P(LastStepTest, FailsTheFileAndLeavesNothingOfTheRun) {
  const LastStep& c = GetParam();
  const RunPlan plan = c.plan(media, settings);
  if (plan.files.empty()) GTEST_SKIP() << "this system does not take the long name of the listed file";
  const Names listed = media.Names();
  if (!c.spoiled.empty()) {
    hooks.run_tool = [&](AnalysisResult&, RunObserver&, const std::atomic<int>&, const CommandLine& command, int, int*,
                         double, const std::string&) {
      platform::WriteWholeFile(command.Arguments().back(), c.spoiled);
      return int{VERDICT_SUCCESS};
    };
  }
  const RunSummary summary = Run(plan);
  EXPECT_EQ(summary.successes + summary.failures, static_cast<int>(plan.files.size()));
  EXPECT_EQ(observer.outcomes().at(0), FileOutcome::kRefused);
  EXPECT_EQ(EventsOf(c.stage).size(), 1u);
  EXPECT_TRUE(summary.left_behind.empty());
  Names names = listed;
  names.insert(names.end(), c.left.begin(), c.left.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(media.Names(), names);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LastStepTest,
    ::testing::Values(
        LastStep{"FinalNameTooLongAfterATempCopy",
                 [](const testing::TempDir& dir, RunSettings& settings) {
                   const std::string listed = dir.File(std::string(251, 'n') + ".mkv");
                   if (!testing::MakeClip(listed, 1, false, true, "-c:a aac")) return RunPlan{};
                   settings.temp_copies = true;
                   return PlanSeparate(SeparateRequest{{testing::Probed(listed)}, false, "mkv"}, settings);
                 },
                 Stage::kRenameFailed, {}},
        LastStep{"AFolderInTheWayOfAPiece",
                 [](const testing::TempDir& dir, RunSettings& settings) {
                   const std::string clip = dir.File("clip.mp4");
                   EXPECT_TRUE(testing::MakeClip(clip, 2, true, false, "-c:v libx264 -preset ultrafast -g 25"));
                   std::filesystem::create_directory(testing::FsPath(dir.File("clip_[000000]_000000-000025.mkv")));
                   KeyframeSplitRequest request{testing::Probed(clip), "mkv", {}};
                   for (std::uint32_t i = 0; i < 2; ++i) {
                     request.pieces.push_back(KeyframePiece{i * 25, i * 25 + 25, testing::CutOf(clip, i, i + 1)});
                   }
                   return PlanKeyframeSplit(request, settings);
                 },
                 Stage::kRenameFailed, {"clip_[000001]_000025-000050.mkv"}},
        LastStep{"TagRemovalOfAFileTooShortToHoldATag",
                 [](const testing::TempDir& dir, RunSettings& settings) {
                   settings.strip_tags = true;
                   return PlanConvert(ConvertOf(InputFile{dir.Write("tone.wav", "wav"), {{0, "Stream #0:0: Audio: pcm_s16le"}}, 1}, "mp3"), settings);
                 },
                 Stage::kTagsFailed, {}, "0123456789"}),
    [](const ::testing::TestParamInfo<LastStep>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
