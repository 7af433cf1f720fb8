// Frame-precise cuts with this build's real FFmpeg: clips with a keyframe every 25 frames, cut at
// frames that are not keyframes; the output must hold exactly the frames asked for, and its own
// check (pictures against the source's) must pass, or fail for a piece that does not match.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/split_scans.h"
#include "analysis/stream_model.h"
#include "jobs/job_plans.h"
#include "jobs/run_driver.h"
#include "support/job_runs.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

constexpr const char* kX264 = "-c:v libx264 -preset veryfast -g 25 -keyint_min 25 -sc_threshold 0 -pix_fmt yuv420p";
constexpr const char* kX265 =
    "-c:v libx265 -preset ultrafast -pix_fmt yuv420p -tag:v hvc1 -x265-params keyint=25:min-keyint=25:scenecut=0:no-open-gop=1:log-level=error";

struct CutCase {
  const char* name;
  const char* file;
  std::string args;
  std::uint32_t first, last;
  bool passes = true;
  const char* forced = nullptr;  // an encoder setting that spoils the pieces encoded again
  std::optional<Stage> abort_at = std::nullopt;  // 中断 as this step starts
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class FrameCutTest : public ::testing::TestWithParam<CutCase> {};

// The cut of frames first … last of `clip`, as the split page asks for it after its scan.
std::optional<FrameCutRequest> RequestFor(const std::string& clip, std::uint32_t first, std::uint32_t last) {
  NullObserver nobody;
  std::atomic<int> abort{0};
  SplitPageState split;
  split.video_kind = 2;
  if (ScanSplitFile(test_config::kFfmpeg, clip, split, nobody, abort) != SplitScan::kReady) return std::nullopt;
  FrameCutRequest request;
  request.file = testing::Probed(clip);
  request.container = clip.substr(clip.rfind('.') + 1);
  const std::optional<FrameCut> range = FrameRangeCut(split, first, last);
  const std::optional<VideoParameters> video = ReadVideoParameters(clip, request.file.streams[0].line);
  if (!range || !video) return std::nullopt;
  request.cut = *range;
  request.video = *video;
  return request;
}

TEST_P(FrameCutTest, HoldsTheFramesAskedForAndPassesItsCheck) {
  const CutCase& c = GetParam();
  testing::TempDir media, logs;
  const std::string clip = media.File(c.file);
  ASSERT_TRUE(testing::MakeClip(clip, 4, true, true, c.args + " -c:a aac -shortest"));
  std::optional<FrameCutRequest> asked = RequestFor(clip, c.first, c.last);
  ASSERT_TRUE(asked);
  FrameCutRequest& request = *asked;
  std::atomic<int> abort{0};
  if (c.forced != nullptr) request.video.settings.push_back(c.forced);

  RunSettings settings;
  settings.ffmpeg = test_config::kFfmpeg;
  settings.log_folder = logs.path();
  testing::AbortAt observer(abort, c.abort_at.value_or(Stage::kToolNotStarted));
  const RunSummary summary = RunFiles(PlanFrameCut(request, settings), settings, observer, abort);
  EXPECT_EQ(summary.successes, c.passes ? 1 : 0) << ::testing::PrintToString(observer.stages()) << ::testing::PrintToString(observer.outputs());
  EXPECT_TRUE(summary.left_behind.empty());
  const std::vector<std::string> names = media.Names();
  if (!c.passes) {
    EXPECT_EQ(names, std::vector<std::string>{c.file}) << "a cut that fails its check is removed, parts and all";
    const std::vector<Stage> stages = observer.stages();
    EXPECT_EQ(std::find(stages.begin(), stages.end(), Stage::kCheckFailed) != stages.end(), !c.abort_at);
    return;
  }
  ASSERT_EQ(names.size(), 2u);
  const std::string cut = media.File(names[0] == c.file ? names[1] : names[0]);
  EXPECT_EQ(testing::DecodedFrames(cut), c.last - c.first + 1);
  EXPECT_EQ(testing::StreamKinds(cut), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_TRUE(testing::Decodes(cut));
}

const std::string kX264TwoB = std::string(kX264) + " -bf 2";

INSTANTIATE_TEST_SUITE_P(
    Cuts, FrameCutTest,
    ::testing::Values(CutCase{"H264WithoutBFramesAcrossThreeGops", "a.mp4", std::string(kX264) + " -bf 0", 10, 90},
                      CutCase{"H264TwoBFramesAcrossThreeGops", "a.mp4", kX264TwoB, 10, 90},
                      CutCase{"H264StartingOnAKeyframe", "a.mp4", kX264TwoB, 25, 60},
                      CutCase{"H264InsideOneGop", "a.mp4", kX264TwoB, 30, 40},
                      CutCase{"H264ToTheLastFrame", "a.mp4", kX264TwoB, 60, 99},
                      CutCase{"H264InMatroska", "a.mkv", kX264TwoB, 10, 90},
                      CutCase{"HevcAcrossThreeGops", "a.mp4", kX265, 10, 90},
                      CutCase{"HevcInsideOneGop", "a.mp4", kX265, 30, 40},
                      CutCase{"ABlurredHeadFails", "a.mp4", kX264TwoB, 10, 60, false, "qp=51"},
                      CutCase{"AnAbortWhileCopyingLeavesNoPart", "a.mp4", kX264TwoB, 10, 90, false, nullptr,
                              Stage::kCopyingGops}),
    [](const auto& info) { return std::string(info.param.name); });

// x264's own measure of the frames it encoded stands for their pictures only while the output
// holds its very packets: a frame it reports below the floor fails the cut, by its number in the
// output; the same report of a part the output does not hold sends the check to the pictures.
// The copied packets are held to the checksums the scan kept, or to the source's listing. The
// output's pictures are compared where its listing shows them. The copy and the tail, made beside
// the head, are told in their turn.
TEST(FrameCutCheck, TakesTheEncodersWordOnlyForItsOwnPackets) {
  testing::TempDir media, logs;
  const std::string clip = media.File("a.mp4");
  ASSERT_TRUE(testing::MakeClip(clip, 4, true, true, kX264TwoB + " -c:a aac -shortest"));
  const std::optional<FrameCutRequest> request = RequestFor(clip, 10, 90);
  ASSERT_TRUE(request);
  RunSettings settings;
  settings.ffmpeg = test_config::kFfmpeg;
  settings.log_folder = logs.path();
  std::vector<CheckResult> results;
  RunHooks hooks;
  hooks.check_output = [&](const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                           const std::atomic<int>& abort) {
    const CheckResult real = CheckOutput(ffmpeg, output, expected, abort);
    results.push_back(real);
    EXPECT_EQ(expected.frames->encoded.size(), 2u);
    for (const auto& encoded : expected.frames->encoded) {
      EXPECT_EQ(encoded.psnr.value_or(std::vector<double>{}).size(), static_cast<std::size_t>(encoded.count));
      EXPECT_FALSE(encoded.first_picture_file.empty());
    }
    OutputExpectation low = expected;
    auto& head = low.frames->encoded.front();
    head.psnr->at(7) = 31.2;
    results.push_back(CheckOutput(ffmpeg, output, low, abort));
    head.part_file = low.frames->encoded.back().part_file;
    results.push_back(CheckOutput(ffmpeg, output, low, abort));
    // The source's packets as the page's scan kept them; listed again when it kept none.
    OutputExpectation changed = expected;
    changed.frames->copied_packets.at(3).crc ^= 1;
    results.push_back(CheckOutput(ffmpeg, output, changed, abort));
    changed.frames->copied_packets.clear();
    results.push_back(CheckOutput(ffmpeg, output, changed, abort));
    // Sought where the frames are not (by a frame step the output does not have), the pictures
    // are compared again where the listing shows them.
    OutputExpectation skewed = expected;
    skewed.frames->frame_step *= 1.25;
    results.push_back(CheckOutput(ffmpeg, output, skewed, abort));
    // The head's first picture is held to the one its encode kept: the tail's is another.
    OutputExpectation swapped = expected;
    swapped.frames->encoded.front().first_picture_file = swapped.frames->encoded.back().first_picture_file;
    results.push_back(CheckOutput(ffmpeg, output, swapped, abort));
    return real;
  };
  testing::RecordingObserver observer;
  std::atomic<int> abort{0};
  EXPECT_EQ(RunFiles(PlanFrameCut(*request, settings), settings, observer, abort, hooks).successes, 1);
  // The copy and the tail run beside the head, and are told in their turn.
  std::vector<Stage> steps;
  for (const Stage stage : observer.stages()) {
    if (stage >= Stage::kEncodingHead && stage <= Stage::kJoiningParts) steps.push_back(stage);
  }
  EXPECT_EQ(steps, (std::vector<Stage>{Stage::kEncodingHead, Stage::kCopyingGops, Stage::kEncodingTail, Stage::kJoiningParts}));
  ASSERT_EQ(results.size(), 7u);
  EXPECT_TRUE(results[0].passed());
  EXPECT_EQ(results[1].failure, CheckFailure::kPictureQuality);
  EXPECT_EQ(results[1].first, 7);
  EXPECT_EQ(results[1].second, 312);
  EXPECT_TRUE(results[2].passed());
  EXPECT_EQ(results[3].failure, CheckFailure::kCopiedFrameChanged);
  EXPECT_EQ(results[3].first, 15 + 3);
  EXPECT_TRUE(results[4].passed());
  EXPECT_TRUE(results[5].passed());
  EXPECT_EQ(results[6].failure, CheckFailure::kPictureQuality);
  EXPECT_EQ(results[6].first, 0);
}

// Streams no piece could match are turned down before anything runs.
TEST(VideoParameters, OnlyClosedGopsOfTheTwoEncodersAreCut) {
  testing::TempDir media;
  const auto read = [&](const char* name, const std::string& args) {
    const std::string clip = media.File(name);
    EXPECT_TRUE(testing::MakeClip(clip, 1, true, false, args)) << name;
    return ReadVideoParameters(clip, testing::ProbeStreams(clip).at(0));
  };
  EXPECT_FALSE(read("mpeg4.mp4", "-c:v mpeg4"));
  EXPECT_FALSE(read("open.mp4", std::string(kX264) + " -x264-params open-gop=1"));
  EXPECT_FALSE(read("full.mp4", "-c:v libx264 -pix_fmt yuvj420p"));
  const std::optional<VideoParameters> closed = read("closed.mp4", kX264TwoB + " -refs 2");
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->profile, "high");
  EXPECT_EQ(closed->timescale, 12800);
  EXPECT_EQ(closed->settings, (std::vector<std::string>{"ref=2", "bframes=2", "weightp=1", "keyint=25"}));
  ASSERT_TRUE(closed->closed_gops);
  EXPECT_EQ(closed->closed_gops->b_frames, 2);
  EXPECT_EQ(closed->closed_gops->references, 2);
}

// The first pictures the encodes keep lengthen their commands: where that would pass the limit,
// the plan does without them rather than have the run refuse the cut.
TEST(FrameCutPlan, KeepsTheFirstPicturesOnlyWhileTheCommandsFit) {
  testing::TempDir media;
  const std::string clip = media.File("a.mp4");
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, false, kX264TwoB));
  std::optional<FrameCutRequest> request = RequestFor(clip, 10, 40);
  ASSERT_TRUE(request);
  RunSettings settings;
  settings.ffmpeg = test_config::kFfmpeg;
  const auto planned = [&](std::size_t folder_length) {
    request->file.path = std::string(folder_length, 'f') + "/a.mp4";
    const FilePlan file = PlanFrameCut(*request, settings).files.at(0);
    CommandNames names = LikelyNames(file);
    names.program = settings.ffmpeg;
    bool keeps = false, fits = true;
    for (const FileStep& step : file.steps) {
      const CommandLine command = ResolveCommand(step.command, names);
      keeps = keeps || command.Text().find("rawvideo") != std::string::npos;
      fits = fits && command.FitsLimit();
    }
    return std::pair{keeps, fits};
  };
  EXPECT_EQ(planned(1), std::pair(true, true));
  std::size_t length = 1;
  while (length < 500 && planned(length).first) ++length;
  EXPECT_EQ(planned(length), std::pair(false, true)) << "the commands fit again without the pictures";
}

}  // namespace
}  // namespace clipwright
