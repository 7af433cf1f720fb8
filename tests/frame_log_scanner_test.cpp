#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "common/limits.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "tools/output_scanner.h"
#include "tools/scan_capture.h"

namespace clipwright {
namespace {

using testing::FfmpegCommand;
using testing::Quoted;
using testing::RecordingObserver;

// The last audio frame number the scan showed; -1 when it showed none.
std::int64_t LastFrameNumber(RecordingObserver& observer) {
  std::int64_t number = -1;
  for (const StageEvent& event : observer.events()) {
    if (event.stage == Stage::kAudioFrameNumber) number = event.number;
  }
  return number;
}

// ---- Keyframe log (mode 2) ----

struct Frame {
  long long n;
  long long pts;
  double t;
  bool key;
};

std::string FrameLine(const Frame& f) {
  char line[180];
  std::snprintf(line, sizeof line,
                "[Parsed_select_0 @ 0x55d0] n:%lld.000000 pts:%lld.000000 t:%.6f key:%d interlace_type:P pict_type:%c "
                "scene:nan -> select:%d.000000 select_out:0\n",
                f.n, f.pts, f.t, f.key ? 1 : 0, f.key ? 'I' : 'P', f.key ? 1 : 0);
  return line;
}

std::string ImageLine(long pts) {
  char line[96];
  std::snprintf(line, sizeof line, "[image2 @ 0x55e0] Opening '/pics/%010ld.bmp' for writing\n", pts);
  return line;
}

constexpr const char* kTimeBase25 = "[graph 0 input from stream 0:0 @ 0x55c0] Setting 'time_base' to value '1/25'\n";

// Frames n = first..last with pts = n and t = n / 25, keyframes every `key_every` frames from
// `first`, each followed by its picture line, as FFmpeg writes them.
std::string KeyframeLog(long first, long last, long key_every, const char* time_base = kTimeBase25) {
  std::string log = "ffmpeg version n\n";
  log += time_base;
  for (long n = first; n <= last; ++n) {
    const bool key = (n - first) % key_every == 0;
    log += FrameLine({n, n, n / 25.0, key});
    if (key) log += ImageLine(n);
  }
  return log;
}

struct KeyframeCase {
  const char* name;
  std::string log;
  int verdict;
  std::uint32_t last_frame_index;
  std::vector<std::uint32_t> keyframe_frames;  // with the end marker
  double end_time;
  bool too_many_frames = false;
};

void PrintTo(const KeyframeCase& c, std::ostream* os) { *os << c.name; }

// Four frames of a stream that has run past 2^32 ticks of 1/90000 (13 hours and more).
std::string LateLog() {
  std::string log = "Setting 'time_base' to value '1/90000'\n";
  for (long long n = 0; n < 4; ++n) {
    const long long pts = (1LL << 32) + n * 3600;
    log += FrameLine({n, pts, pts / 90000.0, n == 0});
  }
  return log;
}

// Frames 0 to 9 at pts n - 3, whose times pass through 0 before the first keyframe, frame 5: an
// HEVC stream that starts between keyframes, whose decoder shows stand-ins until the keyframe.
std::string LeadingFramesLog() {
  std::string log = kTimeBase25;
  for (long long n = 0; n < 10; ++n) log += FrameLine({n, n - 3, (n - 3) / 25.0, n == 5});
  return log;
}

class KeyframeScanTest : public ::testing::TestWithParam<KeyframeCase> {};

TEST_P(KeyframeScanTest, ReadsFramesAndKeyframes) {
  const KeyframeCase& c = GetParam();
  AnalysisResult result;
  result.capture = c.log;
  RecordingObserver observer;
  ASSERT_EQ(ScanCapture(result, observer, SCAN_KEYFRAMES, nullptr), c.verdict);
  EXPECT_EQ(result.too_many_frames, c.too_many_frames);
  // FFmpeg has finished: what is left cannot be interrupted.
  EXPECT_EQ(observer.abort_allowed(), std::vector<bool>{false});
  EXPECT_EQ(observer.stages(), std::vector<Stage>{Stage::kReadingVideoFrames});
  if (c.verdict != 1) return;
  EXPECT_EQ(result.last_frame_index, c.last_frame_index);
  ASSERT_EQ(result.frame_times.size(), c.last_frame_index + 1);
  EXPECT_DOUBLE_EQ(result.frame_times.back(), c.end_time);
  EXPECT_EQ(result.keyframe_frames, c.keyframe_frames);
  EXPECT_EQ(result.keyframe_count, c.keyframe_frames.size() - 1);
  EXPECT_EQ(result.keyframe_images.size(), result.keyframe_count);
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Logs, KeyframeScanTest,
    ::testing::Values(
        KeyframeCase{"HundredFrames", KeyframeLog(0, 99, 50), 1, 100, {0, 50, 100}, (2 * 99 - 98) / 25.0},
        KeyframeCase{"WindowsLineEnds", WithCrLf(KeyframeLog(0, 99, 50)), 1, 100, {0, 50, 100}, 4.0},
        // Frames count from the first keyframe, whatever number FFmpeg gave it.
        KeyframeCase{"FirstLineMayHoldAnyValues", KeyframeLog(5, 20, 100), 1, 16, {0, 16}, (2 * 20 - 19) / 25.0},
        KeyframeCase{"FramesBeforeTheFirstKeyframeAreNotCountedNorTheirTimesThroughZero", LeadingFramesLog(), 1, 5,
                     {0, 5}, 7 / 25.0},
        KeyframeCase{"CountingStartsAgain", KeyframeLog(0, 30, 10) + FrameLine({0, 31, 1.24, true}), 0, 0, {}, 0},
        // Keyframe 30 would point past the frames of a list that ended at 21.
        KeyframeCase{"FrameNumberGoesDown", KeyframeLog(0, 30, 10) + FrameLine({20, 31, 1.24, false}), 0, 0, {}, 0},
        KeyframeCase{"PtsPast32Bits", LateLog(), 1, 4, {0, 4}, ((1LL << 32) + 4 * 3600) / 90000.0},
        // A garbled log: the end and the distance of the numbers pass 63 bits.
        KeyframeCase{"PtsNear64Bits",
                     std::string(kTimeBase25) + FrameLine({0, 1LL << 62, 1, true}) +
                         FrameLine({1, (1LL << 62) + (1LL << 61), 2, false}),
                     1, 2, {0, 2}, 0x1p63 / 25},
        KeyframeCase{"FrameNumbersFurtherApartThan63Bits",
                     std::string(kTimeBase25) + FrameLine({-INT64_MAX, 0, 0, true}) +
                         FrameLine({INT64_MAX, 2, 2, false}),
                     0, 0, {}, 0, true},
        KeyframeCase{"MoreFramesThanThePageHolds",
                     std::string(kTimeBase25) + FrameLine({0, 0, 0, true}) + FrameLine({1000000, 2, 2, false}), 0,
                     0, {}, 0, true},
        KeyframeCase{"LaterPtsZero", KeyframeLog(0, 30, 10) + FrameLine({31, 0, 1.24, false}), 0, 0, {}, 0},
        KeyframeCase{"LaterTimeZero", KeyframeLog(0, 30, 10) + FrameLine({31, 31, 0, false}), 0, 0, {}, 0},
        KeyframeCase{"NoTimeBase", KeyframeLog(0, 30, 10, ""), 0, 0, {}, 0},
        KeyframeCase{"ZeroDenominator", KeyframeLog(0, 30, 10, "Setting 'time_base' to value '1/0'\n"), 0, 0, {}, 0},
        KeyframeCase{"TimeBaseCutShort", KeyframeLog(0, 30, 10, "Setting 'time_base' to value '1/25\n"), 1, 31,
                     {0, 10, 20, 30, 31}, 31 / 25.0},
        KeyframeCase{"SingleFrame", KeyframeLog(0, 0, 1), 0, 0, {}, 0},
        KeyframeCase{"NoFrames", std::string(kTimeBase25) + "nothing decoded\n", 0, 0, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyframeScan, TakesEachKeyframesPictureAndSurvivesMixedLines) {
  std::string log = kTimeBase25;
  log += FrameLine({0, 0, 0, true});
  log += ImageLine(0);
  // The decoder's own debug text can run into a select line; the fields are still found.
  log += "[Parsed_select_0 @ 0x55d0] n:1.000000 pts:1.000000 t:0.040000 key:0nal_unit_type: 1(Coded slice)\n";
  log += FrameLine({2, 2, 0.08, true});  // its picture line is missing
  log += FrameLine({3, 3, 0.12, true});
  log += ImageLine(3);
  log += FrameLine({4, 4, 0.16, true});
  log += "[image2 @ 0x55e0] Opening '/pics/" + std::string(300, 'p') + ".bmp' for writing\n";
  log += FrameLine({5, 5, 0.20, false});
  AnalysisResult result;
  result.capture = log;
  RecordingObserver observer;
  ASSERT_EQ(ScanCapture(result, observer, SCAN_KEYFRAMES, nullptr), 1);
  EXPECT_EQ(result.last_frame_index, 6u);
  EXPECT_EQ(result.keyframe_frames, (std::vector<std::uint32_t>{0, 2, 3, 4, 6}));
  // A keyframe takes the first picture written after its own line: frame 2 shares frame 3's.
  // Frame 4's path is too long to keep, and a cut one would name another file.
  EXPECT_EQ(result.keyframe_images,
            (std::vector<std::string>{"/pics/0000000000.bmp", "/pics/0000000003.bmp", "/pics/0000000003.bmp", ""}));
  EXPECT_DOUBLE_EQ(result.frame_times[1], 0.04);
  EXPECT_DOUBLE_EQ(result.frame_times[6], 6 / 25.0);
}

// ---- Audio frame log (mode 3) ----

struct AudioCase {
  const char* name;
  std::string output;
  int verdict;
  std::vector<double> frame_times;
};

void PrintTo(const AudioCase& c, std::ostream* os) { *os << c.name; }

class AudioFrameScanTest : public ::testing::TestWithParam<AudioCase> {};

TEST_P(AudioFrameScanTest, ReadsFrameStarts) {
  const AudioCase& c = GetParam();
  AnalysisResult result;
  result.capture = c.output;
  RecordingObserver observer;
  ASSERT_EQ(ScanCapture(result, observer, SCAN_AUDIO_FRAMES, nullptr), c.verdict);
  EXPECT_EQ(observer.stages().front(), Stage::kReadingAudioFrames);
  if (c.verdict != 1) return;
  ASSERT_EQ(result.frame_times.size(), c.frame_times.size());
  EXPECT_EQ(result.last_frame_index, c.frame_times.size() - 1);
  for (std::size_t i = 0; i < c.frame_times.size(); ++i) EXPECT_DOUBLE_EQ(result.frame_times[i], c.frame_times[i]) << i;
  EXPECT_EQ(LastFrameNumber(observer), static_cast<std::int64_t>(c.frame_times.size() - 1));
}

std::string AudioLines(std::initializer_list<long> pts) {
  std::string lines;
  long n = 0;
  for (const long p : pts) {
    lines += "[Parsed_ashowinfo_0 @ 0x5] n:" + std::to_string(n++) + " pts:" + std::to_string(p) +
             " pts_time:0.1 pos:1 fmt:fltp channels:2 rate:48000 nb_samples:1024\n";
  }
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, AudioFrameScanTest,
    ::testing::Values(
        AudioCase{"StreamRate", "  Stream #0:0: Audio: aac (LC), 48000 Hz, stereo\n" + AudioLines({0, 1024, 2048}), 1,
                  {0, 1024 / 48000.0, 2048 / 48000.0}},
        AudioCase{"WindowsLineEnds", WithCrLf("  Stream #0:0: Audio: aac (LC), 48000 Hz, stereo\n" + AudioLines({0, 1024})),
                  1, {0, 1024 / 48000.0}},
        AudioCase{"DefaultRateWithoutHz", "  Stream #0:0: Audio: mp3 (mp3float), mono\n" + AudioLines({0, 1152, 2304}), 1,
                  {0, 1152 / 44100.0, 2304 / 44100.0}},
        AudioCase{"DefaultRateWhenThePieceIsNoRate",
                  "Video: h264 (avc1), yuv420p, 25 fps\nAudio: mp3, 32000 Hz\n" + AudioLines({0, 1152}), 1,
                  {0, 1152 / 44100.0}},
        AudioCase{"FirstFrameStartsAtZero", "), 8000 Hz\n" + AudioLines({47, 1199}), 1, {0, 1199 / 8000.0}},
        AudioCase{"NoFrames", "  Stream #0:0: Audio: mp3, 44100 Hz\nOutput #0, null\n", 0, {}},
        AudioCase{"PtsWithoutPtsTime", "[Parsed_ashowinfo_0 @ 0x5] n:0 pts:0 pos:1\n", 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Real FFmpeg runs ----

// The keyframe command on a clip with a keyframe every ten frames.
TEST(FrameLogScanFfmpeg, KeyframeCommand) {
  testing::TempDir dir;
  const std::string clip = dir.File("clip.mp4");
  ASSERT_TRUE(testing::MakeClip(clip, 2, true, false, "-c:v libx264 -preset ultrafast -g 10 -keyint_min 10 -sc_threshold 0"));
  const std::string pictures = dir.File("%10d.bmp");
  const std::string command = FfmpegCommand() + " -loglevel debug -hide_banner -nostats -i " + Quoted(clip) +
                              " -y -an -sn -dn -vsync 0 -vf \"select=key,scale=-1:207\" -sws_flags bilinear"
                              " -frame_pts true " + Quoted(pictures);
  AnalysisResult result;
  RecordingObserver observer;
  std::atomic<int> abort{0};
  ASSERT_EQ(ScanOutput(result, observer, abort, command, SCAN_KEYFRAMES, nullptr, 0), VERDICT_SUCCESS);
  EXPECT_EQ(result.last_frame_index, 50u);
  EXPECT_EQ(result.keyframe_frames, (std::vector<std::uint32_t>{0, 10, 20, 30, 40, 50}));
  ASSERT_EQ(result.frame_times.size(), 51u);
  for (const std::uint32_t n : {0u, 1u, 25u, 49u, 50u}) EXPECT_NEAR(result.frame_times[n], n / 25.0, 1e-6) << n;
  ASSERT_EQ(result.keyframe_images.size(), 5u);
  for (const std::string& image : result.keyframe_images) {
    const platform::PathParts parts = platform::SplitPath(image);
    EXPECT_EQ(parts.drive + parts.directory, dir.path()) << image;
    EXPECT_EQ(parts.name.size(), 10u) << image;  // the pts, zero-padded
    EXPECT_EQ(parts.extension, ".bmp");
    EXPECT_TRUE(platform::PathExists(image)) << image;
  }
}

TEST(FrameLogScanFfmpeg, AudioFrameCommandOnAnMp3) {
  testing::TempDir dir;
  const std::string mp3 = dir.File("tone.mp3");
  ASSERT_TRUE(testing::MakeClip(mp3, 2, false, true, "-c:a libmp3lame -b:a 128k"));
  const std::string command =
      FfmpegCommand() + " -i " + Quoted(mp3) + " -hide_banner -nostats -vn -sn -dn -af ashowinfo -f null -";
  AnalysisResult result;
  RecordingObserver observer;
  std::atomic<int> abort{0};
  ASSERT_EQ(ScanOutput(result, observer, abort, command, SCAN_AUDIO_FRAMES, nullptr, 0), VERDICT_SUCCESS);
  // 2 s of 1152-sample frames at 44100 Hz, give or take the encoder's padding.
  EXPECT_NEAR(result.last_frame_index, 2 * 44100 / 1152, 3);
  ASSERT_EQ(result.frame_times.size(), result.last_frame_index + 1);
  EXPECT_EQ(result.frame_times[0], 0);
  for (std::size_t i = 2; i < result.frame_times.size(); ++i) {
    EXPECT_NEAR(result.frame_times[i] - result.frame_times[i - 1], 1152 / 44100.0, 1e-6) << i;
  }
  EXPECT_EQ(LastFrameNumber(observer), result.last_frame_index);
}

}  // namespace
}  // namespace clipwright
