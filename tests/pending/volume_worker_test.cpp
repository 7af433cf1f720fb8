// The volume job with the real FFmpeg and the real AACGain of this build, on files made at test
// time and on AACGain's own two music files. An output is judged by AACGain's own analysis of it
// and by FFmpeg decoding it; a run is answered by the test only where the real tools cannot be
// made to fail that way.
#include "volume/volume_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "win32/fake_dialog.h"
#include "win32/job_pages.h"
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
using testing::SummaryOf;
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

bool Decodes(const std::string& file) {
  const auto errors = testing::RunCommand(testing::FfmpegCommand() + " -v error -nostdin -i " + Quoted(file) + " -f null -");
  return errors && errors->find_first_not_of("\r\n") == std::string::npos;
}

class VolumeWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FillSettingsPage(settings());
    settings().SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
    settings().SetText(IDC_AACGAIN_PATH, test_config::kAacgain);
    page().SetText(IDC_VOLUME_TARGET, "100.0");
    job.files = &files;
    job.power_off = [this] { return ++power_offs > 0; };
    AnswerRuns(nullptr);
  }
  testing::FakeDialog& settings() { return requests.page(PAGE_SETTINGS); }
  testing::FakeDialog& page() { return requests.page(PAGE_VOLUME); }

  // Lists `path` with the given stream lines, or with those FFmpeg prints, as the intake stores them.
  void List(const std::string& path, Names lines = {}) {
    if (lines.empty()) lines = testing::ProbeStreams(path);
    FileEntry entry;
    for (std::string& line : lines) entry.streams.push_back({std::move(line), 1});
    files.files.push_back(std::move(entry));
    page().AddRows(IDC_VOLUME_FILES, {path});
  }

  // Every run is recorded; `answer` may give one a made-up output (true), else the tool runs.
  void AnswerRuns(std::function<bool(int mode, const std::string& folder, AnalysisResult& result)> answer) {
    job.scan_output = [this, answer](AnalysisResult& result, Dialog& progress, const std::atomic<int>& abort,
                                     std::string_view command, int mode, int* gain, const std::string& folder) {
      runs.push_back(std::string(command));
      folders.push_back(folder);
      if (answer && answer(mode, folder, result)) return ScanCapture(result, progress, mode, gain);
      return ScanOutput(result, progress, abort, command, mode, gain, 0, folder);
    };
  }

  std::string Run() {  // the summary
    VolumeWorker(job, progress, page(), requests);
    return progress.Text(IDC_PROGRESS_STATUS);
  }
  Names Statuses() { return progress.TextHistory(IDC_PROGRESS_PROCESS); }

  testing::TempDir dir;
  testing::FakeRequests requests;
  testing::FakeDialog progress;
  FileList files;
  VolumeJob job;
  Names runs;
  Names folders;
  int power_offs = 0;
};

enum Option { kStripTags = 1, kAudioOnly = 2, kMetadata = 4 };

struct RealFile {
  const char* name;
  Maker make;
  const char* output;
  Names kinds = {"Audio"};  // the output's streams
  int options = 0;
  const char* folder = "";  // a folder of its own in the test's
  Names taken = {};         // files of the user's that have names the job would take
};

class VolumeRealFileTest : public VolumeWorkerTest, public ::testing::WithParamInterface<RealFile> {};

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
  settings().SetChecked(IDC_OPT_STRIP_ID3, (c.options & kStripTags) != 0);
  page().SetChecked(IDC_VOLUME_AUDIO_ONLY, (c.options & kAudioOnly) != 0);
  if (c.options & kMetadata) testing::CheckOption(settings(), IDC_OPT_MAP_METADATA, "-1");
  page().SetChecked(IDC_VOLUME_POWER_OFF, true);
  List(source);

  EXPECT_EQ(Run(), SummaryOf(1, 0)) << ::testing::PrintToString(Statuses());
  const std::string output = folder + c.output;
  Names names = c.taken;
  names.insert(names.end(), {c.name, c.output});
  std::sort(names.begin(), names.end());
  EXPECT_EQ(dir.Names(c.folder), names);
  EXPECT_EQ(Bytes(source), bytes);
  for (const std::string& name : c.taken) EXPECT_EQ(Bytes(folder + name), "mine");
  const Names statuses = Statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "ファイルにMP3ゲイン[" + std::to_string(before) + "]を適用中です..."),
            statuses.end());
  EXPECT_LE(std::abs(Recommendation(output)), 1) << "applied " << before;
  EXPECT_TRUE(Decodes(output));
  EXPECT_EQ(testing::StreamKinds(output), c.kinds);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!runs[i].starts_with(Quoted(test_config::kAacgain))) continue;
    EXPECT_EQ(folders[i], folder);
    EXPECT_EQ(runs[i].substr(runs[i].rfind(" \"")).find_first_of("/\\"), std::string::npos) << runs[i];
  }
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
// which no ANSI code page but UTF-8 holds.
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
  Names statuses;     // the last ones before "ゲイン適用に失敗しました。"
  int checked = 0;    // a box of the volume or the settings page that the case checks
  int answered = -1;  // the scan mode of the run that gets `output` instead of running
  const char* output = "";
};

class VolumeFailureTest : public VolumeWorkerTest, public ::testing::WithParamInterface<FailureCase> {};

// Each step's failure: its texts, the file counted as failed, nothing but the source left.
TEST_P(VolumeFailureTest, FailsTheFileAndLeavesOnlyTheSource) {
  const FailureCase& c = GetParam();
  const std::string listed = dir.File(c.file);
  if (c.source == Source::kToneMp3) {
    ASSERT_TRUE(Tone("libmp3lame")(listed));
  }
  if (c.source == Source::kGarbage) dir.Write(c.file, std::string(4000, 'x'));
  if (c.checked == IDC_VOLUME_AUDIO_ONLY) page().SetChecked(c.checked, true);
  if (c.checked > 0 && c.checked != IDC_VOLUME_AUDIO_ONLY) {
    testing::CheckOption(settings(), c.checked, c.checked == IDC_OPT_MAP_METADATA ? "-1" : "");
  }
  AnswerRuns([&](int mode, const std::string& folder, AnalysisResult& result) {
    if (mode != c.answered) return false;
    result.capture = c.output;
    // For the tag removal: an application that left a file too short to hold a tag.
    if (c.checked == IDC_OPT_STRIP_ID3) platform::WriteWholeFile(folder + "temp0001.mp3", "0123456789");
    return true;
  });
  List(listed, c.streams);
  const std::string before = Bytes(listed);

  EXPECT_EQ(Run(), SummaryOf(0, 1));
  Names expected = c.statuses;
  expected.push_back("ゲイン適用に失敗しました。");
  const Names all = Statuses();
  ASSERT_GE(all.size(), expected.size());
  EXPECT_EQ(Names(all.end() - static_cast<std::ptrdiff_t>(expected.size()), all.end()), expected)
      << ::testing::PrintToString(all);
  EXPECT_EQ(dir.Names(), c.source == Source::kMissing ? Names{} : Names{c.file});
  EXPECT_EQ(Bytes(listed), before);
}

const Names kMp3{"Stream #0:0: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s"};
const Names kAac{"Stream #0:0(und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp (default)"};
const Names kAnalysisFailed{"音声ストリームを解析中です... [再生時間に応じて時間が掛かります]",
                            "ファイルの解析でエラーが発生しました。リトライして下さい。"};

INSTANTIATE_TEST_SUITE_P(
    Steps, VolumeFailureTest,
    ::testing::Values(
        FailureCase{"NoAacOrMp3Audio", "talk.mp3", Source::kToneMp3, {"Stream #0:0: Audio: opus, 48000 Hz"},
                    {"音声トラックが見つかりませんでした。"}},
        FailureCase{"ContainerCopy", "bad.m4a", Source::kGarbage, kAac,
                    {"MP4コンテナのファイルを作成中です...", "MP4コンテナのファイル作成に失敗しました。"}},
        FailureCase{"AudioOnlyCopy", "bad.mp4", Source::kGarbage, {"Stream #0:0: Video: h264", kAac[0]},
                    {"音声ストリームのみのファイルを作成中...", "音声ストリームのみのファイル作成に失敗しました。"},
                    IDC_VOLUME_AUDIO_ONLY},
        FailureCase{"ByteCopy", "gone.mp3", Source::kMissing, kMp3,
                    {"一時ファイルを作成中...", "一時ファイルの作成に失敗しました。"}},
        FailureCase{"AnalysisWithoutFrames", "bad.mp3", Source::kGarbage, kMp3, kAnalysisFailed},
        FailureCase{"AnalysisDoneWithoutRecommendation", "a.mp3", Source::kToneMp3, kMp3, kAnalysisFailed, 0,
                    SCAN_GAIN_ANALYSE, "temp0001.mp3\r\ndone\r\n"},
        FailureCase{"Application", "a.mp3", Source::kToneMp3, kMp3, {"ゲインの適用に失敗しました。"}, 0,
                    SCAN_GAIN_APPLY, "Can't open temp0001.mp3 for modifying\r\n"},
        FailureCase{"MetadataPass", "a.mp3", Source::kToneMp3, kMp3,
                    {"ファイルからメタタグを削除中...", "メタタグの削除に失敗しました。"}, IDC_OPT_MAP_METADATA, SCAN_JOB,
                    "Error writing trailer\r\n"},
        FailureCase{"TagRemoval", "a.mp3", Source::kToneMp3, kMp3,
                    {"MP3ファイルからID3タグを削除中...", "ID3タグの削除に失敗しました。"}, IDC_OPT_STRIP_ID3,
                    SCAN_GAIN_APPLY, "done\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// 中断 during the first file's analysis: AACGain finishes that run, which then fails its file,
// and each later file fails at its first tool step without starting it. No shut-down follows.
TEST_F(VolumeWorkerTest, AbortFailsEveryRemainingFileAtItsFirstToolStep) {
  for (const char* name : {"a.mp3", "b.m4a", "c.mp3"}) {
    ASSERT_TRUE(Tone(std::string(name).ends_with("mp3") ? "libmp3lame" : "aac")(dir.File(name)));
    List(dir.File(name));
  }
  page().SetChecked(IDC_VOLUME_POWER_OFF, true);
  AnswerRuns([&](int, const std::string&, AnalysisResult&) { return (job.abort = 1) == 0; });
  EXPECT_EQ(Run(), SummaryOf(0, 3));
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_EQ(dir.Names(), (Names{"a.mp3", "b.m4a", "c.mp3"}));
  EXPECT_FALSE(progress.IsEnabled(IDC_PROGRESS_ABORT));
  EXPECT_EQ(power_offs, 0);
}

// Nothing to do, or no AACGain: the reason, 閉じる, no summary and no shut-down.
TEST_F(VolumeWorkerTest, EarlyEndsShowWhy) {
  page().SetChecked(IDC_VOLUME_POWER_OFF, true);
  EXPECT_EQ(Run(), "");
  List(dir.File("a.mp3"), kMp3);
  settings().SetText(IDC_AACGAIN_PATH, dir.File("aacgain.exe"));
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Statuses(), (Names{"処理すべきファイルがありません。", "AACGain.exeがありません。"}));
  EXPECT_TRUE(progress.timer_stopped());
  EXPECT_FALSE(progress.IsVisible(IDC_PROGRESS_ABORT));
  EXPECT_EQ(power_offs + runs.size(), 0u);
}

}  // namespace
}  // namespace clipwright
