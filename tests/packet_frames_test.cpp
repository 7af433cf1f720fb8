#include "analysis/packet_frames.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace clipwright {
namespace {

struct FramesCase {
  const char* name;
  std::string listing;                         // packets of stream 0 at 1/10 s
  std::vector<std::uint32_t> keyframe_frames;  // with the end marker
  std::vector<std::int64_t> keyframe_packets;  // with the packet count; empty: not told
};

void PrintTo(const FramesCase& c, std::ostream* os) { *os << c.name; }

class FramesFromPacketsTest : public ::testing::TestWithParam<FramesCase> {};

TEST_P(FramesFromPacketsTest, TellsWhereEachKeyframesPacketStands) {
  const FramesCase& c = GetParam();
  SplitPageState split;
  ASSERT_EQ(FramesFromPackets(ScanPacketListing("#tb 0: 1/10\n" + c.listing), split), PacketFrames::kStored);
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
        // A packet before the first keyframe is counted where it stands.
        FramesCase{"LeadingPacket", Packet(0, 0, kNotKey) + Packet(1, 1) + Packet(2, 2, kNotKey) + Packet(3, 3),
                   {0, 2, 3}, {1, 3, 4}},
        // Timestamps that jump back: the second keyframe is shown first, and no run of packets
        // lies between the two.
        FramesCase{"TimesJumpBack", Packet(10, 10) + Packet(11, 11, kNotKey) + Packet(0, 0) + Packet(1, 1, kNotKey),
                   {0, 2, 4}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
