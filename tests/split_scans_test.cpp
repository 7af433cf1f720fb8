// The split page's file with this build's real FFmpeg: a video's scan (frames, keyframes, pictures,
// in a folder of the scan's own), and its cuts at keyframes run as the page runs them, each
// holding exactly the frames shown from its keyframe up to the next (compared packet by packet
// with the source), starting with that keyframe, and as many packets as the run's own check
// expects; an audio file's scan and cut; an aborted scan.
#include "analysis/split_scans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/probe.h"
#include "analysis/split_cuts.h"
#include "jobs/job_plans.h"
#include "jobs/run_driver.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/listed_packets.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "support/temp_folder_override.h"
#include "test_config.h"
#include "tools/number_text.h"

namespace clipwright {
namespace {

using testing::FfmpegCommand;
using testing::Quoted;
using testing::RecordingObserver;
using testing::TempDir;

// The piece holds exactly the source's packets shown in [from, to), the first a keyframe.
void ExpectCut(const std::string& piece, const std::vector<testing::ListedPacket>& source, double from, double to) {
  const auto packets = testing::ListVideoPackets(piece);
  ASSERT_FALSE(packets.empty()) << piece;
  EXPECT_TRUE(packets.front().key) << piece;
  std::vector<std::string> held, shown;
  for (const auto& packet : packets) held.push_back(packet.crc);
  for (const auto& packet : source) {
    if (packet.presentation_time > from - 1e-6 && packet.presentation_time < to - 1e-6) shown.push_back(packet.crc);
  }
  std::sort(held.begin(), held.end());
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(held, shown) << piece;
}

// The file as the page's intake leaves it: probed, then scanned.
struct OpenedFile {
  InputFile input;
  SplitPageState split;
};

void Open(const std::string& path, OpenedFile& opened) {
  RecordingObserver observer;
  std::atomic<int> abort{0};
  ProbedFile probed;
  ASSERT_EQ(ProbeFile(test_config::kFfmpeg, path, observer, abort, &probed), VERDICT_SUCCESS);
  opened.input.path = path;
  opened.input.duration = probed.duration;
  for (std::size_t i = 0; i < probed.stream_lines.size(); ++i) {
    opened.input.streams.push_back(StreamChoice{static_cast<int>(i), probed.stream_lines[i], true});
  }
  opened.split.video_kind = probed.video_kind;
  ASSERT_EQ(ScanSplitFile(test_config::kFfmpeg, path, opened.split, observer, abort), SplitScan::kReady);
}

RunSummary RunPlanned(const RunPlan& plan) {
  RunSettings settings;
  settings.ffmpeg = test_config::kFfmpeg;
  RecordingObserver observer;
  std::atomic<int> abort{0};
  return RunFiles(plan, settings, observer, abort);
}

std::string SixDigits(std::uint32_t value) { return FixedText(value, 0, 6); }

enum class Maker {
  kFfmpeg,      // FFmpeg encodes the test picture and a tone
  kX264,        // the x264 command-line encoder writes the video into Matroska
  // FFmpeg, the tone starting half a second before the picture: Matroska has no times below 0,
  // so both streams move half a second later and the video starts at 0.5 s.
  kAudioAhead,
};

struct ClipCase {
  const char* name;
  const char* file;
  Maker maker;
  const char* video_args;
  int rate;       // frames per second
  int seconds;
  int key_every;  // frames
};

void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.name; }

// Makes the clip into `path` (intermediate files into `work`); false with a reason when it cannot.
::testing::AssertionResult MakeSplitClip(const ClipCase& c, const TempDir& work, const std::string& path) {
  const std::string picture = " -f lavfi -i testsrc=size=160x120:rate=" + std::to_string(c.rate) +
                              ":duration=" + std::to_string(c.seconds);
  const std::string keys = " -g " + std::to_string(c.key_every) + " -keyint_min " + std::to_string(c.key_every) +
                           " -sc_threshold 0";
  std::string command = FfmpegCommand() + " -hide_banner -nostdin -y";
  if (c.maker == Maker::kX264) {
    const std::optional<std::string> version = testing::RunCommand("\"x264\" --version");
    if (!version || version->find("x264") == std::string::npos) {
      return ::testing::AssertionFailure() << "x264 is not installed";
    }
    const std::string y4m = work.File("source.y4m");
    testing::RunCommand(command + picture + " -pix_fmt yuv420p " + Quoted(y4m));
    const std::string key = std::to_string(c.key_every);
    testing::RunCommand("\"x264\" --quiet --bframes 3 --b-pyramid normal --keyint " + key + " --min-keyint " + key +
                        " --scenecut 0 -o " + Quoted(path) + " " + Quoted(y4m));
  } else {
    const std::string tone = c.maker == Maker::kAudioAhead ? " -itsoffset -0.5 -f lavfi -i sine=duration=" +
                                                                 std::to_string(c.seconds + 1)
                                                           : " -f lavfi -i sine=duration=" + std::to_string(c.seconds);
    testing::RunCommand(command + picture + tone + " " + c.video_args + keys + " -c:a aac " + Quoted(path));
  }
  const auto size = platform::FileSize(path);
  if (!size || *size == 0) return ::testing::AssertionFailure() << "no clip was made";
  return ::testing::AssertionSuccess();
}

class SplitClipTest : public ::testing::TestWithParam<ClipCase> {};

// 160x120 pictures are 276x207.
TEST_P(SplitClipTest, TheScanFindsEveryKeyframeAndEachCutHoldsItsFrames) {
  const ClipCase& c = GetParam();
  TempDir media, work, temp;
  const std::string clip = media.File(c.file);
  if (const auto made = MakeSplitClip(c, work, clip); !made) {
    if (c.maker == Maker::kX264) GTEST_SKIP() << made.message();
    FAIL() << made.message();
  }
  const std::string user_picture = temp.Write("mine.bmp", "BM");
  OpenedFile opened;
  {
    testing::TempFolderOverride own_temp(temp);
    Open(clip, opened);
  }
  // The scan added its own folder, which the pictures keep, and touched nothing else.
  EXPECT_EQ(temp.Names().size(), 2u);
  EXPECT_TRUE(platform::PathExists(user_picture));

  const SplitPageState& state = opened.split;
  const platform::PathParts parts = platform::SplitPath(clip);
  EXPECT_EQ(state.video_kind, parts.extension == ".mp4" ? 1 : 2);
  const std::uint32_t pieces = static_cast<std::uint32_t>(c.seconds * c.rate / c.key_every);
  std::vector<std::uint32_t> keyframes;
  for (std::uint32_t k = 0; k <= pieces; ++k) keyframes.push_back(k * static_cast<std::uint32_t>(c.key_every));
  ASSERT_EQ(state.keyframe_frames, keyframes);
  // The times are the file's own: a clip whose audio starts first shows its first frame later.
  const auto shown = [&](std::uint32_t k) { return state.frame_times[state.keyframe_frames[k]]; };
  EXPECT_NEAR(shown(pieces) - shown(0), c.seconds, 0.03);
  EXPECT_NEAR(shown(0), c.maker == Maker::kAudioAhead ? 0.5 : 0, 0.03);
  // x264's B-pyramid: the first packet decodes two frames before it is shown.
  if (c.maker == Maker::kX264) {
    EXPECT_NEAR(state.keyframe_decode_times[0], -2.0 / c.rate, 0.001);
  }
  // Opening made the first keyframe's picture.
  const auto picture = state.pictures.Of(0);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->rows.size(), PictureRowBytes(276) * 207) << picture->width << "x" << picture->height;

  const auto source = testing::ListVideoPackets(clip);
  KeyframeSplitRequest every{opened.input, parts.extension.substr(1), {}};
  for (std::uint32_t k = 0; k < pieces; ++k) {
    every.pieces.push_back(KeyframePiece{keyframes[k], keyframes[k + 1], KeyframeCut(state, k, k + 1)});
  }
  const RunSummary split_every = RunPlanned(PlanKeyframeSplit(every, {}));
  EXPECT_EQ(split_every.successes, static_cast<int>(pieces));
  EXPECT_EQ(split_every.failures, 0);
  std::vector<std::string> made{parts.name + parts.extension};
  for (std::uint32_t k = 0; k < pieces; ++k) {
    const std::string piece = parts.name + "_[" + SixDigits(k) + "]_" + SixDigits(keyframes[k]) + "-" +
                              SixDigits(keyframes[k + 1]) + parts.extension;
    made.push_back(piece);
    ExpectCut(media.File(piece), source, shown(k), shown(k + 1));
    // What the run's own check holds the piece to: a wrong count would throw good pieces away.
    EXPECT_EQ(every.pieces[k].cut.video_packets,
              static_cast<std::int64_t>(testing::ListVideoPackets(media.File(piece)).size()))
        << piece;
  }

  // The single split of the second keyframe's range, named by the times shown.
  opened.split.start_key = 1;
  opened.split.end_key = 2;
  opened.split.start_frame = keyframes[1];
  opened.split.end_frame = keyframes[2];
  const std::optional<SplitCut> cut = SplitRangeCut(opened.split);
  ASSERT_TRUE(cut);
  const RunSummary one = RunPlanned(PlanSplit(SplitRequest{opened.input, parts.extension.substr(1), *cut}, {}));
  EXPECT_EQ(one.successes, 1);
  const std::string range = parts.name + "_" + FixedText(shown(1), 3, 9) + "-" + FixedText(shown(2), 3, 9) + "_1" +
                            parts.extension;
  made.push_back(range);
  ExpectCut(media.File(range), source, shown(1), shown(2));
  // Nothing of the runs' own is left beside the pieces.
  std::sort(made.begin(), made.end());
  EXPECT_EQ(media.Names(), made);

  // The folder goes with the video.
  ClearSplitFrames(opened.split);
  EXPECT_EQ(temp.Names(), std::vector<std::string>{"mine.bmp"});
}

constexpr const char* kHevc =
    "-c:v libx265 -tag:v hvc1 -x265-params keyint=25:min-keyint=25:scenecut=0:open-gop=0:log-level=error";

INSTANTIATE_TEST_SUITE_P(
    Clips, SplitClipTest,
    ::testing::Values(ClipCase{"H264NoBFramesMp4", "clip.mp4", Maker::kFfmpeg, "-c:v libx264 -bf 0", 25, 3, 25},
                      ClipCase{"H264NoBFramesMkv", "clip.mkv", Maker::kFfmpeg, "-c:v libx264 -bf 0", 25, 3, 25},
                      ClipCase{"H264OneBFrameMp4", "clip.mp4", Maker::kFfmpeg, "-c:v libx264 -bf 1", 25, 3, 25},
                      ClipCase{"H264OneBFrameMkv", "clip.mkv", Maker::kFfmpeg, "-c:v libx264 -bf 1", 25, 3, 25},
                      ClipCase{"H264ThreeBFramesMp4", "clip.mp4", Maker::kFfmpeg, "-c:v libx264 -bf 3", 25, 3, 25},
                      ClipCase{"H264ThreeBFramesMkv", "clip.mkv", Maker::kFfmpeg, "-c:v libx264 -bf 3", 25, 3, 25},
                      ClipCase{"HevcMp4", "clip.mp4", Maker::kFfmpeg, kHevc, 25, 3, 25},
                      // Its first packet decodes before 0 (at -2/30 s): a seek there gave an empty piece.
                      ClipCase{"X264PyramidMkv", "clip.mkv", Maker::kX264, "", 30, 8, 60},
                      ClipCase{"H264PyramidMp4", "clip.mp4", Maker::kFfmpeg, "-c:v libx264 -bf 3 -b-pyramid normal", 30,
                               8, 60},
                      ClipCase{"AudioAheadMkv", "clip.mkv", Maker::kAudioAhead, "-c:v libx264 -bf 3", 25, 3, 25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitScan, AnAbortedScanLeavesNoFrameDataAndNoFolder) {
  TempDir media, temp;
  const std::string clip = media.File("clip.mkv");
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, false, "-c:v libx264"));
  SplitPageState split;
  split.video_kind = 2;
  RecordingObserver observer;
  std::atomic<int> abort{1};
  testing::TempFolderOverride own_temp(temp);
  EXPECT_EQ(ScanSplitFile(test_config::kFfmpeg, clip, split, observer, abort), SplitScan::kFailedVideo);
  EXPECT_TRUE(split.frame_times.empty());
  EXPECT_FALSE(HasSplitRange(split));
  EXPECT_TRUE(temp.Names().empty());
}

// An MP3's range moves by frames of 1152 samples; its cut plays as long as the range.
TEST(SplitScan, AnMp3IsCutIntoFramesOf1152Samples) {
  TempDir media;
  const std::string mp3 = media.File("tone.mp3");
  ASSERT_TRUE(testing::MakeClip(mp3, 2, false, true, "-c:a libmp3lame"));
  OpenedFile opened;
  Open(mp3, opened);
  const SplitPageState& state = opened.split;
  EXPECT_EQ(state.video_kind, 0);
  EXPECT_NEAR(state.last_frame_index, 2 * 44100 / 1152, 3);
  for (std::size_t i = 2; i < state.frame_times.size(); ++i) {
    EXPECT_NEAR(state.frame_times[i] - state.frame_times[i - 1], 1152 / 44100.0, 1e-6) << i;
  }

  opened.split.start_frame = 10;
  opened.split.end_frame = 50;
  const std::optional<SplitCut> cut = SplitRangeCut(opened.split);
  ASSERT_TRUE(cut);
  EXPECT_EQ(RunPlanned(PlanSplit(SplitRequest{opened.input, "mp3", *cut}, {})).successes, 1);
  const std::string piece = media.File("tone_" + FixedText(state.frame_times[10], 3, 9) + "-" +
                                       FixedText(state.frame_times[50], 3, 9) + "_1.mp3");
  EXPECT_NEAR(testing::PlayTime(piece), 40 * 1152 / 44100.0, 2 * 1152 / 44100.0);
}

}  // namespace
}  // namespace clipwright
