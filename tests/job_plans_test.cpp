// The plans of the copy operations (split, split at every keyframe, concatenate, multiplex,
// separate): each request's command with the names a run would give it, what its output must
// hold, and the names it starts and ends with.
#include "jobs/job_plans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/split_cuts.h"

namespace clipwright {
namespace {

const std::string kFfmpeg = "C:\\tools\\ffmpeg.exe";
const std::string kList = "C:\\media\\input.txt";
const std::string kOut = "C:\\media\\out.mkv";
const std::string kClip = "C:\\media\\clip.mp4";
const std::string kVideo = "Stream #0:0: Video: h264 (High), yuv420p, 320x240";
const std::string kAudio = "Stream #0:1: Audio: aac (LC), 44100 Hz, stereo";
const std::string kCover = "Stream #0:2: Video: mjpeg, yuvj420p, 600x600 (attached pic)";

std::string Q(const std::string& text) { return "\"" + text + "\""; }

// The first step's command as a run gives it names: the inputs as listed, the list, the output.
CommandLine Resolved(const FilePlan& file) {
  return ResolveCommand(file.steps.at(0).command, CommandNames{kFfmpeg, file.inputs, kList, kOut, {}, GAIN_NOT_FOUND});
}

// The first two names the output can end with: "keep", one name to replace, or the first two of
// the counting series.
std::string FinalNames(const FinalName& name) {
  switch (name.kind) {
    case FinalName::Kind::kKeep:
      return "keep";
    case FinalName::Kind::kReplace:
      return name.path;
    case FinalName::Kind::kNumbered:
      return (name.first_choice.empty() ? name.stem + "1" + name.extension : name.first_choice) + " " + name.stem +
             "2" + name.extension;
  }
  return {};
}

InputFile File(const std::string& path, std::vector<StreamChoice> streams) { return InputFile{path, std::move(streams), 0}; }

SplitCut Cut(double start, double end, bool seek, double seek_time, double length) {
  SplitCut cut;
  cut.start_time = start;
  cut.end_time = end;
  cut.seek = seek;
  cut.seek_time = seek_time;
  cut.length = length;
  return cut;
}

// The cut from keyframe a to b of a video with keyframes at 0, 2 and 4 seconds whose packets
// B-frames move 0.08 s earlier; 50 packets, the keyframes' at places 0, 20 and 40.
SplitCut KeyCut(std::uint32_t a, std::uint32_t b) {
  SplitPageState split;
  split.video_kind = 1;
  for (int frame = 0; frame <= 150; ++frame) split.frame_times.push_back(frame / 25.0);
  split.last_frame_index = 150;
  split.keyframe_count = 3;
  split.keyframe_frames = {0, 50, 100, 150};
  split.keyframe_decode_times = {-0.08, 1.92, 3.92, 5.92};
  split.keyframe_packets = {0, 20, 40, 50};
  return KeyframeCut(split, a, b);
}

struct PlanCase {
  const char* name;
  std::function<RunPlan(const RunSettings&)> plan;
  std::string command;  // after the program
  std::vector<StreamKind> kinds;
  std::string display;
  std::string final_names;
  bool temp_copies = false;
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

class PlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanTest, CommandExpectationAndNames) {
  const PlanCase& c = GetParam();
  RunSettings settings;
  settings.temp_copies = c.temp_copies;
  const RunPlan plan = c.plan(settings);
  ASSERT_EQ(plan.files.size(), 1u);
  const FilePlan& file = plan.files[0];
  EXPECT_EQ(Resolved(file).Text(), Q(kFfmpeg) + c.command);
  EXPECT_EQ(file.expected.streams, c.kinds);
  EXPECT_EQ(file.display_name, c.display);
  EXPECT_EQ(FinalNames(file.final_name), c.final_names);
  EXPECT_EQ(file.temp_copies, c.temp_copies);
  EXPECT_FALSE(plan.needs_aacgain);
}

const auto kV = StreamKind::kVideo;
const auto kA = StreamKind::kAudio;

RunPlan SplitOf(const RunSettings& settings, const SplitCut& cut, std::vector<StreamChoice> streams) {
  return PlanSplit(SplitRequest{File(kClip, std::move(streams)), "mp4", cut}, settings);
}

// The piece from keyframe a to the next, alone in its request.
RunPlan PieceOf(const RunSettings& settings, std::uint32_t a) {
  KeyframeSplitRequest request{File(kClip, {{0, kVideo}, {1, kAudio, false}}), "mkv", {}};
  request.pieces.push_back(KeyframePiece{a * 50, a * 50 + 50, KeyCut(a, a + 1)});
  return PlanKeyframeSplit(request, settings);
}

RunPlan MultiplexOf(const RunSettings& settings, bool video, bool sound) {
  return PlanMultiplex(MultiplexRequest{File("C:\\media\\video.mp4", {{0, kVideo, video}, {1, kAudio, false}}),
                                        File("C:\\media\\sound.m4a", {{0, "Stream #0:0: Audio: aac", sound}}), "mp4"},
                       settings);
}

RunPlan SeparateOf(const RunSettings& settings, std::vector<StreamChoice> streams, bool audio_only) {
  return PlanSeparate(SeparateRequest{{File("C:\\media\\movie.mkv", std::move(streams))}, audio_only, "mka"}, settings);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, PlanTest,
    ::testing::Values(
        PlanCase{"SplitFromTheStart", [](const RunSettings& s) { return SplitOf(s, Cut(0, 10, false, 0, 10), {{0, kVideo, false}, {1, kAudio}}); },
                 " -i " + Q(kClip) + " -t 10.000000 -map 0:1 -c copy -y " + Q(kOut), {kA}, kClip,
                 "C:\\media\\clip_00000.000-00010.000_1.mp4 C:\\media\\clip_2.mp4"},
        PlanCase{"SplitWithASeek", [](const RunSettings& s) { return SplitOf(s, Cut(12.5, 60, true, 12.5, 47.5), {{0, kVideo}, {1, kAudio}}); },
                 " -ss 12.500000 -i " + Q(kClip) + " -ss 0 -t 47.500000 -map 0:0 -map 0:1 -c copy -y " + Q(kOut),
                 {kV, kA}, kClip, "C:\\media\\clip_00012.500-00060.000_1.mp4 C:\\media\\clip_2.mp4"},
        PlanCase{"SplitOfTheFirstKeyframeHasNoSeek",
                 [](const RunSettings& s) { return SplitOf(s, KeyCut(0, 1), {{0, kVideo}}); },
                 " -i " + Q(kClip) + " -t 1.920000 -map 0:0 -c copy -y " + Q(kOut), {kV}, kClip,
                 "C:\\media\\clip_00000.000-00002.000_1.mp4 C:\\media\\clip_2.mp4"},
        PlanCase{"SplitOfALaterKeyframeSeeksToItsDecodeTime",
                 [](const RunSettings& s) { return SplitOf(s, KeyCut(1, 3), {{0, kVideo}}); },
                 " -ss 1.920000 -i " + Q(kClip) + " -ss 0 -t 4.000000 -map 0:0 -c copy -y " + Q(kOut), {kV}, kClip,
                 "C:\\media\\clip_00002.000-00006.000_1.mp4 C:\\media\\clip_2.mp4"},
        PlanCase{"SplitMapsStreamTwelve",
                 [](const RunSettings& s) {
                   std::vector<StreamChoice> streams;
                   for (int n = 0; n <= 12; ++n) streams.push_back({n, "Stream #0:" + std::to_string(n) + ": Audio: aac", n == 12});
                   return SplitOf(s, Cut(0, 1, false, 0, 1), streams);
                 },
                 " -i " + Q(kClip) + " -t 1.000000 -map 0:12 -c copy -y " + Q(kOut), {kA}, kClip,
                 "C:\\media\\clip_00000.000-00001.000_1.mp4 C:\\media\\clip_2.mp4"},
        PlanCase{"FirstKeyframePieceHasNoSeek", [](const RunSettings& s) { return PieceOf(s, 0); },
                 " -hide_banner -i " + Q(kClip) + " -map 0 -c copy -t 1.920000 -y " + Q(kOut), {kV, kA}, kClip,
                 "C:\\media\\clip_[000000]_000000-000050.mkv"},
        PlanCase{"LaterKeyframePieceSeeks", [](const RunSettings& s) { return PieceOf(s, 2); },
                 " -hide_banner -ss 3.920000 -i " + Q(kClip) + " -map 0 -c copy -ss 0 -t 2.000000 -y " + Q(kOut),
                 {kV, kA}, kClip, "C:\\media\\clip_[000000]_000100-000150.mkv"},
        PlanCase{"ConcatenateReadsTheList",
                 [](const RunSettings& s) {
                   return PlanConcatenate(ConcatenateRequest{{"C:\\media\\a.mkv", "C:\\media\\b.mkv"}, {{0, kVideo}, {1, kAudio}}, "mkv"}, s);
                 },
                 " -f concat -safe 0 -i " + Q(kList) + " -map 0:0 -map 0:1 -c copy -y " + Q(kOut), {kV, kA},
                 "C:\\media\\b.mkv", "C:\\media\\b_1.mkv C:\\media\\b_2.mkv"},
        PlanCase{"MultiplexOfBothInputs", [](const RunSettings& s) { return MultiplexOf(s, true, true); },
                 " -i \"C:\\media\\video.mp4\" -i \"C:\\media\\sound.m4a\" -map 0:0 -map 1:0 -c copy -y " + Q(kOut),
                 {kV, kA}, "C:\\media\\sound.m4a", "keep"},
        PlanCase{"MultiplexOfTheSecondAloneReadsItAsInputZero", [](const RunSettings& s) { return MultiplexOf(s, false, true); },
                 " -i \"C:\\media\\sound.m4a\" -map 0:0 -c copy -y " + Q(kOut), {kA}, "C:\\media\\sound.m4a", "keep"},
        PlanCase{"MultiplexOfTheFirstAloneIsNamedByIt", [](const RunSettings& s) { return MultiplexOf(s, true, false); },
                 " -i \"C:\\media\\video.mp4\" -map 0:0 -c copy -y " + Q(kOut), {kV}, "C:\\media\\video.mp4", "keep"},
        PlanCase{"MultiplexWithAnEmptyFirstList",
                 [](const RunSettings& s) {
                   return PlanMultiplex(MultiplexRequest{File("", {}), File("C:\\media\\sound.m4a", {{0, kAudio}}), "mp4"}, s);
                 },
                 " -i \"C:\\media\\sound.m4a\" -map 0:0 -c copy -y " + Q(kOut), {kA}, "C:\\media\\sound.m4a", "keep"},
        PlanCase{"SeparateMapsTheChosenStreams", [](const RunSettings& s) { return SeparateOf(s, {{0, kVideo}, {1, kAudio, false}}, false); },
                 " -i \"C:\\media\\movie.mkv\" -map 0:0 -c copy -y " + Q(kOut), {kV}, "C:\\media\\movie.mkv", "keep"},
        PlanCase{"SeparateAudioOnlyTakesEveryAudioWhateverWasChosen",
                 [](const RunSettings& s) { return SeparateOf(s, {{0, kVideo}, {1, kAudio, false}, {2, ""}, {3, kAudio, false}}, true); },
                 " -i \"C:\\media\\movie.mkv\" -map 0:1 -map 0:3 -c copy -y " + Q(kOut), {kA, kA},
                 "C:\\media\\movie.mkv", "keep"},
        PlanCase{"TempCopiesRenameEveryOutputBesideTheListedFile",
                 [](const RunSettings& s) { return SeparateOf(s, {{0, kVideo}}, false); },
                 " -i \"C:\\media\\movie.mkv\" -map 0:0 -c copy -y " + Q(kOut), {kV}, "C:\\media\\movie.mkv",
                 "C:\\media\\movie_1.mka C:\\media\\movie_2.mka", true}),
    [](const ::testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.name); });

TEST(Plans, ThatMakeNothing) {
  const RunSettings settings;
  EXPECT_TRUE(PlanConcatenate(ConcatenateRequest{{"C:\\media\\a.mkv"}, {{0, kVideo}}, "mkv"}, settings).files.empty());
  EXPECT_TRUE(PlanSeparate(SeparateRequest{}, settings).files.empty());
  EXPECT_TRUE(PlanKeyframeSplit(KeyframeSplitRequest{File(kClip, {{0, kVideo}}), "mkv", {}}, settings).files.empty());
  // Multiplex without a chosen stream: one file, refused before anything runs.
  const RunPlan mux = MultiplexOf(settings, false, false);
  ASSERT_EQ(mux.files.size(), 1u);
  ASSERT_TRUE(mux.files[0].refused.has_value());
  EXPECT_EQ(mux.files[0].refused->stage, Stage::kNoInput);
  EXPECT_EQ(mux.files[0].display_name, "C:\\media\\sound.m4a");
}

// Every option of the settings page checked: a copy operation passes entries 14 to 17, the
// split at every keyframe none; "-y" and "-n" are never passed on, the run's own "-y" ends every
// command. An option's text is split into arguments at its blanks.
TEST(Plans, SettingsOptionsByOperation) {
  RunSettings all;
  all.options = {"-y", "-n", "-threads 14", "-strict experimental", "-deadline good", "-cpu-used 3", "-row-mt 1",
                 "-look_ahead 1", "-look_ahead_depth 40", "-b:v 0", "-vf transpose=3", "-movflags faststart",
                 "-flags +loop-global_header", "-bsf h264_mp4toannexb", "-segment_format mpegts", "-map_chapters -1",
                 "-map_metadata 0", "-fflags +bitexact -flags:v +bitexact -flags:a +bitexact"};
  const std::string copy_options =
      " -segment_format mpegts -map_chapters -1 -map_metadata 0 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact";
  const std::vector<std::pair<RunPlan, std::string>> plans = {
      {SplitOf(all, Cut(0, 1, false, 0, 1), {{0, kVideo}}), " -map 0:0 -c copy" + copy_options},
      {PlanConcatenate(ConcatenateRequest{{"C:\\a.mkv", "C:\\b.mkv"}, {{0, kVideo}}, "mkv"}, all), " -map 0:0 -c copy" + copy_options},
      {MultiplexOf(all, true, true), " -map 1:0 -c copy" + copy_options},
      {SeparateOf(all, {{0, kVideo}}, false), " -map 0:0 -c copy" + copy_options},
      {PieceOf(all, 1), " -map 0 -c copy -ss 0 -t 2.000000"},
  };
  for (const auto& [plan, ending] : plans) {
    const CommandLine command = Resolved(plan.files.at(0));
    EXPECT_TRUE(command.Text().ends_with(ending + " -y " + Q(kOut))) << command.Text();
    const std::vector<std::string>& arguments = command.Arguments();
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-y"), 1) << command.Text();
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-n"), 0) << command.Text();
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-map_chapters"), ending.find("-map_chapters") != std::string::npos ? 1 : 0);
  }
}

struct CutCase {
  const char* name;
  std::vector<StreamChoice> streams;
  bool every_stream;  // the split at every keyframe takes them all
  std::optional<int> cut_video;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class CutExpectationTest : public ::testing::TestWithParam<CutCase> {};

// The stream a cut's packets are counted on is the file's first video that is no cover picture,
// by its place among the streams the output holds; the other streams need no packet of their own.
TEST_P(CutExpectationTest, CountsTheVideoTheKeyframesCameFrom) {
  const CutCase& c = GetParam();
  const SplitCut cut = KeyCut(1, 2);
  const RunSettings settings;
  const RunPlan plan = c.every_stream
                           ? PlanKeyframeSplit(KeyframeSplitRequest{File(kClip, c.streams), "mkv", {KeyframePiece{50, 100, cut}}}, settings)
                           : PlanSplit(SplitRequest{File(kClip, c.streams), "mkv", cut}, settings);
  const OutputExpectation& expected = plan.files.at(0).expected;
  EXPECT_TRUE(expected.cut);
  EXPECT_EQ(expected.cut_video, c.cut_video);
  EXPECT_EQ(expected.video_packets, c.cut_video ? std::optional<std::int64_t>(20) : std::nullopt);
  EXPECT_FALSE(expected.audio_length.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, CutExpectationTest,
    ::testing::Values(CutCase{"VideoFirst", {{0, kVideo}, {1, kAudio}}, false, 0},
                      CutCase{"CoverPictureBeforeTheVideo", {{0, kAudio}, {1, kCover}, {2, kVideo}}, false, 2},
                      CutCase{"UnchosenStreamsTakeNoPlace", {{0, kAudio, false}, {1, kCover, false}, {2, kVideo}}, false, 0},
                      CutCase{"VideoNotChosen", {{0, kVideo, false}, {1, kAudio}}, false, std::nullopt},
                      CutCase{"EveryPieceHoldsEveryStream", {{0, kAudio, false}, {1, kVideo, false}}, true, 1}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

// An audio file's cut is held to its length, give or take one audio frame.
TEST(Plans, AnAudioCutIsHeldToItsLength) {
  SplitCut cut = Cut(1, 3, true, 1, 2);
  cut.audio_length = 2.0;
  cut.audio_frame = 0.026;
  const RunPlan plan = PlanSplit(SplitRequest{File("C:\\media\\song.mp3", {{0, kAudio}}), "mp3", cut}, RunSettings{});
  const OutputExpectation& expected = plan.files.at(0).expected;
  EXPECT_TRUE(expected.cut);
  EXPECT_EQ(expected.audio_length, 2.0);
  EXPECT_EQ(expected.audio_frame, 0.026);
  EXPECT_FALSE(expected.cut_video.has_value());
}

}  // namespace
}  // namespace clipwright
