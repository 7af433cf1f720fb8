#include "analysis/split_cuts.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace clipwright {
namespace {

// A video of 10 frames at 1/10 s, shown from 0.1 s, keyframes at frames 0, 4 and 8, whose packets
// decode 0.2 s before they are shown (B-frames) and stand at places 1, 5 and 9 of the listing (one
// packet before the first keyframe), of 11 packets.
void FillVideo(SplitPageState& split, bool decode_times, bool packet_places) {
  split.video_kind = 2;
  split.last_frame_index = 10;
  for (int i = 0; i <= 10; ++i) split.frame_times.push_back(0.1 + i / 10.0);
  split.keyframe_count = 3;
  split.keyframe_frames = {0, 4, 8, 10};
  if (decode_times) split.keyframe_decode_times = {-0.1, 0.3, 0.7, 1.1};
  if (packet_places) split.keyframe_packets = {1, 5, 9, 11};
}

struct CutCase {
  const char* name;
  bool decode_times;
  bool packet_places;
  std::uint32_t a, b;
  bool seek;
  double seek_time, length;
  std::optional<std::int64_t> video_packets;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class KeyframeCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(KeyframeCutTest, ReadsFromTheKeyframesPacketForItsPackets) {
  const CutCase& c = GetParam();
  SplitPageState split;
  FillVideo(split, c.decode_times, c.packet_places);
  const SplitCut cut = KeyframeCut(split, c.a, c.b);
  EXPECT_DOUBLE_EQ(cut.start_time, split.frame_times[split.keyframe_frames[c.a]]);
  EXPECT_EQ(cut.seek, c.seek);
  EXPECT_NEAR(cut.seek_time, c.seek_time, 1e-9);
  EXPECT_NEAR(cut.length, c.length, 1e-9);
  EXPECT_EQ(cut.video_packets, c.video_packets);
  EXPECT_FALSE(cut.audio_length);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, KeyframeCutTest,
    ::testing::Values(
        // The first keyframe is read from the start of the file, with what comes before it: a
        // seek to its decode time, before 0, would land after it.
        CutCase{"FirstKeyframe", true, true, 0, 1, false, 0, 0.3, 5},
        CutCase{"LaterKeyframeSeeksToItsDecodeTime", true, true, 1, 2, true, 0.3, 0.4, 4},
        CutCase{"WithoutDecodeTimesTheShownOnes", false, true, 1, 3, true, 0.5, 0.6, 6},
        CutCase{"WithoutPlacesNoCount", true, false, 1, 2, true, 0.3, 0.4, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// An MP3 as FFmpeg decodes it: a first frame of 47 samples, then frames of 1152.
TEST(SplitRangeCut, AnAudioCutIsHeldToItsLengthGiveOrTakeAWholeFrame) {
  SplitPageState split;
  split.frame_times = {0, 47 / 44100.0};
  for (int i = 1; i < 40; ++i) split.frame_times.push_back((47 + i * 1152) / 44100.0);
  split.last_frame_index = static_cast<std::uint32_t>(split.frame_times.size() - 1);
  EXPECT_FALSE(SplitRangeCut(split)) << "no range yet";

  split.end_frame = 30;
  std::optional<SplitCut> cut = SplitRangeCut(split);
  ASSERT_TRUE(cut);
  EXPECT_FALSE(cut->seek) << "the file's start needs no seek";
  EXPECT_DOUBLE_EQ(*cut->audio_length, split.frame_times[30]);
  EXPECT_NEAR(cut->audio_frame, 1152 / 44100.0, 1e-9);

  split.start_frame = 10;
  cut = SplitRangeCut(split);
  ASSERT_TRUE(cut);
  EXPECT_TRUE(cut->seek);
  EXPECT_DOUBLE_EQ(cut->seek_time, split.frame_times[10]);
  EXPECT_NEAR(*cut->audio_length, 20 * 1152 / 44100.0, 1e-9);
  EXPECT_FALSE(cut->video_packets);
}

}  // namespace
}  // namespace clipwright
