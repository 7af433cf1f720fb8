// Bad input through the real window with the real Windows FFmpeg: each case ends in the
// program's own message, every file of the user's is as it was, and the run leaves nothing of
// its own behind. A page is one more PageDoor, a case one more row.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "ui/control_ids.h"
#include "ui/page_controls.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "support/media.h"
#include "test_config.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

// Where a page takes dropped files and starts its run; `streams`, when not 0, is a stream list
// whose rows the user checks before the run; `one_output`: the run makes one file of them all;
// `rows_per_file`: the rows a clip adds to the list it is dropped on (the split page lists the
// streams of its one file).
struct PageDoor {
  int page;
  int drop_list;
  int run_button;
  int streams;
  bool one_output;
  int rows_per_file = 1;
};
constexpr PageDoor kConvert{PAGE_CONVERT, IDC_CONVERT_FILES, IDC_CONVERT_RUN, 0, false};
constexpr PageDoor kConcatenate{PAGE_CONCATENATE, IDC_CONCAT_FILES, IDC_CONCAT_RUN, IDC_CONCAT_STREAMS, true};
constexpr PageDoor kSplit{PAGE_SPLIT, IDC_SPLIT_STREAMS, IDC_SPLIT_RUN, 0, true, 2};
constexpr PageDoor kVolume{PAGE_VOLUME, IDC_VOLUME_FILES, IDC_VOLUME_RUN, 0, false};

// What a dropped file holds: a clip of video and audio, or something no media reader takes.
enum class Content { kClip, kText, kEmpty, kHalfClip };
// What happens between adding and running.
enum class Meanwhile { kNothing, kFilesGo, kFilesReplaced, kFfmpegGoes, kFfmpegCrashes };

struct BadInput {
  const char* name;
  PageDoor door;
  std::vector<std::string> names;  // dropped in this order; "259" stands for a path of 259 characters
  Content content = Content::kClip;
  bool temp_copies = false;
  bool read_only_folder = false;
  Meanwhile meanwhile = Meanwhile::kNothing;
  std::string told = {};  // the start of the message (text or caption) the run shows; empty: none
  int successes = 0;    // nothing runs when the content is no clip: the intake says so
  std::string process = {};  // the start of 9501 when the run has ended
  std::vector<std::string> made = {};  // the outputs beside the inputs afterwards
};

void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }

const char* const kNotAdded = "追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？";

class BadInputTest : public PageIntakeTest, public ::testing::WithParamInterface<BadInput> {
 protected:
  ~BadInputTest() override {
    if (refusing_) RefuseNewFiles(false);
  }

  std::string MakeFile(std::string name, Content content) {
    if (name == "259") name = std::string(PATH_CAPACITY - 1 - platform::Utf16Length(work.path()) - 4, 'p') + ".mp4";
    std::string clip;
    platform::ReadWholeFile(clips->both, &clip);
    switch (content) {
      case Content::kClip:
        return work.Write(name, clip);
      case Content::kText:
        return work.Write(name, "a shopping list, not a film\r\n");
      case Content::kEmpty:
        return work.Write(name, "");
      case Content::kHalfClip:
        return work.Write(name, clip.substr(0, clip.size() / 2));
    }
    return {};
  }

  // Makes the test's folder refuse new files: the read-only attribute where the system honours
  // it for folders, else (Wine run by root) Linux's immutable flag, set from the Unix side.
  bool RefuseNewFiles(bool refuse) {
    SetFileAttributesW(platform::Widen(work.path()).c_str(), refuse ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto unix_name = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* name = unix_name != nullptr && TakesNewFiles() == refuse ? unix_name(platform::Widen(work.path()).c_str())
                                                                   : nullptr;
    if (name != nullptr) {
      std::wstring command = L"Z:\\usr\\bin\\chattr " + std::wstring(refuse ? L"+i " : L"-i ") + platform::Widen(name);
      HeapFree(GetProcessHeap(), 0, name);
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION started{};
      if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
      }
      // Wine hands a Unix program over without waiting for it: the folder is watched instead.
      for (int i = 0; i < 100 && TakesNewFiles() == refuse; ++i) Sleep(50);
    }
    refusing_ = refuse && !TakesNewFiles();
    return refusing_ == refuse;
  }

 private:
  bool TakesNewFiles() {
    if (platform::CreateNewFile(work.File("probe.tmp"), "") != platform::NewFile::kMade) return false;
    return platform::DeleteFileForced(work.File("probe.tmp"));
  }

  bool refusing_ = false;
};

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : platform::ListFolder(folder)) platform::ReadWholeFile(folder + entry.name, &contents[entry.name]);
  return contents;
}

TEST_P(BadInputTest, EndsInTheProgramsOwnMessageAndLosesNothing) {
  const BadInput& c = GetParam();
  std::vector<std::string> dropped;
  for (const std::string& name : c.names) dropped.push_back(MakeFile(name, c.content));
  settings.SetChecked(IDC_TEMP_COPIES, c.temp_copies);
  settings.SetText(IDC_AACGAIN_PATH, test_config::kAacgain);
  if (c.read_only_folder && !RefuseNewFiles(true)) GTEST_SKIP() << "no folder here refuses new files";
  std::map<std::string, std::string> before = Contents(work.path());
  HWND window = main.page(c.door.page);
  ui::WindowDialog page(window);
  const bool added = c.content == Content::kClip;
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(window, c.door.drop_list), dropped);
    const std::vector<ShownBox> asked = boxes.shown();
    ASSERT_EQ(asked.size(), added ? 0u : 1u);
    EXPECT_TRUE(added || asked[0].text == kNotAdded) << asked[0].text;
  }
  EXPECT_EQ(page.RowCount(c.door.drop_list), added ? c.door.rows_per_file * static_cast<int>(dropped.size()) : 0);

  if (added) {
    for (int row = 0; c.door.streams != 0 && row < page.RowCount(c.door.streams); ++row) {
      page.SetRowChecked(c.door.streams, row, true);
    }
    if (c.meanwhile == Meanwhile::kFilesGo || c.meanwhile == Meanwhile::kFilesReplaced) {
      std::string other;
      platform::ReadWholeFile(clips->video, &other);
      for (const std::string& file : dropped) {
        platform::DeleteFileForced(file);
        if (c.meanwhile == Meanwhile::kFilesReplaced) platform::WriteWholeFile(file, other);
      }
      before = Contents(work.path());
    }
    if (c.meanwhile == Meanwhile::kFfmpegGoes) settings.SetText(IDC_FFMPEG_PATH, work.File("ffmpeg.exe"));
    if (c.meanwhile == Meanwhile::kFfmpegCrashes) settings.SetText(IDC_FFMPEG_PATH, TestToolPath("crashing_ffmpeg"));
  }
  if (added) {
    FinishedDialog seen;
    std::vector<ShownBox> told;
    {
      // Yes to the check before a batch: the files it names are set aside and the others run.
      MessageBoxAnswerer boxes(IDYES);
      std::thread user([&] { seen = CloseFinishedDialog(60000); });
      SendMessageW(GetDlgItem(window, c.door.run_button), BM_CLICK, 0, 0);
      user.join();
      told = boxes.shown();
    }
    const int files = c.door.one_output ? 1 : static_cast<int>(dropped.size());
    EXPECT_EQ(seen.summary, "作成結果\r\n成功： " + std::to_string(c.successes) + " ファイル\r\n失敗： " +
                           std::to_string(files - c.successes) + " ファイル");
    EXPECT_TRUE(seen.process.starts_with(c.process)) << seen.process;
    ASSERT_EQ(told.size(), c.told.empty() ? 0u : 1u);
    // Some boxes say it in their caption (the over-long command shows the command itself).
    EXPECT_TRUE(c.told.empty() || told[0].text.starts_with(c.told) || told[0].caption.starts_with(c.told));
  }

  // The user's files are as they were; beside them are the outputs and nothing else.
  std::map<std::string, std::string> after = Contents(work.path());
  for (const std::string& name : c.made) {
    EXPECT_EQ(StreamKinds(work.File(name)), (std::vector<std::string>{"Video", "Audio"})) << name;
    after.erase(name);
  }
  EXPECT_EQ(after, before);
}

const char* const kFailed = "ファイルの変換に失敗しました。";
const char* const kChanged = "ファイルが追加後に変更されたか、見つかりません。もう一度追加して下さい： ";
const char* const kChecked = "次のファイルは処理できません。";
const char* const kSetAside = "実行前の確認で処理しないことにしました： ";
const std::string kEmoji = "\xF0\x9F\x8E\xAC";  // outside the BMP: a pair of surrogates

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInputTest,
    ::testing::Values(
        BadInput{"TextNamedMp4", kConvert, {"notes.mp4"}, Content::kText},
        BadInput{"EmptyFile", kConvert, {"empty.mp4"}, Content::kEmpty},
        BadInput{"TruncatedMp4", kConvert, {"cut.mp4"}, Content::kHalfClip},
        BadInput{"VanishesBeforeTheRun", kConvert, {"gone.mp4"}, Content::kClip, false, false, Meanwhile::kFilesGo,
                 kChecked, 0, std::string(kSetAside) + "見つからないか"},
        BadInput{"VanishesBeforeItsTempCopy", kConvert, {"gone.mp4"}, Content::kClip, true, false, Meanwhile::kFilesGo,
                 kChecked, 0, std::string(kSetAside) + "見つからないか"},
        BadInput{"NamesWithQuoteAmpersandPercentExclamationAndEmoji", kConcatenate,
                 {"Don't & 100% !.mp4", kEmoji + " clip.mp4"}, Content::kClip, false, false, Meanwhile::kNothing, "", 1,
                 "ファイルの連結に成功しました。", {kEmoji + " clip_1.mp4"}},
        BadInput{"EmojiNameOnATempCopy", kConvert, {"%!&'" + kEmoji + ".mp4"}, Content::kClip, true, false,
                 Meanwhile::kNothing, "", 1, "ファイルの変換に成功しました。", {"%!&'" + kEmoji + "_1.mp4"}},
        BadInput{"PathOf259Characters", kConvert, {"259"}, Content::kClip, false, false, Meanwhile::kNothing,
                 kChecked, 0, std::string(kSetAside) + "コマンドが長すぎます"},
        BadInput{"ReadOnlyFolder", kConvert, {"locked.mp4"}, Content::kClip, false, true, Meanwhile::kNothing, kChecked, 0,
                 std::string(kSetAside) + "出力先のフォルダーに書き込めません"},
        BadInput{"ReadOnlyFolderForTheConcatList", kConcatenate, {"a.mp4", "b.mp4"}, Content::kClip, false, true,
                 Meanwhile::kNothing, kChecked, 0, std::string(kSetAside) + "出力先のフォルダーに書き込めません"},
        BadInput{"MissingFfmpeg", kConvert, {"a.mp4"}, Content::kClip, false, false, Meanwhile::kFfmpegGoes,
                 "ffmpeg.exeがありません。", 0, "FFmpeg.exeがありません。"},
        BadInput{"ToolCrashesMidRun", kConvert, {"a.mp4"}, Content::kClip, false, false, Meanwhile::kFfmpegCrashes, "",
                 0, kFailed},
        BadInput{"TextNamedMp4OnTheSplitPage", kSplit, {"notes.mp4"}, Content::kText},
        BadInput{"VanishesBeforeTheSplit", kSplit, {"gone.mp4"}, Content::kClip, false, false, Meanwhile::kFilesGo, "",
                 0, kChanged},
        // The split would cut the new file by the old one's frames.
        BadInput{"ReplacedBeforeTheSplit", kSplit, {"new.mp4"}, Content::kClip, false, false, Meanwhile::kFilesReplaced,
                 "", 0, kChanged},
        BadInput{"SplitCrashesMidRun", kSplit, {"a.mp4"}, Content::kClip, true, false, Meanwhile::kFfmpegCrashes, "", 0,
                 "ファイルの分割に失敗しました。"},
        BadInput{"TruncatedMp3OnTheVolumePage", kVolume, {"cut.mp3"}, Content::kHalfClip},
        BadInput{"VanishesBeforeTheVolumeRun", kVolume, {"gone.mp4", "a.mp4"}, Content::kClip, false, false,
                 Meanwhile::kFilesGo, kChecked, 0, "ゲイン適用に失敗しました。"},
        BadInput{"VolumeIntoAReadOnlyFolder", kVolume, {"locked.mp4"}, Content::kClip, false, true,
                 Meanwhile::kNothing, kChecked, 0, "ゲイン適用に失敗しました。"}),
    [](const auto& info) { return std::string(info.param.name); });

using OddInputTest = PageIntakeTest;

// How the program is asked to end: a close request (the close box, Alt+F4, taskkill), or the end
// of the session (a logoff), which Windows asks first and then tells.
class CloseDuringRunTest : public PageIntakeTest, public ::testing::WithParamInterface<bool> {};

// Either aborts the run as 中断 does and waits for its clean-up: the window is gone within
// seconds, the settings are saved, and beside the user's file there is nothing, though a temp
// copy and a half-made output were there.
TEST_P(CloseDuringRunTest, LeavesOnlyTheSource) {
  const bool session_ends = GetParam();
  const std::string source = work.File("long.mp4");
  // Large enough that the convert is still going when the close comes.
  ASSERT_TRUE(MakeClip(source, 20, true, true, "-s 1280x720 -c:v libx264 -preset ultrafast -c:a aac"));
  settings.SetChecked(IDC_TEMP_COPIES, true);
  HWND window = main.page(PAGE_CONVERT);
  DropFiles(GetDlgItem(window, IDC_CONVERT_FILES), {source});
  ASSERT_EQ(ui::WindowDialog(window).RowCount(IDC_CONVERT_FILES), 1);
  const std::string saved = folder.File("status.ini");
  platform::DeleteFileForced(saved);

  HWND main_window = main.window();
  std::atomic<DWORD> asked{0};
  std::string seen_run;
  std::string ended_with;
  std::atomic<bool> clicked{false};
  std::atomic<LRESULT> may_end{FALSE};
  std::thread user([&] {
    // The temp copy and the output exist, and FFmpeg writes: then the program is asked to close.
    for (int waited = 0; waited < 30000 && platform::ListFolder(work.path()).size() < 3; waited += 20) Sleep(20);
    Sleep(500);
    asked = GetTickCount();
    // Asked only while the run goes on: after it the window's thread waits in join() below and
    // answers no sent message (hence the bound on the send too), and a session end that finds no
    // run leaves the window open. A run that is over waits for 閉じる, which its dialog may offer
    // only later.
    seen_run = JobDialogState();
    if (seen_run != "running") {
      for (int waited = 0; waited < 60000 && !clicked && ended_with.empty(); waited += 1000) {
        ended_with = CloseJobDialog(1000);
      }
      return;
    }
    if (session_ends) {
      DWORD_PTR answer = FALSE;
      if (SendMessageTimeoutW(main_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000, &answer)) {
        may_end = static_cast<LRESULT>(answer);
      }
    } else {
      PostMessageW(main_window, WM_CLOSE, 0, 0);
    }
    // The window's thread stays in the run's dialog until it ends; a dialog that never does fails
    // the test, which ends, rather than keeping it waiting for ever.
    for (int waited = 0; waited < 60000 && !clicked; waited += 100) Sleep(100);
    if (!clicked) {
      ADD_FAILURE() << "the run's dialog was still up a minute after the question, at " << JobDialogState();
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 1);
    }
  });
  SendMessageW(GetDlgItem(window, IDC_CONVERT_RUN), BM_CLICK, 0, 0);
  clicked = true;
  user.join();
  ASSERT_EQ(seen_run, "running") << "the run's dialog when the program was to be asked to close; it ended with: "
                                 << ended_with;
  if (session_ends) {
    // The session ends once the run has cleaned up; the program is then ended without WM_DESTROY.
    EXPECT_EQ(may_end, TRUE);
    SendMessageW(main_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(platform::PathExists(saved));
  }
  EXPECT_EQ(main.RunLoopUntilClosed(), 0);
  EXPECT_LT(GetTickCount() - asked, 10000u);
  EXPECT_FALSE(IsWindow(main_window));
  EXPECT_TRUE(platform::PathExists(saved));
  std::vector<std::string> left;
  for (const auto& entry : platform::ListFolder(work.path())) left.push_back(entry.name);
  EXPECT_EQ(left, std::vector<std::string>{"long.mp4"});
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseDuringRunTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "SessionEnds" : "CloseRequest"; });

// A title tag that reads like a stream line is no stream: three rows for three streams, and the
// audio stream ticked is the one in the output (told apart by their sample rates).
TEST_F(OddInputTest, AStreamLineInATitleTagIsNoRow) {
  const std::string source = work.File("tagged.mp4");
  ASSERT_TRUE(RunCommand(FfmpegCommand() +
                         " -v error -f lavfi -i testsrc=size=160x120:rate=25:duration=1"
                         " -f lavfi -i sine=sample_rate=44100:duration=1 -f lavfi -i sine=sample_rate=22050:duration=1"
                         " -map 0 -map 1 -map 2 -c:v libx264 -preset ultrafast -c:a aac"
                         " -metadata title=\"Stream #0:9: Audio: aac\" " + Quoted(source)));
  HWND window = main.page(PAGE_CONVERT);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_CONVERT_FILES), {source});
  ASSERT_EQ(RowKinds(page, IDC_CONVERT_STREAMS), (std::vector<std::string>{"Video", "Audio", "Audio"}));
  const FileList& files = ui::PageStateOf(window)->files;
  ShowPage(PAGE_CONVERT);
  ClickAt(CheckBoxPoint(GetDlgItem(window, IDC_CONVERT_STREAMS), 1));
  ASSERT_TRUE(PumpUntil([&] { return files.files[0].streams[1].selected == 0; }));
  EXPECT_EQ(RunJob(window, IDC_CONVERT_RUN), "作成結果\r\n成功： 1 ファイル\r\n失敗： 0 ファイル");
  const std::vector<std::string> made = ProbeStreams(work.File("tagged_1.mp4"));
  ASSERT_EQ(LineKinds(made), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_NE(made[1].find("22050 Hz"), std::string::npos) << made[1];
}

}  // namespace
}  // namespace clipwright::testing
