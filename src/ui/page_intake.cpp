#include "ui/page_intake.h"

#include <cderr.h>
#include <commdlg.h>

#include <atomic>

#include "analysis/error_list.h"
#include "analysis/file_intake.h"
#include "platform/win32/wide.h"
#include "ui/control_ids.h"
#include "ui/file_list_ops.h"
#include "ui/split_range.h"
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

// Shows the open-file dialog owned by the page, with several files allowed or one only, and
// returns the content of its file-name buffer; nothing when the user cancelled or the dialog
// failed (a selection too large for the buffer is told to the user here).
std::optional<std::u16string> ChooseFiles(HWND page, bool multiple) {
  std::vector<wchar_t> buffer(kOpenDialogCapacity, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = page;
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
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
      WindowDialog(page).MessageBox(kTooManyFiles, "ファイル追加エラー", kMessageOk);
    }
    return std::nullopt;
  }
  // Up to the empty name that ends the list; the buffer was zero-filled, so there is one.
  std::size_t end = 0;
  while (end + 1 < buffer.size() && !(buffer[end] == L'\0' && buffer[end + 1] == L'\0')) ++end;
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), end + 1);
}

void OpenErrorList(HWND page, const std::string& path) {
  const std::wstring file = L"\"" + platform::Widen(path) + L"\"";
  const PageState* state = PageStateOf(page);
  if (state && state->shell_execute) {
    state->shell_execute(page, L"open", file.c_str(), SW_SHOWNORMAL);
  } else {
    // The viewer is the user's; whether it opened is not ours to report.
    ShellExecuteW(page, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

// The page as the analysis worker fills it: each probed file lands in its lists and storage
// (row n of a file list is entry n of the page's files), through the page's own thread.
class PageSink final : public IntakeSink {
 public:
  PageSink(HWND page, const ProbeTarget& target, PageState* state) : controls_(page), target_(target), state_(state) {}

  void Added(const ProbedFile& file) override {
    if (target_.file_list != 0) {
      AddToList(file);
    } else {
      controls_.DeleteAllRows(target_.stream_list);
      for (std::size_t i = 0; i < file.stream_lines.size(); ++i) {
        controls_.InsertRow(target_.stream_list, static_cast<int>(i), file.stream_lines[i]);
      }
      controls_.SetText(target_.path_control, file.path);
      if (state_ != nullptr) state_->opened[target_.path_control] = file.stamp;
      controls_.Enable(target_.run_button, true);
    }
  }

  void SplitScanFailed(bool forget_file) override {
    if (state_ == nullptr) return;
    ClearSplitRange(state_->split, controls_);
    if (!forget_file) return;
    controls_.SetText(IDC_SPLIT_PATH, "");
    controls_.DeleteAllRows(IDC_SPLIT_STREAMS);
  }

 private:
  void AddToList(const ProbedFile& file) {
    const int row = controls_.RowCount(target_.file_list);
    if (state_ != nullptr) {
      FileEntry entry;
      for (const std::string& line : file.stream_lines) entry.streams.push_back(StreamEntry{line, 1});
      if (state_->files.keeps_durations) entry.duration = file.duration;
      entry.stamp = file.stamp;
      // Entry n belongs to row n: whatever lies beyond the rows is stale and goes.
      state_->files.files.resize(static_cast<std::size_t>(row));
      state_->files.files.push_back(std::move(entry));
    }
    controls_.InsertRow(target_.file_list, row, file.path);
    // Joining needs two files.
    if (target_.file_list != IDC_CONCAT_FILES || row + 1 >= 2) controls_.Enable(target_.run_button, true);
  }

  WindowDialog controls_;
  ProbeTarget target_;
  PageState* state_;
};

}  // namespace

void AddFilesToPage(HWND page, const ProbeTarget& target, HDROP drop) {
  std::vector<std::string> dropped;
  if (drop) dropped = TakeDroppedNames(drop);
  WindowDialog controls(page);
  WindowRequests requests(page);
  // The main window has told the user about a missing FFmpeg itself.
  std::string ffmpeg;
  if (!requests.FfmpegPath(&ffmpeg)) return;

  PageState* state = PageStateOf(page);
  const bool single_file = IsSingleFileTarget(target);
  std::optional<std::vector<std::string>> paths;
  if (drop) {
    paths = PathsFromDrop(dropped, single_file);
  } else if (const auto buffer = ChooseFiles(page, !single_file)) {
    paths = PathsFromOpenDialog(*buffer);
  }
  // A drop of folders only has nothing to analyse; the dialog would just flash.
  if (paths && !paths->empty()) {
    IntakeRequest request;
    request.paths = std::move(*paths);
    request.ffmpeg = ffmpeg;
    request.listed = target.file_list != 0 ? controls.RowCount(target.file_list) : -1;
    request.volume = target.file_list == IDC_VOLUME_FILES;
    if (target.path_control == IDC_SPLIT_PATH && state) request.split = &state->split;
    request.error_folder = ProgramFilesFolder(page);
    PageSink sink(page, target, state);
    std::atomic<int> abort{0};
    IntakeOutcome outcome;
    RunProgressDialog(page, RunKind::kAnalysis, abort, [&](RunObserver& observer) {
      outcome = AnalyseFiles(request, sink, observer, abort);
      // Sent, so that the page has set up its range before the analysis dialog ends.
      if (request.split != nullptr && outcome.split_ready()) SendMessageW(page, MSG_SPLIT_ANALYSED, 0, 0);
      // The dialog ends with 2 after an abort or a failed scan.
      return outcome.aborted || outcome.scan_failed ? 2 : 1;
    });
    if (outcome.not_added && !ProgramClosing(page) &&
        controls.MessageBox("追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？", "ファイル追加エラー",
                            kMessageYesNo) == kAnswerYes) {
      OpenErrorList(page, ErrorListPath(request.error_folder));
    }
  }

  // Also after a cancelled dialog: the page shows the first file's streams.
  const ListPage* list = FindListPage(target.file_list);
  if (list != nullptr && state != nullptr && controls.RowCount(list->file_list) > 0) {
    SelectFile(controls, *list, state->files, 0);
  }
}

}  // namespace clipwright::ui
