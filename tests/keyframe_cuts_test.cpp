// Cuts at keyframes with this build's real FFmpeg, on clips with and without B-frames: every
// piece of the split at every keyframe, and one range of the single split, holds exactly the
// frames shown from its keyframe up to the next (compared packet by packet with the source) and
// starts with its keyframe.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/split_range.h"
#include "common/control_ids.h"
#include "jobs/job_worker.h"
#include "jobs/keyframe_split_worker.h"
#include "jobs/number_text.h"
#include "jobs/split_job.h"
#include "platform/paths.h"
#include "support/media.h"
#include "support/split_page.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::ListedPacket;

struct ClipCase {
  const char* name;
  const char* file;
  const char* video_args;
};

// The data of the source's packets shown in [from, to): what a cut between two keyframes there
// must hold.
std::vector<std::string> CrcsShownBetween(const std::vector<ListedPacket>& packets, double from, double to) {
  std::vector<std::string> crcs;
  for (const ListedPacket& packet : packets) {
    if (packet.presentation_time > from - 1e-6 && packet.presentation_time < to - 1e-6) crcs.push_back(packet.crc);
  }
  std::sort(crcs.begin(), crcs.end());
  return crcs;
}

// The piece holds exactly those packets, its first one a keyframe.
void ExpectCut(const std::string& piece, const std::vector<ListedPacket>& source, double from, double to) {
  const std::vector<ListedPacket> packets = testing::ListVideoPackets(piece);
  ASSERT_FALSE(packets.empty()) << piece;
  EXPECT_TRUE(packets.front().key) << piece;
  std::vector<std::string> crcs;
  for (const ListedPacket& packet : packets) crcs.push_back(packet.crc);
  std::sort(crcs.begin(), crcs.end());
  EXPECT_EQ(crcs, CrcsShownBetween(source, from, to)) << piece;
}

class KeyframeCutTest : public ::testing::TestWithParam<ClipCase> {};

// Three seconds at 25 fps with a keyframe every second, and a tone.
TEST_P(KeyframeCutTest, EachPieceHoldsTheFramesFromItsKeyframeToTheNext) {
  const ClipCase& c = GetParam();
  testing::TempDir media;
  const std::string clip = media.File(c.file);
  ASSERT_TRUE(testing::MakeClip(clip, 3, true, true, std::string(c.video_args) + " -c:a aac"));
  const std::vector<ListedPacket> source = testing::ListVideoPackets(clip);
  testing::FakeSplitPage split;
  const std::string extension = platform::SplitPath(clip).extension.substr(1);
  split.page().AddCombo(IDC_SPLIT_CONTAINER, {extension}, 0);
  ASSERT_EQ(split.Open(clip), 1);
  const SplitPageState& state = split.split;
  ASSERT_EQ(state.keyframe_frames, (std::vector<std::uint32_t>{0, 25, 50, 75}));
  const auto shown = [&](std::uint32_t k) { return state.frame_times[state.keyframe_frames[k]]; };

  JobContext every;
  every.program_folder = media.path();
  split.page().SetChecked(IDC_SPLIT_AT_KEYFRAMES, true);
  ASSERT_TRUE(PrepareSplitJob(split.split, split.page(), every));
  testing::FakeDialog progress;
  KeyframeSplitWorker(every, progress, split.page(), split.requests);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_STATUS), "作成結果\r\n成功： 3 ファイル\r\n失敗： 0 ファイル");
  const char* const pieces[] = {"_[000000]_000000-000025.", "_[000001]_000025-000050.", "_[000002]_000050-000075."};
  for (std::uint32_t k = 0; k < 3; ++k) {
    ExpectCut(media.File(platform::SplitPath(clip).name + pieces[k] + extension), source, shown(k), shown(k + 1));
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
  testing::FakeDialog single_progress;
  JobWorker(one, single_progress, split.page(), split.requests);
  ExpectCut(media.File(platform::SplitPath(clip).name + "_" + FixedText(shown(1), 3, 9) + "-" +
                       FixedText(shown(2), 3, 9) + "_1." + extension),
            source, shown(1), shown(2));
}

INSTANTIATE_TEST_SUITE_P(
    Clips, KeyframeCutTest,
    ::testing::Values(
        ClipCase{"H264NoBFramesMp4", "clip.mp4", "-c:v libx264 -bf 0 -g 25 -keyint_min 25 -sc_threshold 0"},
        ClipCase{"H264NoBFramesMkv", "clip.mkv", "-c:v libx264 -bf 0 -g 25 -keyint_min 25 -sc_threshold 0"},
        ClipCase{"H264OneBFrameMp4", "clip.mp4", "-c:v libx264 -bf 1 -g 25 -keyint_min 25 -sc_threshold 0"},
        ClipCase{"H264OneBFrameMkv", "clip.mkv", "-c:v libx264 -bf 1 -g 25 -keyint_min 25 -sc_threshold 0"},
        ClipCase{"H264ThreeBFramesMp4", "clip.mp4", "-c:v libx264 -bf 3 -g 25 -keyint_min 25 -sc_threshold 0"},
        ClipCase{"H264ThreeBFramesMkv", "clip.mkv", "-c:v libx264 -bf 3 -g 25 -keyint_min 25 -sc_threshold 0"},
        ClipCase{"HevcMp4", "clip.mp4",
                 "-c:v libx265 -tag:v hvc1 -x265-params keyint=25:min-keyint=25:scenecut=0:open-gop=0:log-level=error"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
