#include "analysis/probe.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "analysis/error_list.h"
#include "common/limits.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::FakeRequests;
using testing::TempDir;

const std::string kLine = "Invalid data found when processing input '";
const std::string kBom = "\xEF\xBB\xBF";

// One page with its storage, the progress dialog and FFmpeg configured; error.txt goes into the
// test's folder.
struct Probe {
  TempDir dir;
  FakeRequests requests;
  FakeDialog progress;
  FileList files;
  AnalysisJob job;
  int page_index;

  Probe(const ProbeTarget& target, int index) : page_index(index) {
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
    job.target = target;
    job.error_folder = dir.path();
    files.keeps_durations = target.file_list == IDC_CONVERT_FILES;
    if (target.file_list != 0) job.files = &files;
    page().Enable(target.run_button, false);
  }
  FakeDialog& page() { return requests.page(page_index); }
  int Run(const std::string& path) { return ProbeFile(job, progress, page(), requests, path); }
  std::string ErrorList() {
    std::string bytes;
    platform::ReadWholeFile(ErrorListPath(dir.path()), &bytes);
    return bytes;
  }
  std::string Clip(const std::string& name, bool video, bool audio, std::string_view args = "") {
    const std::string path = dir.File(name);
    EXPECT_TRUE(testing::MakeClip(path, 1.0, video, audio, args)) << name;
    return path;
  }
};

TEST(ProbeFile, AFileOfTwoStreamsLandsInRowZeroOfTheConvertList) {
  Probe probe(kConvertTarget, PAGE_CONVERT);
  const std::string clip = probe.Clip("clip.mp4", true, true);
  EXPECT_EQ(probe.Run(clip), 1);

  EXPECT_EQ(probe.progress.Text(IDC_PROGRESS_FILE), clip);
  EXPECT_EQ(probe.progress.TextHistory(IDC_PROGRESS_PROCESS).front(), "ストリーム情報の解析中．．．");
  ASSERT_EQ(probe.page().RowCount(IDC_CONVERT_FILES), 1);
  EXPECT_EQ(probe.page().RowText(IDC_CONVERT_FILES, 0), clip);
  ASSERT_EQ(probe.files.files.size(), 1u);
  const FileEntry& entry = probe.files.files[0];
  ASSERT_EQ(entry.streams.size(), 2u);
  EXPECT_EQ(entry.streams[0].text.rfind("Stream #0:0", 0), 0u);
  EXPECT_NE(entry.streams[0].text.find(": Video: "), std::string::npos);
  EXPECT_NE(entry.streams[1].text.find(": Audio: "), std::string::npos);
  EXPECT_EQ(entry.streams[0].selected, 1);
  EXPECT_EQ(entry.streams[1].selected, 1);
  EXPECT_NEAR(entry.duration, 1.0, 0.1);
  EXPECT_TRUE(probe.page().IsEnabled(IDC_CONVERT_RUN));
  EXPECT_EQ(probe.ErrorList(), "");
}

TEST(ProbeFile, TheConcatenateButtonWaitsForTheSecondFile) {
  Probe probe(kConcatenateTarget, PAGE_CONCATENATE);
  const std::string first = probe.Clip("a.mkv", true, false);
  const std::string second = probe.Clip("b.mkv", true, false);
  EXPECT_EQ(probe.Run(first), 1);
  EXPECT_FALSE(probe.page().IsEnabled(IDC_CONCAT_RUN));
  EXPECT_EQ(probe.Run(second), 1);
  EXPECT_TRUE(probe.page().IsEnabled(IDC_CONCAT_RUN));
  EXPECT_EQ(probe.page().RowText(IDC_CONCAT_FILES, 1), second);
  ASSERT_EQ(probe.files.files.size(), 2u);
  EXPECT_EQ(probe.files.files[1].streams.size(), 1u);
  EXPECT_EQ(probe.files.files[1].duration, 0);  // kept on the convert page only
}

TEST(ProbeFile, ASingleFileTargetShowsPathAndStreamsInPlaceOfTheOldOnes) {
  Probe probe(kMultiplexTarget2, PAGE_MULTIPLEX);
  probe.page().AddRows(IDC_MUX_STREAMS2, {"Stream #0:0: old", "Stream #0:1: old", "Stream #0:2: old"}, true);
  const std::string clip = probe.Clip("clip.mkv", true, true);
  EXPECT_EQ(probe.Run(clip), 1);
  EXPECT_EQ(probe.page().Text(IDC_MUX_PATH2), clip);
  ASSERT_EQ(probe.page().RowCount(IDC_MUX_STREAMS2), 2);
  EXPECT_EQ(probe.page().RowText(IDC_MUX_STREAMS2, 1), testing::ProbeStreams(clip)[1]);
  EXPECT_FALSE(probe.page().RowChecked(IDC_MUX_STREAMS2, 0));
  EXPECT_TRUE(probe.page().IsEnabled(IDC_MUX_RUN));
  EXPECT_EQ(probe.page().RowCount(IDC_MUX_STREAMS1), 0);  // the other input is left alone
}

enum class Setup { kNone, kMissingFfmpeg, kUnstartableFfmpeg, kAborted };

struct FailureCase {
  const char* name;
  ProbeTarget target;
  int page;
  // A clip, or a text file for ".txt" and ".log". (FFmpeg for Windows reads any ".txt" as ANSI
  // art, so a text file that must fail is a ".log".)
  const char* file;
  Setup setup;
  int result;
  // The process texts shown, oldest first: they tell whether FFmpeg was run.
  std::vector<std::string> process_texts;
  int ffmpeg_messages;  // the main window's "ffmpeg.exeがありません。"
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ProbeFailureTest : public ::testing::TestWithParam<FailureCase> {};

const std::string kAnalysing = "ストリーム情報の解析中．．．";
const std::string kReading = "ストリーム情報の取得中．．．";
const std::string kFailed = "ストリーム情報を取得出来ませんでした。";
const std::string kNoPipe = "パイプ通信の作成に失敗しました。";

TEST_P(ProbeFailureTest, NotAddedFilesAreListedAndNothingIsStored) {
  const FailureCase& c = GetParam();
  Probe probe(c.target, c.page);
  const std::string name = c.file;
  const bool media = !name.ends_with(".txt") && !name.ends_with(".log");
  const std::string file = media ? probe.Clip(name, false, true, name.ends_with("M4A") ? "-c:a aac" : "")
                                 : probe.dir.Write(name, "This is not a media file.\r\n");
  if (c.setup == Setup::kMissingFfmpeg) {
    probe.requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, probe.dir.File("ffmpeg-missing.exe"));
  } else if (c.setup == Setup::kUnstartableFfmpeg) {
    // Exists and opens, but would fail loudly if anything tried to run it.
    probe.requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, probe.dir.Write("not-a-program.exe", "text"));
  } else if (c.setup == Setup::kAborted) {
    probe.job.abort = 1;
  }

  EXPECT_EQ(probe.Run(file), c.result);
  EXPECT_EQ(probe.progress.TextHistory(IDC_PROGRESS_PROCESS), c.process_texts);
  EXPECT_EQ(probe.requests.main_window().MessageBoxes().size(), static_cast<std::size_t>(c.ffmpeg_messages));
  const int rows = probe.page().RowCount(c.target.file_list);
  if (c.result == 1) {
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(probe.ErrorList(), "");
  } else {
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(probe.files.files.empty());
    EXPECT_FALSE(probe.page().IsEnabled(c.target.run_button));
    EXPECT_EQ(probe.ErrorList(), kBom + kLine + file + "'\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeFailureTest,
    ::testing::Values(
        FailureCase{"TextFile", kConvertTarget, PAGE_CONVERT, "notes.log", Setup::kNone, 0,
                    {kAnalysing, kReading, kFailed}, 0},
        FailureCase{"MissingFfmpeg", kSeparateTarget, PAGE_SEPARATE, "tone.mp3", Setup::kMissingFfmpeg, 0,
                    {kAnalysing}, 1},
        FailureCase{"UnstartableFfmpeg", kSeparateTarget, PAGE_SEPARATE, "tone.mp3", Setup::kUnstartableFfmpeg, 0,
                    {kAnalysing, kNoPipe, kFailed}, 0},
        FailureCase{"Aborted", kConvertTarget, PAGE_CONVERT, "tone.mka", Setup::kAborted, 0, {kAnalysing, kFailed}, 0},
        FailureCase{"WavOnTheVolumePage", kVolumeTarget, PAGE_VOLUME, "tone.WAV", Setup::kUnstartableFfmpeg, 0,
                    {kAnalysing}, 0},
        FailureCase{"TextOnTheVolumePage", kVolumeTarget, PAGE_VOLUME, "tone.txt", Setup::kUnstartableFfmpeg, 0,
                    {kAnalysing}, 0},
        FailureCase{"M4aOnTheVolumePage", kVolumeTarget, PAGE_VOLUME, "tone.M4A", Setup::kNone, 1,
                    {kAnalysing, kReading}, 0},
        FailureCase{"WavOnTheConvertPage", kConvertTarget, PAGE_CONVERT, "tone.WAV", Setup::kNone, 1,
                    {kAnalysing, kReading}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorList, OneMarkForAllLinesAndAnUnwritableFolderLosesOnlyTheLine) {
  TempDir dir;
  dir.Write("error.txt", "");  // empty counts as new
  EXPECT_TRUE(AppendErrorList(dir.path(), "C:\\a.mp4"));
  EXPECT_TRUE(AppendErrorList(dir.path(), "C:\\動画\\二.mkv"));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(dir.File("error.txt"), &bytes));
  EXPECT_EQ(bytes, kBom + kLine + "C:\\a.mp4'\r\n" + kLine + "C:\\動画\\二.mkv'\r\n");
  EXPECT_FALSE(AppendErrorList(dir.File("no-such-folder") + std::string(1, dir.path().back()), "C:\\a.mp4"));
}

TEST(ProbeFile, StreamsBeyondTheCapacityAreNotStored) {
  Probe probe(kSeparateTarget, PAGE_SEPARATE);
  const std::string many = probe.dir.File("many.mov");
  ASSERT_TRUE(testing::MakeManyStreams(many, STREAM_CAPACITY + 1));
  ASSERT_EQ(testing::ProbeStreams(many).size(), static_cast<std::size_t>(STREAM_CAPACITY + 1));
  EXPECT_EQ(probe.Run(many), 1);
  ASSERT_EQ(probe.files.files.size(), 1u);
  EXPECT_EQ(probe.files.files[0].streams.size(), static_cast<std::size_t>(STREAM_CAPACITY));
  EXPECT_EQ(probe.files.files[0].streams.back().text.rfind("Stream #0:255", 0), 0u);
}

TEST(IsVolumeExtension, AcceptsTheFourAacGainTypesInAnyCase) {
  for (const char* path : {"C:\\a.mp4", "C:\\a.MP3", "C:\\a.m4A", "/x/a.AAC", "C:\\dir.mp4\\a.aac"}) {
    EXPECT_TRUE(IsVolumeExtension(path)) << path;
  }
  for (const char* path : {"C:\\a.wav", "C:\\a.mp4.bak", "C:\\a", "C:\\mp4", "C:\\a.mp", "C:\\dir.mp3\\a"}) {
    EXPECT_FALSE(IsVolumeExtension(path)) << path;
  }
}

}  // namespace
}  // namespace clipwright
