#include "ui/main_window.h"

#include <uxtheme.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/limits.h"
#include "common/placement.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "settings/tool_search.h"
#include "ui/concatenate_page.h"
#include "ui/control_ids.h"
#include "ui/convert_page.h"
#include "ui/multiplex_page.h"
#include "ui/page_controls.h"
#include "ui/progress_dialog.h"
#include "ui/separate_page.h"
#include "ui/settings_page.h"
#include "ui/split_page.h"
#include "ui/tool_requests.h"
#include "ui/volume_page.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace clipwright::ui {
namespace {

// The seven pages' records, one per tab, for the whole run.
PageState page_states[PAGE_COUNT];

struct PageTemplate {
  const wchar_t* tab;
  int dialog;
  DLGPROC procedure;
};

constexpr PageTemplate kPages[PAGE_COUNT] = {
    {L"設定", IDD_SETTINGS, SettingsPageProc},
    {L"分割", IDD_SPLIT, SplitPageProc},
    {L"連結", IDD_CONCATENATE, ConcatenatePageProc},
    {L"多重化", IDD_MULTIPLEX, MultiplexPageProc},
    {L"分離", IDD_SEPARATE, SeparatePageProc},
    {L"変換", IDD_CONVERT, ConvertPageProc},
    {L"AACGain", IDD_VOLUME, VolumePageProc},
};

// Set while a close waits for the run under way to clean up.
constexpr const wchar_t* kClosingProperty = L"Clipwright.Closing";

// What the main window keeps beyond the pages: where its settings live.
struct MainWindowRecord {
  SettingsFiles files;
};

MainWindowRecord* RecordOf(HWND main_window) {
  return reinterpret_cast<MainWindowRecord*>(GetWindowLongPtrW(main_window, GWLP_USERDATA));
}

ScreenRect ToScreenRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Centred on the desktop, when the window fits inside it.
void CenterOnDesktop(HWND main_window) {
  RECT desktop{};
  RECT window{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(main_window, &window);
  const ScreenRect inner = ToScreenRect(window);
  if (const auto place = CenterOver(ToScreenRect(desktop), inner)) {
    MoveWindow(main_window, place->x, place->y, inner.width(), inner.height(), TRUE);
  }
}

// The boxes of the other pages that status.ini keeps. The split and separate pages update the
// controls that depend on theirs.
void LoadPlacementAndSettings(HWND main_window) {
  const SettingsFiles& files = RecordOf(main_window)->files;
  StoredSettings stored = LoadSettings(files);
  // status.ini lives beside the program, so its folder is where the program's tools would be.
  const platform::PathParts beside = platform::SplitPath(files.settings);
  FindMissingTools(&stored, beside.drive + beside.directory, platform::PathFolders());
  WindowDialog settings(page_states[PAGE_SETTINGS].window);
  WindowDialog split(page_states[PAGE_SPLIT].window);
  WindowDialog separate(page_states[PAGE_SEPARATE].window);
  WindowDialog volume(page_states[PAGE_VOLUME].window);
  if (stored.placement) {
    WINDOWPLACEMENT placement{};
    static_assert(sizeof placement == sizeof *stored.placement);
    std::memcpy(&placement, stored.placement->data(), sizeof placement);
    SetWindowPlacement(main_window, &placement);
  } else {
    CenterOnDesktop(main_window);
  }
  ShowStoredSettings(settings, stored);
  split.SetChecked(IDC_SPLIT_AT_KEYFRAMES, stored.split_at_keyframes);
  split.SendCommand(IDC_SPLIT_AT_KEYFRAMES);
  split.SetChecked(IDC_SPLIT_BY_FRAME, stored.split_by_frame);
  split.SendCommand(IDC_SPLIT_BY_FRAME);
  separate.SetChecked(IDC_SEPARATE_AUDIO_ONLY, stored.separate_audio_only);
  separate.SendCommand(IDC_SEPARATE_AUDIO_ONLY);
  volume.SetText(IDC_VOLUME_TARGET, stored.target_level);
  volume.SetChecked(IDC_VOLUME_AUDIO_ONLY, stored.volume_audio_only);
}

void SavePlacementAndSettings(HWND main_window) {
  StoredSettings stored;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(main_window, &placement);
  WindowPlacementBytes bytes{};
  std::memcpy(bytes.data(), &placement, sizeof placement);
  stored.placement = bytes;
  WindowDialog settings(page_states[PAGE_SETTINGS].window);
  WindowDialog split(page_states[PAGE_SPLIT].window);
  WindowDialog separate(page_states[PAGE_SEPARATE].window);
  WindowDialog volume(page_states[PAGE_VOLUME].window);
  KeepStoredSettings(settings, &stored);
  stored.split_at_keyframes = split.IsChecked(IDC_SPLIT_AT_KEYFRAMES);
  stored.split_by_frame = split.IsChecked(IDC_SPLIT_BY_FRAME);
  stored.separate_audio_only = separate.IsChecked(IDC_SEPARATE_AUDIO_ONLY);
  stored.target_level = volume.Text(IDC_VOLUME_TARGET);
  stored.volume_audio_only = volume.IsChecked(IDC_VOLUME_AUDIO_ONLY);
  SaveSettings(RecordOf(main_window)->files, stored);
}

// Copies a path answer into the sender's buffer of PATH_CAPACITY characters.
LRESULT AnswerPath(bool found, const std::string& path, LPARAM lparam) {
  const std::wstring wide = platform::Widen(path);
  auto* buffer = reinterpret_cast<wchar_t*>(lparam);
  const size_t length = std::min(wide.size(), static_cast<size_t>(PATH_CAPACITY - 1));
  std::copy_n(wide.begin(), length, buffer);
  buffer[length] = L'\0';
  return found ? 1 : 0;
}

LRESULT AnswerFfmpegPath(HWND main_window, LPARAM lparam) {
  WindowDialog settings(page_states[PAGE_SETTINGS].window);
  WindowDialog convert(page_states[PAGE_CONVERT].window);
  WindowDialog window(main_window);
  std::string path;
  const bool found = RequestFfmpegPath(settings, convert, window, &path);
  return AnswerPath(found, path, lparam);
}

LRESULT AnswerAacgainPath(HWND main_window, LPARAM lparam) {
  WindowDialog settings(page_states[PAGE_SETTINGS].window);
  WindowDialog window(main_window);
  std::string path;
  const bool found = RequestAacgainPath(settings, window, &path);
  return AnswerPath(found, path, lparam);
}

void AnswerPageWindow(WPARAM wparam, LPARAM lparam) {
  const int index = RequestedPageIndex(wparam);
  if (index >= 0) *reinterpret_cast<HWND*>(lparam) = page_states[index].window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return 1;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(window, GWLP_USERDATA, lparam);
      CreatePages(window);
      return 1;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lparam)->code == TCN_SELCHANGE) ShowCurrentPage(window);
      return 0;
    case WM_CLOSE:
      // A run or an analysis is aborted first; once it has cleaned up, its dialog ends and this
      // comes again. Nothing of the run is freed while its worker still uses it.
      if (EndRunForClose(window)) {
        SetPropW(window, kClosingProperty, reinterpret_cast<HANDLE>(1));
        return 0;
      }
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      // The session waits while the run cleans up; Windows shows why meanwhile.
      if (EndRunForClose(window)) {
        SetPropW(window, kClosingProperty, reinterpret_cast<HANDLE>(1));
        ShutdownBlockReasonCreate(window, L"処理を中断しています。しばらくお待ち下さい。");
        WaitForRunEnd(window);
        ShutdownBlockReasonDestroy(window);
      }
      return TRUE;
    case WM_ENDSESSION:
      // The program ends with the session without WM_DESTROY: the settings are saved now.
      if (wparam) SavePlacementAndSettings(window);
      return 0;
    case WM_DESTROY:
      SavePlacementAndSettings(window);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      RemovePropW(window, kClosingProperty);
      // The pages are gone with the window; a window created later starts with fresh records.
      // Made anew in place: a record holds what cannot be copied (the split page's picture maker).
      for (PageState& state : page_states) {
        std::destroy_at(&state);
        std::construct_at(&state);
      }
      delete RecordOf(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    case MSG_GET_FFMPEG_PATH:
      return AnswerFfmpegPath(window, lparam);
    case MSG_GET_AACGAIN_PATH:
      return AnswerAacgainPath(window, lparam);
    case MSG_GET_PAGE_WINDOW:
      AnswerPageWindow(wparam, lparam);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// The dialog manager sends WM_INITDIALOG only to a dialog that has a dialog procedure. The class
// procedure above answers every message itself, so this one is never asked anything.
INT_PTR CALLBACK UnusedDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

void RegisterMainClass(HINSTANCE instance, const wchar_t* class_name) {
  WNDCLASSW window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = MainWindowProc;
  // The class is that of a dialog template, so its windows carry the dialog manager's bytes.
  window_class.cbWndExtra = DLGWINDOWEXTRA;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = class_name;
  RegisterClassW(&window_class);
}

HWND CreateMainWindow(HINSTANCE instance, int show_command, const SettingsFiles& files) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  wchar_t class_name[PATH_CAPACITY] = {};
  LoadStringW(instance, IDS_CLASS_NAME, class_name, PATH_CAPACITY);
  RegisterMainClass(instance, class_name);
  auto* record = new MainWindowRecord{files};
  HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, UnusedDialogProc,
                                   reinterpret_cast<LPARAM>(record));
  if (!window) {
    delete record;
    return nullptr;
  }
  ShowWindow(window, show_command);
  UpdateWindow(window);
  return window;
}

int RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Only the split page takes part in the dialog manager's keyboard handling.
    HWND split = page_states[PAGE_SPLIT].window;
    if (split && IsDialogMessageW(split, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void CreatePages(HWND main_window) {
  HWND tab = GetDlgItem(main_window, IDC_TAB);
  ShowWindow(tab, SW_HIDE);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kPages[index].tab);
    SendMessageW(tab, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
  }
  page_states[PAGE_CONVERT].files.keeps_durations = true;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    PageState& state = page_states[index];
    state.window = CreateDialogParamW(instance, MAKEINTRESOURCEW(kPages[index].dialog), tab,
                                      kPages[index].procedure, reinterpret_cast<LPARAM>(&state));
    // The pages sit on the tab control's body, so they take its themed background.
    EnableThemeDialogTexture(state.window, ETDT_ENABLETAB);
  }
  ShowCurrentPage(main_window);
  LoadPlacementAndSettings(main_window);
  ShowWindow(tab, SW_SHOW);
}

void ShowCurrentPage(HWND main_window) {
  const LRESULT current = SendDlgItemMessageW(main_window, IDC_TAB, TCM_GETCURSEL, 0, 0);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    ShowWindow(page_states[index].window, index == current ? SW_SHOW : SW_HIDE);
  }
}

bool ProgramClosing(HWND window) {
  HWND main_window = GetAncestor(window, GA_ROOT);
  return main_window != nullptr && GetPropW(main_window, kClosingProperty) != nullptr;
}

std::string ProgramFilesFolder(HWND window) {
  HWND main_window = GetAncestor(window, GA_ROOT);
  if (!main_window || GetClassLongPtrW(main_window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(MainWindowProc)) {
    return {};
  }
  const MainWindowRecord* record = RecordOf(main_window);
  if (!record) return {};
  const platform::PathParts parts = platform::SplitPath(record->files.error_list);
  return parts.drive + parts.directory;
}

}  // namespace clipwright::ui
