#include "tools/packet_listing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace clipwright {
namespace {

struct ListingCase {
  const char* name;
  std::string listing;
  std::vector<KeyPacket> keys;
};

void PrintTo(const ListingCase& c, std::ostream* os) { *os << c.name; }

class PacketListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(PacketListingTest, FindsTheKeyPacketsAndTheirTimes) {
  const std::vector<KeyPacket> keys = ScanKeyPackets(GetParam().listing);
  ASSERT_EQ(keys.size(), GetParam().keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_DOUBLE_EQ(keys[i].decode_time, GetParam().keys[i].decode_time) << i;
    EXPECT_EQ(keys[i].presentation_time, GetParam().keys[i].presentation_time) << i;
  }
}

constexpr const char* kHeader = "#software: Lavf58.20.100\n#tb 0: 1/12800\n#media_type 0: video\n";

INSTANTIATE_TEST_SUITE_P(
    Listings, PacketListingTest,
    ::testing::Values(
        // FFmpeg 5 marks disposable packets with 0x10; FFmpeg 4 prints only "F=0x0".
        ListingCase{"KeysAmongOthers",
                    std::string(kHeader) +
                        "0,      -1024,          0,      512,     5446, 0x1d162c99\n"
                        "0,       -512,       2048,      512,      581, 0xe25100b6, F=0x0\n"
                        "0,          0,       1024,      512,       18, 0x2d400739, F=0x10\n"
                        "0,      11776,      12800,      512,     4364, 0x4c5b9967, S=1,        8\n"
                        "0,      12288,      13312,      512,      120, 0x4c5b9968, F=0x5\n",
                    {{-0.08, 0.0}, {0.92, 1.0}, {0.96, 1.04}}},
        ListingCase{"WindowsLineEnds", "#tb 0: 1/1000\r\n0,       -40,          0,       40,      544, 0x11\r\n", {{-0.04, 0.0}}},
        // A raw stream or an AVI has no presentation times.
        ListingCase{"NoPresentationTimes", "#tb 0: 1/25\n0,          0, -9223372036854775808,        1,     5446, 0x1d\n",
                    {{0.0, std::nullopt}}},
        // Another writer's text broke into the line: it is passed over, not misread.
        ListingCase{"BrokenLine",
                    std::string(kHeader) + "0,      11776,      12[mp4 @ 0x5] warning, a, b, c, d\n"
                                           "0,      12800,      13824,      512,      214, 0x39ef6b31\n",
                    {{1.0, 1.08}}},
        ListingCase{"NoTimeBase", "0,          0,          0,      512,     5446, 0x1d162c99\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
