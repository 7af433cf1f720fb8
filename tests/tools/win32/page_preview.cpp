// Shows the main window with files on the split, concatenate, multiplex, separate, convert and
// volume pages (the split page at its second keyframe, whose picture is made when the trackbar
// gets there), added by drops as from Explorer and analysed by the given FFmpeg, so that
// scripts/screenshot can capture the pages with work loaded. The settings live in a folder of
// their own under %TEMP%, never beside the program.
//   page_preview <ready file> <ffmpeg.exe> <video and audio> <video and audio> <video only> <audio only>
// The ready file is made once every file is in, for the script to know when to look.
#include "ui/win32.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/win32/wide.h"
#include "ui/main_window.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"
#include "win32/drop_handle.h"

namespace {

using namespace clipwright;

void Drop(ui::WindowRequests& requests, int page, int list, const std::vector<std::string>& paths) {
  HWND window = dynamic_cast<ui::WindowDialog*>(requests.Page(page))->window();
  SendMessageW(GetDlgItem(window, list), WM_DROPFILES, reinterpret_cast<WPARAM>(testing::MakeDrop(paths)), 0);
}

// Moves the split page's start trackbar to the second keyframe, as a user drags it, and waits
// (at most 20 s) until the page shows that keyframe's picture, which is made only then.
void ShowSecondKeyframe(HWND page) {
  HWND track = GetDlgItem(page, IDC_SPLIT_START_TRACK);
  SendMessageW(track, TBM_SETPOS, TRUE, 1);
  SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 1), reinterpret_cast<LPARAM>(track));
  ui::PageState* state = ui::PageStateOf(page);
  for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    if (state->split.pictures.LastWanted().state != KeyframePictures::State::kComing) break;
    Sleep(20);
  }
  // The notice that shows it may come just after the picture is held.
  for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 7) return 2;
  std::vector<std::string> args;
  for (int index = 1; index < count; ++index) args.push_back(platform::Narrow(arguments[index]));
  LocalFree(arguments);
  const std::string &ready = args[0], &ffmpeg = args[1], &both1 = args[2], &both2 = args[3], &video = args[4],
                    &audio = args[5];

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"clipwright-page-preview\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string base = platform::Narrow(folder);
  HWND main_window = ui::CreateMainWindow(instance, show_command,
                                          {base + "status.ini", base + "error.txt"});
  if (!main_window) return 1;
  ui::WindowRequests requests(main_window);
  requests.Page(PAGE_SETTINGS)->SetText(IDC_FFMPEG_PATH, ffmpeg);

  Drop(requests, PAGE_SPLIT, IDC_SPLIT_STREAMS, {both1});
  ShowSecondKeyframe(dynamic_cast<ui::WindowDialog*>(requests.Page(PAGE_SPLIT))->window());
  Drop(requests, PAGE_CONCATENATE, IDC_CONCAT_FILES, {both1, both2});
  Drop(requests, PAGE_MULTIPLEX, IDC_MUX_STREAMS1, {video});
  Drop(requests, PAGE_MULTIPLEX, IDC_MUX_STREAMS2, {audio});
  Drop(requests, PAGE_SEPARATE, IDC_SEPARATE_FILES, {both1, both2, audio});
  Drop(requests, PAGE_CONVERT, IDC_CONVERT_FILES, {both1, video, audio});
  Drop(requests, PAGE_VOLUME, IDC_VOLUME_FILES, {audio, both1, both2});
  // The stream boxes of the multiplex page start unchecked; one of each input is taken, as a
  // user would before a run.
  Dialog* multiplex = requests.Page(PAGE_MULTIPLEX);
  multiplex->SetRowChecked(IDC_MUX_STREAMS1, 0, true);
  multiplex->SetRowChecked(IDC_MUX_STREAMS2, 0, true);
  platform::WriteWholeFile(ready, "");
  return ui::RunMessageLoop();
}
