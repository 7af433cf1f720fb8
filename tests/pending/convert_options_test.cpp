#include "jobs/convert_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/control_ids.h"
#include "ui/option_lists.h"
#include "win32/fake_dialog.h"
#include "win32/job_pages.h"

namespace clipwright {
namespace {

using testing::FakeDialog;

const std::string kVideo = "Stream #0:0(und): Video: h264 (High) (avc1 / 0x31637661), yuv420p, 320x240, 25 fps";
const std::string kAudio = "Stream #0:1(und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp";
const std::string kSubtitle = "Stream #0:2(eng): Subtitle: mov_text (tx3g / 0x67337874)";
const std::string kData = "Stream #0:3(eng): Data: none (tmcd / 0x64636D74)";
const std::string kAttachment = "Stream #0:4: Attachment: ttf";

// The convert page's options with the given items chosen and every other list at "指定なし".
ConvertOptions Choose(const std::vector<std::pair<int, std::string>>& choices) {
  FakeDialog page;
  testing::FillConvertOptionLists(page);
  for (const auto& [combo, text] : choices) testing::SelectOption(page, combo, text);
  return ReadConvertOptions(page);
}

StreamTable Streams(const std::vector<std::pair<std::string, int>>& lines) {
  StreamTable table;
  for (const auto& [text, selected] : lines) table.push_back(StreamEntry{text, selected});
  return table;
}

struct StreamCase {
  const char* name;
  int operation;
  std::vector<StreamTable> inputs;
  ConvertOptions options;
  bool audio_only;
  std::string expected;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class StreamArgumentsTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamArgumentsTest, Builds) {
  const StreamCase& c = GetParam();
  std::string text = "before";
  AppendStreamArguments(c.operation, c.inputs, c.options, c.audio_only, text);
  EXPECT_EQ(text, "before" + c.expected);
}

const ConvertOptions kExampleOptions = Choose({{IDC_CONVERT_VCODEC, "libx264"},
                                               {IDC_CONVERT_PRESET, "medium"},
                                               {IDC_CONVERT_VQUALITY, "-crf 23"},
                                               {IDC_CONVERT_ACODEC, "aac"},
                                               {IDC_CONVERT_AQUALITY, "-b:a 128k"}});

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamArgumentsTest,
    ::testing::Values(
        StreamCase{"ExampleVideoAndAudio", OP_CONVERT, {Streams({{kVideo, 1}, {kAudio, 1}})}, kExampleOptions, false,
                   " -map 0:0 -vcodec libx264 -preset medium -crf 23 -map 0:1 -c:a aac -aac_coder twoloop"
                   " -b:a 128k"},
        StreamCase{"NothingSelectedGivesNothing", OP_CONVERT, {Streams({{kVideo, 0}, {kAudio, 0}})},
                   kExampleOptions, false, ""},
        StreamCase{"OnlySelectedStreamsAreMapped", OP_CONVERT, {Streams({{kVideo, 0}, {kAudio, 1}})},
                   kExampleOptions, false, " -map 0:1 -c:a aac -aac_coder twoloop -b:a 128k"},
        StreamCase{"VideoCopyTakesNoEncoderSettings", OP_CONVERT, {Streams({{kVideo, 1}})},
                   Choose({{IDC_CONVERT_VCODEC, "copy"},
                           {IDC_CONVERT_PRESET, "slow"},
                           {IDC_CONVERT_FRAME_SIZE, "1280x720"}}),
                   false, " -map 0:0 -vcodec copy"},
        StreamCase{"EveryVideoSettingInOrder", OP_CONVERT, {Streams({{kVideo, 1}})},
                   Choose({{IDC_CONVERT_VCODEC, "libx265"},
                           {IDC_CONVERT_PRESET, "fast"},
                           {IDC_CONVERT_TUNE, "grain"},
                           {IDC_CONVERT_VPROFILE, "main"},
                           {IDC_CONVERT_LEVEL, "4.1"},
                           {IDC_CONVERT_VQUALITY, "-vb 2m"},
                           {IDC_CONVERT_FRAME_RATE, "29.97"},
                           {IDC_CONVERT_FRAME_SIZE, "1280x720"},
                           {IDC_CONVERT_ASPECT, "16:9"},
                           {IDC_CONVERT_PIX_FMT, "yuv420p10le"}}),
                   false,
                   " -map 0:0 -vcodec libx265 -preset fast -tune grain -profile:v main -level 4.1 -vb 2m -r 29.97"
                   " -s 1280x720 -sws_flags lanczos -aspect 16:9 -pix_fmt yuv420p10le"},
        StreamCase{"VideoSettingsWithoutACodecGiveNothing", OP_CONVERT, {Streams({{kVideo, 1}})},
                   Choose({{IDC_CONVERT_PRESET, "fast"}, {IDC_CONVERT_FRAME_SIZE, "640x360"}}), false,
                   " -map 0:0"},
        StreamCase{"AudioCopyStillTakesItsSettings", OP_CONVERT, {Streams({{kAudio, 1}})},
                   Choose({{IDC_CONVERT_ACODEC, "copy"}, {IDC_CONVERT_SAMPLE_RATE, "44100"}}), false,
                   " -map 0:0 -c:a copy -ar 44100"},
        StreamCase{"EveryAudioSettingInOrder", OP_CONVERT, {Streams({{kAudio, 1}})},
                   Choose({{IDC_CONVERT_ACODEC, "libopus"},
                           {IDC_CONVERT_APROFILE, "aac_he"},
                           {IDC_CONVERT_AQUALITY, "-q:a 2"},
                           {IDC_CONVERT_SAMPLE_RATE, "48000"},
                           {IDC_CONVERT_CHANNELS, "6"},
                           {IDC_CONVERT_CUTOFF, "22.5k"},
                           {IDC_CONVERT_VOLUME, "volume=-5dB"}}),
                   false,
                   " -map 0:0 -c:a libopus -profile:a aac_he -q:a 2 -ar 48000 -ac 6 -cutoff 22.5k"
                   " -filter:a \"volume=-5dB\""},
        StreamCase{"TwoAudioStreamsEachGetTheirArguments", OP_CONVERT, {Streams({{kAudio, 1}, {kAudio, 1}})},
                   Choose({{IDC_CONVERT_ACODEC, "aac"}, {IDC_CONVERT_CHANNELS, "2"}}), false,
                   " -map 0:0 -c:a aac -aac_coder twoloop -ac 2 -map 0:1 -c:a aac -aac_coder twoloop -ac 2"},
        StreamCase{"OtherKinds", OP_CONVERT,
                   {Streams({{kSubtitle, 1}, {kData, 1}, {kAttachment, 1}, {"Stream #0:5: Unknown", 1}})},
                   Choose({{IDC_CONVERT_SCODEC, "srt"}}), false,
                   " -map 0:0 -c:s srt -map 0:1 -c:d copy -map 0:2 -c:t copy -map 0:3"},
        StreamCase{"SubtitleWithoutCodecGetsOnlyItsMap", OP_CONVERT, {Streams({{kSubtitle, 1}})}, ConvertOptions{},
                   false, " -map 0:0"},
        StreamCase{"AKindWordTwiceGivesItsArgumentsTwice", OP_CONVERT,
                   {Streams({{"Stream #0:0: Video: h264, Video", 1}})}, Choose({{IDC_CONVERT_VCODEC, "mjpeg"}}),
                   false, " -map 0:0 -vcodec mjpeg -vcodec mjpeg"},
        StreamCase{"KindWordsAreCaseSensitive", OP_CONVERT, {Streams({{"Stream #0:0: video: h264", 1}})},
                   Choose({{IDC_CONVERT_VCODEC, "mjpeg"}}), false, " -map 0:0"},
        StreamCase{"CopyOperationsGetMapsOnly", OP_SEPARATE, {Streams({{kVideo, 1}, {kAudio, 1}})},
                   kExampleOptions, false, " -map 0:0 -map 0:1"},
        StreamCase{"StreamTwelve", OP_SPLIT,
                   {Streams({{"a", 0}, {"b", 0}, {"c", 0}, {"d", 0}, {"e", 0}, {"f", 0}, {"g", 0}, {"h", 0},
                             {"i", 0}, {"j", 0}, {"k", 0}, {"l", 0}, {"m", 1}})},
                   ConvertOptions{}, false, " -map 0:12"},
        StreamCase{"MultiplexOfBothInputs", OP_MULTIPLEX,
                   {Streams({{kVideo, 1}, {kAudio, 0}}), Streams({{kAudio, 1}})}, ConvertOptions{}, false,
                   " -map 0:0 -map 1:0"},
        StreamCase{"MultiplexWithoutTheFirstInputMapsTheSecondAsZero", OP_MULTIPLEX,
                   {Streams({{kVideo, 0}}), Streams({{kVideo, 0}, {kAudio, 1}})}, ConvertOptions{}, false,
                   " -map 0:1"},
        StreamCase{"MultiplexWithAnEmptyFirstList", OP_MULTIPLEX, {StreamTable{}, Streams({{kAudio, 1}})},
                   ConvertOptions{}, false, " -map 0:0"},
        StreamCase{"AudioOnlyIgnoresTheFlags", OP_SEPARATE,
                   {Streams({{kVideo, 1}, {kAudio, 0}, {"", 1}, {kAudio, 0}})}, ConvertOptions{}, true,
                   " -map 0:1 -map 0:3"},
        StreamCase{"AudioOnlyIsASeparateRule", OP_CONVERT, {Streams({{kVideo, 1}, {kAudio, 0}})}, ConvertOptions{},
                   true, " -map 0:0"}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

// The page side: which stream tables each operation reads.
TEST(StreamArgumentsFromPage, ReadsTheListsOfTheListPagesAndTheEntriesOfTheFilePages) {
  FakeDialog page;
  page.AddRows(IDC_MUX_STREAMS1, {kVideo, kAudio});
  page.SetRowChecked(IDC_MUX_STREAMS1, 1, true);
  page.AddRows(IDC_MUX_STREAMS2, {kVideo, kAudio}, true);
  JobContext job;
  job.operation = OP_MULTIPLEX;
  std::string text;
  AppendStreamArguments(job, page, 2, 0, text);
  EXPECT_EQ(text, " -map 0:1 -map 1:0 -map 1:1");

  FileList files;
  files.files.resize(2);
  files.files[1].streams = Streams({{kVideo, 0}, {kAudio, 1}});
  job.operation = OP_CONVERT;
  job.files = &files;
  testing::FillConvertOptionLists(page);
  testing::SelectOption(page, IDC_CONVERT_ACODEC, "flac");
  text.clear();
  AppendStreamArguments(job, page, 1, 1, text);
  EXPECT_EQ(text, " -map 0:1 -c:a flac");
  text.clear();
  AppendStreamArguments(job, page, 1, 5, text);  // no such file: nothing
  EXPECT_EQ(text, "");

  job.operation = OP_SEPARATE;
  page.SetChecked(IDC_SEPARATE_AUDIO_ONLY, true);
  files.files[1].streams = Streams({{kAudio, 0}, {kVideo, 1}});
  text.clear();
  AppendStreamArguments(job, page, 1, 1, text);
  EXPECT_EQ(text, " -map 0:0");
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
    // After h halvings the rest is 2^h / n; another halving fits while that rest is at most 0.5.
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

TEST(SpeedFilter, EveryRowFollowsTheRuleOfTheList) {
  const auto& items = FindOptionList(IDC_CONVERT_SPEED)->items;
  ASSERT_EQ(items.size(), 32u);
  for (int index = 1; index < 32; ++index) {
    const Speed speed = ParseSpeed(items[static_cast<std::size_t>(index)]);
    EXPECT_EQ(SpeedFilterArgument(index),
              " -filter_complex setpts=(PTS-STARTPTS)/" + ExpectedDivisor(speed) + ";" + ExpectedChain(speed))
        << items[static_cast<std::size_t>(index)];
  }
}

TEST(SpeedFilter, KnownRowsAndNoFilterOutsideTheList) {
  EXPECT_EQ(SpeedFilterArgument(14), " -filter_complex setpts=(PTS-STARTPTS)/0.5;atempo=0.5");
  EXPECT_EQ(SpeedFilterArgument(15), " -filter_complex setpts=(PTS-STARTPTS)/2.0;atempo=2.0");
  EXPECT_EQ(SpeedFilterArgument(2),
            " -filter_complex setpts=(PTS-STARTPTS)/0.0083333;"
            "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=64/120");
  EXPECT_EQ(SpeedFilterArgument(16), " -filter_complex setpts=(PTS-STARTPTS)/3.0;atempo=2,atempo=3/2");
  EXPECT_EQ(SpeedFilterArgument(0), "");
  EXPECT_EQ(SpeedFilterArgument(-1), "");
  EXPECT_EQ(SpeedFilterArgument(32), "");

  FakeDialog page;
  testing::FillConvertOptionLists(page);
  EXPECT_EQ(SpeedFilterArgument(page), "");
  testing::SelectOption(page, IDC_CONVERT_SPEED, "1/4");
  EXPECT_EQ(SpeedFilterArgument(page), " -filter_complex setpts=(PTS-STARTPTS)/0.25;atempo=0.5,atempo=0.5");
}

}  // namespace
}  // namespace clipwright
