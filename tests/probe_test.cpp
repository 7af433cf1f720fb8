#include "analysis/probe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "common/limits.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "test_config.h"
#include "tools/analysis_result.h"

namespace clipwright {
namespace {

using testing::RecordingObserver;
using testing::TempDir;

TEST(ProbeFile, ReadsTheStreamsAndThePlayTimeOfAFile) {
  TempDir dir;
  const std::string clip = dir.File("clip.mp4");
  ASSERT_TRUE(testing::MakeClip(clip, 1.0, true, true));
  RecordingObserver observer;
  std::atomic<int> abort{0};
  ProbedFile probed;
  ASSERT_EQ(ProbeFile(test_config::kFfmpeg, clip, observer, abort, &probed), VERDICT_SUCCESS);

  EXPECT_EQ(probed.path, clip);
  EXPECT_EQ(probed.stream_lines, testing::ProbeStreams(clip));
  ASSERT_EQ(testing::LineKinds(probed.stream_lines), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_NEAR(probed.duration, 1.0, 0.1);
  EXPECT_EQ(probed.video_kind, 1);
  EXPECT_EQ(observer.stages(), std::vector<Stage>{Stage::kReadingStreams});
  EXPECT_EQ(observer.outputs(), probed.stream_lines);
}

enum class Setup { kNone, kMissingFfmpeg, kUnstartableFfmpeg, kAborted };

struct FailureCase {
  const char* name;
  Setup setup;
  bool media;  // a clip, or a text file that no tool reads as media
  int verdict;
  std::vector<Stage> stages;  // they tell whether FFmpeg ran
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ProbeFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ProbeFailureTest, LeavesTheRecordAsItWas) {
  const FailureCase& c = GetParam();
  TempDir dir;
  // FFmpeg for Windows reads any ".txt" as ANSI art, so a text file that must fail is a ".log".
  const std::string file = c.media ? dir.File("tone.mka") : dir.Write("notes.log", "This is not a media file.\r\n");
  if (c.media) {
    ASSERT_TRUE(testing::MakeClip(file, 1.0, false, true));
  }
  std::string ffmpeg = test_config::kFfmpeg;
  if (c.setup == Setup::kMissingFfmpeg) ffmpeg = dir.File("ffmpeg-missing.exe");
  // Exists and opens, but cannot be run.
  if (c.setup == Setup::kUnstartableFfmpeg) ffmpeg = dir.Write("not-a-program.exe", "text");
  std::atomic<int> abort{c.setup == Setup::kAborted ? 1 : 0};
  RecordingObserver observer;
  ProbedFile probed;
  probed.path = "unchanged";

  EXPECT_EQ(ProbeFile(ffmpeg, file, observer, abort, &probed), c.verdict);
  EXPECT_EQ(observer.stages(), c.stages);
  EXPECT_EQ(probed.path, "unchanged");
  EXPECT_TRUE(probed.stream_lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeFailureTest,
    ::testing::Values(FailureCase{"TextFile", Setup::kNone, false, VERDICT_FAILURE, {Stage::kReadingStreams}},
                      FailureCase{"MissingFfmpeg", Setup::kMissingFfmpeg, true, VERDICT_FAILURE, {Stage::kToolNotStarted}},
                      FailureCase{"UnstartableFfmpeg", Setup::kUnstartableFfmpeg, true, VERDICT_FAILURE,
                                  {Stage::kToolNotStarted}},
                      FailureCase{"Aborted", Setup::kAborted, true, VERDICT_ABORTED, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProbeFile, StreamsBeyondTheCapacityAreNotStored) {
  TempDir dir;
  const std::string many = dir.File("many.mov");
  ASSERT_TRUE(testing::MakeManyStreams(many, STREAM_CAPACITY + 1));
  ASSERT_EQ(testing::ProbeStreams(many).size(), static_cast<std::size_t>(STREAM_CAPACITY + 1));
  RecordingObserver observer;
  std::atomic<int> abort{0};
  ProbedFile probed;
  ASSERT_EQ(ProbeFile(test_config::kFfmpeg, many, observer, abort, &probed), VERDICT_SUCCESS);
  ASSERT_EQ(probed.stream_lines.size(), static_cast<std::size_t>(STREAM_CAPACITY));
  EXPECT_EQ(probed.stream_lines.back().rfind("Stream #0:255", 0), 0u);
}

// One FFmpeg run lists many files as inputs #0, #1, …, #10 and stops at a file it cannot open;
// each file must still come out as its probe alone gives it.
TEST(ProbeFiles, GiveEachFileWhatItsProbeAloneGives) {
  TempDir dir;
  const std::string clip = dir.File("clip.mp4"), tone = dir.File("tone.mka"), many = dir.File("many.mov");
  ASSERT_TRUE(testing::MakeClip(clip, 1.0, true, true));
  ASSERT_TRUE(testing::MakeClip(tone, 0.5, false, true));
  ASSERT_TRUE(testing::MakeManyStreams(many, STREAM_CAPACITY + 1));
  std::vector<std::string> paths = {clip, dir.Write("notes.log", "no media\r\n"), tone, dir.File("missing.mp4")};
  paths.insert(paths.end(), 9, tone);
  paths.insert(paths.end(), {clip, many, clip});
  std::atomic<int> abort{0};
  std::vector<ProbeOutcome> outcomes = ProbeFiles(test_config::kFfmpeg, paths, kFilesPerProbe, abort);
  ASSERT_EQ(outcomes.size(), paths.size());
  for (std::size_t k = 0; k < paths.size(); ++k) {
    RecordingObserver alone, batched;
    ProbedFile probed;
    EXPECT_EQ(outcomes[k].verdict, ProbeFile(test_config::kFfmpeg, paths[k], alone, abort, &probed)) << k;
    outcomes[k].events.Replay(batched);
    EXPECT_EQ(batched.stages(), alone.stages()) << k;
    EXPECT_EQ(batched.outputs(), alone.outputs()) << k;
    EXPECT_EQ(outcomes[k].probed.path, probed.path) << k;
    EXPECT_EQ(outcomes[k].probed.stream_lines, probed.stream_lines) << k;
    EXPECT_EQ(outcomes[k].probed.duration, probed.duration) << k;
    EXPECT_EQ(outcomes[k].probed.video_kind, probed.video_kind) << k;
  }
  EXPECT_EQ(outcomes[1].verdict, VERDICT_FAILURE);
  EXPECT_EQ(outcomes[13].verdict, VERDICT_SUCCESS);
}

TEST(IsVolumeExtension, AcceptsTheFourAacGainTypesInAnyCase) {
  for (const char* path : {"C:\\a.mp4", "C:\\a.MP3", "C:\\a.m4A", "/x/a.AAC", "C:\\dir.mp4\\a.aac"}) {
    EXPECT_TRUE(IsVolumeExtension(path)) << path;
  }
  for (const char* path : {"C:\\a.wav", "C:\\a.mp4.bak", "C:\\a", "C:\\mp4", "C:\\a.mp", "C:\\dir.mp3\\a"}) {
    EXPECT_FALSE(IsVolumeExtension(path)) << path;
  }
}

}  // namespace
}  // namespace clipwright
