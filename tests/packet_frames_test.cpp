#include "analysis/packet_frames.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace clipwright {
namespace {

struct FramesCase {
  const char* name;
  std::string listing;  // packets of stream 0 at 1/10 s
  PacketFrames result;
  std::vector<std::uint32_t> keyframe_frames;  // with the end marker
  std::vector<std::int64_t> keyframe_packets;  // with the packet count; empty: not told
};

void PrintTo(const FramesCase& c, std::ostream* os) { *os << c.name; }

class FramesFromPacketsTest : public ::testing::TestWithParam<FramesCase> {};

TEST_P(FramesFromPacketsTest, TellsTheFramesAndWhereEachKeyframesPacketStands) {
  const FramesCase& c = GetParam();
  SplitPageState split;
  ASSERT_EQ(FramesFromPackets(ScanPacketListing("#tb 0: 1/10\n" + c.listing), split), c.result);
  if (c.result != PacketFrames::kStored) return;
  EXPECT_EQ(split.keyframe_frames, c.keyframe_frames);
  EXPECT_EQ(split.keyframe_packets, c.keyframe_packets);
}

// "dts, pts" of a packet line; key unless `flags` say otherwise.
std::string Packet(int dts, int pts, const char* flags = "") {
  return "0, " + std::to_string(dts) + ", " + std::to_string(pts) + ", 1, 9, 0x1" + flags + "\n";
}
constexpr const char* kNotKey = ", F=0x0";

INSTANTIATE_TEST_SUITE_P(
    Listings, FramesFromPacketsTest,
    ::testing::Values(
        // I P B B | I P B B, decoded before they are shown.
        FramesCase{"BFrames",
                   Packet(-1, 0) + Packet(0, 3, kNotKey) + Packet(1, 1, kNotKey) + Packet(2, 2, kNotKey) +
                       Packet(3, 4) + Packet(4, 7, kNotKey) + Packet(5, 5, kNotKey) + Packet(6, 6, kNotKey),
                   PacketFrames::kStored, {0, 4, 8}, {0, 4, 8}},
        // A packet before the first keyframe is counted where it stands.
        FramesCase{"LeadingPacket", Packet(0, 0, kNotKey) + Packet(1, 1) + Packet(2, 2, kNotKey) + Packet(3, 3),
                   PacketFrames::kStored, {0, 2, 3}, {1, 3, 4}},
        // Timestamps that jump back: the second keyframe is shown first.
        FramesCase{"TimesJumpBack", Packet(10, 10) + Packet(11, 11, kNotKey) + Packet(0, 0) + Packet(1, 1, kNotKey),
                   PacketFrames::kStored, {0, 2, 4}, {}},
        FramesCase{"NoKeyframe", Packet(0, 0, kNotKey) + Packet(1, 1, kNotKey), PacketFrames::kUnusable, {}, {}},
        FramesCase{"OneFrame", Packet(0, 0), PacketFrames::kUnusable, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
