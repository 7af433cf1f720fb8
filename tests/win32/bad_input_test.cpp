// Bad input through the real window with the real Windows FFmpeg: each case ends in the
// program's own message, every file of the user's is as it was, and the run leaves nothing of
// its own behind. A page is one more PageDoor, a case one more row.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "common/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "support/media.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

// Where a page takes dropped files and starts its run; `streams`, when not 0, is a stream list
// whose rows the user checks before the run; `one_output`: the run makes one file of them all.
struct PageDoor {
  int page;
  int drop_list;
  int run_button;
  int streams;
  bool one_output;
};
constexpr PageDoor kConvert{PAGE_CONVERT, IDC_CONVERT_FILES, IDC_CONVERT_RUN, 0, false};
constexpr PageDoor kConcatenate{PAGE_CONCATENATE, IDC_CONCAT_FILES, IDC_CONCAT_RUN, IDC_CONCAT_STREAMS, true};

const char* const kNotAdded = "追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？";

std::string Summary(int successes, int failures) {
  return "作成結果\r\n成功： " + std::to_string(successes) + " ファイル\r\n失敗： " + std::to_string(failures) +
         " ファイル";
}

class BadInputTest;
struct BadInput;
void PrintTo(const BadInput& c, std::ostream* out);

struct BadInput {
  const char* name;
  PageDoor door;
  // Makes the files to drop in the test's folder; may change the settings too.
  std::function<std::vector<std::string>(BadInputTest&)> make;
  bool all_added = false;  // else the intake says some files could not be added, and nothing runs
  // What happens between adding and running (the file goes, FFmpeg goes); may be empty.
  std::function<void(BadInputTest&, const std::vector<std::string>&)> before_run = {};
  std::string run_box = {};  // the start of a message box the run shows; empty: none
  int successes = 0;
  std::string process = {};  // the start of 9501 when the run has ended
  std::vector<std::string> made = {};  // the files the run leaves beside the inputs
};

void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }

class BadInputTest : public PageIntakeTest, public ::testing::WithParamInterface<BadInput> {
 public:
  using PageIntakeTest::clips;
  using PageIntakeTest::settings;
  using PageIntakeTest::work;

  ~BadInputTest() override {
    if (refusing_) RefuseNewFiles(work.path(), false);
  }

  std::string Clip(const std::string& name) { return CopyClip(clips->both, name); }

  // Makes the test's folder refuse new files: the read-only attribute where the system honours
  // it for folders, else (Wine run by root) Linux's immutable flag, set from the Unix side.
  // False when neither takes.
  bool RefuseNewFiles(const std::string& folder, bool refuse) {
    SetFileAttributesW(platform::Widen(folder).c_str(), refuse ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    if (refuse && !TakesNewFiles(folder)) return refusing_ = true;
    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto unix_name = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unix_name == nullptr) return false;
    char* name = unix_name(platform::Widen(folder).c_str());
    if (name == nullptr) return false;
    std::wstring command = L"Z:\\usr\\bin\\chattr " + std::wstring(refuse ? L"+i " : L"-i ") + platform::Widen(name);
    HeapFree(GetProcessHeap(), 0, name);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
      return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    // Wine hands a Unix program over without waiting for it: the folder is watched instead.
    for (int i = 0; i < 100 && TakesNewFiles(folder) == refuse; ++i) Sleep(50);
    refusing_ = refuse && !TakesNewFiles(folder);
    return refusing_;
  }

 private:
  static bool TakesNewFiles(const std::string& folder) {
    const std::string probe = folder + "probe.tmp";
    if (platform::CreateNewFile(probe, "") != platform::NewFile::kMade) return false;
    platform::DeleteFileForced(probe);
    return true;
  }

  bool refusing_ = false;
};

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : platform::ListFolder(folder)) platform::ReadWholeFile(folder + entry.name, &contents[entry.name]);
  return contents;
}

// Presses the run button and closes the job dialog once it offers 閉じる; the summary, and in
// `*process` the last process line.
std::string RunJob(HWND page, int run_button, std::string* process) {
  std::string summary;
  std::thread user([&] { summary = CloseJobDialog(60000, process); });
  SendMessageW(GetDlgItem(page, run_button), BM_CLICK, 0, 0);
  user.join();
  return summary;
}

TEST_P(BadInputTest, EndsInTheProgramsOwnMessageAndLosesNothing) {
  const BadInput& c = GetParam();
  const std::vector<std::string> dropped = c.make(*this);
  if (dropped.empty()) GTEST_SKIP() << "the case cannot be set up here";
  const std::map<std::string, std::string> before = Contents(work.path());
  HWND window = main.page(c.door.page);
  ui::WindowDialog page(window);
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(window, c.door.drop_list), dropped);
    const std::vector<ShownBox> asked = boxes.shown();
    ASSERT_EQ(asked.size(), c.all_added ? 0u : 1u);
    if (!c.all_added) {
      EXPECT_EQ(asked[0].text, kNotAdded);
    }
  }
  EXPECT_EQ(page.RowCount(c.door.drop_list), c.all_added ? static_cast<int>(dropped.size()) : 0);

  std::map<std::string, std::string> expected = before;
  if (c.all_added) {
    for (int row = 0; c.door.streams != 0 && row < page.RowCount(c.door.streams); ++row) {
      page.SetRowChecked(c.door.streams, row, true);
    }
    if (c.before_run) c.before_run(*this, dropped);
    expected = Contents(work.path());
    std::string process;
    std::vector<ShownBox> told;
    {
      MessageBoxAnswerer boxes(IDOK);
      const int files = c.door.one_output ? 1 : static_cast<int>(dropped.size());
      EXPECT_EQ(RunJob(window, c.door.run_button, &process), Summary(c.successes, files - c.successes));
      told = boxes.shown();
    }
    EXPECT_TRUE(process.starts_with(c.process)) << process;
    ASSERT_EQ(told.size(), c.run_box.empty() ? 0u : 1u);
    if (!c.run_box.empty()) {
      // Some boxes say it in their caption (the over-long command shows the command itself).
      EXPECT_TRUE(told[0].text.starts_with(c.run_box) || told[0].caption.starts_with(c.run_box)) << told[0].caption;
    }
  }

  // The user's files are as they were; besides them there are the outputs and nothing else.
  std::map<std::string, std::string> after = Contents(work.path());
  for (const std::string& name : c.made) {
    ASSERT_TRUE(after.count(name)) << name;
    EXPECT_EQ(StreamKinds(work.File(name)), (std::vector<std::string>{"Video", "Audio"})) << name;
    after.erase(name);
  }
  EXPECT_EQ(after, expected);
}

std::vector<std::string> Files(std::initializer_list<std::string> paths) { return paths; }

void UseFfmpeg(BadInputTest& t, const std::string& path) { t.settings.SetText(IDC_FFMPEG_PATH, path); }

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInputTest,
    ::testing::Values(
        BadInput{"TextNamedMp4", kConvert,
                 [](BadInputTest& t) { return Files({t.work.Write("notes.mp4", "a shopping list, not a film\r\n")}); },
                 false},
        BadInput{"EmptyFile", kConvert, [](BadInputTest& t) { return Files({t.work.Write("empty.mp4", "")}); }, false},
        BadInput{"TruncatedMp4", kConvert,
                 [](BadInputTest& t) {
                   std::string bytes;
                   platform::ReadWholeFile(t.clips->both, &bytes);
                   return Files({t.work.Write("cut.mp4", bytes.substr(0, bytes.size() / 2))});
                 },
                 false},
        BadInput{"VanishesBeforeTheRun", kConvert, [](BadInputTest& t) { return Files({t.Clip("gone.mp4")}); }, true,
                 [](BadInputTest&, const std::vector<std::string>& files) { platform::DeleteFileForced(files[0]); }, "",
                 0, "ファイルの変換に失敗しました。"},
        BadInput{"VanishesBeforeItsTempCopy", kConvert,
                 [](BadInputTest& t) {
                   t.settings.SetChecked(IDC_TEMP_COPIES, true);
                   return Files({t.Clip("gone.mp4")});
                 },
                 true, [](BadInputTest&, const std::vector<std::string>& files) { platform::DeleteFileForced(files[0]); },
                 "", 0, "一時ファイルを作成出来ませんでした： "},
        BadInput{"NamesWithQuotesAmpersandPercentAndAnEmoji", kConcatenate,
                 [](BadInputTest& t) { return Files({t.Clip("Don't & 100% !.mp4"), t.Clip("\xF0\x9F\x8E\xAC clip.mp4")}); },
                 true, {}, "", 1, "ファイルの連結に成功しました。", {"\xF0\x9F\x8E\xAC clip_1.mp4"}},
        BadInput{"EmojiNameOnATempCopy", kConvert,
                 [](BadInputTest& t) {
                   t.settings.SetChecked(IDC_TEMP_COPIES, true);
                   return Files({t.Clip("%!&'\xF0\x9F\x8E\xAC.mp4")});
                 },
                 true, {}, "", 1, "ファイルの変換に成功しました。", {"%!&'\xF0\x9F\x8E\xAC_1.mp4"}},
        BadInput{"PathOf259Characters", kConvert,
                 [](BadInputTest& t) {
                   const std::size_t name = PATH_CAPACITY - 1 - platform::Utf16Length(t.work.path());
                   return Files({t.Clip(std::string(name - 4, 'p') + ".mp4")});
                 },
                 true, {}, "コマンドラインが長くなり過ぎです。", 0, "コマンドの作成に失敗しました。"},
        BadInput{"ReadOnlyFolder", kConvert,
                 [](BadInputTest& t) {
                   const std::string clip = t.Clip("locked.mp4");
                   return t.RefuseNewFiles(t.work.path(), true) ? Files({clip}) : Files({});
                 },
                 true, {}, "", 0, "ファイルの変換に失敗しました。"},
        BadInput{"ReadOnlyFolderForTheConcatList", kConcatenate,
                 [](BadInputTest& t) {
                   const auto clips = Files({t.Clip("a.mp4"), t.Clip("b.mp4")});
                   return t.RefuseNewFiles(t.work.path(), true) ? clips : Files({});
                 },
                 true, {}, "", 0, "連結リストを作成出来ませんでした： "},
        BadInput{"MissingFfmpeg", kConvert, [](BadInputTest& t) { return Files({t.Clip("a.mp4")}); }, true,
                 [](BadInputTest& t, const std::vector<std::string>&) { UseFfmpeg(t, t.work.File("ffmpeg.exe")); },
                 "ffmpeg.exeがありません。", 0, "FFmpeg.exeがありません。"},
        BadInput{"ToolCrashesMidRun", kConvert, [](BadInputTest& t) { return Files({t.Clip("a.mp4")}); }, true,
                 [](BadInputTest& t, const std::vector<std::string>&) { UseFfmpeg(t, TestToolPath("crashing_ffmpeg")); },
                 "", 0, "ファイルの変換に失敗しました。"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipwright::testing
