#include "tools/packet_listing.h"

#include <gtest/gtest.h>

#include <string>

namespace clipwright {
namespace {

TEST(PacketListing, TakesTheKeyPacketsAndPassesOverLinesItCannotRead) {
  // FFmpeg 5 marks disposable packets 0x10, FFmpeg 4 prints "F=0x0"; a key packet may carry other
  // flags and side data. The fifth line was broken into by another writer's text.
  const std::vector<KeyPacket> keys = ScanKeyPackets(
      "#tb 0: 1/12800\r\n"
      "0,      -1024,          0,      512,     5446, 0x1d162c99\r\n"
      "0,       -512,       2048,      512,      581, 0xe25100b6, F=0x0\r\n"
      "0,          0,       1024,      512,       18, 0x2d400739, F=0x10\r\n"
      "0,      11776,      12[mp4 @ 0x5] warning, a, b, c, d\n"
      "0,      12288,      13312,      512,     4364, 0x4c5b9967, F=0x5, S=1,        8\n");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_DOUBLE_EQ(keys[0].decode_time, -0.08);
  EXPECT_EQ(keys[0].presentation_time, 0.0);
  EXPECT_DOUBLE_EQ(keys[1].decode_time, 0.96);
  EXPECT_DOUBLE_EQ(*keys[1].presentation_time, 1.04);
  // A raw stream or an AVI has no presentation times; a listing without a time base, no times.
  const auto raw = ScanKeyPackets("#tb 0: 1/25\n0,          5, -9223372036854775808,        1,     5446, 0x1d\n");
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_DOUBLE_EQ(raw[0].decode_time, 0.2);
  EXPECT_FALSE(raw[0].presentation_time);
  EXPECT_TRUE(ScanKeyPackets("0,          0,          0,      512,     5446, 0x1d162c99\n").empty());
}

}  // namespace
}  // namespace clipwright
