#include "tools/packet_listing.h"

#include <gtest/gtest.h>

#include <string>


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

}  // namespace
}  // namespace clipwright
