// The volume job with the real FFmpeg and the real AACGain of this build, on files made at test
// time and on AACGain's own two music files; a run is replaced only where the real tools cannot
// be made to fail that way.
#include "volume/volume_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "support/aacgain.h"
#include "support/fake_dialog.h"
#include "support/job_pages.h"
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

using testing::FakeDialog;
using testing::FolderNames;
using testing::Quoted;
using Names = std::vector<std::string>;

constexpr const char* kFailed = "ゲイン適用に失敗しました。";

std::string Summary(int successes, int failures) {
  return "作成結果\r\n成功： " + std::to_string(successes) + " ファイル\r\n失敗： " + std::to_string(failures) +
         " ファイル";
}

bool MakeTone(const std::string& path, std::string_view codec) {
  return testing::MakeClip(path, 4, false, true, "-c:a " + std::string(codec));
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
  }

  FakeDialog& settings() { return requests.page(PAGE_SETTINGS); }
  FakeDialog& page() { return requests.page(PAGE_VOLUME); }

  // Lists `path` with the stream lines FFmpeg prints for it, as file intake stores them, or
  // with the lines given.
  void List(const std::string& path, Names lines = {}) {
    if (lines.empty()) lines = testing::ProbeStreams(path);
    FileEntry entry;
    for (std::string& line : lines) entry.streams.push_back({std::move(line), 1});
    files.files.push_back(std::move(entry));
    page().AddRows(IDC_VOLUME_FILES, {path});
  }

  // Every run goes through here: `replace` may answer a run itself (true), else the tool runs.
  void ReplaceRuns(std::function<bool(int mode, const std::string& command, const std::string& folder,
                                      AnalysisResult& result)> replace) {
    job.scan_output = [this, replace](AnalysisResult& result, Dialog& progress, const std::atomic<int>& abort,
                                      std::string_view command, int mode, int* gain, const std::string& folder) {
      runs.push_back({std::string(command), folder});
      if (replace && replace(mode, std::string(command), folder, result)) {
        return ScanCapture(result, progress, mode, gain);
      }
      return ScanOutput(result, progress, abort, command, mode, gain, 0, folder);
    };
  }

  // Runs the job; returns the summary.
  std::string Run() {
    if (!job.scan_output) ReplaceRuns(nullptr);
    VolumeWorker(job, progress, page(), requests);
    return progress.Text(IDC_PROGRESS_STATUS);
  }

  Names Statuses() { return progress.TextHistory(IDC_PROGRESS_PROCESS); }
  Names LastStatuses(std::size_t count) {
    const Names all = Statuses();
    return Names(all.end() - static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end());
  }

  struct ToolRun {
    std::string command;
    std::string folder;
  };

  testing::TempDir dir;
  testing::FakeRequests requests;
  FakeDialog progress;
  FileList files;
  VolumeJob job;
  std::vector<ToolRun> runs;
  int power_offs = 0;
};

// ---------------------------------------------------------------------------------------------
// Real files through every step: the output carries the applied gain, the source is unchanged.

struct RealFile {
  const char* name;
  std::function<bool(const std::string& path)> make;
  const char* output;
  bool strip_tags;  // ID3タグ削除 [MP3のみ]
};

void PrintTo(const RealFile& file, std::ostream* out) { *out << file.name; }

class VolumeRealFileTest : public VolumeWorkerTest, public ::testing::WithParamInterface<RealFile> {};

TEST_P(VolumeRealFileTest, OutputBesideTheSourceCarriesTheRecommendedGain) {
  const RealFile& c = GetParam();
  const std::string source = dir.File(c.name);
  ASSERT_TRUE(c.make(source));
  const std::string before_bytes = testing::FileBytes(source);
  const std::optional<int> before = testing::Recommendation(source);
  ASSERT_TRUE(before.has_value());
  ASSERT_NE(*before, 0) << "a gain of 0 would show nothing";
  settings().SetChecked(IDC_OPT_STRIP_ID3, c.strip_tags);
  List(source);

  EXPECT_EQ(Run(), Summary(1, 0)) << ::testing::PrintToString(Statuses());
  const std::string output = dir.File(c.output);
  EXPECT_EQ(FolderNames(dir.path()), (Names{c.name, c.output}));
  EXPECT_EQ(testing::FileBytes(source), before_bytes);
  EXPECT_EQ(testing::AppliedGains(Statuses()), std::vector<int>{*before});
  const std::optional<int> after = testing::Recommendation(output);
  ASSERT_TRUE(after.has_value());
  EXPECT_LE(std::abs(*after), 1) << "recommended before " << *before << ", applied " << *before;
  EXPECT_TRUE(testing::Decodes(output));
  EXPECT_EQ(testing::StreamKinds(output).front(), "Audio");
  if (c.strip_tags) {
    // Exactly the source's ID3v2 tag is gone; the gain changed the frames in place.
    ASSERT_GT(TagHeaderLength(before_bytes), 0u);
    EXPECT_EQ(testing::FileBytes(output).size(), before_bytes.size() - TagHeaderLength(before_bytes));
    EXPECT_EQ(TagHeaderLength(testing::FileBytes(output)), 0u);
  }
}

std::function<bool(const std::string&)> Sample(const char* name) {
  return [name](const std::string& path) {
    std::error_code error;
    return std::filesystem::copy_file(testing::FsPath(std::string(test_config::kAacgainSamples) + name),
                                      testing::FsPath(path), error);
  };
}

INSTANTIATE_TEST_SUITE_P(
    Files, VolumeRealFileTest,
    ::testing::Values(RealFile{"tone.mp3", [](const std::string& p) { return MakeTone(p, "libmp3lame"); }, "tone_1.mp3", false},
                      RealFile{"Tone.M4A", [](const std::string& p) { return MakeTone(p, "aac"); }, "Tone_1.mp4", false},
                      RealFile{"tone.aac", [](const std::string& p) { return MakeTone(p, "aac"); }, "tone_1.mp4", false},
                      RealFile{"rickroll_crop.mp3", Sample("rickroll_crop.mp3"), "rickroll_crop_1.mp3", false},
                      RealFile{"rickroll_crop.m4a", Sample("rickroll_crop.m4a"), "rickroll_crop_1.mp4", false},
                      RealFile{"tagged.mp3", [](const std::string& p) { return testing::MakeTaggedMp3(p, 4); },
                               "tagged_1.mp3", true}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

// No part of the user's path reaches AACGain, which reads its arguments in the ANSI code page:
// the name mixes Japanese and Hangul, which no code page but UTF-8 holds both of.
TEST_F(VolumeWorkerTest, JapaneseFolderAndFileName) {
  const std::string folder = dir.File("音量テスト") + dir.path().back();
  std::filesystem::create_directory(testing::FsPath(folder));
  const std::string source = folder + "曲 한글.mp3";
  ASSERT_TRUE(MakeTone(source, "libmp3lame"));
#ifdef _WIN32
  std::cout << "ANSI code page: " << GetACP() << "\n";
  const auto direct = testing::RunCommand(Quoted(test_config::kAacgain) + " /e /c /d 11.000000 /s s " + Quoted(source));
  ASSERT_TRUE(direct);
  ASSERT_NE(direct->find("Can't open"), std::string::npos) << "AACGain opened the file by its full name:\n" << *direct;
#endif
  List(source);
  EXPECT_EQ(Run(), Summary(1, 0)) << ::testing::PrintToString(Statuses());
  EXPECT_EQ(FolderNames(folder), (Names{"曲 한글.mp3", "曲 한글_1.mp3"}));
  const auto gains = testing::AppliedGains(Statuses());
  ASSERT_EQ(gains.size(), 1u);
  EXPECT_NE(gains[0], 0);
  EXPECT_LE(std::abs(testing::Recommendation(folder + "曲 한글_1.mp3").value_or(99)), 1);
}

// 音声のみ takes the audio stream alone, wherever it is; without it the MP4 is copied whole and
// AACGain works on the MP4 itself. A target of 60.0 asks for 60 − 89 dB.
TEST_F(VolumeWorkerTest, AudioOnlyAndWholeMp4) {
  const std::string clip = dir.File("clip.mp4");
  ASSERT_TRUE(testing::MakeClip(clip, 3, true, true, "-c:v libx264 -preset ultrafast -c:a aac -shortest"));
  List(clip);
  page().SetChecked(IDC_VOLUME_AUDIO_ONLY, true);
  page().SetText(IDC_VOLUME_TARGET, "60.0");
  EXPECT_EQ(Run(), Summary(1, 0));
  ASSERT_GE(runs.size(), 3u);
  EXPECT_NE(runs[0].command.find(" -map 0:1 "), std::string::npos) << runs[0].command;
  EXPECT_EQ(runs[1].command, Quoted(test_config::kAacgain) + " /e /c /d -29.000000 /s s \"temp0001.mp4\"");
  EXPECT_EQ(runs[1].folder, dir.path());
  EXPECT_EQ(testing::StreamKinds(dir.File("clip_1.mp4")), (Names{"Audio"}));

  page().SetChecked(IDC_VOLUME_AUDIO_ONLY, false);
  EXPECT_EQ(Run(), Summary(1, 0));
  EXPECT_EQ(testing::StreamKinds(dir.File("clip_2.mp4")), (Names{"Video", "Audio"}));
  EXPECT_TRUE(testing::Decodes(dir.File("clip_2.mp4")));
  EXPECT_EQ(FolderNames(dir.path()), (Names{"clip.mp4", "clip_1.mp4", "clip_2.mp4"}));
}

// The metadata pass makes a new working file; names that files of the user's have are passed
// over and those files are left as they are.
TEST_F(VolumeWorkerTest, MetadataPassAndTakenNames) {
  const std::string source = dir.File("song.m4a");
  ASSERT_TRUE(testing::MakeClip(source, 3, false, true, "-c:a aac -metadata title=Loud"));
  dir.Write("temp0001.mp4", "mine");
  dir.Write("song_1.mp4", "mine too");
  testing::CheckOption(settings(), IDC_OPT_MAP_METADATA, "-1");
  settings().SetChecked(IDC_OPT_BITEXACT, true);
  page().SetChecked(IDC_VOLUME_POWER_OFF, true);
  List(source);
  EXPECT_EQ(Run(), Summary(1, 0)) << ::testing::PrintToString(Statuses());
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_NE(runs[3].command.find(" -map_metadata -1 -fflags +bitexact"), std::string::npos) << runs[3].command;
  EXPECT_NE(runs[3].command.find("temp0002_1.mp4"), std::string::npos) << runs[3].command;
  EXPECT_EQ(FolderNames(dir.path()), (Names{"song.m4a", "song_1.mp4", "song_2.mp4", "temp0001.mp4"}));
  EXPECT_EQ(testing::FileBytes(dir.File("temp0001.mp4")), "mine");
  const auto probe = testing::RunCommand(testing::FfmpegCommand() + " -hide_banner -i " + Quoted(dir.File("song_2.mp4")));
  EXPECT_EQ(probe.value_or("Loud").find("Loud"), std::string::npos);
  EXPECT_EQ(power_offs, 1);
}

// ---------------------------------------------------------------------------------------------
// Each step's failure: its texts, nothing of the run's left behind, the file counted as failed.

enum class Source { kToneMp3, kGarbage, kMissing };

struct FailureCase {
  const char* name;
  const char* file;
  Source source;
  Names streams;
  bool audio_only = false;
  bool metadata = false;    // -map_metadata -1
  bool strip_tags = false;  // ID3タグ削除 [MP3のみ]
  int replaced_mode = -1;   // the run the test answers itself, with `output`
  const char* output = "";
  Names last_statuses;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class VolumeFailureTest : public VolumeWorkerTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(VolumeFailureTest, FailsTheFileAndLeavesOnlyTheSource) {
  const FailureCase& c = GetParam();
  const std::string listed = dir.File(c.file);
  if (c.source == Source::kToneMp3) {
    ASSERT_TRUE(MakeTone(listed, "libmp3lame"));
  }
  if (c.source == Source::kGarbage) dir.Write(c.file, std::string(4000, 'x'));
  page().SetChecked(IDC_VOLUME_AUDIO_ONLY, c.audio_only);
  if (c.metadata) testing::CheckOption(settings(), IDC_OPT_MAP_METADATA, "-1");
  settings().SetChecked(IDC_OPT_STRIP_ID3, c.strip_tags);
  ReplaceRuns([&](int mode, const std::string&, const std::string& folder, AnalysisResult& result) {
    if (mode != c.replaced_mode) return false;
    result.capture = c.output;
    // The tag removal's case: a gain application that left a file too short to hold a tag.
    if (c.strip_tags) platform::WriteWholeFile(folder + "temp0001.mp3", "0123456789");
    return true;
  });
  List(listed, c.streams);
  const std::string before = testing::FileBytes(listed);

  EXPECT_EQ(Run(), Summary(0, 1));
  Names expected = c.last_statuses;
  expected.push_back(kFailed);
  EXPECT_EQ(LastStatuses(expected.size()), expected) << ::testing::PrintToString(Statuses());
  EXPECT_EQ(FolderNames(dir.path()), c.source == Source::kMissing ? Names{} : Names{c.file});
  EXPECT_EQ(testing::FileBytes(listed), before);
}

const Names kMp3Stream{"Stream #0:0: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s"};
const Names kAacStream{"Stream #0:0(und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp, 69 kb/s (default)"};
const Names kVideoAndAac{"Stream #0:0(und): Video: h264 (avc1 / 0x31637661), yuv444p, 160x120, 25 fps (default)",
                         kAacStream[0]};
constexpr const char* kAnalysing = "音声ストリームを解析中です... [再生時間に応じて時間が掛かります]";
constexpr const char* kAnalysisFailed = "ファイルの解析でエラーが発生しました。リトライして下さい。";

INSTANTIATE_TEST_SUITE_P(
    Steps, VolumeFailureTest,
    ::testing::Values(
        FailureCase{"NoAacOrMp3Audio", "talk.mp3", Source::kToneMp3,
                    {"Stream #0:0: Audio: opus, 48000 Hz, stereo, fltp"}, false, false, false, -1, "",
                    {"音声トラックが見つかりませんでした。"}},
        FailureCase{"ContainerCopy", "bad.m4a", Source::kGarbage, kAacStream, false, false, false, -1, "",
                    {"MP4コンテナのファイルを作成中です...", "MP4コンテナのファイル作成に失敗しました。"}},
        FailureCase{"AudioOnlyCopy", "bad.mp4", Source::kGarbage, kVideoAndAac, true, false, false, -1, "",
                    {"音声ストリームのみのファイルを作成中...", "音声ストリームのみのファイル作成に失敗しました。"}},
        FailureCase{"ByteCopy", "gone.mp3", Source::kMissing, kMp3Stream, false, false, false, -1, "",
                    {"一時ファイルを作成中...", "一時ファイルの作成に失敗しました。"}},
        FailureCase{"AnalysisWithoutFrames", "bad.mp3", Source::kGarbage, kMp3Stream, false, false, false, -1, "",
                    {kAnalysing, kAnalysisFailed}},
        FailureCase{"AnalysisDoneWithoutRecommendation", "a.mp3", Source::kToneMp3, kMp3Stream, false, false, false,
                    SCAN_GAIN_ANALYSE, "temp0001.mp3\r\ndone\r\n", {kAnalysing, kAnalysisFailed}},
        FailureCase{"Application", "a.mp3", Source::kToneMp3, kMp3Stream, false, false, false, SCAN_GAIN_APPLY,
                    "Can't open temp0001.mp3 for modifying\r\n", {"ゲインの適用に失敗しました。"}},
        FailureCase{"MetadataPass", "a.mp3", Source::kToneMp3, kMp3Stream, false, true, false, SCAN_JOB,
                    "Error writing trailer\r\n", {"ファイルからメタタグを削除中...", "メタタグの削除に失敗しました。"}},
        FailureCase{"TagRemoval", "a.mp3", Source::kToneMp3, kMp3Stream, false, false, true, SCAN_GAIN_APPLY,
                    "done\r\n", {"MP3ファイルからID3タグを削除中...", "ID3タグの削除に失敗しました。"}}),
    [](const auto& info) { return std::string(info.param.name); });

// 中断 during the first file's analysis: AACGain finishes that run, which then fails its file,
// and each later file fails at its first tool step without starting it. No shut-down follows.
TEST_F(VolumeWorkerTest, AbortFailsEveryRemainingFileAtItsFirstToolStep) {
  for (const char* name : {"a.mp3", "b.m4a", "c.mp3"}) {
    ASSERT_TRUE(MakeTone(dir.File(name), std::string(name).ends_with("mp3") ? "libmp3lame" : "aac"));
    List(dir.File(name));
  }
  page().SetChecked(IDC_VOLUME_POWER_OFF, true);
  ReplaceRuns([&](int, const std::string&, const std::string&, AnalysisResult&) {
    job.abort = 1;
    return false;
  });
  EXPECT_EQ(Run(), Summary(0, 3));
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_EQ(FolderNames(dir.path()), (Names{"a.mp3", "b.m4a", "c.mp3"}));
  EXPECT_EQ(LastStatuses(2), (Names{kAnalysisFailed, kFailed}));
  EXPECT_FALSE(progress.IsEnabled(IDC_PROGRESS_ABORT));
  EXPECT_EQ(power_offs, 0);
}

struct EarlyEnd {
  const char* name;
  int rows;
  bool aacgain;
  const char* status;
};

void PrintTo(const EarlyEnd& c, std::ostream* out) { *out << c.name; }

class VolumeEarlyEndTest : public VolumeWorkerTest, public ::testing::WithParamInterface<EarlyEnd> {};

TEST_P(VolumeEarlyEndTest, ShowsWhyAndOffersClose) {
  const EarlyEnd& c = GetParam();
  for (int row = 0; row < c.rows; ++row) List(dir.File("a.mp3"), kMp3Stream);
  if (!c.aacgain) settings().SetText(IDC_AACGAIN_PATH, dir.File("aacgain.exe"));
  page().SetChecked(IDC_VOLUME_POWER_OFF, true);
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Statuses(), Names{c.status});
  EXPECT_TRUE(progress.timer_stopped());
  EXPECT_FALSE(progress.IsVisible(IDC_PROGRESS_ABORT));
  EXPECT_TRUE(progress.IsVisible(IDC_PROGRESS_CLOSE));
  EXPECT_EQ(power_offs, 0);
}

INSTANTIATE_TEST_SUITE_P(Checks, VolumeEarlyEndTest,
                         ::testing::Values(EarlyEnd{"NoFiles", 0, true, "処理すべきファイルがありません。"},
                                           EarlyEnd{"NoAacgain", 1, false, "AACGain.exeがありません。"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
