// The convert plan: each chosen stream's encoding arguments behind its "-map", the settings'
// options from entry 2, and the playback-speed filter.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/job_plans.h"

namespace clipwright {
namespace {

const std::string kVideo = "Stream #0:0(und): Video: h264 (High) (avc1 / 0x31637661), yuv420p, 320x240, 25 fps";
const std::string kAudio = "Stream #0:1(und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp";
const std::string kSubtitle = "Stream #0:2(eng): Subtitle: mov_text (tx3g / 0x67337874)";
const std::string kData = "Stream #0:3(eng): Data: none (tmcd / 0x64636D74)";
const std::string kAttachment = "Stream #0:4: Attachment: ttf";
const std::string kMovie = "C:\\media\\movie.mkv";

// The command of one file's convert with the output named "OUT".
std::string ConvertCommand(const std::vector<StreamChoice>& streams, const ConvertChoices& choices,
                           const RunSettings& settings = {}) {
  const RunPlan plan = PlanConvert(ConvertRequest{{InputFile{kMovie, streams, 12}}, choices, "mp4"}, settings);
  return ResolveCommand(plan.files.at(0).steps.at(0).command, CommandNames{"ffmpeg", {kMovie}, {}, "OUT", {}, 0}).Text();
}

ConvertChoices Example() {
  ConvertChoices c;
  c.video_codec = "libx264";
  c.preset = "medium";
  c.video_quality = "-crf 23";
  c.audio_codec = "aac";
  c.audio_quality = "-b:a 128k";
  return c;
}

struct StreamCase {
  const char* name;
  std::vector<StreamChoice> streams;
  ConvertChoices choices;
  std::string expected;  // between the input and the output
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class ConvertStreamsTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(ConvertStreamsTest, Builds) {
  const StreamCase& c = GetParam();
  EXPECT_EQ(ConvertCommand(c.streams, c.choices), "\"ffmpeg\" -i \"" + kMovie + "\"" + c.expected + " -y \"OUT\"");
}

ConvertChoices With(void (*set)(ConvertChoices&)) {
  ConvertChoices c;
  set(c);
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ConvertStreamsTest,
    ::testing::Values(
        StreamCase{"ExampleVideoAndAudio", {{0, kVideo}, {1, kAudio}}, Example(),
                   " -map 0:0 -vcodec libx264 -preset medium -crf 23 -map 0:1 -c:a aac -aac_coder twoloop -b:a 128k"},
        StreamCase{"NothingChosenGivesNothing", {{0, kVideo, false}, {1, kAudio, false}}, Example(), ""},
        StreamCase{"OnlyChosenStreamsAreMapped", {{0, kVideo, false}, {1, kAudio}}, Example(),
                   " -map 0:1 -c:a aac -aac_coder twoloop -b:a 128k"},
        StreamCase{"VideoCopyTakesNoEncoderSettings", {{0, kVideo}},
                   With([](ConvertChoices& c) {
                     c.video_codec = "copy";
                     c.preset = "slow";
                     c.frame_size = "1280x720";
                   }),
                   " -map 0:0 -vcodec copy"},
        StreamCase{"EveryVideoSettingInOrder", {{0, kVideo}},
                   With([](ConvertChoices& c) {
                     c.video_codec = "libx265";
                     c.preset = "fast";
                     c.tune = "grain";
                     c.video_profile = "main";
                     c.level = "4.1";
                     c.video_quality = "-vb 2m";
                     c.frame_rate = "29.97";
                     c.frame_size = "1280x720";
                     c.aspect = "16:9";
                     c.pixel_format = "yuv420p10le";
                   }),
                   " -map 0:0 -vcodec libx265 -preset fast -tune grain -profile:v main -level 4.1 -vb 2m -r 29.97"
                   " -s 1280x720 -sws_flags lanczos -aspect 16:9 -pix_fmt yuv420p10le"},
        StreamCase{"VideoSettingsWithoutACodecGiveNothing", {{0, kVideo}},
                   With([](ConvertChoices& c) {
                     c.preset = "fast";
                     c.frame_size = "640x360";
                   }),
                   " -map 0:0"},
        StreamCase{"AudioCopyStillTakesItsSettings", {{0, kAudio}},
                   With([](ConvertChoices& c) {
                     c.audio_codec = "copy";
                     c.sample_rate = "44100";
                   }),
                   " -map 0:0 -c:a copy -ar 44100"},
        StreamCase{"EveryAudioSettingInOrder", {{0, kAudio}},
                   With([](ConvertChoices& c) {
                     c.audio_codec = "libopus";
                     c.audio_profile = "aac_he";
                     c.audio_quality = "-q:a 2";
                     c.sample_rate = "48000";
                     c.channels = "6";
                     c.cutoff = "22.5k";
                     c.volume = "volume=-5dB";
                   }),
                   " -map 0:0 -c:a libopus -profile:a aac_he -q:a 2 -ar 48000 -ac 6 -cutoff 22.5k -filter:a \"volume=-5dB\""},
        StreamCase{"TwoAudioStreamsEachGetTheirArguments", {{0, kAudio}, {1, kAudio}},
                   With([](ConvertChoices& c) {
                     c.audio_codec = "aac";
                     c.channels = "2";
                   }),
                   " -map 0:0 -c:a aac -aac_coder twoloop -ac 2 -map 0:1 -c:a aac -aac_coder twoloop -ac 2"},
        StreamCase{"OtherKinds", {{0, kSubtitle}, {1, kData}, {2, kAttachment}, {3, "Stream #0:5: Unknown"}},
                   With([](ConvertChoices& c) { c.subtitle_codec = "srt"; }),
                   " -map 0:0 -c:s srt -map 0:1 -c:d copy -map 0:2 -c:t copy -map 0:3"},
        StreamCase{"SubtitleWithoutCodecGetsOnlyItsMap", {{0, kSubtitle}}, ConvertChoices{}, " -map 0:0"},
        StreamCase{"AKindWordTwiceGivesItsArgumentsTwice", {{0, "Stream #0:0: Video: h264, Video"}},
                   With([](ConvertChoices& c) { c.video_codec = "mjpeg"; }), " -map 0:0 -vcodec mjpeg -vcodec mjpeg"},
        StreamCase{"KindWordsAreCaseSensitive", {{0, "Stream #0:0: video: h264"}},
                   With([](ConvertChoices& c) { c.video_codec = "mjpeg"; }), " -map 0:0"}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

// The whole command of the example: streams, speed, then the settings' options from entry 2 on
// ("-y" and "-n" are the run's own) and the run's "-y".
TEST(ConvertPlan, ExampleWithSpeedAndSettings) {
  ConvertChoices choices = Example();
  choices.speed = "1/2";
  RunSettings settings;
  settings.options[0] = "-y";
  settings.options[1] = "-n";
  settings.options[2] = "-threads 4";
  settings.options[10] = "-vf transpose=1";
  settings.options[17] = "-fflags +bitexact";
  EXPECT_EQ(ConvertCommand({{0, kVideo}, {1, kAudio}}, choices, settings),
            "\"ffmpeg\" -i \"" + kMovie +
                "\" -map 0:0 -vcodec libx264 -preset medium -crf 23 -map 0:1 -c:a aac -aac_coder twoloop -b:a 128k"
                " -filter_complex setpts=(PTS-STARTPTS)/0.5;atempo=0.5 -threads 4 -vf transpose=1 -fflags +bitexact"
                " -y \"OUT\"");
}

// What the output must hold: the chosen streams, unless the speed filter's own outputs decide;
// the play time feeds the prediction.
TEST(ConvertPlan, ExpectationAndDuration) {
  ConvertRequest request{{InputFile{kMovie, {{0, kVideo}, {1, kAudio, false}, {2, kSubtitle}}, 12.5},
                          InputFile{"C:\\media\\b.mkv", {{0, kAudio}}, 3}},
                         ConvertChoices{},
                         "mkv"};
  RunPlan plan = PlanConvert(request, RunSettings{});
  ASSERT_EQ(plan.files.size(), 2u);
  EXPECT_EQ(plan.files[0].expected.streams, (std::vector<StreamKind>{StreamKind::kVideo, StreamKind::kSubtitle}));
  EXPECT_FALSE(plan.files[0].expected.cut);
  EXPECT_EQ(plan.files[0].steps.at(0).duration, 12.5);
  EXPECT_EQ(plan.files[1].steps.at(0).duration, 3);
  EXPECT_EQ(plan.files[1].display_name, "C:\\media\\b.mkv");
  request.choices.speed = "2";
  plan = PlanConvert(request, RunSettings{});
  EXPECT_TRUE(plan.files[0].expected.streams.empty());
}

// The speed list written as a number: "1/n" or "n".
struct Speed {
  std::int64_t numerator;
  std::int64_t denominator;
};

Speed ParseSpeed(const std::string& item) {
  const auto slash = item.find('/');
  if (slash == std::string::npos) return {std::stoll(item), 1};
  return {std::stoll(item.substr(0, slash)), std::stoll(item.substr(slash + 1))};
}

// The divisor rule: below 1 the decimal, exact within seven places or else rounded to seven;
// from 2 on the whole number and ".0".
std::string ExpectedDivisor(Speed s) {
  if (s.denominator == 1) return std::to_string(s.numerator) + ".0";
  constexpr std::int64_t kScale = 10000000;
  const std::int64_t scaled = (s.numerator * kScale * 2 + s.denominator) / (s.denominator * 2);  // rounded
  std::string digits = std::to_string(scaled);
  digits.insert(0, 7 - digits.size(), '0');
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  return "0." + digits;
}

// The atempo rule: halvings or doublings while they fit, then one fraction for the rest.
std::string ExpectedChain(Speed s) {
  if (s.numerator == 2 && s.denominator == 1) return "atempo=2.0";
  std::vector<std::string> factors;
  std::int64_t power = 1;
  if (s.denominator > 1) {
    for (; 2 * power <= s.denominator; power *= 2) factors.push_back("atempo=0.5");
    if (power != s.denominator) factors.push_back("atempo=" + std::to_string(power) + "/" + std::to_string(s.denominator));
  } else {
    for (; 2 * power <= s.numerator; power *= 2) factors.push_back("atempo=2");
    if (power != s.numerator) factors.push_back("atempo=" + std::to_string(s.numerator) + "/" + std::to_string(power));
  }
  std::string chain;
  for (const std::string& factor : factors) chain += (chain.empty() ? "" : ",") + factor;
  return chain;
}

// The items of the convert page's speed list.
const std::vector<std::string> kSpeedItems = {"1/128", "1/120", "1/64", "1/60", "1/32", "1/30", "1/24", "1/16",
                                              "1/10",  "1/8",   "1/5",  "1/4",  "1/3",  "1/2",  "2",    "3",
                                              "4",     "5",     "6",    "8",    "10",   "12",   "16",   "20",
                                              "24",    "30",    "32",   "60",   "64",   "120",  "128"};

TEST(SpeedFilter, EveryItemFollowsTheRuleOfTheList) {
  for (const std::string& item : kSpeedItems) {
    const Speed speed = ParseSpeed(item);
    EXPECT_EQ(SpeedFilter(item), "setpts=(PTS-STARTPTS)/" + ExpectedDivisor(speed) + ";" + ExpectedChain(speed)) << item;
  }
  EXPECT_EQ(SpeedFilter("1/120"),
            "setpts=(PTS-STARTPTS)/0.0083333;atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=64/120");
  EXPECT_EQ(SpeedFilter("3"), "setpts=(PTS-STARTPTS)/3.0;atempo=2,atempo=3/2");
  for (const char* none : {"", "1", "7", "1/7", "2.0"}) EXPECT_EQ(SpeedFilter(none), "") << none;
}

}  // namespace
}  // namespace clipwright
