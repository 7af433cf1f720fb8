// Helpers for the window tests: the real main window in a folder of its own, message pumping,
// and input as a user gives it.
#pragma once

#include "ui/win32.h"

#include <functional>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace clipwright::testing {

// Handles the messages waiting for this thread, for at least `milliseconds`.
void Pump(int milliseconds = 50);
// Pumps until `done` holds or `timeout_ms` has passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 5000);

// Held by every test that shows windows. All test processes share one desktop and one input
// queue: a window of one test could cover another's, and keys or clicks meant for one would reach
// the other. Test processes that show windows therefore take turns.
class DesktopLock {
 public:
  DesktopLock();
  ~DesktopLock();
  DesktopLock(const DesktopLock&) = delete;
  DesktopLock& operator=(const DesktopLock&) = delete;

 private:
  HANDLE mutex_;
};

// The main window with status.ini, input.txt and error.txt in a test folder, so that tests that
// run side by side never share a settings file.
class MainWindowRun {
 public:
  explicit MainWindowRun(const TempDir& folder);
  ~MainWindowRun();
  MainWindowRun(const MainWindowRun&) = delete;
  MainWindowRun& operator=(const MainWindowRun&) = delete;

  HWND window() const { return window_; }
  HWND page(int index) const;
  HWND tab() const { return GetDlgItem(window_, 500); }
  // Closes the window as its system menu does and runs the loop to its end; returns the exit code.
  int Close();
  // Runs the program's message loop until someone else closes the window; returns the exit code.
  int RunLoopUntilClosed();

 private:
  DesktopLock desktop_;
  HWND window_ = nullptr;
};

SettingsFiles FilesIn(const TempDir& folder);

// Selects tab `index` as a click does: the tab control changes and tells the main window.
void SelectTab(HWND main_window, int index);

std::vector<std::string> TabTexts(HWND tab);
std::string WindowTextOf(HWND window);

// Real input through the system's input queue, to the window that has the focus.
void PressKey(WORD virtual_key);
void ClickAt(POINT screen_point);
void ClickControl(HWND control);

}  // namespace clipwright::testing
