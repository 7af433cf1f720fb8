#include "tools/packet_listing.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "analysis/packet_frames.h"

namespace clipwright {
namespace {

TEST(PacketListing, ReadsEveryPacketAndPassesOverLinesItCannotRead) {
  // FFmpeg 5 marks disposable packets 0x10, FFmpeg 4 prints "F=0x0"; an edit list's leading
  // packets are flagged 0x4 (a key one 0x5) and may carry side data. The fifth line was broken
  // into by another writer's text.
  const PacketListing listing = ScanPacketListing(
      "#tb 0: 1/12800\r\n"
      "0,      -1024,          0,      512,     5446, 0x1d162c99\r\n"
      "0,       -512,       2048,      512,      581, 0xe25100b6, F=0x0\r\n"
      "0,          0,       1024,      512,       18, 0x2d400739, F=0x10\r\n"
      "0,      11776,      12[mp4 @ 0x5] warning, a, b, c, d\n"
      "0,      12288,      13312,      512,     4364, 0x4c5b9967, F=0x5, S=1,        8\n"
      "0,      12800, -9223372036854775808,  512,  18, 0x2d400739, F=0x4\n");
  ASSERT_EQ(listing.packets.size(), 5u);
  EXPECT_EQ(listing.time_base, 1 / 12800.0);
  const StreamPacket& edit = listing.packets[3];
  EXPECT_TRUE(edit.key && edit.discard && edit.has_pts && edit.pts == 13312 && edit.dts == 12288);
  EXPECT_TRUE(!listing.packets[1].key && !listing.packets[1].discard && !listing.packets[4].has_pts);

  const std::vector<KeyPacket> keys = KeyPacketsOf(listing);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_DOUBLE_EQ(keys[0].decode_time, -0.08);
  EXPECT_EQ(keys[0].presentation_time, 0.0);
  EXPECT_DOUBLE_EQ(*keys[1].presentation_time, 1.04);
  // A listing without a time base has no times.
  EXPECT_TRUE(ScanPacketListing("0,          0,          0,      512,     5446, 0x1d162c99\n").packets.empty());
}

struct FramesCase {
  const char* name;
  std::string packets;  // "dts pts flags" per packet, in decode order
  PacketFrames verdict;
  std::vector<double> frame_times = {};             // with the end entry
  std::vector<std::uint32_t> keyframe_frames = {};  // with the end marker
  std::vector<double> decode_times = {};            // with the end
};

void PrintTo(const FramesCase& c, std::ostream* os) { *os << c.name; }

class PacketFramesTest : public ::testing::TestWithParam<FramesCase> {};

// Cases a clip made at test time does not reliably show; the clips themselves are held to the
// decoding scan in keyframe_scan_test.
TEST_P(PacketFramesTest, FramesAreTheShownPacketsFromTheFirstKeyframe) {
  const FramesCase& c = GetParam();
  std::string listing = "#tb 0: 1/4\n";
  std::istringstream packets(c.packets);
  for (std::string dts, pts, flags; packets >> dts >> pts >> flags;) {
    listing += "0, " + dts + ", " + pts + ", 1, 100, 0x00000000, F=0x" + flags + "\n";
  }
  SplitPageState split;
  ASSERT_EQ(FramesFromPackets(ScanPacketListing(listing), split), c.verdict);
  if (c.verdict != PacketFrames::kStored) return;
  EXPECT_EQ(split.frame_times, c.frame_times);
  EXPECT_EQ(split.keyframe_frames, c.keyframe_frames);
  EXPECT_EQ(split.keyframe_decode_times, c.decode_times);
  EXPECT_EQ(split.last_frame_index + 1, c.frame_times.size());
  EXPECT_EQ(split.keyframe_count + 1, c.keyframe_frames.size());
}

const char* const kNoPts = "-9223372036854775808";

INSTANTIATE_TEST_SUITE_P(
    Listings, PacketFramesTest,
    ::testing::Values(
        // A B-frame shown before the P-frame decoded ahead of it.
        FramesCase{"BFrames", "-1 0 1  0 2 0  1 1 0  2 3 1  3 4 0", PacketFrames::kStored,
                   {0, 0.25, 0.5, 0.75, 1, 1.25}, {0, 3, 5}, {-0.25, 0.5, 1.25}},
        // Packets a decoder cannot start with, and an open GOP's frames shown before its keyframe.
        FramesCase{"LeadingPackets", "0 2 0  1 1 0  2 5 1  3 3 0  4 4 0  5 6 0", PacketFrames::kStored,
                   {1.25, 1.5, 1.75}, {0, 2}, {0.5, 1.75}},
        // An edit list: the first keyframe and a frame are decoded but not shown; the list begins
        // at the keyframe after them.
        FramesCase{"EditList", "-3 -2 5  -2 -1 4  -1 0 0  0 1 0  1 2 1  2 3 0", PacketFrames::kStored,
                   {0.5, 0.75, 1}, {0, 2}, {0.25, 1}},
        FramesCase{"AFrameWithoutPresentationTime", std::string("0 0 1  1 ") + kNoPts + " 0  2 2 0",
                   PacketFrames::kUnusable},
        FramesCase{"NoKeyframe", "0 0 0  1 1 0", PacketFrames::kUnusable},
        FramesCase{"OneFrame", "0 0 1", PacketFrames::kUnusable}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
