#include "analysis/file_intake.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/error_list.h"
#include "ui/file_list_ops.h"
#include "common/limits.h"
#include "platform/text.h"
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

struct OpenDialogCase {
  const char* name;
  std::u16string buffer;
  std::vector<std::string> paths;
};

void PrintTo(const OpenDialogCase& c, std::ostream* os) { *os << c.name; }

class PathsFromOpenDialogTest : public ::testing::TestWithParam<OpenDialogCase> {};

TEST_P(PathsFromOpenDialogTest, JoinsTheFolderAndEachName) {
  EXPECT_EQ(PathsFromOpenDialog(GetParam().buffer), GetParam().paths);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Buffers, PathsFromOpenDialogTest,
    ::testing::Values(
        OpenDialogCase{"OneFile", u"C:\\v\\a.mp4\0\0"s, {"C:\\v\\a.mp4"}},
        OpenDialogCase{"FolderAndNames", u"C:\\v\0a.mp4\0b.mkv\0c.m4a\0\0"s,
                       {"C:\\v\\a.mp4", "C:\\v\\b.mkv", "C:\\v\\c.m4a"}},
        OpenDialogCase{"DriveRootIsNotDoubled", u"D:\\\0a.mp4\0b.mp4\0c.mp4\0\0"s,
                       {"D:\\a.mp4", "D:\\b.mp4", "D:\\c.mp4"}},
        OpenDialogCase{"JapaneseNames", u"C:\\動画\0一.mp4\0二.mp4\0\0"s, {"C:\\動画\\一.mp4", "C:\\動画\\二.mp4"}},
        // A zero-filled buffer as the dialog leaves it: the rest is ignored.
        OpenDialogCase{"RestOfBufferIgnored", u"C:\\v\0a.mp4\0\0b.mp4\0\0\0\0"s, {"C:\\v\\a.mp4"}},
        // A buffer filled to its last character still reads without running past its end.
        OpenDialogCase{"FullBufferWithoutEnd", u"C:\\v\0a.mp4\0b.m"s, {"C:\\v\\a.mp4", "C:\\v\\b.m"}},
        OpenDialogCase{"SinglePathWithoutEnd", u"C:\\v\\a.mp4"s, {"C:\\v\\a.mp4"}},
        OpenDialogCase{"Empty", u"\0\0"s, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The window side of intake, in memory: answers the open-file dialog from `chosen`, and runs
// the real worker for the analysis dialog (or only records the batch).
class FakeShell : public IntakeShell {
 public:
  FakeShell(Dialog& page, Requests& requests) : page_(page), requests_(requests) {}

  std::optional<std::u16string> ChooseFiles(bool multiple) override {
    choose_calls.push_back(multiple);
    return chosen;
  }
  void RunAnalysisDialog(AnalysisJob& job) override {
    batches.push_back(job.paths);
    if (run_worker) AnalysisWorker(job, progress, page_, requests_);
  }
  void OpenErrorList(const std::string& path) override { opened.push_back(path); }

  std::optional<std::u16string> chosen;
  bool run_worker = true;
  FakeDialog progress;
  std::vector<bool> choose_calls;
  std::vector<std::vector<std::string>> batches;
  std::vector<std::string> opened;

 private:
  Dialog& page_;
  Requests& requests_;
};

// Pages, requests and a shell with FFmpeg configured and error.txt in a temporary folder.
struct Intake {
  TempDir dir;
  FakeRequests requests;
  FakeShell shell;
  AnalysisJob job;

  explicit Intake(const ProbeTarget& target, int page_index = PAGE_VOLUME)
      : shell(requests.page(page_index), requests) {
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
    job.target = target;
    job.error_folder = dir.path();
  }
  FakeDialog& page(int index = PAGE_VOLUME) { return requests.page(index); }
  std::string ErrorList() {
    std::string bytes;
    platform::ReadWholeFile(ErrorListPath(dir.path()), &bytes);
    return bytes;
  }
};

TEST(AddFiles, WithoutFfmpegNothingHappens) {
  Intake intake(kVolumeTarget);
  FileList files;
  intake.job.files = &files;
  intake.page().InsertRow(IDC_VOLUME_FILES, 0, "kept.mp3");
  intake.requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, intake.dir.File("missing.exe"));
  intake.shell.chosen = u"C:\\v\\a.mp3\0\0"s;
  const std::vector<std::string> dropped{intake.dir.Write("b.mp3", "b")};

  EXPECT_EQ(AddFiles(intake.job, intake.page(), intake.requests, intake.shell, nullptr), 0);
  EXPECT_EQ(AddFiles(intake.job, intake.page(), intake.requests, intake.shell, &dropped), 0);
  EXPECT_TRUE(intake.shell.choose_calls.empty());
  EXPECT_TRUE(intake.shell.batches.empty());
  EXPECT_EQ(intake.requests.main_window().MessageBoxes().size(), 2u);  // the main window's own message
  EXPECT_EQ(intake.page().SelectedRow(IDC_VOLUME_FILES), -1);
  EXPECT_TRUE(intake.page().MessageBoxes().empty());
}

TEST(AddFiles, ACancelledDialogStillSelectsTheFirstFile) {
  Intake intake(kConvertTarget, PAGE_CONVERT);
  FileList files;
  files.files.push_back(FileEntry{{StreamEntry{"Stream #0:0: Video: h264", 1}, StreamEntry{"Stream #0:1: Audio: aac", 0}}, 2.0});
  files.files.push_back(FileEntry{{StreamEntry{"Stream #0:0: Audio: mp3", 1}}, 3.0});
  intake.job.files = &files;
  FakeDialog& page = intake.page(PAGE_CONVERT);
  page.AddRows(IDC_CONVERT_FILES, {"a.mp4", "b.mp3"});

  EXPECT_EQ(AddFiles(intake.job, page, intake.requests, intake.shell, nullptr), 1);
  EXPECT_EQ(intake.shell.choose_calls, std::vector<bool>{true});
  EXPECT_TRUE(intake.shell.batches.empty());
  EXPECT_EQ(page.SelectedRow(IDC_CONVERT_FILES), 0);
  ASSERT_EQ(page.RowCount(IDC_CONVERT_STREAMS), 2);
  EXPECT_TRUE(page.RowChecked(IDC_CONVERT_STREAMS, 0));
  EXPECT_FALSE(page.RowChecked(IDC_CONVERT_STREAMS, 1));
}

TEST(AddFiles, SingleFileTargetsAskTheDialogForOneFile) {
  for (const ProbeTarget& target : {kSplitTarget, kMultiplexTarget1, kMultiplexTarget2, kConcatenateTarget,
                                    kSeparateTarget, kConvertTarget, kVolumeTarget}) {
    Intake intake(target);
    EXPECT_EQ(AddFiles(intake.job, intake.page(), intake.requests, intake.shell, nullptr), 1);
    EXPECT_EQ(intake.shell.choose_calls, std::vector<bool>{target.path_control == 0}) << target.run_button;
  }
}

TEST(AddFiles, ABatchWithFailuresAsksOnceAndOpensTheErrorListOnYes) {
  for (const int answer : {kAnswerYes, kAnswerNo}) {
    Intake intake(kVolumeTarget);
    FileList files;
    intake.job.files = &files;
    intake.page().SetMessageBoxAnswer(answer);
    // The volume page turns these down before any FFmpeg run.
    const std::string folder = intake.dir.path().substr(0, intake.dir.path().size() - 1);
    const std::u16string buffer =
        platform::Utf8ToUtf16(folder) + u"\0a.wav\0b.ogg\0c.flac\0\0"s;
    intake.shell.chosen = buffer;

    EXPECT_EQ(AddFiles(intake.job, intake.page(), intake.requests, intake.shell, nullptr), 1);
    ASSERT_EQ(intake.shell.batches.size(), 1u);
    EXPECT_EQ(intake.shell.batches[0],
              (std::vector<std::string>{folder + "\\a.wav", folder + "\\b.ogg", folder + "\\c.flac"}));
    EXPECT_EQ(intake.job.error, 1);
    const auto boxes = intake.page().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？");
    EXPECT_EQ(boxes[0].caption, "ファイル追加エラー");
    EXPECT_EQ(boxes[0].buttons, kMessageYesNo);
    EXPECT_EQ(intake.shell.opened,
              answer == kAnswerYes ? std::vector<std::string>{ErrorListPath(intake.dir.path())}
                                   : std::vector<std::string>{});
    EXPECT_EQ(intake.ErrorList(), "\xEF\xBB\xBFInvalid data found when processing input '" + folder +
                                      "\\a.wav'\r\nInvalid data found when processing input '" + folder +
                                      "\\b.ogg'\r\nInvalid data found when processing input '" + folder +
                                      "\\c.flac'\r\n");
    EXPECT_TRUE(intake.requests.main_window().MessageBoxes().empty());  // FFmpeg was asked for once only
    EXPECT_EQ(intake.shell.progress.end_result(), 1);  // a failed probe alone is no abort
    EXPECT_TRUE(intake.shell.progress.timer_stopped());
  }
}

TEST(AddFiles, ADropTakesFilesOnlyAndASingleTargetTakesTheFirst) {
  Intake intake(kMultiplexTarget2, PAGE_MULTIPLEX);
  intake.shell.run_worker = false;
  const std::string folder = intake.dir.File("folder");
  ASSERT_TRUE(std::filesystem::create_directory(testing::FsPath(folder)));
  const std::vector<std::string> files{intake.dir.Write("a.mp4", "a"), intake.dir.Write("b.mp4", "b")};
  const std::vector<std::string> dropped{folder, intake.dir.File("gone.mp4"), files[0], files[1]};
  FakeDialog& page = intake.page(PAGE_MULTIPLEX);

  EXPECT_EQ(AddFiles(intake.job, page, intake.requests, intake.shell, &dropped), 1);
  EXPECT_TRUE(intake.shell.choose_calls.empty());
  EXPECT_EQ(intake.shell.batches, (std::vector<std::vector<std::string>>{{files[0]}}));

  intake.job.target = kConvertTarget;
  EXPECT_EQ(AddFiles(intake.job, page, intake.requests, intake.shell, &dropped), 1);
  EXPECT_EQ(intake.shell.batches.back(), files);

  // A name longer than a row holds cannot be looked at everywhere; it is kept for the probe to
  // turn down, never dropped in silence.
  const std::string too_long = intake.dir.File(std::string(260, 'x') + ".mp4");
  const std::vector<std::string> with_long{intake.dir.File("gone.mp4"), too_long, files[1]};
  EXPECT_EQ(AddFiles(intake.job, page, intake.requests, intake.shell, &with_long), 1);
  EXPECT_EQ(intake.shell.batches.back(), (std::vector<std::string>{too_long, files[1]}));

  // Folders only: nothing to analyse, no dialog, no question.
  const std::vector<std::string> folders{folder};
  EXPECT_EQ(AddFiles(intake.job, page, intake.requests, intake.shell, &folders), 1);
  EXPECT_EQ(intake.shell.batches.size(), 3u);
  EXPECT_TRUE(page.MessageBoxes().empty());
}

// Files that cannot be taken whole are turned down before FFmpeg is asked for; an FFmpeg path
// that does not exist would make the main window complain if it were.
TEST(AnalysisWorker, LimitsTurnFilesDownWithAnErrorLine) {
  Intake intake(kSeparateTarget, PAGE_SEPARATE);
  intake.requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, intake.dir.File("missing.exe"));
  FileList files;
  files.files.resize(FILE_CAPACITY);
  intake.job.files = &files;
  FakeDialog& page = intake.page(PAGE_SEPARATE);
  for (int n = 0; n < FILE_CAPACITY; ++n) page.InsertRow(IDC_SEPARATE_FILES, n, std::to_string(n) + ".mp4");
  const std::string full_list = intake.dir.File("a.mp4");
  intake.job.paths = {full_list};

  AnalysisWorker(intake.job, intake.shell.progress, page, intake.requests);
  EXPECT_EQ(intake.job.error, 1);
  EXPECT_EQ(page.RowCount(IDC_SEPARATE_FILES), FILE_CAPACITY);
  EXPECT_EQ(files.files.size(), static_cast<std::size_t>(FILE_CAPACITY));
  EXPECT_TRUE(intake.requests.main_window().MessageBoxes().empty());
  EXPECT_EQ(intake.shell.progress.end_result(), 1);

  // Path length is counted in UTF-16 units: 259 may be probed, 260 may not, whatever the bytes.
  page.DeleteAllRows(IDC_SEPARATE_FILES);
  files.files.clear();
  std::string longest = "C:\\";
  while (platform::Utf16Length(longest) < 255) longest += "\xF0\x9F\x8E\xAC";  // two units each
  longest += "a.mp4";                                                          // 255 + 5 = 260
  const std::string fits = longest.substr(0, longest.size() - 1);  // ends in "a.mp", 259 units
  ASSERT_EQ(platform::Utf16Length(longest), 260u);
  ASSERT_EQ(platform::Utf16Length(fits), 259u);
  intake.job.paths = {longest};
  AnalysisWorker(intake.job, intake.shell.progress, page, intake.requests);
  EXPECT_TRUE(intake.requests.main_window().MessageBoxes().empty());
  intake.job.paths = {fits};
  AnalysisWorker(intake.job, intake.shell.progress, page, intake.requests);
  EXPECT_EQ(intake.requests.main_window().MessageBoxes().size(), 1u);
  EXPECT_EQ(page.RowCount(IDC_SEPARATE_FILES), 0);

  const std::string line = "Invalid data found when processing input '";
  EXPECT_EQ(intake.ErrorList(), "\xEF\xBB\xBF" + line + full_list + "'\r\n" + line + longest + "'\r\n" + line + fits + "'\r\n");
}

TEST(AddFiles, ADropWithAFailingFileAddsTheOthersInOrderAndAsksOnce) {
  Intake intake(kConvertTarget, PAGE_CONVERT);
  FileList files;
  files.keeps_durations = true;
  intake.job.files = &files;
  FakeDialog& page = intake.page(PAGE_CONVERT);
  page.SetMessageBoxAnswer(kAnswerNo);
  const std::string first = intake.dir.File("first.mkv");
  const std::string third = intake.dir.File("third.mp4");
  ASSERT_TRUE(testing::MakeClip(first, 1.0, true, true));
  ASSERT_TRUE(testing::MakeClip(third, 2.0, false, true));
  const std::string second = intake.dir.Write("second.mp4", "not really a video");
  const std::string folder = intake.dir.File("folder.mp4");
  ASSERT_TRUE(std::filesystem::create_directory(testing::FsPath(folder)));
  const std::vector<std::string> dropped{first, folder, second, third};

  EXPECT_EQ(AddFiles(intake.job, page, intake.requests, intake.shell, &dropped), 1);
  ASSERT_EQ(page.RowCount(IDC_CONVERT_FILES), 2);
  EXPECT_EQ(page.RowText(IDC_CONVERT_FILES, 0), first);
  EXPECT_EQ(page.RowText(IDC_CONVERT_FILES, 1), third);
  ASSERT_EQ(files.files.size(), 2u);
  EXPECT_NEAR(files.files[1].duration, 2.0, 0.1);
  EXPECT_EQ(intake.ErrorList(), "\xEF\xBB\xBFInvalid data found when processing input '" + second + "'\r\n");
  EXPECT_EQ(page.MessageBoxes().size(), 1u);
  EXPECT_TRUE(intake.shell.opened.empty());
  // The first file is selected and its two streams are shown checked.
  EXPECT_EQ(page.SelectedRow(IDC_CONVERT_FILES), 0);
  ASSERT_EQ(page.RowCount(IDC_CONVERT_STREAMS), 2);
  EXPECT_TRUE(page.RowChecked(IDC_CONVERT_STREAMS, 1));
  EXPECT_TRUE(page.IsEnabled(IDC_CONVERT_RUN));
  EXPECT_EQ(intake.shell.progress.end_result(), 1);
}

TEST(AnalysisWorker, AnAbortEndsTheBatchAfterTheRunningProbe) {
  Intake intake(kSeparateTarget, PAGE_SEPARATE);
  FileList files;
  intake.job.files = &files;
  const std::string a = intake.dir.File("a.mka");
  ASSERT_TRUE(testing::MakeClip(a, 1.0, false, true));
  intake.job.paths = {a, a, a};
  intake.job.abort = 1;
  FakeDialog& progress = intake.shell.progress;
  progress.Enable(IDC_PROGRESS_ABORT, true);

  AnalysisWorker(intake.job, progress, intake.page(PAGE_SEPARATE), intake.requests);
  EXPECT_EQ(progress.TextHistory(IDC_PROGRESS_FILE).size(), 1u);
  EXPECT_EQ(intake.page(PAGE_SEPARATE).RowCount(IDC_SEPARATE_FILES), 0);
  EXPECT_EQ(intake.job.error, 1);
  EXPECT_FALSE(progress.IsEnabled(IDC_PROGRESS_ABORT));
  EXPECT_TRUE(progress.timer_stopped());
  EXPECT_EQ(progress.end_result(), 2);
}

struct SplitCase {
  const char* name;
  const char* file;  // a video clip (.mp4), an audio clip (.mp3) or no media (.log)
  int scan_result;  // -1: no scan slot filled
  bool scanned;
  int end_result;
  bool analysed;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitBranchTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitBranchTest, TheScanFollowsTheProbeAndDecidesTheEnd) {
  const SplitCase& c = GetParam();
  Intake intake(kSplitTarget, PAGE_SPLIT);
  SplitPageState split;
  intake.job.split = &split;
  const std::string name = c.file;
  const bool video = name.ends_with(".mp4");
  const bool media = !name.ends_with(".log");
  const std::string clip = media ? intake.dir.File(name) : intake.dir.Write(name, "text");
  if (media) {
    ASSERT_TRUE(testing::MakeClip(clip, 1.0, video, !video));
  }
  FakeDialog& progress = intake.shell.progress;
  progress.Enable(IDC_PROGRESS_ABORT, false);
  std::vector<std::string> scanned;
  int video_kind_seen = -1;
  bool abort_enabled = false;
  if (c.scan_result >= 0) {
    intake.job.split_scan = [&](AnalysisJob& job, Dialog& dialog, Dialog&, Requests&, const std::string& path) {
      scanned.push_back(path);
      video_kind_seen = job.split->video_kind;
      abort_enabled = dialog.IsEnabled(IDC_PROGRESS_ABORT);
      return c.scan_result;
    };
  }
  int analysed = 0;
  intake.job.split_analysed = [&](Dialog&) { ++analysed; };
  intake.job.paths = {clip};

  AnalysisWorker(intake.job, progress, intake.page(PAGE_SPLIT), intake.requests);
  EXPECT_EQ(progress.end_result(), c.end_result);
  EXPECT_EQ(analysed, c.analysed ? 1 : 0);
  if (c.scanned) {
    EXPECT_EQ(scanned, std::vector<std::string>{clip});
    EXPECT_EQ(video_kind_seen, video ? 1 : 0);  // stored before the scan chooses its kind
    EXPECT_TRUE(abort_enabled);
  } else {
    EXPECT_TRUE(scanned.empty());
    EXPECT_FALSE(progress.IsEnabled(IDC_PROGRESS_ABORT));
  }
}

INSTANTIATE_TEST_SUITE_P(Scans, SplitBranchTest,
                         ::testing::Values(SplitCase{"VideoScanUsable", "clip.mp4", 1, true, 1, true},
                                           SplitCase{"VideoScanFailed", "clip.mp4", 0, true, 2, false},
                                           SplitCase{"AudioScanUsable", "tone.mp3", 1, true, 1, true},
                                           SplitCase{"NoScanSlot", "clip.mp4", -1, false, 1, true},
                                           // A failed probe alone ends with 1, but the page is not told.
                                           SplitCase{"ProbeFailed", "notes.log", 1, false, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
