#include "ui/settings_page.h"

#include <gtest/gtest.h>

#include <thread>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/win32/wide.h"
#include "ui/window_dialog.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

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
    std::string cancelled;
    std::thread cancel([&] { cancelled = AnswerOpenDialog(main.window(), ""); });
    settings.SendCommand(b.button);
    cancel.join();
    EXPECT_EQ(cancelled, b.filter);
    EXPECT_EQ(settings.Text(b.button - 1), "C:\\before.exe");

    std::thread confirm([&] { AnswerOpenDialog(main.window(), tool); });
    settings.SendCommand(b.button);
    confirm.join();
    EXPECT_EQ(settings.Text(b.button - 1), tool) << b.button;
  }
}

}  // namespace
}  // namespace clipwright::testing
