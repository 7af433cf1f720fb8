// The keyframe scan from the packet listing held to the scan that decodes the whole video, on a
// corpus made at test time with this build's FFmpeg: the same frames, keyframes, times, decode
// times and packet places, and byte for byte the same picture of every keyframe. And what is
// left when a picture's making is given up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "analysis/split_scans.h"
#include "platform/files.h"
#include "platform/temp_folder.h"
#include "support/media.h"
#include "support/picture_watch.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "support/temp_folder_override.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::RecordingObserver;
using testing::TempDir;

enum class Derive {
  kNone,
  kEditList,  // a stream copy from 1.3 s, between keyframes: an MP4 edit list starts there
  kCut,       // the clip's bytes from 40 % on: a transport stream that starts between keyframes
};

struct CorpusCase {
  const char* name;
  const char* file;
  const char* video_args;
  bool audio;
  Derive derive = Derive::kNone;
  bool decoded = false;  // the listing cannot tell the frames (packets without times): decoded
};

void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.name; }

bool MakeCorpusClip(const CorpusCase& c, const TempDir& media, const std::string& clip) {
  const std::string made = c.derive == Derive::kNone ? clip : media.File(std::string("source.") + (c.derive == Derive::kCut ? "ts" : "mp4"));
  const std::string audio = c.audio ? " -c:a aac" : " -an";
  if (!testing::MakeClip(made, 3, true, c.audio, std::string(c.video_args) + " -pix_fmt yuv420p" + audio)) return false;
  if (c.derive == Derive::kEditList) {
    return testing::RunCommand(testing::FfmpegCommand() + " -hide_banner -nostdin -y -ss 1.3 -i " +
                               testing::Quoted(made) + " -c copy " + testing::Quoted(clip))
        .has_value();
  }
  if (c.derive == Derive::kCut) {
    std::string bytes;
    constexpr std::size_t kTsPacket = 188;
    if (!platform::ReadWholeFile(made, &bytes)) return false;
    return platform::WriteWholeFile(clip, bytes.substr(bytes.size() / kTsPacket * 2 / 5 * kTsPacket));
  }
  return true;
}

void ExpectSameTimes(const std::vector<double>& listed, const std::vector<double>& decoded, const char* what) {
  ASSERT_EQ(listed.size(), decoded.size()) << what;
  for (std::size_t i = 0; i < listed.size(); ++i) EXPECT_NEAR(listed[i], decoded[i], 1e-6) << what << " " << i;
}

class ListedKeyframesTest : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(ListedKeyframesTest, TheListingTellsWhatDecodingTellsAndThePicturesAreTheSame) {
  const CorpusCase& c = GetParam();
  TempDir media;
  const std::string clip = media.File(c.file);
  ASSERT_TRUE(MakeCorpusClip(c, media, clip));
  SplitPageState fast, slow;
  testing::PictureWatch fast_pictures(fast.pictures), slow_pictures(slow.pictures);
  RecordingObserver listed, decoded;
  std::atomic<int> abort{0};
  ASSERT_EQ(ScanKeyframes(test_config::kFfmpeg, clip, fast, listed, abort), 1);
  ASSERT_EQ(ScanKeyframesByDecoding(test_config::kFfmpeg, clip, slow, decoded, abort), 1);
  // The decoding scan reads the frames of FFmpeg's log; the listing needs no log.
  EXPECT_EQ(listed.Reached(Stage::kReadingVideoFrames), c.decoded);

  EXPECT_EQ(fast.last_frame_index, slow.last_frame_index);
  EXPECT_EQ(fast.keyframe_frames, slow.keyframe_frames);
  ExpectSameTimes(fast.frame_times, slow.frame_times, "frame");
  ExpectSameTimes(fast.keyframe_decode_times, slow.keyframe_decode_times, "decode");
  EXPECT_EQ(fast.keyframe_packets, slow.keyframe_packets);
  ASSERT_EQ(fast.keyframe_packets.size(), fast.keyframe_count + 1u);
  ASSERT_GE(fast.keyframe_count, c.derive == Derive::kNone ? 2u : 1u);
  for (std::uint32_t k = 0; k < fast.keyframe_count; ++k) {
    const auto made = fast_pictures.Show(k);
    const auto written = slow_pictures.Show(k);
    ASSERT_TRUE(made && written) << k;
    EXPECT_EQ(made->width, written->width) << k;
    EXPECT_EQ(made->height, written->height) << k;
    EXPECT_TRUE(made->rows == written->rows) << k;
  }
}

constexpr const char* kX264 = "-c:v libx264 -bf 0 -g 25 -keyint_min 25 -sc_threshold 0";
constexpr const char* kX264BFrames = "-c:v libx264 -bf 3 -g 25 -keyint_min 25 -sc_threshold 0";
constexpr const char* kX265OpenGop =
    "-c:v libx265 -x265-params keyint=25:min-keyint=25:scenecut=0:open-gop=1:log-level=error";

INSTANTIATE_TEST_SUITE_P(
    Corpus, ListedKeyframesTest,
    ::testing::Values(
        CorpusCase{"H264Mp4", "clip.mp4", kX264, true},
        CorpusCase{"H264BFramesMp4", "clip.mp4", kX264BFrames, true},
        CorpusCase{"H264Mkv", "clip.mkv", kX264, false},
        CorpusCase{"H264BFramesMkv", "clip.mkv", kX264BFrames, true},
        CorpusCase{"Hevc", "clip.mp4",
                   "-c:v libx265 -tag:v hvc1 -x265-params keyint=25:min-keyint=25:scenecut=0:open-gop=0:log-level=error",
                   false},
        CorpusCase{"HevcOpenGop", "clip.mkv", kX265OpenGop, true},
        // MPEG-PS gives a presentation time only to some packets.
        CorpusCase{"Mpeg2Ps", "clip.mpg", "-c:v mpeg2video -bf 2 -g 25 -b:v 500k", false, Derive::kNone, true},
        CorpusCase{"Vp9Webm", "clip.webm", "-c:v libvpx-vp9 -g 25 -keyint_min 25 -deadline realtime -cpu-used 8", false},
        CorpusCase{"VariableFrameRate", "clip.mkv",
                   "-vf \"select=not(mod(n\\,3))+lt(n\\,20)\" -vsync vfr -c:v libx264 -g 25 -keyint_min 25", false},
        CorpusCase{"EditList", "clip.mp4", kX264BFrames, true, Derive::kEditList},
        CorpusCase{"StartsBetweenKeyframes", "clip.ts", kX265OpenGop, false, Derive::kCut}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyframePictures, APictureGivenUpLeavesNoFfmpegAndNoFolder) {
  TempDir temp;
  testing::TempFolderOverride own_temp(temp);
  const std::optional<std::string> folder = platform::MakeTempFolder("clipwright-keyframes-");
  ASSERT_TRUE(folder);
  KeyframePictures pictures;
  int notices = 0;
  pictures.SetReadyNotice([&] { ++notices; });
  // The stand-in creates the picture's file, then neither ends nor answers "q".
  pictures.Open({testing::TestToolPath("stall"), "clip.mp4", {0, 1, 2}}, *folder);
  EXPECT_EQ(pictures.Want(1).state, KeyframePictures::State::kComing);
  const auto making = [&] { return !platform::ListFolder(*folder).empty(); };
  for (int waited = 0; !making() && waited < 10000; waited += 20) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(making());

  const auto start = std::chrono::steady_clock::now();
  pictures.Clear();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(platform::ListFolder(temp.path()).empty());
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(pictures.LastWanted().state, KeyframePictures::State::kNone);
}

}  // namespace
}  // namespace clipwright
