// The volume run with the real FFmpeg and the real AACGain of this build, on files made at test
// time and on AACGain's own two music files. An output is judged by AACGain's own analysis of it
// and by FFmpeg decoding it; a run is answered by the test only where the real tools cannot be
// made to fail that way.
#include "volume/volume_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jobs/run_driver.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/job_runs.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"
#include "tools/output_scanner.h"
#include "tools/scan_capture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace clipwright {
namespace {

using testing::Quoted;
using Names = std::vector<std::string>;
using Maker = std::function<bool(const std::string& path)>;

std::string Bytes(const std::string& path) {
  std::string bytes;
  platform::ReadWholeFile(path, &bytes);
  return bytes;
}

Maker Tone(std::string codec) {
  return [codec](const std::string& path) { return testing::MakeClip(path, 4, false, true, "-c:a " + codec); };
}

// AACGain's recommendation at 100 dB for a copy of `file` with an ASCII name (an MP4 stream copy
// of raw AAC, which AACGain reads only inside MP4); 99 when it gives none.
int Recommendation(const std::string& file) {
  testing::TempDir scratch;
  const std::string extension = platform::SplitPath(file).extension;
  const std::string name = extension == ".aac" ? "probe.mp4" : "probe" + extension;
  testing::RunCommand(testing::FfmpegCommand() + " -nostdin -i " + Quoted(file) + " -map 0:a -c copy " +
                      Quoted(scratch.File(name)));
  const auto out = testing::RunCommand(Quoted(test_config::kAacgain) + " /e /c /d 11 /s s " + name, scratch.path());
  const std::size_t at = out ? out->find("mp3 gain change: ") : std::string::npos;
  return at == std::string::npos ? 99 : std::atoi(out->c_str() + at + 17);
}

// A run the test answers in place of the tool: what it printed and how it ended.
struct Answer {
  std::string capture;
  int exit_code = 0;
};

class VolumeRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.ffmpeg = test_config::kFfmpeg;
    settings.aacgain = test_config::kAacgain;
    settings.power_off = true;
    hooks.power_off = [this] { return ++power_offs > 0; };
    AnswerRuns(nullptr);
  }

  // Lists `path` with the given stream lines, or with those FFmpeg prints.
  void List(const std::string& path, Names lines = {}) {
    if (lines.empty()) lines = testing::ProbeStreams(path);
    InputFile file{path, {}, 0};
    for (std::size_t i = 0; i < lines.size(); ++i) file.streams.push_back({static_cast<int>(i), lines[i]});
    request.files.push_back(std::move(file));
  }

  // Every run is recorded; `answer` may answer one in place of the tool (true), else it runs.
  void AnswerRuns(std::function<bool(int mode, const std::string& folder, Answer& answer)> answering) {
    hooks.run_tool = [this, answering](AnalysisResult& result, RunObserver& seen, const std::atomic<int>& pressed,
                                       const CommandLine& command, int mode, int* gain, double duration,
                                       const std::string& folder) {
      runs.push_back(command.Text());
      folders.push_back(folder);
      Answer answer;
      if (answering && answering(mode, folder, answer)) {
        result.capture = answer.capture;
        result.exit_code = answer.exit_code;
        return ScanCapture(result, seen, mode, gain);
      }
      return ScanOutput(result, seen, pressed, command.Text(), mode, gain, duration, folder);
    };
  }

  RunSummary Run() { return RunFiles(PlanVolume(request, settings), settings, observer, abort, hooks); }

  std::vector<StageEvent> EventsOf(Stage stage) {
    std::vector<StageEvent> found;
    for (const StageEvent& event : observer.events()) {
      if (event.stage == stage) found.push_back(event);
    }
    return found;
  }

  testing::TempDir dir;
  RunSettings settings;
  RunHooks hooks;
  VolumeRequest request;
  testing::RecordingObserver observer;
  std::atomic<int> abort{0};
  Names runs;
  Names folders;
  int power_offs = 0;
};

void ExpectCounts(const RunSummary& summary, int successes, int failures) {
  EXPECT_TRUE(summary.counted);
  EXPECT_EQ(summary.successes, successes);
  EXPECT_EQ(summary.failures, failures);
  EXPECT_TRUE(summary.left_behind.empty());
}

enum Option { kStripTags = 1, kAudioOnly = 2, kMetadata = 4, kReadOnly = 8, kDamage = 16 };

struct RealFile {
  const char* name;
  Maker make;
  const char* output;
  Names kinds = {"Audio"};  // the output's streams
  int options = 0;
  const char* folder = "";  // a folder of its own in the test's
  Names taken = {};         // files of the user's that have names the run would take
};

void PrintTo(const RealFile& c, std::ostream* os) { *os << c.name; }

class VolumeRealFileTest : public VolumeRunTest, public ::testing::WithParamInterface<RealFile> {};

// The output beside the source carries the recommended gain and decodes; the source and every
// other file of the user's are unchanged; AACGain gets only a bare ASCII name in its folder.
TEST_P(VolumeRealFileTest, OutputCarriesTheRecommendedGain) {
  const RealFile& c = GetParam();
  const std::string folder = *c.folder ? dir.File(c.folder) + dir.path().back() : dir.path();
  std::filesystem::create_directories(testing::FsPath(folder));
  const std::string source = folder + c.name;
  ASSERT_TRUE(c.make(source));
#ifdef _WIN32
  // The case is worth its name only if AACGain cannot open the file by its full name.
  std::cout << "ANSI code page: " << GetACP() << "\n";
  const auto direct = testing::RunCommand(Quoted(test_config::kAacgain) + " /e /c /d 11 /s s " + Quoted(source));
  if (*c.folder) {
    ASSERT_NE(direct.value_or("").find("Can't open"), std::string::npos) << direct.value_or("");
  }
#endif
  for (const std::string& name : c.taken) platform::WriteWholeFile(folder + name, "mine");
  const std::string bytes = Bytes(source);
  const int before = Recommendation(source);
  ASSERT_NE(before, 0) << "a gain of 0 would show nothing";
  settings.strip_tags = (c.options & kStripTags) != 0;
  request.audio_only = (c.options & kAudioOnly) != 0;
  if (c.options & kMetadata) settings.options[16] = "-map_metadata -1";
  if (c.options & kReadOnly) platform::SetReadOnly(source);
  List(source);

  ExpectCounts(Run(), 1, 0);
  const std::string output = folder + c.output;
  Names names = c.taken;
  names.insert(names.end(), {c.name, c.output});
  std::sort(names.begin(), names.end());
  EXPECT_EQ(dir.Names(c.folder), names);
  EXPECT_EQ(Bytes(source), bytes);
  for (const std::string& name : c.taken) EXPECT_EQ(Bytes(folder + name), "mine");
  const std::vector<StageEvent> applying = EventsOf(Stage::kApplyingGain);
  ASSERT_EQ(applying.size(), 1u);
  EXPECT_EQ(applying[0].number, before);
  EXPECT_LE(std::abs(Recommendation(output)), 1) << "applied " << before;
  EXPECT_TRUE(testing::Decodes(output));
  EXPECT_EQ(testing::StreamKinds(output), c.kinds);
  // The output is the user's to change, whatever the source's attributes.
  EXPECT_NE(std::filesystem::status(testing::FsPath(output)).permissions() & std::filesystem::perms::owner_write,
            std::filesystem::perms::none);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!runs[i].starts_with(Quoted(test_config::kAacgain))) continue;
    EXPECT_EQ(folders[i], folder);
    EXPECT_EQ(runs[i].substr(runs[i].rfind(" \"")).find_first_of("/\\"), std::string::npos) << runs[i];
  }
  // 中断 is held back while AACGain changes the file, and given back after.
  EXPECT_EQ(observer.abort_allowed(), (std::vector<bool>{false, true}));
  if (c.options & kStripTags) {
    // Exactly the source's ID3v2 tag is gone; the gain changed the frames in place.
    ASSERT_GT(TagHeaderLength(bytes), 0u);
    EXPECT_EQ(Bytes(output).size(), bytes.size() - TagHeaderLength(bytes));
    EXPECT_EQ(TagHeaderLength(Bytes(output)), 0u);
  }
  if (c.options & kMetadata) {
    EXPECT_EQ(testing::RunCommand(testing::FfmpegCommand() + " -i " + Quoted(output)).value_or("Loud").find("Loud"),
              std::string::npos);
  }
  EXPECT_EQ(power_offs, 1);
}

Maker Sample(std::string name) {
  return [name](const std::string& path) {
    std::error_code error;
    return std::filesystem::copy_file(testing::FsPath(test_config::kAacgainSamples + name), testing::FsPath(path), error);
  };
}

Maker Clip(std::string args, bool video = false) {
  return [=](const std::string& path) { return testing::MakeClip(path, 3, video, true, args); };
}

// An MP3 with an ID3v2.3 tag that holds a title and a cover picture.
bool MakeTaggedMp3(const std::string& path) {
  testing::RunCommand(testing::FfmpegCommand() +
                      " -nostdin -f lavfi -i testsrc=size=160x120:rate=1:duration=1 -f lavfi -i sine=duration=4"
                      " -map 1:a -map 0:v -c:v mjpeg -disposition:v attached_pic -c:a libmp3lame -id3v2_version 3"
                      " -metadata title=Loud " + Quoted(path));
  return platform::FileSize(path).value_or(0) > 0;
}

const std::string kVideoAac = "-c:v libx264 -preset ultrafast -c:a aac -shortest";

// With 音声のみ the audio, second in the MP4, is taken alone; without it the MP4 is copied whole.
// The metadata pass makes a new working file. The Japanese folder and name carry Hangul too,
// which no ANSI code page but UTF-8 holds. A read-only source gives a working copy AACGain can
// write.
INSTANTIATE_TEST_SUITE_P(
    Files, VolumeRealFileTest,
    ::testing::Values(RealFile{"tone.mp3", Tone("libmp3lame"), "tone_1.mp3"},
                      RealFile{"Tone.M4A", Tone("aac"), "Tone_1.mp4"}, RealFile{"tone.aac", Tone("aac"), "tone_1.mp4"},
                      RealFile{"rickroll_crop.mp3", Sample("rickroll_crop.mp3"), "rickroll_crop_1.mp3"},
                      RealFile{"rickroll_crop.m4a", Sample("rickroll_crop.m4a"), "rickroll_crop_1.mp4"},
                      RealFile{"tagged.mp3", MakeTaggedMp3, "tagged_1.mp3", {"Audio"}, kStripTags},
                      RealFile{"clip.mp4", Clip(kVideoAac, true), "clip_1.mp4", {"Audio"}, kAudioOnly},
                      RealFile{"movie.mp4", Clip(kVideoAac, true), "movie_1.mp4", {"Video", "Audio"}},
                      RealFile{"song.m4a", Clip("-c:a aac -metadata title=Loud"), "song_2.mp4", {"Audio"}, kMetadata, "",
                               {"song_1.mp4", "temp0001.mp4"}},
                      RealFile{"readonly.mp3", Tone("libmp3lame"), "readonly_1.mp3", {"Audio"}, kReadOnly},
                      RealFile{"曲 한글.mp3", Tone("libmp3lame"), "曲 한글_1.mp3", {"Audio"}, 0, "音量テスト"}),
    [](const auto& info) {
      std::string name = *info.param.folder ? "JapaneseFolderAndName" : info.param.name;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

enum class Source { kToneMp3, kGarbage, kMissing };

struct FailureCase {
  const char* name;
  const char* file;
  Source source;
  Names streams;
  std::vector<Stage> stages;  // the last ones reported
  int options = 0;
  int answered = -1;          // the scan mode of the run the test answers
  Answer answer = {};
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class VolumeFailureTest : public VolumeRunTest, public ::testing::WithParamInterface<FailureCase> {};

// Each step's failure: its stages, the file counted as failed, nothing but the source left.
TEST_P(VolumeFailureTest, FailsTheFileAndLeavesOnlyTheSource) {
  const FailureCase& c = GetParam();
  const std::string listed = dir.File(c.file);
  if (c.source == Source::kToneMp3) {
    ASSERT_TRUE(Tone("libmp3lame")(listed));
  }
  if (c.source == Source::kGarbage) dir.Write(c.file, std::string(4000, 'x'));
  request.audio_only = (c.options & kAudioOnly) != 0;
  settings.strip_tags = (c.options & kStripTags) != 0;
  if (c.options & kMetadata) settings.options[16] = "-map_metadata -1";
  AnswerRuns([&](int mode, const std::string& folder, Answer& answer) {
    if (mode != c.answered) return false;
    answer = c.answer;
    // For the tag removal: an application that left a file too short to hold a tag.
    if (c.options & kStripTags) platform::WriteWholeFile(folder + "temp0001.mp3", "0123456789");
    // An application that garbled frames in the middle: every packet is still there to list.
    if (c.options & kDamage) {
      std::string bytes = Bytes(folder + "temp0001.mp3");
      for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 3000 && i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 37 + 11);
      platform::WriteWholeFile(folder + "temp0001.mp3", bytes);
    }
    return true;
  });
  List(listed, c.streams);
  const std::string before = Bytes(listed);

  ExpectCounts(Run(), 0, 1);
  const std::vector<Stage> all = observer.stages();
  ASSERT_GE(all.size(), c.stages.size());
  EXPECT_EQ(std::vector<Stage>(all.end() - static_cast<std::ptrdiff_t>(c.stages.size()), all.end()), c.stages);
  EXPECT_NE(observer.outcomes(), std::vector<FileOutcome>{FileOutcome::kSucceeded});
  EXPECT_EQ(dir.Names(), c.source == Source::kMissing ? Names{} : Names{c.file});
  EXPECT_EQ(Bytes(listed), before);
}

const Names kMp3{"Stream #0:0: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s"};
const Names kAac{"Stream #0:0(und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp (default)"};
const std::vector<Stage> kAnalysisFailed{Stage::kAnalysingGain, Stage::kAnalysisFailed};
const std::vector<Stage> kGainFailed{Stage::kApplyingGain, Stage::kGainFailed};

INSTANTIATE_TEST_SUITE_P(
    Steps, VolumeFailureTest,
    ::testing::Values(
        FailureCase{"NoAacOrMp3Audio", "talk.mp3", Source::kToneMp3, {"Stream #0:0: Audio: opus, 48000 Hz"}, {Stage::kNoAudioTrack}},
        FailureCase{"ContainerCopy", "bad.m4a", Source::kGarbage, kAac, {Stage::kMakingContainer, Stage::kContainerFailed}},
        FailureCase{"AudioOnlyCopy", "bad.mp4", Source::kGarbage, {"Stream #0:0: Video: h264", kAac[0]},
                    {Stage::kMakingAudioOnly, Stage::kAudioOnlyFailed}, kAudioOnly},
        FailureCase{"ByteCopy", "gone.mp3", Source::kMissing, kMp3, {Stage::kCopyingSource, Stage::kSourceCopyFailed}},
        FailureCase{"AnalysisWithoutFrames", "bad.mp3", Source::kGarbage, kMp3, kAnalysisFailed},
        FailureCase{"AnalysisDoneWithoutRecommendation", "a.mp3", Source::kToneMp3, kMp3, kAnalysisFailed, 0,
                    SCAN_GAIN_ANALYSE, {"temp0001.mp3\r\ndone\r\n"}},
        FailureCase{"Application", "a.mp3", Source::kToneMp3, kMp3, kGainFailed, 0, SCAN_GAIN_APPLY,
                    {"Can't open temp0001.mp3 for modifying\r\n"}},
        FailureCase{"ApplicationWithDoneOnlyInAFileName", "a.mp3", Source::kToneMp3, kMp3, kGainFailed, 0,
                    SCAN_GAIN_APPLY, {"Applying mp3 gain change of -5 to done.mp3...\r\n"}},
        FailureCase{"ApplicationDoneWithAnErrorExit", "a.mp3", Source::kToneMp3, kMp3, kGainFailed, 0, SCAN_GAIN_APPLY,
                    {"done\r\n", 1}},
        FailureCase{"MetadataPass", "a.mp3", Source::kToneMp3, kMp3, {Stage::kRemovingMetadata, Stage::kMetadataFailed},
                    kMetadata, SCAN_JOB, {"Error writing trailer\r\n", 1}},
        FailureCase{"DecodeAfterTheApplication", "a.mp3", Source::kToneMp3, kMp3, {Stage::kCheckFailed}, kDamage,
                    SCAN_GAIN_APPLY, {"done\r\n"}},
        FailureCase{"TagRemoval", "a.mp3", Source::kToneMp3, kMp3, {Stage::kRemovingTags, Stage::kTagsFailed},
                    kStripTags, SCAN_GAIN_APPLY, {"done\r\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

// 中断 during the first file's analysis: AACGain finishes that run, and the run ends at once;
// the files not made count as failed. 中断 stays held back, and no shut-down follows.
TEST_F(VolumeRunTest, AbortEndsTheRunAfterAacgainsStep) {
  for (const char* name : {"a.mp3", "b.m4a", "c.mp3"}) {
    ASSERT_TRUE(Tone(std::string(name).ends_with("mp3") ? "libmp3lame" : "aac")(dir.File(name)));
    List(dir.File(name));
  }
  AnswerRuns([&](int, const std::string&, Answer&) { return (abort = 1) == 0; });
  ExpectCounts(Run(), 0, 3);
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_EQ(observer.outcomes(), std::vector<FileOutcome>{FileOutcome::kAborted});
  EXPECT_EQ(dir.Names(), (Names{"a.mp3", "b.m4a", "c.mp3"}));
  EXPECT_EQ(observer.abort_allowed(), std::vector<bool>{false});
  EXPECT_EQ(power_offs, 0);
}

}  // namespace
}  // namespace clipwright
