#include "ui/progress_dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "ui/window_dialog.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

using std::chrono::milliseconds;

// The progress dialog over `owner`: the window of the owner's thread that holds the process line.
HWND ProgressWindowOf(HWND owner) {
  HWND found = nullptr;
  EnumThreadWindows(
      GetWindowThreadProcessId(owner, nullptr),
      [](HWND window, LPARAM found) {
        if (!GetDlgItem(window, IDC_PROGRESS_PROCESS)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool ControlVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }
bool ControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

// Waits on the calling (non-window) thread until `done` holds.
bool WaitFor(const std::function<bool()>& done, int timeout_ms = 5000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return done();
}

// Lets the dialog's thread handle what is queued for it (input included) before the caller looks.
void Settle(HWND dialog) {
  std::this_thread::sleep_for(milliseconds(300));
  SendMessageW(dialog, WM_NULL, 0, 0);
}

class ProgressDialogTest : public ::testing::Test {
 protected:
  TempDir folder;
  MainWindowRun main{folder};
  HWND owner() const { return main.page(PAGE_CONVERT); }
};

TEST_F(ProgressDialogTest, JobRunIgnoresKeysAbortsOnceAndOffersCloseOnlyAfterTheWorker) {
  std::atomic<int> abort{0};
  std::atomic<bool> worker_returned{false};
  std::atomic<bool> close_seen_before_return{false};
  HWND dialog = nullptr;
  // The user: waits for 閉じる and closes the dialog with Enter, which also proves that key input
  // reaches the dialog once the worker has ended.
  std::thread user([&] {
    WaitFor([&] { return dialog != nullptr; });
    WaitFor([&] { return ControlVisible(dialog, IDC_PROGRESS_CLOSE); }, 20000);
    if (!worker_returned) close_seen_before_return = true;
    Settle(dialog);
    PressKey(VK_RETURN);
  });

  const int result = ui::RunProgressDialog(owner(), RunKind::kConvert, abort, [&](RunObserver& observer) {
    dialog = ProgressWindowOf(owner());
    observer.FileStarted("C:\\動画\\a.mp4");
    observer.Report(Stage::kRunning);
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_FILE)), "C:\\動画\\a.mp4");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_PROCESS)), "ファイルを変換中です．．．");
    EXPECT_TRUE(ControlVisible(dialog, IDC_PROGRESS_ABORT));
    EXPECT_FALSE(ControlVisible(dialog, IDC_PROGRESS_CLOSE));

    // Keys of the dialog manager would abort (Escape, Space on 中断) or close (Enter, Alt+F4).
    SetForegroundWindow(dialog);
    Settle(dialog);
    PressKey(VK_ESCAPE);
    PressKey(VK_RETURN);
    PressKey(VK_SPACE);
    PostMessageW(dialog, WM_COMMAND, IDC_PROGRESS_CLOSE, 0);
    Settle(dialog);
    EXPECT_EQ(abort.load(), 0);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(ControlEnabled(dialog, IDC_PROGRESS_ABORT));

    // The mouse aborts; the greyed button takes no second press.
    ClickControl(GetDlgItem(dialog, IDC_PROGRESS_ABORT));
    EXPECT_TRUE(WaitFor([&] { return abort.load() == 1; }));
    Settle(dialog);
    EXPECT_FALSE(ControlEnabled(dialog, IDC_PROGRESS_ABORT));
    abort = 0;
    ClickControl(GetDlgItem(dialog, IDC_PROGRESS_ABORT));
    Settle(dialog);
    EXPECT_EQ(abort.load(), 0);

    // The run's end is shown, and 閉じる still waits for the return.
    observer.FileEnded(FileOutcome::kAborted);
    observer.RunEnded(RunSummary{true, 0, 1, {}});
    Settle(dialog);
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_PROCESS)), "ファイルの変換を中断しました。");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_STATUS)), "作成結果\r\n成功： 0 ファイル\r\n失敗： 1 ファイル");
    EXPECT_FALSE(ControlVisible(dialog, IDC_PROGRESS_CLOSE));
    worker_returned = true;
    return 0;
  });
  user.join();
  EXPECT_EQ(result, 1);
  EXPECT_FALSE(close_seen_before_return.load());
}

TEST_F(ProgressDialogTest, AnalysisClearsTheFlagKeepsAbortGreyedAndEndsWithTheWorkersResult) {
  std::atomic<int> abort{1};
  const int result = ui::RunProgressDialog(owner(), RunKind::kAnalysis, abort, [&](RunObserver& observer) {
    HWND dialog = ProgressWindowOf(owner());
    EXPECT_EQ(abort.load(), 0);
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_PROCESS)), "ファイル名を取得中．．．");
    EXPECT_TRUE(ControlVisible(dialog, IDC_PROGRESS_ABORT));
    EXPECT_FALSE(ControlEnabled(dialog, IDC_PROGRESS_ABORT));
    EXPECT_FALSE(ControlVisible(dialog, IDC_PROGRESS_CLOSE));
    // An abort command while the button is greyed still counts; the button stays as it is.
    SendMessageW(dialog, WM_COMMAND, IDC_PROGRESS_ABORT, 0);
    EXPECT_EQ(abort.load(), 1);
    EXPECT_FALSE(ControlEnabled(dialog, IDC_PROGRESS_ABORT));
    // The worker may allow the abort; close is not the analysis dialog's to honour.
    observer.AbortAllowed(true);
    EXPECT_TRUE(ControlEnabled(dialog, IDC_PROGRESS_ABORT));
    SendMessageW(dialog, WM_COMMAND, IDC_PROGRESS_CLOSE, 0);
    Settle(dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    return 2;
  });
  EXPECT_EQ(result, 2);
}

TEST_F(ProgressDialogTest, TitlesCountSecondsUntilTheTimerStops) {
  struct Case {
    RunKind kind;
    const char* first;
    const char* later;
  };
  for (const Case& c : {Case{RunKind::kConvert, "FFmpeg", "FFmpeg ［経過時間 00:00:01］"},
                        Case{RunKind::kVolume, "AACGain", "AACGain [経過時間 00:00:01]"}}) {
    std::atomic<int> abort{0};
    HWND dialog = nullptr;
    // The timer stops with the worker: the title keeps the last time it showed.
    std::thread user([&] {
      WaitFor([&] { return dialog && ControlVisible(dialog, IDC_PROGRESS_CLOSE); }, 20000);
      std::this_thread::sleep_for(milliseconds(1500));
      EXPECT_EQ(WindowTextOf(dialog), c.later);
      PostMessageW(dialog, WM_COMMAND, IDC_PROGRESS_CLOSE, 0);
    });
    ui::RunProgressDialog(owner(), c.kind, abort, [&](RunObserver&) {
      dialog = ProgressWindowOf(owner());
      EXPECT_EQ(WindowTextOf(dialog), c.first);
      EXPECT_TRUE(WaitFor([&] { return WindowTextOf(dialog) == c.later; }, 3000)) << WindowTextOf(dialog);
      return 0;
    });
    user.join();
  }
}

TEST_F(ProgressDialogTest, CentresOverAnOwnerThatIsLargerInBothDirectionsOnly) {
  // A small owner: the dialog stays where the system put it, its client area at the owner's.
  HWND small = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 200, 200, 150, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(small, nullptr);
  for (HWND owner_window : {main.window(), small}) {
    std::atomic<int> abort{0};
    RECT owner_rect{};
    RECT dialog_rect{};
    POINT owner_client{0, 0};
    POINT dialog_client{0, 0};
    GetWindowRect(owner_window, &owner_rect);
    ClientToScreen(owner_window, &owner_client);
    ui::RunProgressDialog(owner_window, RunKind::kAnalysis, abort, [&](RunObserver&) {
      HWND dialog = ProgressWindowOf(owner_window);
      GetWindowRect(dialog, &dialog_rect);
      ClientToScreen(dialog, &dialog_client);
      return 1;
    });
    const int width = dialog_rect.right - dialog_rect.left;
    const int height = dialog_rect.bottom - dialog_rect.top;
    if (owner_window == small) {
      EXPECT_EQ(dialog_client.x, owner_client.x);
      EXPECT_EQ(dialog_client.y, owner_client.y);
    } else {
      EXPECT_EQ(dialog_rect.left, owner_rect.left + (owner_rect.right - owner_rect.left - width) / 2);
      EXPECT_EQ(dialog_rect.top, owner_rect.top + (owner_rect.bottom - owner_rect.top - height) / 2);
    }
  }
  DestroyWindow(small);
}

}  // namespace
}  // namespace clipwright::testing
