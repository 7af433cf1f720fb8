#include "tools/packet_listing.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/media.h"
#include "support/temp_dir.h"

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

// In a listing of several files, each stream is read by its own number and time base, stream 1's
// lines not being taken for stream 11's or stream 0's.
TEST(PacketListing, ReadsTheStreamAskedFor) {
  const std::string listing =
      "#tb 0: 1/12800\n#tb 1: 1/1000\n#tb 11: 1/90000\n"
      "0,          0,          0,      512,     5446, 0x00000001\n"
      "1,         40,         80,       40,      581, 0x00000002, F=0x0\n"
      "11,         0,          0,     3600,       18, 0x00000003\n"
      "1,         80,         40,       40,      581, 0x00000004\n";
  const PacketListing one = ScanPacketListing(listing, 1);
  EXPECT_EQ(one.time_base, 1 / 1000.0);
  ASSERT_EQ(one.packets.size(), 2u);
  EXPECT_TRUE(!one.packets[0].key && one.packets[0].crc == 2 && one.packets[1].key && one.packets[1].pts == 40);
  EXPECT_EQ(ScanPacketListing(listing, 11).packets.size(), 1u);
  EXPECT_TRUE(ScanPacketListing(listing, 2).packets.empty());
}

// ---- Listings of every stream of a file ----

std::string Listing(const std::string& path) {
  // Only errors on the standard error, which shares the pipe with the listing.
  return testing::RunCommand(testing::FfmpegCommand() + " -hide_banner -nostdin -nostats -v error -i " +
                             testing::Quoted(path) + " -map 0 -c copy -f framecrc -")
      .value_or("");
}

// Two seconds of picture, tone and two subtitles (0.5 s and 0.6 s long); and the same picture
// with a subtitle that comes only after the end, so that its stream has no packet.
TEST(StreamListing, TellsEachStreamsKindPacketsAndPlayTime) {
  testing::TempDir dir;
  const std::string two = dir.Write("two.srt",
                                    "1\r\n00:00:00,500 --> 00:00:01,000\r\nfirst\r\n\r\n"
                                    "2\r\n00:00:01,200 --> 00:00:01,800\r\nsecond\r\n\r\n");
  const std::string late = dir.Write("late.srt", "1\r\n00:00:05,000 --> 00:00:06,000\r\nlate\r\n\r\n");
  const std::string clip = dir.File("clip.mkv");
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, true,
                                "-i " + testing::Quoted(two) + " -map 0 -map 1 -map 2 -c:v libx264 -c:a aac -c:s srt"));
  const std::vector<ListedStream> streams = ScanStreamListing(Listing(clip));
  ASSERT_EQ(streams.size(), 3u);
  EXPECT_EQ(streams[0].kind, StreamKind::kVideo);
  EXPECT_EQ(streams[0].packets, 50);
  EXPECT_TRUE(streams[0].first_is_key);
  EXPECT_NEAR(streams[0].played, 2.0, 1e-9);
  EXPECT_EQ(streams[1].kind, StreamKind::kAudio);
  EXPECT_NEAR(streams[1].played, 2.0, 0.05);
  EXPECT_EQ(streams[2].kind, StreamKind::kSubtitle);
  EXPECT_EQ(streams[2].packets, 2);
  EXPECT_NEAR(streams[2].played, 1.1, 1e-9);

  const std::string silent = dir.File("silent.mkv");
  ASSERT_TRUE(testing::MakeClip(silent, 2, true, false, "-i " + testing::Quoted(late) + " -map 0 -map 1 -t 2 -c:s srt"));
  const std::vector<ListedStream> listed = ScanStreamListing(Listing(silent));
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[1].kind, StreamKind::kSubtitle);
  EXPECT_EQ(listed[1].packets, 0);
  EXPECT_FALSE(listed[1].first_is_key);
}

// AAC in MP4 starts with a packet of encoder priming that the edit list cuts away: the stream
// plays exactly as long as the tone.
TEST(StreamListing, DiscardedPacketsDoNotPlay) {
  testing::TempDir dir;
  const std::string tone = dir.File("tone.m4a");
  ASSERT_TRUE(testing::MakeClip(tone, 2, false, true, "-c:a aac"));
  const std::string listing = Listing(tone);
  ASSERT_NE(listing.find("F=0x5"), std::string::npos) << listing;
  const std::vector<ListedStream> streams = ScanStreamListing(listing);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_TRUE(streams[0].first_is_key) << "the discarded packet is still the first";
  EXPECT_NEAR(streams[0].played, 2.0, 1e-9);
}

struct StreamCase {
  const char* name;
  std::string listing;
  std::vector<StreamKind> kinds;
  std::vector<std::int64_t> packets;
  std::vector<double> played;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class StreamListingTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamListingTest, PassesOverWhatItCannotRead) {
  const StreamCase& c = GetParam();
  const std::vector<ListedStream> streams = ScanStreamListing(c.listing);
  ASSERT_EQ(streams.size(), c.kinds.size());
  for (std::size_t i = 0; i < streams.size(); ++i) {
    EXPECT_EQ(streams[i].kind, c.kinds[i]) << i;
    EXPECT_EQ(streams[i].packets, c.packets[i]) << i;
    EXPECT_NEAR(streams[i].played, c.played[i], 1e-9) << i;
  }
}

const std::string kTwoHeaders = "#tb 0: 1/1000\r\n#media_type 0: video\r\n#tb 1: 1/100\r\n#media_type 1: audio\r\n";
constexpr StreamKind kVideo = StreamKind::kVideo;
constexpr StreamKind kAudio = StreamKind::kAudio;

INSTANTIATE_TEST_SUITE_P(
    Listings, StreamListingTest,
    ::testing::Values(
        StreamCase{"WindowsLineEnds", kTwoHeaders + "0, 0, 0, 40, 9, 0x1\r\n1, 0, 0, 2, 9, 0x2\r\n0, 40, 40, 40, 9, 0x3, F=0x0\r\n",
                   {kVideo, kAudio}, {2, 1}, {0.08, 0.02}},
        // Another writer's text broke into a line; a line cut short at the end.
        StreamCase{"BrokenLines", kTwoHeaders + "0, 0, 0, 40, 9, 0x1\n0, 40, 4[mp4 @ 0x5] warning, a, b, c\n1, 0, 0, 2",
                   {kVideo, kAudio}, {1, 0}, {0.04, 0}},
        StreamCase{"NoHeaderAtAll", "0, 0, 0, 40, 9, 0x1\n", {StreamKind::kUnknown}, {1}, {0}},
        StreamCase{"AStreamNumberPastAnyFile", kTwoHeaders + "4096, 0, 0, 40, 9, 0x1\n#tb 5000: 1/1\n", {kVideo, kAudio},
                   {0, 0}, {0, 0}},
        StreamCase{"AGapInTheNumbers", "#media_type 2: data\n2, 0, 0, 1, 1, 0x1\n",
                   {StreamKind::kUnknown, StreamKind::kUnknown, StreamKind::kData}, {0, 0, 1}, {0, 0, 0}},
        StreamCase{"NegativeDurationsPlayNothing", kTwoHeaders + "1, 0, 0, -5, 9, 0x1\n", {kVideo, kAudio}, {0, 1},
                   {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StreamListing, TheFirstPacketDecidesWhetherTheStreamStartsOnAKeyframe) {
  const auto first_is_key = [](const std::string& packets) {
    return ScanStreamListing("#tb 0: 1/25\n" + packets).at(0).first_is_key;
  };
  EXPECT_TRUE(first_is_key("0, 0, 0, 1, 9, 0x1\n0, 1, 1, 1, 9, 0x2, F=0x0\n"));
  EXPECT_FALSE(first_is_key("0, 0, 0, 1, 9, 0x1, F=0x0\n0, 1, 1, 1, 9, 0x2\n"));
  EXPECT_TRUE(first_is_key("0, 0, 0, 1, 9, 0x1, F=0x5, S=1, 10\n"));
}

}  // namespace
}  // namespace clipwright
