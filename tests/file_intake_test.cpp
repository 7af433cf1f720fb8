#include "analysis/file_intake.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/error_list.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/media.h"
#include "support/recording_observer.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright {
namespace {

using testing::RecordingObserver;
using testing::TempDir;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kLine = "Invalid data found when processing input '";

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

TEST(PathsFromDrop, TakesFilesOnlyAndASingleTargetTakesTheFirst) {
  TempDir dir;
  const std::string folder = dir.File("folder.mp4");
  ASSERT_TRUE(std::filesystem::create_directory(testing::FsPath(folder)));
  const std::string a = dir.Write("a.mp4", "a");
  const std::string b = dir.Write("b.mp4", "b");
  const std::string gone = dir.File("gone.mp4");
  const std::vector<std::string> dropped{folder, gone, a, b};
  EXPECT_EQ(PathsFromDrop(dropped, false), (std::vector<std::string>{a, b}));
  EXPECT_EQ(PathsFromDrop(dropped, true), std::vector<std::string>{a});
  EXPECT_TRUE(PathsFromDrop({folder}, false).empty());

  // A name longer than a row holds cannot be looked at everywhere; it is kept for the probe to
  // turn down, never dropped in silence.
  const std::string too_long = dir.File(std::string(260, 'x') + ".mp4");
  EXPECT_EQ(PathsFromDrop({gone, too_long, b}, false), (std::vector<std::string>{too_long, b}));
}

// The page's half of the intake: what lands in it, and the split page's failed scans.
class RecordingSink : public IntakeSink {
 public:
  void Added(const ProbedFile& file) override {
    added.push_back(file);
    threads.insert(std::this_thread::get_id());
  }
  void SplitScanFailed(bool forget_file) override { scan_failures.push_back(forget_file); }

  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const ProbedFile& file : added) paths.push_back(file.path);
    return paths;
  }

  std::vector<ProbedFile> added;
  std::vector<bool> scan_failures;  // forget_file of each
  std::set<std::thread::id> threads;
};

// A batch with FFmpeg configured and error.txt in the test's folder.
struct Intake {
  Intake() {
    request.ffmpeg = test_config::kFfmpeg;
    request.error_folder = dir.path();
  }
  IntakeOutcome Run() { return AnalyseFiles(request, sink, observer, abort); }
  std::string ErrorList() const {
    std::string bytes;
    platform::ReadWholeFile(ErrorListPath(dir.path()), &bytes);
    return bytes;
  }
  std::string Clip(const std::string& name, double seconds, bool video, bool audio, std::string_view args = "") {
    const std::string path = dir.File(name);
    EXPECT_TRUE(testing::MakeClip(path, seconds, video, audio, args)) << name;
    return path;
  }
  // Counts the runs of FFmpeg that could not even start: with a missing FFmpeg, every file that
  // was handed to it.
  long NotStarted() {
    const std::vector<Stage> stages = observer.stages();
    return std::count(stages.begin(), stages.end(), Stage::kToolNotStarted);
  }

  TempDir dir;
  IntakeRequest request;
  RecordingSink sink;
  RecordingObserver observer;
  std::atomic<int> abort{0};
};

TEST(AnalyseFiles, AFailingFileIsListedAndTheOthersAreAddedInOrder) {
  Intake intake;
  const std::string first = intake.Clip("first.mkv", 1.0, true, true);
  const std::string second = intake.dir.Write("second.mp4", "not really a video");
  const std::string third = intake.Clip("third.mp4", 2.0, false, true);
  intake.request.paths = {first, second, third};
  intake.request.listed = 3;

  const IntakeOutcome outcome = intake.Run();
  EXPECT_TRUE(outcome.not_added);
  EXPECT_FALSE(outcome.aborted);
  EXPECT_FALSE(outcome.scan_failed) << "a failed probe alone is no failed scan";
  ASSERT_EQ(intake.sink.Paths(), (std::vector<std::string>{first, third}));
  EXPECT_EQ(intake.sink.added[0].stream_lines, testing::ProbeStreams(first));
  EXPECT_NEAR(intake.sink.added[1].duration, 2.0, 0.1);
  EXPECT_EQ(intake.ErrorList(), kBom + kLine + second + "'\r\n");
  EXPECT_EQ(intake.observer.files(), intake.request.paths);
  EXPECT_TRUE(intake.observer.Reached(Stage::kProbeFailed));
  EXPECT_TRUE(intake.sink.scan_failures.empty());
}

// Files that cannot be taken whole are turned down before FFmpeg is run (here FFmpeg is missing,
// so a run would show as a start that failed).
TEST(AnalyseFiles, LimitsTurnFilesDownBeforeFfmpegRuns) {
  Intake intake;
  intake.request.ffmpeg = intake.dir.File("missing.exe");
  const std::string folder = intake.dir.path();
  // Path length is counted in UTF-16 units: 259 may be probed, 260 may not, whatever the bytes.
  std::string longest = folder;
  while (platform::Utf16Length(longest) < 254) longest += "\xF0\x9F\x8E\xAC";  // two units each
  if (platform::Utf16Length(longest) < 255) longest += "x";
  longest += "a.mp4";                                              // 255 + 5 = 260
  const std::string fits = longest.substr(0, longest.size() - 1);  // ends in "a.mp", 259 units
  ASSERT_EQ(platform::Utf16Length(longest), 260u);
  ASSERT_EQ(platform::Utf16Length(fits), 259u);

  intake.request.paths = {longest, fits};
  intake.Run();
  EXPECT_EQ(intake.NotStarted(), 1) << "only the path that fits goes to FFmpeg";

  // A full list, and on the volume page a file AACGain does not work on.
  intake.request.paths = {folder + "a.mp4"};
  intake.request.listed = FILE_CAPACITY;
  intake.Run();
  intake.request.listed = 0;
  intake.request.volume = true;
  intake.request.paths = {folder + "a.wav", folder + "b.ogg", folder + "c.MP3"};
  const IntakeOutcome outcome = intake.Run();
  EXPECT_TRUE(outcome.not_added);
  EXPECT_EQ(intake.NotStarted(), 2) << "only c.MP3 goes to FFmpeg";
  EXPECT_TRUE(intake.sink.added.empty());

  std::string expected = kBom;
  for (const std::string& path : {longest, fits, folder + "a.mp4", folder + "a.wav", folder + "b.ogg", folder + "c.MP3"}) {
    expected += kLine + path + "'\r\n";
  }
  EXPECT_EQ(intake.ErrorList(), expected);
}

// A list page counts the files it takes against its capacity as the batch goes.
TEST(AnalyseFiles, AListFillsUpToItsCapacity) {
  Intake intake;
  const std::string clip = intake.Clip("a.mka", 0.5, false, true);
  intake.request.paths = {clip, clip, clip};
  intake.request.listed = FILE_CAPACITY - 2;
  const IntakeOutcome outcome = intake.Run();
  EXPECT_EQ(intake.sink.added.size(), 2u);
  EXPECT_TRUE(outcome.not_added);
  EXPECT_EQ(intake.ErrorList(), kBom + kLine + clip + "'\r\n");
}

TEST(AnalyseFiles, AnAbortEndsTheBatchAfterTheRunningProbe) {
  Intake intake;
  const std::string a = intake.Clip("a.mka", 1.0, false, true);
  intake.request.paths = {a, a, a};
  intake.abort = 1;
  const IntakeOutcome outcome = intake.Run();
  EXPECT_EQ(intake.observer.files().size(), 1u);
  EXPECT_TRUE(intake.sink.added.empty());
  EXPECT_TRUE(outcome.aborted);
  EXPECT_EQ(intake.observer.abort_allowed(), std::vector<bool>{false});
}

struct BatchCase {
  const char* name;
  std::vector<std::pair<int, bool>> files;  // how long the stand-in probes each (ms), and whether it reads
  int listed;
  bool abort;  // 中断 two seconds into the batch
  std::vector<int> added, not_added;
};

void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }

class ProbesAtOnceTest : public ::testing::TestWithParam<BatchCase> {};

// A stand-in FFmpeg (tests/tools/scripted_probe) takes as long as each file says, so that later
// files finish first: four runs at once, several files each, must fill the page (from the
// calling thread) and error.txt and tell every text as one probe at a time does.
TEST_P(ProbesAtOnceTest, TheBatchEndsAsOneProbeAtATimeEndsIt) {
  const BatchCase& c = GetParam();
  TempDir scripts;
  std::vector<std::string> paths, added;
  for (const auto& [wait_ms, readable] : c.files) {
    const std::string name = std::to_string(paths.size());
    paths.push_back(scripts.Write(name + ".m4a", std::to_string(wait_ms) + (readable ? "\n Stream #0:0: " : "\n") + name + "\n"));
  }
  std::string errors = kBom;
  for (const int k : c.added) added.push_back(paths[k]);
  for (const int k : c.not_added) errors += kLine + paths[k] + "'\r\n";
  Intake runs[2];
  std::chrono::duration<double> times[2];
  for (const int at_once : {1, 4}) {
    Intake& intake = runs[at_once / 4];
    intake.request = {paths, testing::TestToolPath("scripted_probe"), c.listed, false, nullptr, intake.dir.path(), at_once,
                      at_once == 1 ? 1 : kFilesPerProbe};
    const auto start = std::chrono::steady_clock::now();
    std::jthread user([&] {
      if (c.abort) std::this_thread::sleep_for(std::chrono::seconds(2));
      intake.abort = c.abort;
    });
    EXPECT_EQ(intake.Run().aborted, c.abort);
    times[at_once / 4] = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(intake.sink.Paths(), added);
    EXPECT_EQ(intake.ErrorList(), errors);
    EXPECT_EQ(intake.sink.threads, std::set{std::this_thread::get_id()});
  }
  EXPECT_EQ(runs[1].observer.files(), runs[0].observer.files());
  EXPECT_EQ(runs[1].observer.stages(), runs[0].observer.stages());
  EXPECT_EQ(runs[1].observer.outputs(), runs[0].observer.outputs());
  // An abort ends every stand-in at once: none waits its 30 s, nor the 10 s granted after "q".
  EXPECT_LT(times[1].count(), c.abort ? 8 : times[0].count() * 0.9);
}

INSTANTIATE_TEST_SUITE_P(
    Batches, ProbesAtOnceTest,
    ::testing::Values(
        BatchCase{"LaterFilesFinishFirst", {{900, true}, {400, false}, {300, true}, {100, false}, {0, true}}, 0, false,
                  {0, 2, 4}, {1, 3}},
        // File 3 is probed ahead while the list has room, and turned down at its turn.
        BatchCase{"TheListFillsAtTheSameFile", {{600, true}, {0, false}, {600, true}, {0, true}, {0, false}},
                  FILE_CAPACITY - 2, false, {0, 2}, {1, 3, 4}},
        BatchCase{"AnAbortStopsEveryProbe", {{0, true}, {0, false}, {30000, true}, {30000, true}, {0, true}}, 0, true,
                  {0}, {1, 2}}),
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

struct SplitCase {
  const char* name;
  const char* file;
  bool scan_fails;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitIntakeTest : public ::testing::TestWithParam<SplitCase> {};

// The split page's file is scanned after its probe, by the kind the probe found. A video whose
// scan fails goes from the page; an audio file keeps its path and streams.
TEST_P(SplitIntakeTest, TheScanFollowsTheProbeAndDecidesTheEnd) {
  const SplitCase& c = GetParam();
  Intake intake;
  SplitPageState split;
  intake.request.split = &split;
  const std::string name = c.file;
  const bool video = name.ends_with(".mp4") || name.ends_with(".png");
  std::string file = intake.dir.File(name);
  if (name.ends_with(".png")) {
    // One picture: a video of one frame, which has no range to cut.
    ASSERT_TRUE(testing::MakeClip(file, 0.04, true, false, "-frames:v 1"));
  } else if (name.ends_with(".wav")) {
    // A stream without a sample.
    ASSERT_TRUE(testing::MakeClip(file, 0, false, true, "-t 0"));
  } else {
    ASSERT_TRUE(testing::MakeClip(file, 1.0, video, !video));
  }
  intake.request.paths = {file};

  const IntakeOutcome outcome = intake.Run();
  EXPECT_EQ(intake.sink.Paths(), std::vector<std::string>{file});
  EXPECT_EQ(split.video_kind != 0, video);
  EXPECT_EQ(intake.observer.abort_allowed().front(), true) << "the scan may be aborted";
  EXPECT_TRUE(intake.observer.Reached(video ? Stage::kScanningVideo : Stage::kScanningAudio));
  EXPECT_EQ(outcome.split_ready(), !c.scan_fails);
  EXPECT_EQ(outcome.scan_failed, c.scan_fails);
  EXPECT_EQ(intake.sink.scan_failures, c.scan_fails ? std::vector<bool>{video} : std::vector<bool>{});
  EXPECT_EQ(split.frame_times.empty(), c.scan_fails);
}

INSTANTIATE_TEST_SUITE_P(Scans, SplitIntakeTest,
                         ::testing::Values(SplitCase{"Video", "clip.mp4", false},
                                           SplitCase{"Audio", "tone.mp3", false},
                                           SplitCase{"OneFrameVideo", "still.png", true},
                                           SplitCase{"AudioWithoutFrames", "silence.wav", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AnalyseFiles, AFileThatIsNoMediaIsNotScanned) {
  Intake intake;
  SplitPageState split;
  intake.request.split = &split;
  intake.request.paths = {intake.dir.Write("notes.log", "text")};
  const IntakeOutcome outcome = intake.Run();
  EXPECT_TRUE(outcome.not_added);
  EXPECT_FALSE(outcome.split_ready());
  EXPECT_FALSE(outcome.scan_failed) << "a failed probe alone is no failed scan";
  EXPECT_FALSE(intake.observer.Reached(Stage::kScanningVideo));
  EXPECT_FALSE(intake.observer.Reached(Stage::kScanningAudio));
  EXPECT_TRUE(intake.observer.abort_allowed().empty());
}

}  // namespace
}  // namespace clipwright
