#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/win32/wide.h"
#include "test_config.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"
#include "version.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

TEST(MainWindow, StartsWithSevenTabsAndOnlyTheSettingsPageShown) {
  TempDir folder;
  MainWindowRun run(folder);
  ASSERT_NE(run.window(), nullptr);
  EXPECT_EQ(WindowTextOf(run.window()), CLIPWRIGHT_TITLE);
  EXPECT_EQ(TabTexts(run.tab()),
            (std::vector<std::string>{"設定", "分割", "連結", "多重化", "分離", "変換", "AACGain"}));
  EXPECT_EQ(SendMessageW(run.tab(), TCM_GETCURSEL, 0, 0), 0);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    ASSERT_NE(run.page(index), nullptr) << index;
    EXPECT_EQ(GetParent(run.page(index)), run.tab()) << index;
    EXPECT_EQ(IsWindowVisible(run.page(index)) != 0, index == PAGE_SETTINGS) << index;
  }

  SelectTab(run.window(), PAGE_SEPARATE);
  EXPECT_TRUE(IsWindowVisible(run.page(PAGE_SEPARATE)));
  EXPECT_FALSE(IsWindowVisible(run.page(PAGE_SETTINGS)));
  EXPECT_EQ(run.Close(), 0);
}

TEST(MainWindow, OnlyTheSplitPageMovesTheFocusWithTheTabKey) {
  TempDir folder;
  MainWindowRun run(folder);
  SetForegroundWindow(run.window());
  Pump();
  const DWORD window_thread = GetCurrentThreadId();
  const auto focus = [window_thread] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(window_thread, &info);
    return info.hwndFocus;
  };
  // The keys must pass through the program's own message loop, so the user sits on a thread of
  // their own and closes the window at the end.
  const HWND window = run.window();
  HWND pages[PAGE_COUNT];
  for (int index = 0; index < PAGE_COUNT; ++index) pages[index] = run.page(index);
  std::thread user([&] {
    const struct {
      int page;
      int first;
      bool moves;
    } cases[] = {{PAGE_SPLIT, IDC_SPLIT_OPEN, true}, {PAGE_CONCATENATE, IDC_CONCAT_ADD, false},
                 {PAGE_SETTINGS, IDC_FFMPEG_PICK, false}};
    for (const auto& c : cases) {
      SelectTab(window, c.page);
      HWND first = GetDlgItem(pages[c.page], c.first);
      SendMessageW(pages[c.page], WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
      EXPECT_EQ(focus(), first) << c.page;
      PressKey(VK_TAB);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      SendMessageW(window, WM_NULL, 0, 0);
      EXPECT_EQ(focus() != first, c.moves) << c.page;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(run.RunLoopUntilClosed(), 0);
  user.join();
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST(MainWindow, KeepsSettingsAndPlacementThroughARestartAndStartsAfreshWithoutThem) {
  TempDir folder;
  // The error list left over from an earlier run goes, even read-only; a user's input.txt stays.
  platform::WriteWholeFile(folder.File("input.txt"), "a user's notes");
  platform::WriteWholeFile(folder.File("error.txt"), "a.mp4\n");
  platform::SetReadOnly(folder.File("error.txt"));
  {
    MainWindowRun run(folder);
    EXPECT_TRUE(platform::PathExists(folder.File("input.txt")));
    EXPECT_FALSE(platform::PathExists(folder.File("error.txt")));
    ui::WindowDialog settings(run.page(PAGE_SETTINGS));
    settings.SetChecked(IDC_OPT_Y, true);
    settings.SetComboIndex(IDC_OPT_THREADS_LIST, 7);
    settings.SetText(IDC_FFMPEG_PATH, "C:\\ツール\\ffmpeg.exe");
    ui::WindowDialog split(run.page(PAGE_SPLIT));
    split.SetChecked(IDC_SPLIT_AT_KEYFRAMES, true);
    SetWindowPos(run.window(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(run.Close(), 0);
  }
  const platform::Profile file(folder.File("status.ini"));
  EXPECT_EQ(file.GetInt("setting", "-y", -1), 1);
  EXPECT_EQ(file.GetInt("setting", "-threads combo", -1), 7);
  EXPECT_EQ(file.GetString("setting", "FFmpeg Path", ""), "C:\\ツール\\ffmpeg.exe");
  {
    MainWindowRun run(folder);
    ui::WindowDialog settings(run.page(PAGE_SETTINGS));
    EXPECT_TRUE(settings.IsChecked(IDC_OPT_Y));
    EXPECT_FALSE(settings.IsChecked(IDC_OPT_N));
    EXPECT_EQ(settings.ComboText(IDC_OPT_THREADS_LIST), "14");
    EXPECT_EQ(settings.Text(IDC_FFMPEG_PATH), "C:\\ツール\\ffmpeg.exe");
    // The split page heard of its box: the range controls are greyed.
    ui::WindowDialog split(run.page(PAGE_SPLIT));
    EXPECT_TRUE(split.IsChecked(IDC_SPLIT_AT_KEYFRAMES));
    EXPECT_FALSE(split.IsEnabled(IDC_SPLIT_START_TRACK));
    EXPECT_EQ(WindowRect(run.window()).left, 40);
    EXPECT_EQ(WindowRect(run.window()).top, 30);
    EXPECT_EQ(run.Close(), 0);
  }
  ASSERT_TRUE(platform::DeleteFileForced(folder.File("status.ini")));
  {
    MainWindowRun run(folder);
    ui::WindowDialog settings(run.page(PAGE_SETTINGS));
    EXPECT_FALSE(settings.IsChecked(IDC_OPT_Y));
    EXPECT_EQ(settings.ComboText(IDC_OPT_THREADS_LIST), "0");
    EXPECT_EQ(settings.ComboText(IDC_OPT_STRICT_LIST), "normal");
    EXPECT_EQ(settings.ComboText(IDC_OPT_CPU_USED_LIST), "0");
    EXPECT_EQ(settings.Text(IDC_FFMPEG_PATH), "");
    EXPECT_EQ(ui::WindowDialog(run.page(PAGE_VOLUME)).Text(IDC_VOLUME_TARGET), "100.0");
    EXPECT_TRUE(ui::WindowDialog(run.page(PAGE_SPLIT)).IsEnabled(IDC_SPLIT_START_TRACK));
    const RECT desktop = WindowRect(GetDesktopWindow());
    const RECT window = WindowRect(run.window());
    EXPECT_EQ(window.left, (desktop.right - desktop.left - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (desktop.bottom - desktop.top - (window.bottom - window.top)) / 2);
  }
}

class MainWindowRequests : public ::testing::Test {
 protected:
  // Asks from a worker thread, as workers do, while this thread runs the window.
  template <typename Ask>
  void AskFromWorker(Ask ask) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      ask();
      done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 20000));
    worker.join();
  }

  TempDir folder;
  MainWindowRun main{folder};
  ui::WindowDialog settings{main.page(PAGE_SETTINGS)};
  ui::WindowDialog convert{main.page(PAGE_CONVERT)};
  ui::WindowRequests requests{main.page(PAGE_SPLIT)};
};

TEST_F(MainWindowRequests, MissingToolsAreReportedByTheMainWindowAndAnswerNo) {
  const struct {
    int control;
    bool ffmpeg;
    const char* text;
    const char* caption;
  } cases[] = {{IDC_FFMPEG_PATH, true, "ffmpeg.exeがありません。", "FFmpegエラー"},
               {IDC_AACGAIN_PATH, false, "aacgain.exe is not found.", "aacgain error"}};
  for (const auto& c : cases) {
    const std::string missing = folder.File("missing.exe");
    settings.SetText(c.control, missing);
    ShownBox shown;
    std::thread closer([&] { shown = AnswerNextMessageBox(); });
    bool found = true;
    std::string path;
    AskFromWorker([&] { found = c.ffmpeg ? requests.FfmpegPath(&path) : requests.AacgainPath(&path); });
    closer.join();
    EXPECT_FALSE(found) << c.text;
    EXPECT_EQ(path, missing);
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.caption, c.caption);
    EXPECT_EQ(shown.owner, main.window());
  }
}

TEST_F(MainWindowRequests, TheAlternativeFfmpegIsUsedWhileItsBoxIsChecked) {
  const std::string tool = folder.Write("ffmpeg.exe", "MZ");
  settings.SetText(IDC_FFMPEG_PATH, tool);
  settings.SetText(IDC_ALT_FFMPEG_PATH, test_config::kFfmpeg);
  for (bool alternative : {true, false}) {
    convert.SetChecked(IDC_CONVERT_ALT_FFMPEG, alternative);
    std::string path;
    bool found = false;
    AskFromWorker([&] { found = requests.FfmpegPath(&path); });
    EXPECT_TRUE(found);
    EXPECT_EQ(path, alternative ? test_config::kFfmpeg : tool);
  }
  // The answer always fits the sender's buffer, terminator included.
  wchar_t buffer[PATH_CAPACITY];
  std::fill(std::begin(buffer), std::end(buffer), L'#');
  settings.SetText(IDC_FFMPEG_PATH, std::string(400, 'x'));
  std::thread closer([] { AnswerNextMessageBox(); });
  AskFromWorker([&] { SendMessageW(main.window(), ui::MSG_GET_FFMPEG_PATH, 0, reinterpret_cast<LPARAM>(buffer)); });
  closer.join();
  EXPECT_EQ(buffer[PATH_CAPACITY - 1], L'\0');
}

TEST_F(MainWindowRequests, PageWindowsByIndexAndNothingBeyondTheLastPage) {
  for (int index = 0; index < PAGE_COUNT; ++index) {
    HWND page = nullptr;
    EXPECT_EQ(SendMessageW(main.window(), ui::MSG_GET_PAGE_WINDOW, index, reinterpret_cast<LPARAM>(&page)), 0);
    EXPECT_EQ(page, main.page(index));
    ASSERT_NE(requests.Page(index), nullptr);
    EXPECT_EQ(dynamic_cast<ui::WindowDialog*>(requests.Page(index))->window(), page);
  }
  // Only the low 16 bits name the page.
  HWND page = nullptr;
  SendMessageW(main.window(), ui::MSG_GET_PAGE_WINDOW, 0x10000 + PAGE_VOLUME, reinterpret_cast<LPARAM>(&page));
  EXPECT_EQ(page, main.page(PAGE_VOLUME));
  HWND untouched = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(SendMessageW(main.window(), ui::MSG_GET_PAGE_WINDOW, 7, reinterpret_cast<LPARAM>(&untouched)), 0);
  EXPECT_EQ(untouched, reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(requests.Page(7), nullptr);
  // A page reads the settings page's boxes through the request, as command assembly does.
  settings.SetChecked(IDC_OPT_BITEXACT, true);
  EXPECT_TRUE(requests.Page(PAGE_SETTINGS)->IsChecked(IDC_OPT_BITEXACT));
}

}  // namespace
}  // namespace clipwright::testing
