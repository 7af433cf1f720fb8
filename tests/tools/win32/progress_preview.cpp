// Shows the main window and, over its convert page, a job progress dialog with texts as a
// conversion writes them, so that scripts/screenshot can capture the dialog. The settings live in
// a folder of their own under %TEMP%, never beside the program. 中断 ends the preview's run.
#include "ui/win32.h"

#include <atomic>
#include <string>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/system.h"
#include "platform/win32/wide.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/window_requests.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"clipwright-preview\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string base = clipwright::platform::Narrow(folder);
  HWND main_window = clipwright::ui::CreateMainWindow(
      instance, show_command, {base + "status.ini", base + "error.txt"});
  if (!main_window) return 1;
  HWND convert = nullptr;
  SendMessageW(main_window, clipwright::ui::MSG_GET_PAGE_WINDOW, clipwright::PAGE_CONVERT,
               reinterpret_cast<LPARAM>(&convert));
  std::atomic<int> abort{0};
  clipwright::ui::RunProgressDialog(convert, clipwright::RunKind::kConvert, abort,
                                    [&abort](clipwright::RunObserver& observer) {
    observer.FileStarted("C:\\Users\\user\\Videos\\夏休みの記録_2024-08-15.mp4");
    observer.PredictedTime(40);
    observer.ToolOutput("frame=  240 fps= 60 q=28.0 size=    1024kB time=00:00:08.00 bitrate=1048.6kbits/s speed=2.5x");
    while (!abort.load()) clipwright::platform::SleepMilliseconds(100);
    observer.FileEnded(clipwright::FileOutcome::kAborted);
    observer.RunEnded(clipwright::RunSummary{true, 0, 1, {}});
    return 0;
  });
  DestroyWindow(main_window);
  return clipwright::ui::RunMessageLoop();
}
