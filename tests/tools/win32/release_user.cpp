// Uses an unzipped clipwright.exe from another process, through its windows, the way a user
// does on a first start: reads the tool paths the program found, splits a clip at every keyframe,
// changes the volume of an MP3 and closes the program. One line per step on standard output:
//   release_user <clipwright.exe> <clip> <mp3>
// Any message box, or a step that does not come within a minute, ends the run with exit code 1.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>

#include "ui/control_ids.h"

namespace {

constexpr int kFileNameCombo = 0x47C;  // the open-file dialog's file name box
constexpr int kMessageText = 0xFFFF;   // the text of a message box

DWORD program_id = 0;
HANDLE program = nullptr;

void Say(const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

[[noreturn]] void Fail(const std::wstring& why) {
  Say(L"failed: " + why);
  // A program left waiting at a message box would keep Wine, and the test, waiting too.
  if (program) TerminateProcess(program, 1);
  ExitProcess(1);
}

// WM_GETTEXT is carried across processes; GetWindowTextW is not, for controls.
std::wstring TextOf(HWND window) {
  std::wstring text(4096, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

HWND FindControl(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The program's visible top-level windows of a class ("#32770" for its dialogs).
HWND FindProgramWindow(const wchar_t* kind, const std::function<bool(HWND)>& wanted) {
  struct Search {
    const wchar_t* kind;
    const std::function<bool(HWND)>* wanted;
    HWND found;
  } search{kind, &wanted, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (process != program_id || !IsWindowVisible(window) || wcscmp(name, s->kind) != 0 || !(*s->wanted)(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgressDialog() {
  return FindProgramWindow(L"#32770", [](HWND w) { return FindControl(w, IDC_PROGRESS_STATUS) != nullptr; });
}

// A dialog that is neither the progress dialog nor the open-file dialog is a message box: the
// program told the user of a problem, which this run must not meet.
void FailOnMessageBox() {
  const HWND box = FindProgramWindow(L"#32770", [](HWND w) {
    return FindControl(w, IDC_PROGRESS_STATUS) == nullptr && FindControl(w, kFileNameCombo) == nullptr;
  });
  if (box) Fail(L"message box \"" + TextOf(box) + L"\": " + TextOf(FindControl(box, kMessageText)));
}

template <typename Found>
auto WaitFor(const wchar_t* what, Found found) {
  for (int tick = 0; tick < 600; ++tick) {
    if (auto result = found()) return result;
    FailOnMessageBox();
    Sleep(100);
  }
  Fail(std::wstring(L"no ") + what);
}

void Click(HWND control) {
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Presses the button that opens the file dialog and chooses `path` in it.
void ChooseFile(HWND open_button, const std::wstring& path) {
  Click(open_button);
  const HWND dialog = WaitFor(L"open-file dialog", [] {
    return FindProgramWindow(L"#32770", [](HWND w) { return FindControl(w, kFileNameCombo) != nullptr; });
  });
  const HWND name_box = FindControl(dialog, kFileNameCombo);
  SendMessageW(name_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitFor(L"end of the open-file dialog", [dialog] { return !IsWindow(dialog); });
  // The probe's progress dialog closes by itself once the file is in.
  Sleep(500);
  WaitFor(L"end of the probe", [] { return ProgressDialog() == nullptr; });
}

// Presses a run button and returns the summary, its lines joined by " / ", after closing the dialog.
std::wstring Run(HWND run_button) {
  Click(run_button);
  std::wstring summary;
  // The summary is shown a moment before 閉じる takes the place of 中断.
  const HWND dialog = WaitFor(L"summary", [&summary]() -> HWND {
    const HWND d = ProgressDialog();
    const HWND close = d ? FindControl(d, IDC_PROGRESS_CLOSE) : nullptr;
    if (!close || !IsWindowVisible(close)) return nullptr;
    summary = TextOf(FindControl(d, IDC_PROGRESS_STATUS));
    return summary.rfind(L"作成結果", 0) == 0 ? d : nullptr;
  });
  for (std::size_t at; (at = summary.find(L"\r\n")) != std::wstring::npos;) summary.replace(at, 2, L" / ");
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CLOSE, BN_CLICKED), 0);
  WaitFor(L"end of the progress dialog", [dialog] { return !IsWindow(dialog); });
  return summary;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) Fail(L"usage: release_user <clipwright.exe> <clip> <mp3>");
  const std::wstring exe = argv[1];

  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process)) {
    Fail(L"the program did not start");
  }
  program_id = process.dwProcessId;
  program = process.hProcess;
  const HWND main = WaitFor(L"main window", [] { return FindProgramWindow(L"CLIPWRIGHT", [](HWND) { return true; }); });
  Say(L"title: " + TextOf(main));
  Say(L"ffmpeg: " + TextOf(FindControl(main, IDC_FFMPEG_PATH)));
  Say(L"aacgain: " + TextOf(FindControl(main, IDC_AACGAIN_PATH)));

  ChooseFile(FindControl(main, IDC_SPLIT_OPEN), argv[2]);
  const HWND every_keyframe = FindControl(main, IDC_SPLIT_AT_KEYFRAMES);
  SendMessageW(every_keyframe, BM_SETCHECK, BST_CHECKED, 0);
  Click(every_keyframe);
  Say(L"split: " + Run(FindControl(main, IDC_SPLIT_RUN)));

  ChooseFile(FindControl(main, IDC_VOLUME_ADD), argv[3]);
  const HWND files = FindControl(main, IDC_VOLUME_FILES);
  WaitFor(L"MP3 in the volume list", [files] { return SendMessageW(files, LVM_GETITEMCOUNT, 0, 0) == 1; });
  Say(L"volume: " + Run(FindControl(main, IDC_VOLUME_RUN)));

  PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) Fail(L"the program did not end");
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  Say(L"exit: " + std::to_wstring(code));
  return 0;
}
