#include "window_support.h"

#include <gtest/gtest.h>

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
  return SettingsFiles{folder.File("status.ini"), folder.File("input.txt"), folder.File("error.txt")};
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
  window_ = nullptr;
  return ui::RunMessageLoop();
}

int MainWindowRun::RunLoopUntilClosed() {
  window_ = nullptr;
  return ui::RunMessageLoop();
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

}  // namespace clipwright::testing
