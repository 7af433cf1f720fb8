// The run driver with its tool runs and output checks replaced: every run does what the test
// planned, and the test sees what the driver made of it.
#include "jobs/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/job_plans.h"
#include "jobs/output_files.h"
#include "platform/files.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "volume/volume_plan.h"

namespace clipwright {
namespace {

using testing::TempDir;
using Names = std::vector<std::string>;

const std::string kTone = "Stream #0:0: Audio: mp3, 44100 Hz, mono";

std::string Read(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

struct PlannedRun {
  int verdict = VERDICT_SUCCESS;
  std::string output = "made";  // written to the command's output when not empty
  bool press_abort = false;
};

class RunDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.ffmpeg = tools.Write("ffmpeg.exe", "not run");
    settings.aacgain = tools.Write("aacgain.exe", "not run");
    settings.log_folder = logs.path();
    hooks.run_tool = [this](AnalysisResult&, RunObserver&, const std::atomic<int>&, const CommandLine& command, int mode,
                            int*, double duration, const std::string&) {
      EXPECT_EQ(mode, SCAN_JOB);
      commands.push_back(command);
      durations.push_back(duration);
      const PlannedRun run = commands.size() <= planned.size() ? planned[commands.size() - 1] : PlannedRun{};
      // A concat list is read while the tool runs.
      const auto list = std::find(command.Arguments().begin(), command.Arguments().end(), "concat");
      if (list != command.Arguments().end()) lists.push_back(Read(*(list + 4)));
      if (!run.output.empty()) platform::WriteWholeFile(command.Arguments().back(), run.output);
      if (run.press_abort) abort = 1;
      return run.verdict;
    };
    hooks.check_output = [this](const std::string&, const std::string& output, const OutputExpectation&,
                                const std::atomic<int>&) {
      checked.push_back(output);
      return check;
    };
    hooks.power_off = [this] {
      power_offs.push_back(observer.summaries().size());
      return true;
    };
  }

  RunSummary Run(const RunPlan& plan) { return RunFiles(plan, settings, observer, abort, hooks); }

  // A convert of `names` in the media folder, each with one audio stream, playing 1.5, 2.5, … s.
  RunPlan Convert(const Names& names, const std::string& container = "mp4") {
    ConvertRequest request;
    for (std::size_t i = 0; i < names.size(); ++i) {
      request.files.push_back(InputFile{media.File(names[i]), {{0, kTone}}, 1.5 + static_cast<double>(i)});
    }
    request.container = container;
    return PlanConvert(request, settings);
  }

  RunPlan Split(const std::string& container = "mp4") {
    SplitCut cut;
    cut.start_time = cut.seek_time = 12.5;
    cut.end_time = 60;
    cut.seek = true;
    cut.length = 47.5;
    return PlanSplit(SplitRequest{InputFile{media.File("clip.mp4"), {{0, kTone}}, 0}, container, cut}, settings);
  }

  // A folder in the media folder deep enough that a command naming a file in it twice passes the limit.
  std::string DeepFolder(int levels = 17) {
    std::string deep;
    for (int i = 0; i < levels; ++i) deep += "folder" + std::to_string(i % 10) + "xxx/";
    std::filesystem::create_directories(testing::FsPath(media.File(deep)));
    return deep;
  }

  std::vector<StageEvent> EventsOf(Stage stage) {
    std::vector<StageEvent> found;
    for (const StageEvent& event : observer.events()) {
      if (event.stage == stage) found.push_back(event);
    }
    return found;
  }

  TempDir tools;
  TempDir media;
  TempDir logs;
  RunSettings settings;
  RunHooks hooks;
  testing::RecordingObserver observer;
  std::atomic<int> abort{0};
  std::vector<PlannedRun> planned;
  CheckResult check;
  std::vector<CommandLine> commands;
  std::vector<double> durations;
  Names lists;
  Names checked;
  std::vector<std::size_t> power_offs;  // the summaries reported at each shut-down
};

void ExpectSummary(const RunSummary& summary, bool counted, int successes, int failures) {
  EXPECT_EQ(summary.counted, counted);
  EXPECT_EQ(summary.successes, successes);
  EXPECT_EQ(summary.failures, failures);
  EXPECT_TRUE(summary.left_behind.empty());
}

TEST_F(RunDriverTest, ConvertsEveryFileThenReportsTheSummaryThenPowersOff) {
  settings.power_off = true;
  const RunSummary summary = Run(Convert({"a.mkv", "b.mkv", "c.mkv"}));
  ExpectSummary(summary, true, 3, 0);
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(durations, (std::vector<double>{1.5, 2.5, 3.5}));
  EXPECT_EQ(observer.files(), (Names{media.File("a.mkv"), media.File("b.mkv"), media.File("c.mkv")}));
  EXPECT_EQ(observer.stages(), (std::vector<Stage>{Stage::kRunning, Stage::kRunning, Stage::kRunning}));
  EXPECT_EQ(observer.outcomes(), std::vector<FileOutcome>(3, FileOutcome::kSucceeded));
  EXPECT_EQ(checked, (Names{media.File("a_1.mp4"), media.File("b_1.mp4"), media.File("c_1.mp4")}));
  EXPECT_EQ(media.Names(), (Names{"a_1.mp4", "b_1.mp4", "c_1.mp4"}));
  EXPECT_EQ(power_offs, std::vector<std::size_t>{1});
}

TEST_F(RunDriverTest, AbortDuringTheSecondOfFiveEndsTheRunCountsTheRestAndDoesNotPowerOff) {
  settings.power_off = true;
  planned = {PlannedRun{}, PlannedRun{VERDICT_ABORTED, "half", true}};
  const RunSummary summary = Run(Convert({"1.mkv", "2.mkv", "3.mkv", "4.mkv", "5.mkv"}));
  ExpectSummary(summary, true, 1, 4);
  EXPECT_EQ(commands.size(), 2u);
  EXPECT_EQ(observer.outcomes(), (std::vector<FileOutcome>{FileOutcome::kSucceeded, FileOutcome::kAborted}));
  EXPECT_EQ(media.Names(), Names{"1_1.mp4"});
  EXPECT_TRUE(power_offs.empty());
}

// A folder deep enough that its file's command grows too long: the file fails with the command
// and its count, the run goes on, and failed files do not prevent the shut-down.
TEST_F(RunDriverTest, ARefusedCommandFailsItsFileAndTheRunGoesOn) {
  const std::string deep = DeepFolder();
  settings.power_off = true;
  const RunSummary summary = Run(Convert({"a.mkv", deep + "b.mkv", "c.mkv"}));
  ExpectSummary(summary, true, 2, 1);
  EXPECT_EQ(commands.size(), 2u);
  EXPECT_EQ(observer.outcomes()[1], FileOutcome::kRefused);
  const std::vector<StageEvent> refused = EventsOf(Stage::kCommandRefused);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].text.find(deep + "b.mkv"), std::string::npos);
  EXPECT_GT(refused[0].number, COMMAND_LIMIT);
  EXPECT_TRUE(std::filesystem::is_empty(testing::FsPath(media.File(deep))));
  EXPECT_EQ(power_offs.size(), 1u);
}

// The limit counts UTF-16 units: a command of 507 units runs, one of 508 is refused with the
// count 510; "動" counts one unit, "😀" two.
TEST_F(RunDriverTest, TheCommandLengthLimitCountsUtf16Units) {
  const std::string input = media.File("m.mkv");
  const auto plan_with = [&](const std::string& option) {
    settings.options[17] = "-metadata c=" + option;
    return PlanSeparate(SeparateRequest{{InputFile{input, {{0, kTone}}, 0}}, false, "mkv"}, settings);
  };
  const int base =
      ResolveCommand(plan_with("").files[0].steps[0].command,
                     CommandNames{settings.ffmpeg, {input}, {}, NumberedName(input, 1, ".mkv"), {}, 0})
          .LengthCount();
  const std::string pad(static_cast<std::size_t>(COMMAND_LIMIT - base), 'x');
  const struct {
    std::string option;
    bool runs;
  } cases[] = {{pad, true}, {pad + "x", false}, {"動" + pad.substr(1), true}, {"😀" + pad.substr(2), true}, {"😀" + pad.substr(1), false}};
  for (const auto& c : cases) {
    commands.clear();
    testing::RecordingObserver fresh;
    const RunSummary summary = RunFiles(plan_with(c.option), settings, fresh, abort, hooks);
    EXPECT_EQ(commands.size(), c.runs ? 1u : 0u) << c.option;
    EXPECT_EQ(summary.successes, c.runs ? 1 : 0) << c.option;
    if (c.runs) {
      EXPECT_EQ(commands[0].LengthCount(), COMMAND_LIMIT);
      std::filesystem::remove(testing::FsPath(media.File("m_1.mkv")));
    } else {
      ASSERT_EQ(fresh.events().size(), 1u);
      EXPECT_EQ(fresh.events()[0].stage, Stage::kCommandRefused);
      EXPECT_EQ(fresh.events()[0].number, COMMAND_LIMIT + 1);
    }
  }
  EXPECT_TRUE(media.Names().empty());
}

// Every piece of a file deep in folders has a command past the limit: none is run, each counts
// as failed, and the outputs the run took for them go.
TEST_F(RunDriverTest, KeyframePiecesWhoseCommandsPassTheLimitAreNotRun) {
  const std::string deep = DeepFolder(20);
  KeyframeSplitRequest request{InputFile{media.File(deep + "clip.mp4"), {{0, "Stream #0:0: Video: h264"}}, 4}, "mkv", {}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    SplitCut cut;
    cut.seek = i > 0;
    cut.seek_time = i;
    cut.length = 1;
    request.pieces.push_back(KeyframePiece{i * 25, i * 25 + 25, cut});
  }
  ExpectSummary(Run(PlanKeyframeSplit(request, settings)), true, 0, 4);
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(EventsOf(Stage::kCommandRefused).size(), 4u);
  for (const std::string& left : media.Names(deep)) ADD_FAILURE() << left;
}

// The pieces of a split at every keyframe are read back while the next is cut, and each ends only
// then: one that fails its check is removed and leaves the earlier piece of its name as it was.
TEST_F(RunDriverTest, PiecesAreCheckedWhileTheNextIsCutAndOnlyThoseThatPassReplaceEarlierOnes) {
  KeyframeSplitRequest request{InputFile{media.File("clip.mp4"), {{0, "Stream #0:0: Video: h264"}}, 3}, "mkv", {}};
  const Names pieces = {"clip_[000000]_000000-000025.mkv", "clip_[000001]_000025-000050.mkv",
                        "clip_[000002]_000050-000075.mkv"};
  for (std::uint32_t i = 0; i < 3; ++i) {
    SplitCut cut;
    cut.seek = i > 0;
    cut.seek_time = i;
    cut.length = 1;
    request.pieces.push_back(KeyframePiece{i * 25, i * 25 + 25, cut});
    media.Write(pieces[i], "earlier");
  }
  std::vector<std::size_t> ended_before;  // how many pieces had ended when each command ran
  const ToolRun run_tool = hooks.run_tool;
  hooks.run_tool = [&](AnalysisResult& result, RunObserver& o, const std::atomic<int>& a, const CommandLine& command,
                       int mode, int* gain, double duration, const std::string& folder) {
    ended_before.push_back(observer.outcomes().size());
    return run_tool(result, o, a, command, mode, gain, duration, folder);
  };
  std::atomic<int> checks{0};
  hooks.check_output = [&](const std::string&, const std::string&, const OutputExpectation&, const std::atomic<int>&) {
    return ++checks == 2 ? CheckResult{CheckFailure::kPacketCount, 25, 24} : CheckResult{};
  };
  EXPECT_EQ(Run(PlanKeyframeSplit(request, settings)).successes, 2);
  EXPECT_EQ(observer.outcomes(),
            (std::vector<FileOutcome>{FileOutcome::kSucceeded, FileOutcome::kRefused, FileOutcome::kSucceeded}));
  EXPECT_EQ(ended_before, (std::vector<std::size_t>{0, 0, 1}));
  EXPECT_EQ(media.Names(), pieces);
  EXPECT_EQ(Read(media.File(pieces[0])), "made");
  EXPECT_EQ(Read(media.File(pieces[1])), "earlier");
  EXPECT_EQ(Read(media.File(pieces[2])), "made");
}

// A temp copy that cannot be made (the listed file is gone) fails its file before anything runs.
TEST_F(RunDriverTest, ATempCopyThatCannotBeMadeFailsItsFile) {
  settings.temp_copies = true;
  media.Write("b.mkv", "b");
  ExpectSummary(Run(Convert({"gone.mkv", "b.mkv"})), true, 1, 1);
  EXPECT_EQ(observer.outcomes(), (std::vector<FileOutcome>{FileOutcome::kRefused, FileOutcome::kSucceeded}));
  const std::vector<StageEvent> failed = EventsOf(Stage::kTempCopyFailed);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].text, media.File("gone.mkv"));
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_NE(commands[0].Text().find(testing::Quoted(media.File("temp0001.mkv"))), std::string::npos);
  EXPECT_EQ(media.Names(), (Names{"b.mkv", "b_1.mp4"}));
}

TEST_F(RunDriverTest, TheLogGetsEveryCommandRefusedOnesToo) {
  settings.command_log = true;
  const std::string deep = DeepFolder();
  Run(Convert({"a.mkv", deep + "b.mkv"}));
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(Read(logs.File("log.txt")),
            "\xEF\xBB\xBF" + commands[0].Text() + "\r\n" + EventsOf(Stage::kCommandRefused).at(0).text + "\r\n");
  settings.command_log = false;
  Run(Convert({"c.mkv"}));
  EXPECT_EQ(Read(logs.File("log.txt")).find("c.mkv"), std::string::npos);
}

// However a file ends, the temp copy goes, and only an output that passed stays, under its
// final name; an abort ends the run.
struct EndCase {
  const char* name;
  int verdict;
  CheckResult check;
  FileOutcome outcome;
  Names left;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class FileEndTest : public RunDriverTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(FileEndTest, LeavesOnlyAnOutputThatPassed) {
  const EndCase& c = GetParam();
  settings.temp_copies = true;
  media.Write("clip.mp4", "clip");
  planned = {PlannedRun{c.verdict, "piece", false}};
  check = c.check;
  const RunSummary summary = Run(Split());
  EXPECT_EQ(observer.outcomes(), std::vector<FileOutcome>{c.outcome});
  EXPECT_EQ(summary.successes, c.outcome == FileOutcome::kSucceeded ? 1 : 0);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_NE(commands[0].Text().find(" -i " + testing::Quoted(media.File("temp0001.mp4"))), std::string::npos);
  EXPECT_EQ(commands[0].Arguments().back(), media.File("temp0001_1.mp4"));
  Names names = c.left;
  names.insert(names.begin(), "clip.mp4");
  EXPECT_EQ(media.Names(), names);
  EXPECT_EQ(Read(media.File("clip.mp4")), "clip");
  const std::vector<StageEvent> failed = EventsOf(Stage::kCheckFailed);
  EXPECT_EQ(failed.size(), c.check.failure != CheckFailure::kNone && c.verdict == VERDICT_SUCCESS ? 1u : 0u);
  for (const StageEvent& event : failed) {
    EXPECT_EQ(event.text, media.File("temp0001_1.mp4"));
    EXPECT_EQ(event.number, static_cast<std::int64_t>(c.check.failure));
    EXPECT_EQ(event.first, c.check.first);
    EXPECT_EQ(event.second, c.check.second);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, FileEndTest,
    ::testing::Values(
        EndCase{"Passed", VERDICT_SUCCESS, {}, FileOutcome::kSucceeded, {"clip_00012.500-00060.000_1.mp4"}},
        EndCase{"ToolFailed", VERDICT_FAILURE, {}, FileOutcome::kFailed, {}},
        EndCase{"ToolAborted", VERDICT_ABORTED, {}, FileOutcome::kAborted, {}},
        EndCase{"CheckFailed", VERDICT_SUCCESS, {CheckFailure::kPacketCount, 20, 19, false}, FileOutcome::kRefused, {}},
        EndCase{"CheckAborted", VERDICT_SUCCESS, {CheckFailure::kNone, 0, 0, true}, FileOutcome::kAborted, {}}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// The split's output is named by its range first, then counts on from 2; the other runs count
// from 1 beside the listed file, where temp copies put their output elsewhere.
TEST_F(RunDriverTest, FinalNames) {
  Run(Split());
  Run(Split());
  EXPECT_EQ(media.Names(), (Names{"clip_00012.500-00060.000_1.mp4", "clip_2.mp4"}));
  EXPECT_EQ(Read(media.File("clip_2.mp4")), "made");

  media.Write("movie.mkv", "movie");
  media.Write("movie_1.mp4", "a user's file");
  settings.temp_copies = true;
  Run(Convert({"movie.mkv"}));
  EXPECT_EQ(commands.back().Arguments().back(), media.File("temp0001_1.mp4"));
  EXPECT_EQ(Read(media.File("movie_2.mp4")), "made");
  EXPECT_EQ(Read(media.File("movie_1.mp4")), "a user's file");
  settings.temp_copies = false;
  Run(Convert({"movie.mkv"}));
  EXPECT_EQ(commands.back().Arguments().back(), media.File("movie_3.mp4"));
  EXPECT_EQ(media.Names(), (Names{"clip_00012.500-00060.000_1.mp4", "clip_2.mp4", "movie.mkv", "movie_1.mp4",
                                  "movie_2.mp4", "movie_3.mp4"}));
}

// The concat list is UTF-8 with quotes escaped, lists the temp copies when there are some, and
// takes input_1.txt when a user's input.txt appears while the copies are made; it goes after
// the run, as do the copies, read-only ones too.
TEST_F(RunDriverTest, ConcatListOfTheCopiesBesideAUsersInputTxt) {
  class SavingMeanwhile : public testing::RecordingObserver {
   public:
    explicit SavingMeanwhile(std::string path) : path_(std::move(path)) {}
    void StageReached(const StageEvent& event) override {
      if (event.stage == Stage::kMakingTempCopies) platform::WriteWholeFile(path_, "a user's notes");
      RecordingObserver::StageReached(event);
    }

   private:
    std::string path_;
  };
  const std::string japanese = media.Write("夏の動画.mp4", "first");
  const std::string quoted = media.Write("Don't Stop.mp4", "second");
  platform::SetReadOnly(quoted);
  const RunPlan plan =
      PlanConcatenate(ConcatenateRequest{{japanese, quoted}, {{0, kTone}}, "mp4"}, settings);
  EXPECT_EQ(Run(plan).successes, 1);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], "file '" + japanese + "'\r\nfile '" + media.File("Don'\\''t Stop.mp4") + "'\r\n");

  settings.temp_copies = true;
  SavingMeanwhile saving(media.File("input.txt"));
  EXPECT_EQ(RunFiles(PlanConcatenate(ConcatenateRequest{{japanese, quoted}, {{0, kTone}}, "mp4"}, settings), settings,
                     saving, abort, hooks)
                .successes,
            1);
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[1], "file '" + media.File("temp0001.mp4") + "'\r\nfile '" + media.File("temp0002.mp4") + "'\r\n");
  EXPECT_NE(commands[1].Text().find(" -i " + testing::Quoted(media.File("input_1.txt"))), std::string::npos)
      << commands[1].Text();
  EXPECT_EQ(Read(media.File("input.txt")), "a user's notes");
  EXPECT_EQ(media.Names(), (Names{"Don't Stop.mp4", "Don't Stop_1.mp4", "Don't Stop_2.mp4", "input.txt", "夏の動画.mp4"}));
  EXPECT_EQ(Read(japanese), "first");
  platform::ClearReadOnly(quoted);
}

struct TagCase {
  const char* name;
  bool split;  // else a convert
  std::string container;
  bool checked;
  bool stripped;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class TagStripTest : public RunDriverTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(TagStripTest, OnlyFromMp3OutputsWithTheBoxChecked) {
  const TagCase& c = GetParam();
  const std::string tag = std::string("ID3\x04\x00\x00\x00\x00\x00\x0a", 10) + std::string(10, '\0');
  const std::string audio = "\xFF\xFB\x40\xC0" + std::string(60, 'a');
  settings.strip_tags = c.checked;
  planned = {PlannedRun{VERDICT_SUCCESS, tag + audio, false}};
  const RunSummary summary = Run(c.split ? Split(c.container) : Convert({"song.wav"}, c.container));
  EXPECT_EQ(summary.successes, 1);
  const std::string output = c.split ? "clip_00012.500-00060.000_1." : "song_1.";
  EXPECT_EQ(Read(media.File(output + c.container)), c.stripped ? audio : tag + audio);
}

INSTANTIATE_TEST_SUITE_P(Outputs, TagStripTest,
                         ::testing::Values(TagCase{"ConvertToMp3", false, "mp3", true, true},
                                           TagCase{"ConvertToMp3Unchecked", false, "mp3", false, false},
                                           TagCase{"ConvertToMp4", false, "mp4", true, false},
                                           TagCase{"SplitToMp3", true, "mp3", true, true}),
                         [](const ::testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

// A run that cannot make its first file ends at once: a job's run still shows its counts (and
// lets the shut-down follow), the volume run shows only why.
struct EarlyEnd {
  const char* name;
  bool volume;
  int files;
  bool ffmpeg;
  bool aacgain;
  Stage stage;
  std::vector<Tool> missing;
  bool counted;
};

void PrintTo(const EarlyEnd& c, std::ostream* os) { *os << c.name; }

class EarlyEndTest : public RunDriverTest, public ::testing::WithParamInterface<EarlyEnd> {};

TEST_P(EarlyEndTest, ShowsWhyAndRunsNothing) {
  const EarlyEnd& c = GetParam();
  settings.power_off = true;
  if (!c.ffmpeg) settings.ffmpeg = tools.File("no-ffmpeg.exe");
  if (!c.aacgain) settings.aacgain = tools.File("no-aacgain.exe");
  Names names;
  for (int i = 0; i < c.files; ++i) names.push_back(std::to_string(i) + ".mp3");
  RunPlan plan;
  if (c.volume) {
    VolumeRequest request;
    for (const std::string& name : names) request.files.push_back(InputFile{media.File(name), {{0, kTone}}, 0});
    plan = PlanVolume(request, settings);
  } else {
    plan = c.files == 1 ? PlanConcatenate(ConcatenateRequest{{media.File(names[0])}, {}, "mp3"}, settings) : Convert(names);
  }
  const RunSummary summary = Run(plan);
  ExpectSummary(summary, c.counted, 0, c.files == 1 && !c.volume ? 0 : c.files);
  EXPECT_EQ(observer.stages(), std::vector<Stage>{c.stage});
  EXPECT_EQ(observer.missing_tools(), c.missing);
  EXPECT_TRUE(observer.files().empty());
  EXPECT_EQ(observer.summaries().size(), 1u);
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(power_offs.size(), c.counted ? 1u : 0u);
  EXPECT_TRUE(media.Names().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, EarlyEndTest,
    ::testing::Values(EarlyEnd{"ConcatenateOfOneFile", false, 1, true, true, Stage::kNothingToDo, {}, true},
                      EarlyEnd{"FfmpegMissingFailsEveryFile", false, 2, false, true, Stage::kFfmpegMissing, {Tool::kFfmpeg}, true},
                      EarlyEnd{"VolumeWithoutFiles", true, 0, true, true, Stage::kNothingToDo, {}, false},
                      EarlyEnd{"VolumeWithoutFfmpeg", true, 2, false, true, Stage::kFfmpegMissing, {Tool::kFfmpeg}, false},
                      EarlyEnd{"VolumeWithoutAacgain", true, 2, true, false, Stage::kAacgainMissing, {Tool::kAacgain}, false}),
    [](const ::testing::TestParamInfo<EarlyEnd>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright
