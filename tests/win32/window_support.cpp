#include "window_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "ui/control_ids.h"
#include "drop_handle.h"

#include "platform/win32/wide.h"
#include "ui/main_window.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace clipwright::testing {

void Pump(int milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeout_ms)) return false;
    Pump(10);
  }
  return true;
}

SettingsFiles FilesIn(const TempDir& folder) {
  return SettingsFiles{folder.File("status.ini"), folder.File("error.txt")};
}

DesktopLock::DesktopLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\ClipwrightWindowTests")) {
  // An abandoned mutex (a test that crashed) is taken over like a released one.
  if (mutex_) WaitForSingleObject(mutex_, INFINITE);
}

DesktopLock::~DesktopLock() {
  if (!mutex_) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

MainWindowRun::MainWindowRun(const TempDir& folder) {
  window_ = ui::CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW, FilesIn(folder));
  if (!window_) ADD_FAILURE() << "the main window could not be created (is there a display?)";
  Pump();
}

MainWindowRun::~MainWindowRun() {
  if (window_) Close();
}

HWND MainWindowRun::page(int index) const {
  HWND page = nullptr;
  SendMessageW(window_, ui::MSG_GET_PAGE_WINDOW, index, reinterpret_cast<LPARAM>(&page));
  return page;
}

int MainWindowRun::Close() {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  HWND window = window_;
  window_ = nullptr;
  return LoopUntilClosed(window, 60000);
}

int MainWindowRun::RunLoopUntilClosed(int timeout_ms) {
  HWND window = window_;
  window_ = nullptr;
  return LoopUntilClosed(window, timeout_ms);
}

namespace {

// Set by the timer that ends a message loop that waited too long (a timer procedure has no
// argument of its own).
std::atomic<bool> loop_timed_out{false};

void CALLBACK EndLoopThatWaitedTooLong(HWND, UINT, UINT_PTR, DWORD) {
  loop_timed_out = true;
  PostQuitMessage(-1);
}

}  // namespace

int MainWindowRun::LoopUntilClosed(HWND window, int timeout_ms) {
  // The program's own loop, so that its keyboard handling is the real one; a window that never
  // closes would keep it, and the test, waiting for ever.
  loop_timed_out = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(timeout_ms), EndLoopThatWaitedTooLong);
  const int code = ui::RunMessageLoop();
  KillTimer(nullptr, timer);
  if (!loop_timed_out) return code;
  ADD_FAILURE() << "the main window was still open after " << timeout_ms << " ms";
  if (IsWindow(window)) DestroyWindow(window);
  Pump();
  return -1;
}

void SelectTab(HWND main_window, int index) {
  HWND tab = GetDlgItem(main_window, 500);
  SendMessageW(tab, TCM_SETCURSEL, index, 0);
  NMHDR notice{tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(main_window, WM_NOTIFY, notice.idFrom, reinterpret_cast<LPARAM>(&notice));
}

std::vector<std::string> TabTexts(HWND tab) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
    texts.push_back(platform::Narrow(text));
  }
  return texts;
}

std::string WindowTextOf(HWND window) { return ui::WindowText(window); }

void PressKey(WORD virtual_key) {
  INPUT input[2] = {};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = virtual_key;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

void ClickAt(POINT screen_point) {
  SetCursorPos(screen_point.x, screen_point.y);
  INPUT input[2] = {};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

void ClickControl(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  ClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

namespace {

constexpr int kMessageBoxText = 0xFFFF;
// The open-file dialog's file name box and file type list.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
constexpr int kFileTypeList = 0x470;

bool IsOwnDialog(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t kind[32] = {};
  GetClassNameW(window, kind, 32);
  return process == GetCurrentProcessId() && wcscmp(kind, L"#32770") == 0 && IsWindowVisible(window);
}

// The first visible dialog of this process for which `match` holds, or null.
HWND FindOwnDialog(const std::function<bool(HWND)>& match) {
  struct Search {
    const std::function<bool(HWND)>* match;
    HWND found = nullptr;
  } search{&match};
  EnumWindows(
      [](HWND window, LPARAM argument) -> BOOL {
        auto* s = reinterpret_cast<Search*>(argument);
        if (!IsOwnDialog(window) || !(*s->match)(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Notes a message box and answers it; false when `window` is none.
bool AnswerMessageBox(HWND window, int answer, ShownBox* shown) {
  if (!window) return false;
  shown->owner = GetWindow(window, GW_OWNER);
  shown->caption = WindowTextOf(window);
  shown->text = WindowTextOf(GetDlgItem(window, kMessageBoxText));
  PostMessageW(window, WM_COMMAND, answer, 0);
  return true;
}

HWND FindMessageBox() {
  return FindOwnDialog([](HWND window) { return GetDlgItem(window, kMessageBoxText) != nullptr; });
}

}  // namespace

ShownBox AnswerNextMessageBox(int answer) {
  ShownBox shown;
  for (int waited = 0; waited < 10000; waited += 20) {
    if (AnswerMessageBox(FindMessageBox(), answer, &shown)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return shown;
}

struct MessageBoxAnswerer::State {
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<ShownBox> shown;
  std::thread thread;
};

MessageBoxAnswerer::MessageBoxAnswerer(int answer) : state_(std::make_unique<State>()) {
  state_->thread = std::thread([state = state_.get(), answer] {
    while (!state->stop) {
      ShownBox box;
      HWND window = FindMessageBox();
      if (AnswerMessageBox(window, answer, &box)) {
        {
          std::lock_guard<std::mutex> lock(state->mutex);
          state->shown.push_back(box);
        }
        // The box needs a moment to go; it must not be counted twice.
        while (IsWindow(window) && IsWindowVisible(window) && !state->stop) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  state_->stop = true;
  state_->thread.join();
}

std::vector<ShownBox> MessageBoxAnswerer::shown() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->shown;
}

std::string AnswerOpenDialog(HWND owner, const std::string& names, const std::string& folder) {
  for (int waited = 0; waited < 10000; waited += 20) {
    HWND dialog = FindOwnDialog(
        [owner](HWND window) { return GetWindow(window, GW_OWNER) == owner && GetDlgItem(window, kFileTypeList); });
    if (dialog) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const std::string filter = WindowTextOf(GetDlgItem(dialog, kFileTypeList));
      const auto confirm = [dialog](const std::string& text) {
        const std::wstring wide = platform::Widen(text);
        for (int id : {kFileNameCombo, kFileNameEdit}) SetDlgItemTextW(dialog, id, wide.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      };
      if (names.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return filter;
      }
      if (!folder.empty()) {
        // A folder typed and confirmed is opened, not chosen.
        confirm(folder);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
      }
      confirm(names);
      return filter;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return {};
}

std::string CloseJobDialog(int timeout_ms) { return CloseFinishedDialog(timeout_ms).summary; }

FinishedDialog CloseFinishedDialog(int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    HWND dialog = FindOwnDialog([](HWND window) {
      HWND close = GetDlgItem(window, IDC_PROGRESS_CLOSE);
      return GetDlgItem(window, IDC_PROGRESS_STATUS) && close && IsWindowVisible(close);
    });
    if (dialog) {
      FinishedDialog seen{WindowTextOf(dialog), WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_FILE)),
                          WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_PROCESS)),
                          WindowTextOf(GetDlgItem(dialog, IDC_PROGRESS_STATUS))};
      SendMessageW(GetDlgItem(dialog, IDC_PROGRESS_CLOSE), BM_CLICK, 0, 0);
      return seen;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return {};
}

std::string JobDialogState() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM argument) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !GetDlgItem(window, IDC_PROGRESS_STATUS)) return TRUE;
        *reinterpret_cast<HWND*>(argument) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  if (!found) return "none";
  if (!IsWindowVisible(found)) return "hidden";
  return IsWindowVisible(GetDlgItem(found, IDC_PROGRESS_CLOSE)) ? "done" : "running";
}

void DropFiles(HWND list, const std::vector<std::string>& paths) {
  SendMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

}  // namespace clipwright::testing
