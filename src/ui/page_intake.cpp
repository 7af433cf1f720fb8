#include "ui/page_intake.h"

#include <cderr.h>
#include <commdlg.h>

#include "analysis/split_scans.h"
#include "common/control_ids.h"
#include "platform/win32/wide.h"
#include "ui/main_window.h"
#include "ui/page_controls.h"
#include "ui/progress_dialog.h"
#include "ui/split_page.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace clipwright::ui {
namespace {

constexpr const char* kTooManyFiles =
    "選択したファイルが多すぎるため、追加出来ませんでした。\r\nファイルを分けて追加して下さい。";
constexpr int kFileNameCombo = 0x47C;  // the open-file dialog's file name box
// The open-file dialog's buffer: 1024 paths of 260 characters.
constexpr int kOpenDialogCapacity = FILE_CAPACITY * PATH_CAPACITY;

// The characters the dialog's answer takes: the folder, then every name, each ended by a zero,
// and the empty name that ends the list. The names are those of the file name box, one bare
// name or several in double quotes.
std::size_t AnswerLength(const std::wstring& folder, const std::wstring& names) {
  std::size_t length = folder.size() + 1 + 1;
  if (names.find(L'"') == std::wstring::npos) return length + names.size() + 1;
  for (std::size_t at = names.find(L'"'); at != std::wstring::npos;) {
    const std::size_t end = names.find(L'"', at + 1);
    length += (end == std::wstring::npos ? names.size() : end) - at - 1 + 1;
    if (end == std::wstring::npos) break;
    at = names.find(L'"', end + 1);
  }
  return length;
}

std::wstring DialogText(HWND dialog, UINT message) {
  const LRESULT length = SendMessageW(dialog, message, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  SendMessageW(dialog, message, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

// Some versions of Wine copy a selection larger than the buffer into it regardless, past its end.
// The dialog is therefore looked at before it answers: a selection that would not fit is refused
// there, with the message the system's own refusal gets, and the dialog ends without an answer.
LRESULT CALLBACK GuardSelection(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                DWORD_PTR capacity) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED &&
      GetDlgItem(dialog, kFileNameCombo)) {
    const std::wstring folder = DialogText(dialog, CDM_GETFOLDERPATH);
    if (!folder.empty() && AnswerLength(folder, DialogText(dialog, CDM_GETSPEC)) > capacity) {
      MessageBoxW(dialog, platform::Widen(kTooManyFiles).c_str(), L"ファイル追加エラー", MB_OK);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, GuardSelection, id);
  return DefSubclassProc(dialog, message, wparam, lparam);
}

// Installed on this thread for the time of GetOpenFileNameW: every top-level dialog made then
// is watched (the message boxes too, which have no file name box and are left alone).
LRESULT CALLBACK WatchNewDialogs(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    HWND window = reinterpret_cast<HWND>(wparam);
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lparam);
    wchar_t kind[16] = {};
    GetClassNameW(window, kind, 16);
    if (wcscmp(kind, L"#32770") == 0 && (create->lpcs->style & WS_CHILD) == 0) {
      SetWindowSubclass(window, GuardSelection, 1, kOpenDialogCapacity);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The names of a drop, each read at its full length, in drop order; releases the handle.
std::vector<std::string> TakeDroppedNames(HDROP drop) {
  std::vector<std::string> names;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  names.reserve(count);
  std::wstring name;
  for (UINT index = 0; index < count; ++index) {
    // Asked for its length first, so that a long name arrives whole and the probe can turn it
    // down, instead of a cut name that could be another file's.
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    name.assign(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, index, name.data(), length + 1);
    name.resize(copied);
    names.push_back(platform::Narrow(name));
  }
  DragFinish(drop);
  return names;
}

}  // namespace

std::optional<std::u16string> PageIntakeShell::ChooseFiles(bool multiple) {
  std::vector<wchar_t> buffer(kOpenDialogCapacity, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = page_;
  dialog.hInstance = GetModuleHandleW(nullptr);
  // One filter entry, its pattern, and the second terminator that ends the list.
  dialog.lpstrFilter = L"All files {*.*}\0*.*\0";
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | (multiple ? OFN_ALLOWMULTISELECT : 0);
  HHOOK watch = SetWindowsHookExW(WH_CBT, WatchNewDialogs, nullptr, GetCurrentThreadId());
  const BOOL chosen = GetOpenFileNameW(&dialog);
  if (watch) UnhookWindowsHookEx(watch);
  if (!chosen) {
    // The buffer then holds the size it would have needed, not names: nothing of it is taken,
    // so the user never gets a part of the selection without knowing.
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) controls_.MessageBox(kTooManyFiles, "ファイル追加エラー", kMessageOk);
    return std::nullopt;
  }
  // Up to the empty name that ends the list; the buffer was zero-filled, so there is one.
  std::size_t end = 0;
  while (end + 1 < buffer.size() && !(buffer[end] == L'\0' && buffer[end + 1] == L'\0')) ++end;
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), end + 1);
}

void PageIntakeShell::RunAnalysisDialog(AnalysisJob& job) {
  AnalysisDialog(page_, job.abort,
                 [&](Dialog& progress) { AnalysisWorker(job, progress, controls_, requests_); });
}

void PageIntakeShell::OpenErrorList(const std::string& path) {
  const std::wstring file = L"\"" + platform::Widen(path) + L"\"";
  const PageState* state = PageStateOf(page_);
  if (state && state->shell_execute) {
    state->shell_execute(page_, L"open", file.c_str(), SW_SHOWNORMAL);
  } else {
    // The viewer is the user's; whether it opened is not ours to report.
    ShellExecuteW(page_, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

void AddFilesToPage(HWND page, const ProbeTarget& target, HDROP drop) {
  std::vector<std::string> dropped;
  if (drop) dropped = TakeDroppedNames(drop);
  PageState* state = PageStateOf(page);
  AnalysisJob job;
  job.target = target;
  job.files = target.file_list != 0 && state ? &state->files : nullptr;
  if (target.path_control == IDC_SPLIT_PATH && state) {
    job.split = &state->split;
    job.split_scan = ScanSplitFile;
    // Sent, so that the page has set up its range before the analysis dialog ends.
    job.split_analysed = [page](Dialog&) { SendMessageW(page, MSG_SPLIT_ANALYSED, 0, 0); };
  }
  job.error_folder = ProgramFilesFolder(page);
  WindowDialog controls(page);
  WindowRequests requests(page);
  PageIntakeShell shell(page, controls, requests);
  AddFiles(job, controls, requests, shell, drop ? &dropped : nullptr);
}

}  // namespace clipwright::ui
