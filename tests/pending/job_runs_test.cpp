// Whole runs of the five operations with this build's real FFmpeg on clips made for the test:
// the outputs exist under their final names, hold the streams asked for and decode, and nothing
// of the run is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "jobs/job_worker.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "win32/fake_dialog.h"
#include "win32/job_pages.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::FakeRequests;
using testing::TempDir;

using testing::PlayTime;
using testing::StreamKinds;
using testing::SummaryOf;

// FFmpeg decodes the whole file without a single error.
bool Decodes(const std::string& path) {
  const auto output = testing::RunCommand(testing::FfmpegCommand() + " -hide_banner -nostdin -v error -i " +
                                          testing::Quoted(path) + " -f null -");
  return output && output->empty();
}

const char* const kVideoAudio = "-c:v libx264 -preset ultrafast -g 25 -c:a aac -shortest";

class JobRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FillSettingsPage(settings());
    settings().SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
    job.program_folder = logs.path();
    job.power_off = [this] {
      ++power_offs;
      return true;
    };
  }

  FakeDialog& settings() { return requests.page(PAGE_SETTINGS); }
  FakeDialog& page(int index) { return requests.page(index); }

  std::string Clip(const std::string& name, double seconds, bool video, bool audio, const std::string& args) {
    const std::string path = media.File(name);
    EXPECT_TRUE(testing::MakeClip(path, seconds, video, audio, args)) << name;
    return path;
  }

  // One checked row per stream line, as the probe fills a stream list.
  static void StreamRows(FakeDialog& target, int list_id, const std::string& file) {
    target.AddRows(list_id, testing::ProbeStreams(file), true);
  }

  // A list page's file as the probe stores it: every stream selected, and its play time.
  void AddListFile(FakeDialog& target, int list_id, const std::string& file) {
    target.AddRows(list_id, {file});
    FileEntry entry;
    for (const std::string& line : testing::ProbeStreams(file)) entry.streams.push_back(StreamEntry{line, 1});
    entry.duration = PlayTime(file);
    files.files.push_back(entry);
    job.files = &files;
  }

  void Run(int operation, FakeDialog& target) {
    job.operation = operation;
    JobWorker(job, progress, target, requests);
  }

  std::string Summary() { return progress.Text(IDC_PROGRESS_STATUS); }

  TempDir media;
  TempDir logs;
  FakeRequests requests;
  FakeDialog progress;
  JobContext job;
  FileList files;
  int power_offs = 0;
};

TEST_F(JobRunTest, SplitCutsTheRangeAndNamesIt) {
  const std::string clip = Clip("clip.mp4", 3, true, true, kVideoAudio);
  FakeDialog& split = page(PAGE_SPLIT);
  split.SetText(IDC_SPLIT_PATH, clip);
  StreamRows(split, IDC_SPLIT_STREAMS, clip);
  testing::SelectContainer(split, IDC_SPLIT_CONTAINER, "mp4");
  job.start_time = 1;
  job.end_time = 2;
  Run(OP_SPLIT, split);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  const std::string piece = media.File("clip_00001.000-00002.000_1.mp4");
  EXPECT_EQ(StreamKinds(piece), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(piece), 1, 0.5);
  EXPECT_TRUE(Decodes(piece));

  // Again on a temp copy: the same range now takes the next counter, and the copy is gone.
  settings().SetChecked(IDC_TEMP_COPIES, true);
  Run(OP_SPLIT, split);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  EXPECT_EQ(media.Names(), (std::vector<std::string>{"clip.mp4", "clip_00001.000-00002.000_1.mp4",
                                                           "clip_2.mp4"}));
  EXPECT_EQ(StreamKinds(media.File("clip_2.mp4")), (std::vector<std::string>{"Video", "Audio"}));
}

TEST_F(JobRunTest, ConcatenateJoinsFilesWithJapaneseNamesAndQuotes) {
  const std::string first = Clip("夏の動画.mp4", 1, true, true, kVideoAudio);
  const std::string second = Clip("Don't Stop.mp4", 1, true, true, kVideoAudio);
  FakeDialog& concatenate = page(PAGE_CONCATENATE);
  concatenate.AddRows(IDC_CONCAT_FILES, {first, second});
  StreamRows(concatenate, IDC_CONCAT_STREAMS, first);
  testing::SelectContainer(concatenate, IDC_CONCAT_CONTAINER, "mp4");

  settings().SetChecked(IDC_TEMP_COPIES, true);
  Run(OP_CONCATENATE, concatenate);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  const std::string joined = media.File("Don't Stop_1.mp4");
  EXPECT_EQ(StreamKinds(joined), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(joined), 2, 0.3);
  EXPECT_TRUE(Decodes(joined));

  settings().SetChecked(IDC_TEMP_COPIES, false);
  Run(OP_CONCATENATE, concatenate);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  EXPECT_NEAR(PlayTime(media.File("Don't Stop_2.mp4")), 2, 0.3);
  EXPECT_EQ(media.Names(),
            (std::vector<std::string>{"Don't Stop.mp4", "Don't Stop_1.mp4", "Don't Stop_2.mp4", "夏の動画.mp4"}));
}

TEST_F(JobRunTest, MultiplexJoinsTheCheckedStreamsOfTwoFiles) {
  const std::string video = Clip("video.mp4", 1, true, false, "-c:v libx264 -preset ultrafast");
  const std::string sound = Clip("sound.m4a", 1, false, true, "-c:a aac");
  FakeDialog& mux = page(PAGE_MULTIPLEX);
  mux.SetText(IDC_MUX_PATH1, video);
  mux.SetText(IDC_MUX_PATH2, sound);
  StreamRows(mux, IDC_MUX_STREAMS1, video);
  StreamRows(mux, IDC_MUX_STREAMS2, sound);
  testing::SelectContainer(mux, IDC_MUX_CONTAINER, "mkv");
  Run(OP_MULTIPLEX, mux);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  EXPECT_EQ(StreamKinds(media.File("sound_1.mkv")), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_TRUE(Decodes(media.File("sound_1.mkv")));

  // Only the second file: it is input 0 of the command. On temp copies, which go afterwards.
  mux.SetRowChecked(IDC_MUX_STREAMS1, 0, false);
  settings().SetChecked(IDC_TEMP_COPIES, true);
  Run(OP_MULTIPLEX, mux);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  EXPECT_EQ(StreamKinds(media.File("sound_2.mkv")), (std::vector<std::string>{"Audio"}));
  EXPECT_EQ(media.Names(), (std::vector<std::string>{"sound.m4a", "sound_1.mkv", "sound_2.mkv", "video.mp4"}));
}

TEST_F(JobRunTest, SeparateTakesTheAudioOfEveryFile) {
  FakeDialog& separate = page(PAGE_SEPARATE);
  AddListFile(separate, IDC_SEPARATE_FILES, Clip("one.mkv", 1, true, true, kVideoAudio));
  AddListFile(separate, IDC_SEPARATE_FILES, Clip("two.mkv", 1, true, true, kVideoAudio));
  separate.SetChecked(IDC_SEPARATE_AUDIO_ONLY, true);
  testing::SelectContainer(separate, IDC_SEPARATE_CONTAINER, "aac");
  Run(OP_SEPARATE, separate);
  EXPECT_EQ(Summary(), SummaryOf(2, 0));
  for (const char* name : {"one_1.aac", "two_1.aac"}) {
    EXPECT_EQ(StreamKinds(media.File(name)), (std::vector<std::string>{"Audio"})) << name;
    EXPECT_TRUE(Decodes(media.File(name))) << name;
  }
}

// FFmpeg's tag of an MP3 written with -map_metadata -1 and the bitexact flags is exactly 20
// bytes; with 1405 checked the output keeps its audio and loses exactly that tag.
TEST_F(JobRunTest, ConvertToMp3RemovesFfmpegsTwentyByteTag) {
  FakeDialog& convert = page(PAGE_CONVERT);
  testing::FillConvertOptionLists(convert);
  AddListFile(convert, IDC_CONVERT_FILES, Clip("tone.wav", 1, false, true, ""));
  testing::SelectOption(convert, IDC_CONVERT_ACODEC, "libmp3lame");
  testing::SelectContainer(convert, IDC_CONVERT_CONTAINER, "mp3");
  testing::CheckOption(settings(), IDC_OPT_MAP_METADATA, "-1");
  testing::CheckOption(settings(), IDC_OPT_BITEXACT);
  testing::CheckOption(settings(), IDC_COMMAND_LOG);
  convert.SetChecked(IDC_CONVERT_POWER_OFF, true);

  Run(OP_CONVERT, convert);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  std::string tagged;
  ASSERT_TRUE(platform::ReadWholeFile(media.File("tone_1.mp3"), &tagged));
  EXPECT_EQ(TagHeaderLength(tagged), 20u);

  testing::CheckOption(settings(), IDC_OPT_STRIP_ID3);
  Run(OP_CONVERT, convert);
  EXPECT_EQ(Summary(), SummaryOf(1, 0));
  std::string stripped;
  ASSERT_TRUE(platform::ReadWholeFile(media.File("tone_2.mp3"), &stripped));
  EXPECT_EQ(stripped, tagged.substr(20));
  EXPECT_TRUE(Decodes(media.File("tone_2.mp3")));
  EXPECT_EQ(power_offs, 2);

  std::string log;
  ASSERT_TRUE(platform::ReadWholeFile(logs.File("log.txt"), &log));
  const std::string command = testing::FfmpegCommand() + " -i " + testing::Quoted(media.File("tone.wav")) +
                              " -map 0:0 -c:a libmp3lame -map_metadata -1 -fflags +bitexact -flags:v +bitexact"
                              " -flags:a +bitexact ";
  EXPECT_EQ(log, "\xEF\xBB\xBF" + command + testing::Quoted(media.File("tone_1.mp3")) + "\r\n" + command +
                     testing::Quoted(media.File("tone_2.mp3")) + "\r\n");
}

TEST_F(JobRunTest, ConvertWithSpeedAndAFileThatIsNoMedia) {
  FakeDialog& convert = page(PAGE_CONVERT);
  testing::FillConvertOptionLists(convert);
  AddListFile(convert, IDC_CONVERT_FILES, Clip("movie.mkv", 2, true, true, kVideoAudio));
  convert.AddRows(IDC_CONVERT_FILES, {media.Write("notes.txt", "not a movie")});
  files.files.push_back(FileEntry{{{"Stream #0:0: Video: h264", 1}}, 0});
  testing::SelectOption(convert, IDC_CONVERT_VCODEC, "libx264");
  testing::SelectOption(convert, IDC_CONVERT_PRESET, "ultrafast");
  testing::SelectOption(convert, IDC_CONVERT_ACODEC, "aac");
  testing::SelectOption(convert, IDC_CONVERT_SPEED, "2");
  testing::SelectContainer(convert, IDC_CONVERT_CONTAINER, "mp4");
  settings().SetChecked(IDC_TEMP_COPIES, true);
  Run(OP_CONVERT, convert);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "ファイルの変換に失敗しました。");
  EXPECT_EQ(Summary(), SummaryOf(1, 1));
  EXPECT_EQ(StreamKinds(media.File("movie_1.mp4")), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(media.File("movie_1.mp4")), 1, 0.3);
  EXPECT_TRUE(Decodes(media.File("movie_1.mp4")));
  EXPECT_EQ(media.Names(), (std::vector<std::string>{"movie.mkv", "movie_1.mp4", "notes.txt"}));
}

// FFmpeg refuses H.264 in WebM after it has written a header and printed "video" among its
// texts: the file failed, and the junk it left is not given a name of the user's.
TEST_F(JobRunTest, AFileFfmpegEndsWithAnErrorFailsAndLeavesNothing) {
  FakeDialog& convert = page(PAGE_CONVERT);
  testing::FillConvertOptionLists(convert);
  AddListFile(convert, IDC_CONVERT_FILES, Clip("movie.mp4", 1, true, false, "-c:v libx264 -preset ultrafast"));
  testing::SelectOption(convert, IDC_CONVERT_VCODEC, "copy");
  testing::SelectContainer(convert, IDC_CONVERT_CONTAINER, "webm");
  Run(OP_CONVERT, convert);
  EXPECT_EQ(progress.Text(IDC_PROGRESS_PROCESS), "ファイルの変換に失敗しました。");
  EXPECT_EQ(Summary(), SummaryOf(0, 1));
  EXPECT_EQ(media.Names(), (std::vector<std::string>{"movie.mp4"}));
}

// The user presses 中断 at each stage of a run: while the temp copies are made, as FFmpeg runs,
// at the tag removal after a success. Files finished before stand; nothing else of the run is
// left (no temp copy, no concat list, no unfinished output), and a checked power-off is not done.
// A page is one more set-up, a stage one more row.
struct AbortCase {
  const char* name;
  int operation;
  void (*set_up)(class AbortRunTest&);
  std::string pressed_at;  // the process line (9501) at which 中断 is pressed
  int occurrence;          // its first, second, … showing
  int successes;
  int failures;
  std::vector<std::string> made = {};  // the outputs that stand, beside the inputs
};

void PrintTo(const AbortCase& c, std::ostream* out) { *out << c.name; }

// Presses 中断 the moment the process line shows the text for the given time.
class AbortWhenShown : public FakeDialog {
 public:
  AbortWhenShown(std::atomic<int>& abort, const AbortCase& c) : abort_(abort), case_(c) {}
  void SetText(int id, std::string_view text) override {
    FakeDialog::SetText(id, text);
    if (id == IDC_PROGRESS_PROCESS && text == case_.pressed_at && ++seen_ == case_.occurrence) abort_ = 1;
  }

 private:
  std::atomic<int>& abort_;
  const AbortCase& case_;
  int seen_ = 0;
};

class AbortRunTest : public JobRunTest, public ::testing::WithParamInterface<AbortCase> {
 public:
  using JobRunTest::page;
  using JobRunTest::settings;

  // Three files of the convert page, with power-off checked.
  void ConvertPage(const std::string& extension, const std::string& args, const std::string& container) {
    FakeDialog& convert = page(PAGE_CONVERT);
    testing::FillConvertOptionLists(convert);
    for (const char* name : {"a", "b", "c"}) {
      AddListFile(convert, IDC_CONVERT_FILES, Clip(name + extension, 1, extension != ".wav", true, args));
    }
    testing::SelectContainer(convert, IDC_CONVERT_CONTAINER, container);
    convert.SetChecked(IDC_CONVERT_POWER_OFF, true);
  }
  void ConcatenatePage() {
    FakeDialog& concatenate = page(PAGE_CONCATENATE);
    for (const char* name : {"a.mp4", "b.mp4"}) {
      concatenate.AddRows(IDC_CONCAT_FILES, {Clip(name, 1, true, true, kVideoAudio)});
    }
    StreamRows(concatenate, IDC_CONCAT_STREAMS, media.File("a.mp4"));
    testing::SelectContainer(concatenate, IDC_CONCAT_CONTAINER, "mp4");
  }
  // The single split of a whole 1-second clip.
  void SplitPage() {
    FakeDialog& split = page(PAGE_SPLIT);
    split.SetText(IDC_SPLIT_PATH, Clip("s.mp4", 1, true, true, kVideoAudio));
    testing::SelectContainer(split, IDC_SPLIT_CONTAINER, "mp4");
    job.end_time = 1;
  }
  void TempCopies() { settings().SetChecked(IDC_TEMP_COPIES, true); }
};

void ConvertOnCopies(AbortRunTest& t) {
  t.ConvertPage(".mkv", kVideoAudio, "mkv");
  t.TempCopies();
}

void ConcatenateOnCopies(AbortRunTest& t) {
  t.ConcatenatePage();
  t.TempCopies();
}

void SplitOnACopy(AbortRunTest& t) {
  t.SplitPage();
  t.TempCopies();
}

void ConvertToMp3WithoutTags(AbortRunTest& t) {
  t.ConvertPage(".wav", "", "mp3");
  testing::SelectOption(t.page(PAGE_CONVERT), IDC_CONVERT_ACODEC, "libmp3lame");
  testing::CheckOption(t.settings(), IDC_OPT_STRIP_ID3);
}

TEST_P(AbortRunTest, LeavesNothingOfTheRunBehind) {
  const AbortCase& c = GetParam();
  c.set_up(*this);
  const std::vector<std::string> inputs = media.Names();
  AbortWhenShown aborting(job.abort, c);
  job.operation = c.operation;
  const int page_index = c.operation == OP_CONCATENATE ? PAGE_CONCATENATE
                         : c.operation == OP_SPLIT     ? PAGE_SPLIT
                                                       : PAGE_CONVERT;
  JobWorker(job, aborting, page(page_index), requests);
  EXPECT_EQ(aborting.Text(IDC_PROGRESS_STATUS), SummaryOf(c.successes, c.failures));
  EXPECT_EQ(power_offs, 0);
  std::vector<std::string> expected = inputs;
  expected.insert(expected.end(), c.made.begin(), c.made.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(media.Names(), expected);
  for (const std::string& output : c.made) {
    EXPECT_TRUE(Decodes(media.File(output))) << output;
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(media.File(output), &bytes));
    EXPECT_EQ(TagHeaderLength(bytes), 0u) << output;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stages, AbortRunTest,
    ::testing::Values(
        AbortCase{"ConvertWhileCopying", OP_CONVERT, ConvertOnCopies, "一時ファイルを作成中です．．．", 1, 0, 3},
        AbortCase{"ConcatenateWhileCopying", OP_CONCATENATE, ConcatenateOnCopies, "一時ファイルを作成中です．．．", 1, 0,
                  1},
        AbortCase{"ConvertWhileTheSecondFileRuns", OP_CONVERT, ConvertOnCopies, "ファイルを変換中です．．．", 2, 1, 2,
                  {"a_1.mkv"}},
        AbortCase{"ConcatenateWhileFfmpegRuns", OP_CONCATENATE, ConcatenateOnCopies, "ファイルを連結中です．．．", 1,
                  0, 1},
        AbortCase{"SplitWhileFfmpegRuns", OP_SPLIT, SplitOnACopy, "ファイルを分割中です．．．", 1, 0, 1},
        AbortCase{"ConvertAtTheTagRemoval", OP_CONVERT, ConvertToMp3WithoutTags, "ファイルの変換に成功しました。", 1, 1,
                  2, {"a_1.mp3"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
