// Whole runs of every kind of FFmpeg job with this build's real FFmpeg on clips made for the
// test: the outputs exist under their final names, hold the streams asked for and decode, and
// nothing of the run is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "jobs/job_plans.h"
#include "jobs/run_driver.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "support/job_runs.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::Decodes;
using testing::PlayTime;
using testing::StreamKinds;
using Names = std::vector<std::string>;

const char* const kVideoAudio = "-c:v libx264 -preset ultrafast -g 25 -c:a aac -shortest";

std::string Bytes(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

class JobRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.ffmpeg = test_config::kFfmpeg;
    settings.log_folder = logs.path();
    hooks.power_off = [this] { return ++power_offs > 0; };
  }

  std::string Clip(const std::string& name, double seconds, bool video, bool audio, const std::string& args) {
    const std::string path = media.File(name);
    EXPECT_TRUE(testing::MakeClip(path, seconds, video, audio, args)) << name;
    return path;
  }

  RunSummary Run(const RunPlan& plan, RunObserver* watching = nullptr) {
    return RunFiles(plan, settings, watching != nullptr ? *watching : observer, abort, hooks);
  }

  testing::TempDir media;
  testing::TempDir logs;
  RunSettings settings;
  RunHooks hooks;
  testing::RecordingObserver observer;
  std::atomic<int> abort{0};
  int power_offs = 0;
};

void ExpectCounts(const RunSummary& summary, int successes, int failures) {
  EXPECT_EQ(summary.successes, successes);
  EXPECT_EQ(summary.failures, failures);
  EXPECT_TRUE(summary.left_behind.empty());
}

TEST_F(JobRunTest, SplitCutsTheRangeAndNamesIt) {
  const std::string clip = Clip("clip.mp4", 3, true, true, kVideoAudio);
  const SplitRequest request{testing::Probed(clip), "mp4", testing::CutOf(clip, 1, 2)};
  ExpectCounts(Run(PlanSplit(request, settings)), 1, 0);
  const std::string piece = media.File("clip_00001.000-00002.000_1.mp4");
  EXPECT_EQ(StreamKinds(piece), (Names{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(piece), 1, 0.5);
  EXPECT_TRUE(Decodes(piece));

  // Again on a temp copy: the same range now takes the next counter, and the copy is gone.
  settings.temp_copies = true;
  ExpectCounts(Run(PlanSplit(request, settings)), 1, 0);
  EXPECT_EQ(media.Names(), (Names{"clip.mp4", "clip_00001.000-00002.000_1.mp4", "clip_2.mp4"}));
  EXPECT_EQ(StreamKinds(media.File("clip_2.mp4")), (Names{"Video", "Audio"}));
}

TEST_F(JobRunTest, ConcatenateJoinsFilesWithJapaneseNamesAndQuotes) {
  const std::string first = Clip("夏の動画.mp4", 1, true, true, kVideoAudio);
  const std::string second = Clip("Don't Stop.mp4", 1, true, true, kVideoAudio);
  const ConcatenateRequest request{{first, second}, testing::Probed(first).streams, "mp4"};
  settings.temp_copies = true;
  ExpectCounts(Run(PlanConcatenate(request, settings)), 1, 0);
  const std::string joined = media.File("Don't Stop_1.mp4");
  EXPECT_EQ(StreamKinds(joined), (Names{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(joined), 2, 0.3);
  EXPECT_TRUE(Decodes(joined));

  settings.temp_copies = false;
  ExpectCounts(Run(PlanConcatenate(request, settings)), 1, 0);
  EXPECT_NEAR(PlayTime(media.File("Don't Stop_2.mp4")), 2, 0.3);
  EXPECT_EQ(media.Names(), (Names{"Don't Stop.mp4", "Don't Stop_1.mp4", "Don't Stop_2.mp4", "夏の動画.mp4"}));
}

TEST_F(JobRunTest, MultiplexJoinsTheChosenStreamsOfTwoFiles) {
  MultiplexRequest request{testing::Probed(Clip("video.mp4", 1, true, false, "-c:v libx264 -preset ultrafast")),
                           testing::Probed(Clip("sound.m4a", 1, false, true, "-c:a aac")), "mkv"};
  ExpectCounts(Run(PlanMultiplex(request, settings)), 1, 0);
  EXPECT_EQ(StreamKinds(media.File("sound_1.mkv")), (Names{"Video", "Audio"}));
  EXPECT_TRUE(Decodes(media.File("sound_1.mkv")));

  // Only the second file: it is input 0 of the command. On temp copies, which go afterwards.
  request.first.streams[0].chosen = false;
  settings.temp_copies = true;
  ExpectCounts(Run(PlanMultiplex(request, settings)), 1, 0);
  EXPECT_EQ(StreamKinds(media.File("sound_2.mkv")), Names{"Audio"});
  EXPECT_EQ(media.Names(), (Names{"sound.m4a", "sound_1.mkv", "sound_2.mkv", "video.mp4"}));
}

TEST_F(JobRunTest, SeparateTakesTheAudioOfEveryFile) {
  SeparateRequest request{{testing::Probed(Clip("one.mkv", 1, true, true, kVideoAudio)),
                           testing::Probed(Clip("two.mkv", 1, true, true, kVideoAudio))},
                          true,
                          "aac"};
  for (InputFile& file : request.files) file.streams[1].chosen = false;
  ExpectCounts(Run(PlanSeparate(request, settings)), 2, 0);
  for (const char* name : {"one_1.aac", "two_1.aac"}) {
    EXPECT_EQ(StreamKinds(media.File(name)), Names{"Audio"}) << name;
    EXPECT_TRUE(Decodes(media.File(name))) << name;
  }
}

// FFmpeg's tag of an MP3 written with -map_metadata -1 and the bitexact flags is exactly 20
// bytes; with the tag removal the output keeps its audio and loses exactly that tag.
TEST_F(JobRunTest, ConvertToMp3RemovesFfmpegsTwentyByteTag) {
  ConvertRequest request{{testing::Probed(Clip("tone.wav", 1, false, true, ""))}, {}, "mp3"};
  request.choices.audio_codec = "libmp3lame";
  settings.options[16] = "-map_metadata -1";
  settings.options[17] = "-fflags +bitexact -flags:v +bitexact -flags:a +bitexact";
  settings.command_log = true;
  settings.power_off = true;
  ExpectCounts(Run(PlanConvert(request, settings)), 1, 0);
  const std::string tagged = Bytes(media.File("tone_1.mp3"));
  EXPECT_EQ(TagHeaderLength(tagged), 20u);

  settings.strip_tags = true;
  ExpectCounts(Run(PlanConvert(request, settings)), 1, 0);
  EXPECT_EQ(Bytes(media.File("tone_2.mp3")), tagged.substr(20));
  EXPECT_TRUE(Decodes(media.File("tone_2.mp3")));
  EXPECT_EQ(power_offs, 2);

  const std::string command = testing::FfmpegCommand() + " -i " + testing::Quoted(media.File("tone.wav")) +
                              " -map 0:0 -c:a libmp3lame -map_metadata -1 -fflags +bitexact -flags:v +bitexact"
                              " -flags:a +bitexact -y ";
  EXPECT_EQ(Bytes(logs.File("log.txt")), "\xEF\xBB\xBF" + command + testing::Quoted(media.File("tone_1.mp3")) + "\r\n" +
                                              command + testing::Quoted(media.File("tone_2.mp3")) + "\r\n");
}

TEST_F(JobRunTest, ConvertWithSpeedAndAFileThatIsNoMedia) {
  ConvertRequest request{{testing::Probed(Clip("movie.mkv", 2, true, true, kVideoAudio)),
                          InputFile{media.Write("notes.txt", "not a movie"), {{0, "Stream #0:0: Video: h264"}}, 0}},
                         {},
                         "mp4"};
  request.choices.video_codec = "libx264";
  request.choices.preset = "ultrafast";
  request.choices.audio_codec = "aac";
  request.choices.speed = "2";
  settings.temp_copies = true;
  ExpectCounts(Run(PlanConvert(request, settings)), 1, 1);
  EXPECT_EQ(observer.outcomes(), (std::vector<FileOutcome>{FileOutcome::kSucceeded, FileOutcome::kFailed}));
  EXPECT_EQ(StreamKinds(media.File("movie_1.mp4")), (Names{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(media.File("movie_1.mp4")), 1, 0.3);
  EXPECT_TRUE(Decodes(media.File("movie_1.mp4")));
  EXPECT_EQ(media.Names(), (Names{"movie.mkv", "movie_1.mp4", "notes.txt"}));
}

// A split at every keyframe into a folder that holds the pieces of an earlier split: a piece
// that passes takes the place of its earlier file; one that fails its check, one that is aborted
// and one never started leave theirs as they were.
TEST_F(JobRunTest, KeyframeSplitReplacesOnlyThePiecesThatPassed) {
  const std::string clip = Clip("clip.mp4", 4, true, true, kVideoAudio);
  std::vector<std::uint32_t> frames;
  KeyframeSplitRequest request{testing::Probed(clip), "mkv", {}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    request.pieces.push_back(KeyframePiece{0, 0, testing::CutOf(clip, i, i + 1, &frames)});
    request.pieces.back().first_frame = frames.at(i);
    request.pieces.back().next_frame = frames.at(i + 1);
  }
  ASSERT_EQ(frames, (std::vector<std::uint32_t>{0, 25, 50, 75, 100}));
  const Names pieces = {"clip_[000000]_000000-000025.mkv", "clip_[000001]_000025-000050.mkv",
                        "clip_[000002]_000050-000075.mkv", "clip_[000003]_000075-000100.mkv"};
  for (const std::string& piece : pieces) media.Write(piece, "an earlier split's piece");
  // The check counts one packet more than the piece can hold.
  *request.pieces[1].cut.video_packets += 1;
  testing::AbortAt aborting(abort, Stage::kRunningPiece, 3);
  const RunSummary summary = Run(PlanKeyframeSplit(request, settings), &aborting);
  ExpectCounts(summary, 1, 3);
  EXPECT_EQ(aborting.outcomes(),
            (std::vector<FileOutcome>{FileOutcome::kSucceeded, FileOutcome::kRefused, FileOutcome::kAborted}));
  Names names = pieces;
  names.insert(names.begin(), "clip.mp4");
  EXPECT_EQ(media.Names(), names);
  EXPECT_TRUE(Decodes(media.File(pieces[0])));
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(Bytes(media.File(pieces[i])), "an earlier split's piece") << pieces[i];
}

// The user presses 中断 at a stage of a run: while the temp copies are made, or as FFmpeg runs.
// Files finished before stand; nothing else of the run is left (no temp copy, no concat list, no
// unfinished output), the rest count as failed, and the shut-down does not follow.
struct AbortCase {
  const char* name;
  const char* kind;  // "convert", "concatenate" or "split", on temp copies
  Stage pressed_at;
  int occurrence;
  int successes;
  int failures;
  Names made = {};
};

void PrintTo(const AbortCase& c, std::ostream* os) { *os << c.name; }

class AbortRunTest : public JobRunTest, public ::testing::WithParamInterface<AbortCase> {};

TEST_P(AbortRunTest, LeavesNothingOfTheRunBehind) {
  const AbortCase& c = GetParam();
  settings.temp_copies = true;
  settings.power_off = true;
  const std::string kind = c.kind;
  RunPlan plan;
  if (kind == "convert") {
    ConvertRequest request{{}, {}, "mkv"};
    for (const char* name : {"a.mkv", "b.mkv", "c.mkv"}) request.files.push_back(testing::Probed(Clip(name, 1, true, true, kVideoAudio)));
    plan = PlanConvert(request, settings);
  } else if (kind == "concatenate") {
    const std::string a = Clip("a.mp4", 1, true, true, kVideoAudio);
    plan = PlanConcatenate(ConcatenateRequest{{a, Clip("b.mp4", 1, true, true, kVideoAudio)}, testing::Probed(a).streams, "mp4"}, settings);
  } else {
    const std::string clip = Clip("s.mp4", 1, true, true, kVideoAudio);
    plan = PlanSplit(SplitRequest{testing::Probed(clip), "mp4", testing::CutOf(clip, 0, 1)}, settings);
  }
  const Names inputs = media.Names();
  testing::AbortAt aborting(abort, c.pressed_at, c.occurrence);
  ExpectCounts(Run(plan, &aborting), c.successes, c.failures);
  EXPECT_EQ(aborting.outcomes().back(), FileOutcome::kAborted);
  EXPECT_EQ(power_offs, 0);
  Names expected = inputs;
  expected.insert(expected.end(), c.made.begin(), c.made.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(media.Names(), expected);
  for (const std::string& output : c.made) EXPECT_TRUE(Decodes(media.File(output))) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Stages, AbortRunTest,
    ::testing::Values(AbortCase{"ConvertWhileCopying", "convert", Stage::kMakingTempCopies, 1, 0, 3},
                      AbortCase{"ConcatenateWhileCopying", "concatenate", Stage::kMakingTempCopies, 1, 0, 1},
                      AbortCase{"ConvertWhileTheSecondFileRuns", "convert", Stage::kRunning, 2, 1, 2, {"a_1.mkv"}},
                      AbortCase{"ConcatenateWhileFfmpegRuns", "concatenate", Stage::kRunning, 1, 0, 1},
                      AbortCase{"SplitWhileFfmpegRuns", "split", Stage::kRunning, 1, 0, 1}),
    [](const ::testing::TestParamInfo<AbortCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
