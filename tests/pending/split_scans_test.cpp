// The split page with this build's real FFmpeg: a video's scan (frames, keyframes, pictures, in a
// folder of the scan's own), and its cuts at keyframes, each holding exactly the frames shown
// from its keyframe up to the next (compared packet by packet with the source) and starting with
// that keyframe, with and without B-frames; an audio file's scan; an aborted scan.
#include "analysis/split_scans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/split_range.h"
#include "ui/control_ids.h"
#include "jobs/job_worker.h"
#include "jobs/keyframe_split_worker.h"
#include "tools/number_text.h"
#include "jobs/split_job.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/media.h"
#include "support/split_page.h"

namespace clipwright {
namespace {

using testing::FakeSplitPage;
using testing::TempDir;

struct ClipCase {
  const char* name;
  const char* file;
  const char* video_args;
};

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

class SplitClipTest : public ::testing::TestWithParam<ClipCase> {};

// Three seconds at 25 fps with a keyframe every second, and a tone; 160x120 pictures are 276x207.
TEST_P(SplitClipTest, TheScanFindsEveryKeyframeAndEachCutHoldsItsFrames) {
  const ClipCase& c = GetParam();
  TempDir media, temp;
  const std::string clip = media.File(c.file);
  ASSERT_TRUE(testing::MakeClip(clip, 3, true, true,
                                std::string(c.video_args) + " -g 25 -keyint_min 25 -sc_threshold 0 -c:a aac"));
  const std::string user_picture = temp.Write("mine.bmp", "BM");
  const std::string beside_program = platform::ProgramFolder() + "split-" + c.name + ".bmp";
  platform::WriteWholeFile(beside_program, "BM");
  FakeSplitPage split;
  const platform::PathParts parts = platform::SplitPath(clip);
  split.page().AddCombo(IDC_SPLIT_CONTAINER, {parts.extension.substr(1)}, 0);
  {
    testing::TempFolderOverride own_temp(temp);
    ASSERT_EQ(split.Open(clip), 1);
  }
  // The scan added its own folder, which the pictures keep, and touched nothing else.
  EXPECT_EQ(platform::ListFolder(temp.path()).size(), 2u);
  EXPECT_TRUE(platform::PathExists(user_picture));
  EXPECT_TRUE(platform::DeleteFileForced(beside_program));

  const SplitPageState& state = split.split;
  EXPECT_EQ(state.video_kind, parts.extension == ".mp4" ? 1 : 2);
  ASSERT_EQ(state.keyframe_frames, (std::vector<std::uint32_t>{0, 25, 50, 75}));
  // The times are the file's own: FFmpeg 4's Matroska muxer moves all frames but the first 23 ms
  // later to make room for the audio's priming.
  const auto shown = [&](std::uint32_t k) { return state.frame_times[state.keyframe_frames[k]]; };
  EXPECT_NEAR(shown(3) - shown(0), 3.0, 0.03);
  EXPECT_EQ(split.page().Text(IDC_SPLIT_PLAY_TIME), FrameTimeText(shown(3)));
  // Opening made the first keyframe's picture, and the page shows it.
  const auto picture = state.pictures.Of(0);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->rows.size(), PictureRowBytes(276) * 207) << picture->width << "x" << picture->height;
  EXPECT_EQ(split.page().ShownPicture(IDC_SPLIT_PICTURE), picture.get());

  const auto source = testing::ListVideoPackets(clip);
  JobContext every;
  every.program_folder = media.path();
  split.page().SetChecked(IDC_SPLIT_AT_KEYFRAMES, true);
  ASSERT_TRUE(PrepareSplitJob(split.split, split.page(), every));
  testing::FakeDialog progress;
  KeyframeSplitWorker(every, progress, split.page(), split.requests);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_STATUS), "作成結果\r\n成功： 3 ファイル\r\n失敗： 0 ファイル");
  const char* const pieces[] = {"_[000000]_000000-000025", "_[000001]_000025-000050", "_[000002]_000050-000075"};
  for (std::uint32_t k = 0; k < 3; ++k) {
    ExpectCut(media.File(parts.name + pieces[k] + parts.extension), source, shown(k), shown(k + 1));
  }

  // The single split of the second second, named by the times shown.
  split.page().SetChecked(IDC_SPLIT_AT_KEYFRAMES, false);
  split.page().SetTrackPosition(IDC_SPLIT_START_TRACK, 1);
  MoveSplitStart(split.split, split.page());
  split.page().SetTrackPosition(IDC_SPLIT_END_TRACK, 2);
  MoveSplitEnd(split.split, split.page());
  JobContext one;
  one.program_folder = media.path();
  ASSERT_TRUE(PrepareSplitJob(split.split, split.page(), one));
  JobWorker(one, progress, split.page(), split.requests);
  ExpectCut(media.File(parts.name + "_" + FixedText(shown(1), 3, 9) + "-" + FixedText(shown(2), 3, 9) + "_1" +
                       parts.extension),
            source, shown(1), shown(2));
  // The folder goes with the video.
  split.split.pictures.Clear();
  EXPECT_EQ(platform::ListFolder(temp.path()).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, SplitClipTest,
    ::testing::Values(ClipCase{"H264NoBFramesMp4", "clip.mp4", "-c:v libx264 -bf 0"},
                      ClipCase{"H264NoBFramesMkv", "clip.mkv", "-c:v libx264 -bf 0"},
                      ClipCase{"H264OneBFrameMp4", "clip.mp4", "-c:v libx264 -bf 1"},
                      ClipCase{"H264OneBFrameMkv", "clip.mkv", "-c:v libx264 -bf 1"},
                      ClipCase{"H264ThreeBFramesMp4", "clip.mp4", "-c:v libx264 -bf 3"},
                      ClipCase{"H264ThreeBFramesMkv", "clip.mkv", "-c:v libx264 -bf 3"},
                      ClipCase{"HevcMp4", "clip.mp4",
                               "-c:v libx265 -tag:v hvc1 -x265-params "
                               "keyint=25:min-keyint=25:scenecut=0:open-gop=0:log-level=error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitScan, AnAbortedScanEmptiesThePageAndLeavesNoFolder) {
  TempDir media, temp;
  const std::string clip = media.File("clip.mkv");
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, false, "-c:v libx264"));
  FakeSplitPage split;
  split.job.abort = 1;
  testing::TempFolderOverride own_temp(temp);
  split.split.video_kind = 2;
  EXPECT_EQ(ScanSplitFile(split.job, split.progress, split.page(), split.requests, clip), 0);
  EXPECT_EQ(split.page().Text(IDC_SPLIT_PATH), "");
  EXPECT_FALSE(split.page().IsEnabled(IDC_SPLIT_RUN));
  EXPECT_TRUE(platform::ListFolder(temp.path()).empty());
}

TEST(SplitScan, AnMp3IsCutIntoFramesOf1152Samples) {
  TempDir media;
  const std::string mp3 = media.File("tone.mp3");
  ASSERT_TRUE(testing::MakeClip(mp3, 2, false, true, "-c:a libmp3lame"));
  FakeSplitPage split;
  ASSERT_EQ(split.Open(mp3), 1);
  const SplitPageState& state = split.split;
  EXPECT_EQ(state.video_kind, 0);
  EXPECT_NEAR(state.last_frame_index, 2 * 44100 / 1152, 3);
  for (std::size_t i = 2; i < state.frame_times.size(); ++i) {
    EXPECT_NEAR(state.frame_times[i] - state.frame_times[i - 1], 1152 / 44100.0, 1e-6) << i;
  }
}

}  // namespace
}  // namespace clipwright
