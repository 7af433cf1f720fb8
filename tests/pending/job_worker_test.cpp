// The job driver with its command runs replaced: every run does what the test planned.
#include "jobs/job_worker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "win32/job_pages.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::FakeRequests;
using testing::SummaryOf;
using testing::TempDir;

// A progress dialog that also keeps the order of the calls of the end-of-run contract.
class RecordingDialog : public FakeDialog {
 public:
  void SetText(int id, std::string_view text) override {
    if (id == IDC_PROGRESS_STATUS) Record("status");
    FakeDialog::SetText(id, text);
  }
  void StopTimer() override {
    Record("stop timer");
    FakeDialog::StopTimer();
  }
  void Show(int id, bool visible) override {
    Record((visible ? "show " : "hide ") + std::to_string(id));
    FakeDialog::Show(id, visible);
  }
  void Record(const std::string& event) {
    std::lock_guard lock(mutex_);
    events_.push_back(event);
  }
  std::vector<std::string> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> events_;
};

struct PlannedRun {
  int verdict = VERDICT_SUCCESS;
  std::string output;  // written to the command's output path when not empty
  bool press_abort = false;
};

// The last quoted text of a command: its output path.
std::string OutputOf(const std::string& command) {
  const std::size_t close = command.rfind('"');
  const std::size_t open = command.rfind('"', close - 1);
  return command.substr(open + 1, close - open - 1);
}

class JobWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FillSettingsPage(settings());
    settings().SetText(IDC_FFMPEG_PATH, tools.Write("ffmpeg.exe", "not run"));
    job.program_folder = tools.path();
    job.scan_output = [this](AnalysisResult&, Dialog&, const std::atomic<int>&, std::string_view command, int mode,
                             int* gain, double duration) {
      EXPECT_EQ(mode, SCAN_JOB);
      EXPECT_EQ(gain, nullptr);
      commands.emplace_back(command);
      durations.push_back(duration);
      const PlannedRun run = commands.size() <= plan.size() ? plan[commands.size() - 1] : PlannedRun{};
      if (!run.output.empty()) platform::WriteWholeFile(OutputOf(std::string(command)), run.output);
      if (run.press_abort) job.abort = 1;
      return run.verdict;
    };
    job.power_off = [this] {
      progress.Record("power off");
      return true;
    };
  }

  FakeDialog& settings() { return requests.page(PAGE_SETTINGS); }
  FakeDialog& convert() { return requests.page(PAGE_CONVERT); }

  // A convert page of `names` in the media folder, each with one selected audio stream.
  void ConvertFiles(const std::vector<std::string>& names, const std::string& container = "mp4") {
    job.operation = OP_CONVERT;
    for (std::size_t i = 0; i < names.size(); ++i) {
      convert().AddRows(IDC_CONVERT_FILES, {media.File(names[i])});
      files.files.push_back(FileEntry{{{"Stream #0:0: Audio: mp3", 1}}, 1.5 + static_cast<double>(i)});
    }
    job.files = &files;
    testing::FillConvertOptionLists(convert());
    testing::SelectContainer(convert(), IDC_CONVERT_CONTAINER, container);
  }

  void Run(FakeDialog& page) { JobWorker(job, progress, page, requests); }

  std::string Summary() { return progress.Text(IDC_PROGRESS_STATUS); }

  TempDir tools;
  TempDir media;
  FakeRequests requests;
  RecordingDialog progress;
  JobContext job;
  FileList files;
  std::vector<PlannedRun> plan;
  std::vector<std::string> commands;
  std::vector<double> durations;
};

TEST_F(JobWorkerTest, ConvertsEveryFileThenKeepsTheEndOfRunOrderAndPowersOff) {
  ConvertFiles({"a.mkv", "b.mkv", "c.mkv"});
  convert().SetChecked(IDC_CONVERT_POWER_OFF, true);
  Run(convert());
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(durations, (std::vector<double>{1.5, 2.5, 3.5}));
  EXPECT_EQ(progress.TextHistory(IDC_PROGRESS_FILE),
            (std::vector<std::string>{media.File("a.mkv"), media.File("b.mkv"), media.File("c.mkv")}));
  const std::vector<std::string> per_file = {"ファイルを変換中です．．．", "ファイルの変換に成功しました。"};
  std::vector<std::string> expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), per_file.begin(), per_file.end());
  EXPECT_EQ(progress.TextHistory(IDC_PROGRESS_PROCESS), expected);
  EXPECT_EQ(Summary(), SummaryOf(3, 0));
  EXPECT_EQ(progress.events(),
            (std::vector<std::string>{"status", "stop timer", "hide 2", "show 1", "power off"}));
  EXPECT_FALSE(progress.IsVisible(IDC_PROGRESS_ABORT));
  EXPECT_TRUE(progress.IsVisible(IDC_PROGRESS_CLOSE));
}

TEST_F(JobWorkerTest, AbortDuringTheSecondOfFiveStopsAndDoesNotPowerOff) {
  ConvertFiles({"1.mkv", "2.mkv", "3.mkv", "4.mkv", "5.mkv"});
  convert().SetChecked(IDC_CONVERT_POWER_OFF, true);
  plan = {PlannedRun{}, PlannedRun{VERDICT_ABORTED, "", true}};
  Run(convert());
  EXPECT_EQ(commands.size(), 2u);
  EXPECT_EQ(Summary(), SummaryOf(1, 4));
  const auto process = progress.TextHistory(IDC_PROGRESS_PROCESS);
  ASSERT_GE(process.size(), 2u);
  EXPECT_EQ(process[process.size() - 2], "ファイルの変換を中断中です．．．");
  EXPECT_EQ(process.back(), "ファイルの変換を中断しました。");
  EXPECT_EQ(progress.events(), (std::vector<std::string>{"status", "stop timer", "hide 2", "show 1"}));
}

TEST_F(JobWorkerTest, ARefusedCommandFailsItsFileAndTheRunGoesOn) {
  // A folder deep enough that the command of its file grows too long.
  std::string deep;
  for (int i = 0; i < 17; ++i) deep += "folder" + std::to_string(i % 10) + "xxx/";
  std::filesystem::create_directories(testing::FsPath(media.File(deep)));
  ConvertFiles({"a.mkv", deep + "b.mkv", "c.mkv"});
  convert().SetChecked(IDC_CONVERT_POWER_OFF, true);
  plan = {PlannedRun{}, PlannedRun{}};
  Run(convert());
  EXPECT_EQ(commands.size(), 2u);
  EXPECT_EQ(progress.MessageBoxes().size(), 1u);
  const auto process = progress.TextHistory(IDC_PROGRESS_PROCESS);
  ASSERT_EQ(process.size(), 5u);
  EXPECT_EQ(process[2], "コマンドの作成に失敗しました。");
  EXPECT_EQ(Summary(), SummaryOf(2, 1));
  EXPECT_EQ(progress.events().back(), "power off");  // failed files do not prevent it
}

TEST_F(JobWorkerTest, TagIsStrippedOnlyFromMp3OutputsWithTheBoxChecked) {
  const std::string tag = std::string("ID3\x04\x00\x00\x00\x00\x00\x0a", 10) + std::string(10, '\0');
  const std::string audio = "\xFF\xFB\x40\xC0" + std::string(60, 'a');
  const struct {
    std::string container;
    bool checked;
    std::string expected;
  } cases[] = {{"mp3", true, audio}, {"mp3", false, tag + audio}, {"mp4", true, tag + audio}};
  for (const auto& c : cases) {
    TempDir folder;
    FakeRequests fresh_requests;
    FakeDialog page;
    testing::FillSettingsPage(fresh_requests.page(PAGE_SETTINGS));
    fresh_requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, settings().Text(IDC_FFMPEG_PATH));
    fresh_requests.page(PAGE_SETTINGS).SetChecked(IDC_OPT_STRIP_ID3, c.checked);
    page.AddRows(IDC_CONVERT_FILES, {folder.File("song.wav")});
    testing::SelectContainer(page, IDC_CONVERT_CONTAINER, c.container);
    FileList list;
    list.files.push_back(FileEntry{{{"Stream #0:0: Audio: pcm_s16le", 1}}, 1});
    JobContext run;
    run.operation = OP_CONVERT;
    run.files = &list;
    run.scan_output = [&](AnalysisResult&, Dialog&, const std::atomic<int>&, std::string_view command, int, int*,
                          double) {
      platform::WriteWholeFile(OutputOf(std::string(command)), tag + audio);
      return int{VERDICT_SUCCESS};
    };
    JobWorker(run, progress, page, fresh_requests);
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(folder.File("song_1." + c.container), &bytes));
    EXPECT_EQ(bytes, c.expected) << c.container << " " << c.checked;
  }
}

TEST_F(JobWorkerTest, NothingToDo) {
  FakeDialog& concatenate = requests.page(PAGE_CONCATENATE);
  concatenate.AddRows(IDC_CONCAT_FILES, {media.File("only.mp4")});
  job.operation = OP_CONCATENATE;
  Run(concatenate);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "連結すべきファイルがありません。");
  EXPECT_EQ(Summary(), SummaryOf(0, 0));
  EXPECT_TRUE(commands.empty());
  EXPECT_FALSE(platform::PathExists(media.File("input.txt")));

  job.operation = OP_SEPARATE;
  Run(requests.page(PAGE_SEPARATE));
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "分離すべきファイルがありません。");
  EXPECT_TRUE(progress.timer_stopped());
}

TEST_F(JobWorkerTest, AMissingFfmpegFailsEveryFile) {
  ConvertFiles({"a.mkv", "b.mkv"});
  settings().SetText(IDC_FFMPEG_PATH, tools.File("no-ffmpeg.exe"));
  convert().SetChecked(IDC_CONVERT_POWER_OFF, true);
  Run(convert());
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "FFmpeg.exeがありません。");
  EXPECT_EQ(Summary(), SummaryOf(0, 2));
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(requests.main_window().MessageBoxes().size(), 1u);
  EXPECT_EQ(progress.events(),
            (std::vector<std::string>{"status", "stop timer", "hide 2", "show 1", "power off"}));
}

TEST_F(JobWorkerTest, SplitRenamesItsOutputToTheRangeAndAFailedRunIsCounted) {
  FakeDialog& split = requests.page(PAGE_SPLIT);
  split.SetText(IDC_SPLIT_PATH, media.File("clip.mp4"));
  split.AddRows(IDC_SPLIT_STREAMS, {"Stream #0:0: Video: h264"}, true);
  testing::SelectContainer(split, IDC_SPLIT_CONTAINER, "mp4");
  job.operation = OP_SPLIT;
  job.start_time = 12.5;
  job.end_time = 60;
  plan = {PlannedRun{VERDICT_SUCCESS, "piece"}, PlannedRun{VERDICT_FAILURE, ""}};
  Run(split);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  EXPECT_TRUE(platform::PathExists(media.File("clip_00012.500-00060.000_1.mp4")));
  EXPECT_FALSE(platform::PathExists(media.File("clip_1.mp4")));
  EXPECT_EQ(durations, std::vector<double>{0});

  Run(split);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "ファイルの分割に失敗しました。");
  EXPECT_EQ(Summary(), SummaryOf(0, 1));
  EXPECT_EQ(platform::ListFolder(media.path()).size(), 1u);
}

TEST_F(JobWorkerTest, TempCopiesAreRunAndRemovedAndTheOutputTakesTheListedName) {
  settings().SetChecked(IDC_TEMP_COPIES, true);
  ConvertFiles({"movie.mkv"});
  media.Write("movie.mkv", "movie");
  plan = {PlannedRun{VERDICT_SUCCESS, "converted"}};
  Run(convert());
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_NE(commands[0].find("-i \"" + media.File("temp0001.mkv") + "\""), std::string::npos);
  EXPECT_EQ(OutputOf(commands[0]), media.File("temp0001_1.mp4"));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(media.File("movie_1.mp4"), &bytes));
  EXPECT_EQ(bytes, "converted");
  EXPECT_EQ(platform::ListFolder(media.path()).size(), 2u);  // movie.mkv and movie_1.mp4
}

TEST_F(JobWorkerTest, ARefusedConcatenateLeavesNoCopiesAndNoList) {
  settings().SetChecked(IDC_TEMP_COPIES, true);
  FakeDialog& concatenate = requests.page(PAGE_CONCATENATE);
  concatenate.AddRows(IDC_CONCAT_FILES, {media.Write("a.mp4", "a"), media.Write("b.mp4", "b")});
  // Sixty mapped streams make the command too long.
  concatenate.AddRows(IDC_CONCAT_STREAMS, std::vector<std::string>(60, "Stream #0:0: Audio: aac"), true);
  testing::SelectContainer(concatenate, IDC_CONCAT_CONTAINER, "mp4");
  job.operation = OP_CONCATENATE;
  Run(concatenate);
  ASSERT_EQ(progress.MessageBoxes().size(), 1u);
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(Summary(), SummaryOf(0, 1));
  EXPECT_EQ(platform::ListFolder(media.path()).size(), 2u);  // a.mp4 and b.mp4 only
}

// The copies of a concatenate can take minutes; a user's input.txt saved meanwhile beside the
// files is neither written over nor deleted.
TEST_F(JobWorkerTest, AnInputTxtMadeWhileTheCopiesAreMadeIsLeftAlone) {
  class SavingMeanwhile : public FakeDialog {
   public:
    explicit SavingMeanwhile(std::string path) : path_(std::move(path)) {}
    std::string RowText(int list_id, int row) override {
      if (list_id == IDC_CONCAT_FILES && row == 0 && !platform::PathExists(path_)) {
        platform::WriteWholeFile(path_, "a user's notes");
      }
      return FakeDialog::RowText(list_id, row);
    }

   private:
    std::string path_;
  };
  settings().SetChecked(IDC_TEMP_COPIES, true);
  SavingMeanwhile concatenate(media.File("input.txt"));
  concatenate.AddRows(IDC_CONCAT_FILES, {media.Write("a.mp4", "a"), media.Write("b.mp4", "b")});
  concatenate.AddRows(IDC_CONCAT_STREAMS, {"Stream #0:0: Audio: aac"}, true);
  testing::SelectContainer(concatenate, IDC_CONCAT_CONTAINER, "mp4");
  job.operation = OP_CONCATENATE;
  plan = {PlannedRun{VERDICT_SUCCESS, "joined"}};
  Run(concatenate);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(media.File("input.txt"), &bytes));
  EXPECT_EQ(bytes, "a user's notes");
  EXPECT_EQ(platform::ListFolder(media.path()).size(), 4u);  // a.mp4, b.mp4, input.txt and b_1.mp4
}

// An abort that comes before FFmpeg started (here while the too-long command is shown) removes
// nothing at the output's name: whatever is there now is not this run's.
TEST_F(JobWorkerTest, AnAbortBeforeFfmpegStartsRemovesNothing) {
  class SavingWhileTheBoxIsUp : public RecordingDialog {
   public:
    explicit SavingWhileTheBoxIsUp(std::atomic<int>& abort) : abort_(abort) {}
    int MessageBox(std::string_view text, std::string_view caption, unsigned buttons) override {
      platform::WriteWholeFile(OutputOf(std::string(text)), "a user's file");
      abort_ = 1;
      return RecordingDialog::MessageBox(text, caption, buttons);
    }

   private:
    std::atomic<int>& abort_;
  };
  FakeDialog& concatenate = requests.page(PAGE_CONCATENATE);
  concatenate.AddRows(IDC_CONCAT_FILES, {media.Write("a.mp4", "a"), media.Write("b.mp4", "b")});
  concatenate.AddRows(IDC_CONCAT_STREAMS, std::vector<std::string>(60, "Stream #0:0: Audio: aac"), true);
  testing::SelectContainer(concatenate, IDC_CONCAT_CONTAINER, "mp4");
  job.operation = OP_CONCATENATE;
  SavingWhileTheBoxIsUp shown(job.abort);
  JobWorker(job, shown, concatenate, requests);
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(media.Names(), (std::vector<std::string>{"a.mp4", "b.mp4", "input_1.mp4"}));
}

TEST(OperationWord, Words) {
  EXPECT_STREQ(OperationWord(OP_SPLIT), "分割");
  EXPECT_STREQ(OperationWord(OP_CONCATENATE), "連結");
  EXPECT_STREQ(OperationWord(OP_MULTIPLEX), "多重化");
  EXPECT_STREQ(OperationWord(OP_SEPARATE), "分離");
  EXPECT_STREQ(OperationWord(OP_CONVERT), "変換");
  EXPECT_STREQ(OperationWord(OP_SPLIT_AT_KEYFRAMES), "");
}

}  // namespace
}  // namespace clipwright
