#include "ui/settings_page.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/control_ids.h"
#include "common/limits.h"
#include "platform/win32/wide.h"
#include "ui/window_dialog.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

// The open-file dialog's file name box and file type list.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
constexpr int kFileTypeList = 0x470;

struct Picker {
  std::string filter;
};

// Waits for the open-file dialog owned by `owner` (the main window, the root of the page that
// opens it), notes its filter, and either types `file` and confirms or cancels.
Picker AnswerOpenDialog(HWND owner, const std::string& file) {
  Picker seen;
  for (int waited = 0; waited < 10000; waited += 20) {
    HWND dialog = nullptr;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      wchar_t kind[32] = {};
      GetClassNameW(window, kind, 32);
      if (wcscmp(kind, L"#32770") == 0 && GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) {
        dialog = window;
      }
    }
    if (dialog && GetDlgItem(dialog, kFileTypeList)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      seen.filter = WindowTextOf(GetDlgItem(dialog, kFileTypeList));
      if (file.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      } else {
        const std::wstring wide = platform::Widen(file);
        for (int id : {kFileNameCombo, kFileNameEdit}) SetDlgItemTextW(dialog, id, wide.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      }
      return seen;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return seen;
}

TEST(SettingsPage, ToolPathsArePickedWithTheOpenFileDialogAndKeptOnCancel) {
  TempDir folder;
  MainWindowRun main(folder);
  HWND page = main.page(PAGE_SETTINGS);
  ui::WindowDialog settings(page);
  const struct {
    int button;
    const char* filter;
  } buttons[] = {{IDC_FFMPEG_PICK, "ffmpeg"}, {IDC_ALT_FFMPEG_PICK, "ffmpeg"}, {IDC_AACGAIN_PICK, "aacgain"}};
  for (const auto& b : buttons) {
    const std::string tool = folder.Write("tool" + std::to_string(b.button) + ".exe", "MZ");
    settings.SetText(b.button - 1, "C:\\before.exe");
    Picker cancelled;
    std::thread cancel([&] { cancelled = AnswerOpenDialog(main.window(), ""); });
    settings.SendCommand(b.button);
    cancel.join();
    EXPECT_EQ(cancelled.filter, b.filter);
    EXPECT_EQ(settings.Text(b.button - 1), "C:\\before.exe");

    std::thread confirm([&] { AnswerOpenDialog(main.window(), tool); });
    settings.SendCommand(b.button);
    confirm.join();
    EXPECT_EQ(settings.Text(b.button - 1), tool) << b.button;
  }
}

}  // namespace
}  // namespace clipwright::testing
