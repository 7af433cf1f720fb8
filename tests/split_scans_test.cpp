// The split page's scans with this build's real FFmpeg: a video's frames, keyframes, decode times
// and pictures, an audio file's frames, and what a failed or aborted scan leaves.
#include "analysis/split_scans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/split_range.h"
#include "common/control_ids.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/media.h"
#include "support/split_page.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FakeSplitPage;
using testing::TempDir;

struct VideoCase {
  const char* name;
  const char* file;
  const char* codec;
  int video_kind;
  bool b_frames;
};

class SplitKeyframeScanTest : public ::testing::TestWithParam<VideoCase> {};

// Two seconds at 25 fps, a keyframe every ten frames; 160x120 pictures scale to 276x207.
TEST_P(SplitKeyframeScanTest, StoresFramesKeyframesDecodeTimesAndOnePicturePerKeyframe) {
  const VideoCase& c = GetParam();
  TempDir media;
  TempDir temp;
  const std::string user_picture = temp.Write("mine.bmp", "BM");
  const std::string beside_program = platform::ProgramFolder() + "split-scan-" + c.name + ".bmp";
  platform::WriteWholeFile(beside_program, "BM");
  const std::string clip = media.File(c.file);
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, true, std::string(c.codec) + " -g 10 -keyint_min 10 -sc_threshold 0 -c:a aac"));
  FakeSplitPage split;
  {
    testing::TempFolderOverride own_temp(temp);
    ASSERT_EQ(split.Open(clip), 1);
  }
  const SplitPageState& state = split.split;
  EXPECT_EQ(state.video_kind, c.video_kind);
  EXPECT_EQ(state.last_frame_index, 50u);
  ASSERT_EQ(state.frame_times.size(), 51u);
  // The times count from the start of the file, which the audio's priming may put a little earlier.
  EXPECT_NEAR(state.frame_times[50] - state.frame_times[0], 2.0, 1e-6);
  EXPECT_EQ(state.keyframe_frames, (std::vector<std::uint32_t>{0, 10, 20, 30, 40, 50}));
  ASSERT_EQ(state.keyframe_decode_times.size(), 6u);
  for (std::uint32_t k = 0; k < 5; ++k) {
    const double shown = state.frame_times[state.keyframe_frames[k]];
    // With B-frames a keyframe is decoded before it is shown.
    const double decoded_before = shown - state.keyframe_decode_times[k];
    EXPECT_TRUE(c.b_frames ? decoded_before > 0.01 : std::abs(decoded_before) < 1e-6) << k << ": " << decoded_before;
    const Picture* picture = state.pictures.Of(k);
    ASSERT_NE(picture, nullptr) << k;
    EXPECT_EQ(picture->width, 276);
    EXPECT_EQ(picture->height, 207);
    EXPECT_EQ(picture->rows.size(), PictureRowBytes(276) * 207);
  }
  EXPECT_EQ(state.pictures.Of(5), nullptr);  // the end marker
  EXPECT_EQ(split.page().TrackRange(IDC_SPLIT_END_TRACK), std::make_pair(0, 5));
  EXPECT_EQ(split.page().Text(IDC_SPLIT_PLAY_TIME), FrameTimeText(state.frame_times[50]));
  // The scan's own folder is gone; nothing else was touched.
  EXPECT_EQ(platform::ListFolder(temp.path()).size(), 1u);
  EXPECT_TRUE(platform::PathExists(user_picture));
  EXPECT_TRUE(platform::PathExists(beside_program));
  platform::DeleteFileForced(beside_program);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, SplitKeyframeScanTest,
    ::testing::Values(VideoCase{"Mp4WithBFrames", "clip.mp4", "-c:v libx264 -bf 2", 1, true},
                      VideoCase{"MkvWithoutBFrames", "clip.mkv", "-c:v libx264 -bf 0", 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitKeyframeScan, AnAbortedScanEmptiesThePageAndLeavesNoFolder) {
  TempDir media;
  TempDir temp;
  const std::string clip = media.File("clip.mkv");
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, false, "-c:v libx264"));
  FakeSplitPage split;
  split.job.abort = 1;
  testing::TempFolderOverride own_temp(temp);
  split.job.paths = {clip};
  EXPECT_EQ(ScanSplitFile(split.job, split.progress, split.page(), split.requests, clip), 0);
  EXPECT_EQ(split.page().Text(IDC_SPLIT_PATH), "");
  EXPECT_EQ(split.page().RowCount(IDC_SPLIT_STREAMS), 0);
  EXPECT_FALSE(split.page().IsEnabled(IDC_SPLIT_RUN));
  EXPECT_TRUE(platform::ListFolder(temp.path()).empty());
}

TEST(SplitAudioFrameScan, AnMp3IsCutIntoFramesOf1152Samples) {
  TempDir media;
  const std::string mp3 = media.File("tone.mp3");
  ASSERT_TRUE(testing::MakeClip(mp3, 2, false, true, "-c:a libmp3lame"));
  FakeSplitPage split;
  ASSERT_EQ(split.Open(mp3), 1);
  const SplitPageState& state = split.split;
  EXPECT_EQ(state.video_kind, 0);
  EXPECT_EQ(state.keyframe_count, 0u);
  EXPECT_NEAR(state.last_frame_index, 2 * 44100 / 1152, 3);
  for (std::size_t i = 2; i < state.frame_times.size(); ++i) {
    EXPECT_NEAR(state.frame_times[i] - state.frame_times[i - 1], 1152 / 44100.0, 1e-6) << i;
  }
  EXPECT_EQ(split.page().TrackRange(IDC_SPLIT_END_TRACK), std::make_pair(0, static_cast<int>(state.last_frame_index)));
}

}  // namespace
}  // namespace clipwright
