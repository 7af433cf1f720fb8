// The check every output passes before it counts: the judgement of a packet listing, and the
// whole check of real outputs that FFmpeg left good, without streams, empty or cut short.
#include "jobs/output_check.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_plans.h"
#include "jobs/run_driver.h"
#include "platform/files.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::TempDir;

const StreamKind kV = StreamKind::kVideo;
const StreamKind kA = StreamKind::kAudio;
const StreamKind kS = StreamKind::kSubtitle;

ListedStream Listed(StreamKind kind, std::int64_t packets, bool first_is_key = true, double played = 1) {
  return ListedStream{kind, 0.001, packets, first_is_key, played};
}

OutputExpectation Whole(std::vector<StreamKind> streams) {
  OutputExpectation expected;
  expected.streams = std::move(streams);
  return expected;
}

OutputExpectation VideoCut(std::vector<StreamKind> streams, int video, std::optional<std::int64_t> packets) {
  OutputExpectation expected = Whole(std::move(streams));
  expected.cut = true;
  expected.cut_video = video;
  expected.video_packets = packets;
  return expected;
}

OutputExpectation AudioCut(std::vector<StreamKind> streams) {
  OutputExpectation expected = Whole(std::move(streams));
  expected.cut = true;
  expected.audio_length = 2.0;
  expected.audio_frame = 0.026;
  return expected;
}

struct JudgeCase {
  const char* name;
  std::vector<ListedStream> listed;
  OutputExpectation expected;
  CheckFailure failure;
  std::int64_t first = 0;
  std::int64_t second = 0;
};

void PrintTo(const JudgeCase& c, std::ostream* os) { *os << c.name; }

class JudgeListingTest : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(JudgeListingTest, Judges) {
  const JudgeCase& c = GetParam();
  const CheckResult result = JudgeListing(c.listed, c.expected);
  EXPECT_EQ(result.failure, c.failure);
  EXPECT_EQ(result.first, c.first);
  EXPECT_EQ(result.second, c.second);
  EXPECT_EQ(result.passed(), c.failure == CheckFailure::kNone);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, JudgeListingTest,
    ::testing::Values(
        JudgeCase{"NoStreams", {}, Whole({kV}), CheckFailure::kStreamCount, 1, 0},
        JudgeCase{"NoStreamsWhereFfmpegChose", {}, Whole({}), CheckFailure::kStreamCount, 1, 0},
        JudgeCase{"AStreamCountThatDiffers", {Listed(kV, 5)}, Whole({kV, kA}), CheckFailure::kStreamCount, 2, 1},
        JudgeCase{"EmptyAudioInAWholeOutput", {Listed(kV, 5), Listed(kA, 0)}, Whole({kV, kA}), CheckFailure::kEmptyStream, 1},
        JudgeCase{"EmptyVideoWhereFfmpegChoseTheStreams", {Listed(kV, 0), Listed(kA, 5)}, Whole({}), CheckFailure::kEmptyStream, 0},
        JudgeCase{"ASubtitleMayBeEmpty", {Listed(kV, 5), Listed(kS, 0)}, Whole({kV, kS}), CheckFailure::kNone},
        JudgeCase{"NoPacketAtAll", {Listed(kS, 0)}, Whole({kS}), CheckFailure::kEmptyStream, 0},
        JudgeCase{"WholeOutputPasses", {Listed(kV, 1), Listed(kA, 1)}, Whole({kV, kA}), CheckFailure::kNone},
        JudgeCase{"EmptyAudioInACutPasses", {Listed(kV, 20), Listed(kA, 0)}, VideoCut({kV, kA}, 0, 20), CheckFailure::kNone},
        JudgeCase{"EmptyVideoOfACut", {Listed(kA, 9), Listed(kV, 0)}, VideoCut({kA, kV}, 1, 20), CheckFailure::kEmptyStream, 1},
        JudgeCase{"ACutNotStartingOnAKeyframe", {Listed(kV, 20, false)}, VideoCut({kV}, 0, 20), CheckFailure::kNotKeyframe},
        JudgeCase{"APacketCountThatDiffers", {Listed(kV, 19)}, VideoCut({kV}, 0, 20), CheckFailure::kPacketCount, 20, 19},
        JudgeCase{"ACutOfUnknownCountPasses", {Listed(kV, 19)}, VideoCut({kV}, 0, std::nullopt), CheckFailure::kNone},
        JudgeCase{"AudioCutTooLong", {Listed(kA, 80, true, 2.03)}, AudioCut({kA}), CheckFailure::kLength, 2000, 2030},
        JudgeCase{"AudioCutTooShort", {Listed(kA, 80, true, 1.97)}, AudioCut({kA}), CheckFailure::kLength, 2000, 1970},
        JudgeCase{"AudioCutWithinOneFramePasses", {Listed(kA, 80, true, 2.026)}, AudioCut({kA}), CheckFailure::kNone},
        JudgeCase{"AudioCutHeldByItsFirstAudio", {Listed(kS, 2), Listed(kA, 80, true, 2.0), Listed(kA, 3, true, 0.1)},
                  AudioCut({kS, kA, kA}), CheckFailure::kNone},
        JudgeCase{"EmptyAudioOfAnAudioCut", {Listed(kS, 2), Listed(kA, 0)}, AudioCut({kS, kA}), CheckFailure::kEmptyStream, 1}),
    [](const ::testing::TestParamInfo<JudgeCase>& info) { return std::string(info.param.name); });

// Real outputs handed to a run in place of what FFmpeg would have written: the check with the
// real FFmpeg refuses each spoiled one, which then goes, and keeps a good one under its name.
struct RealCase {
  const char* name;
  std::function<std::string(const TempDir&)> bytes;
  bool cut;  // a split of the whole second with its 25 video packets; else a separate
  CheckFailure failure;
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << c.name; }

std::string Bytes(const std::string& path) {
  std::string bytes;
  platform::ReadWholeFile(path, &bytes);
  return bytes;
}

// One second of 25 video frames, one keyframe, and a tone. B-frames put the video's first
// packet before the audio's.
std::string Good(const TempDir& dir, const std::string& name, const std::string& preset = "ultrafast") {
  EXPECT_TRUE(testing::MakeClip(dir.File(name), 1, true, true, "-c:v libx264 -preset " + preset + " -g 25 -c:a aac -shortest"));
  return Bytes(dir.File(name));
}

std::string FirstHalf(const std::string& bytes) { return bytes.substr(0, bytes.size() / 2); }

class RealOutputTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealOutputTest, IsReadBackBeforeItCounts) {
  const RealCase& c = GetParam();
  TempDir made;
  TempDir media;
  const std::string bytes = c.bytes(made);
  const std::string listed = media.Write(c.cut ? "clip.mp4" : "movie.mp4", "listed");
  const std::vector<StreamChoice> streams = {{0, "Stream #0:0: Video: h264"}, {1, "Stream #0:1: Audio: aac"}};
  RunSettings settings;
  settings.ffmpeg = test_config::kFfmpeg;
  RunPlan plan;
  if (c.cut) {
    SplitCut cut;
    cut.end_time = cut.length = 1;
    cut.video_packets = 25;
    plan = PlanSplit(SplitRequest{InputFile{listed, streams, 1}, "mkv", cut}, settings);
  } else {
    plan = PlanSeparate(SeparateRequest{{InputFile{listed, streams, 1}}, false, "mp4"}, settings);
  }
  RunHooks hooks;
  hooks.run_tool = [&](AnalysisResult&, RunObserver&, const std::atomic<int>&, const CommandLine& command, int, int*,
                       double, const std::string&) {
    platform::WriteWholeFile(command.Arguments().back(), bytes);
    return int{VERDICT_SUCCESS};
  };
  testing::RecordingObserver observer;
  std::atomic<int> abort{0};
  const RunSummary summary = RunFiles(plan, settings, observer, abort, hooks);

  const bool passes = c.failure == CheckFailure::kNone;
  EXPECT_EQ(summary.successes, passes ? 1 : 0);
  EXPECT_EQ(observer.outcomes(), std::vector<FileOutcome>{passes ? FileOutcome::kSucceeded : FileOutcome::kRefused});
  std::vector<StageEvent> failed;
  for (const StageEvent& event : observer.events()) {
    if (event.stage == Stage::kCheckFailed) failed.push_back(event);
  }
  ASSERT_EQ(failed.size(), passes ? 0u : 1u);
  const std::string output = c.cut ? "clip_00000.000-00001.000_1.mkv" : "movie_1.mp4";
  std::vector<std::string> left = {c.cut ? "clip.mp4" : "movie.mp4"};
  if (passes) {
    left.push_back(output);
    EXPECT_EQ(Bytes(media.File(output)), bytes);
  } else {
    EXPECT_EQ(failed[0].number, static_cast<std::int64_t>(c.failure));
  }
  EXPECT_EQ(media.Names(), left);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, RealOutputTest,
    ::testing::Values(
        RealCase{"Good", [](const TempDir& dir) { return Good(dir, "good.mp4"); }, false, CheckFailure::kNone},
        RealCase{"GoodWithBFrames", [](const TempDir& dir) { return Good(dir, "good.mp4", "medium"); }, false, CheckFailure::kNone},
        RealCase{"GoodCut", [](const TempDir& dir) { return Good(dir, "good.mkv"); }, true, CheckFailure::kNone},
        RealCase{"WithoutAnyStream",
                 [](const TempDir& dir) {
                   Good(dir, "good.mp4");
                   // Copying from after the end leaves a file FFmpeg finds no stream in.
                   testing::RunCommand(testing::FfmpegCommand() + " -nostdin -i " + testing::Quoted(dir.File("good.mp4")) +
                                       " -map 0 -c copy -ss 5 " + testing::Quoted(dir.File("none.mp4")));
                   return Bytes(dir.File("none.mp4"));
                 },
                 false, CheckFailure::kStreamCount},
        RealCase{"Empty", [](const TempDir&) { return std::string(); }, false, CheckFailure::kUnreadable},
        RealCase{"Truncated", [](const TempDir& dir) { return FirstHalf(Good(dir, "good.mp4")); }, false, CheckFailure::kUnreadable},
        RealCase{"TruncatedCut", [](const TempDir& dir) { return FirstHalf(Good(dir, "good.mkv")); }, true, CheckFailure::kPacketCount}),
    [](const ::testing::TestParamInfo<RealCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
