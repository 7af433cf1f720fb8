// Helpers for the window tests: the real main window in a folder of its own, message pumping,
// and input as a user gives it.
#pragma once

#include "ui/win32.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace clipwright::testing {

// Handles the messages waiting for this thread, for at least `milliseconds`.
void Pump(int milliseconds = 50);
// Pumps until `done` holds or `timeout_ms` has passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 5000);

// Held by every test that shows windows. Test processes on one desktop share one input queue: a
// window of one test could cover another's, and keys or clicks meant for one would reach the
// other. Test processes that show windows there therefore take turns. (scripts/test gives each
// test that runs at the same time a desktop of its own; a run by hand with -j shares one.)
class DesktopLock {
 public:
  DesktopLock();
  ~DesktopLock();
  DesktopLock(const DesktopLock&) = delete;
  DesktopLock& operator=(const DesktopLock&) = delete;

 private:
  HANDLE mutex_;
};

// The main window with status.ini and error.txt in a test folder, so that tests that
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
  // Closes the window as its system menu does and runs the loop to its end, bounded as below;
  // returns the exit code.
  int Close();
  // Runs the program's message loop until someone else closes the window; returns the exit code.
  // A window still open after `timeout_ms` fails the test, is destroyed, and gives -1.
  int RunLoopUntilClosed(int timeout_ms = 60000);

 private:
  int LoopUntilClosed(HWND window, int timeout_ms);

  DesktopLock desktop_;
  HWND window_ = nullptr;
};

SettingsFiles FilesIn(const TempDir& folder);

// Selects tab `index` as a click does: the tab control changes and tells the main window.
void SelectTab(HWND main_window, int index);

std::vector<std::string> TabTexts(HWND tab);
std::string WindowTextOf(HWND window);

// A message box of this process as the user saw it.
struct ShownBox {
  std::string text;
  std::string caption;
  HWND owner = nullptr;
};

// Waits (up to 10 s) for the next message box of this process, notes it and answers it with
// `answer` (IDOK, IDYES, IDNO). Call it on a thread other than the window's.
ShownBox AnswerNextMessageBox(int answer = IDOK);

// Answers every message box of this process with `answer` while it lives, on a thread of its
// own, and keeps what they said.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(int answer);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // The boxes answered so far.
  std::vector<ShownBox> shown();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Waits (up to 10 s) for the open-file dialog owned by `owner` (the main window, the root of the
// page that opens it), and returns its file type text. With `names` empty it cancels; else it
// types them (a path, or several names in double quotes) into the file name box and confirms,
// after going to `folder` first when one is given.
std::string AnswerOpenDialog(HWND owner, const std::string& names, const std::string& folder = {});

// Waits for the job progress dialog of this process to offer 閉じる, presses it and returns what
// 9502 showed then (the summary); empty when no dialog offered it within `timeout_ms`.
std::string CloseJobDialog(int timeout_ms = 60000);

// The same, with everything the dialog showed when 閉じる was pressed.
struct FinishedDialog {
  std::string title;
  std::string file;     // 9500
  std::string process;  // 9501
  std::string summary;  // 9502
};
FinishedDialog CloseFinishedDialog(int timeout_ms = 60000);

// What the job progress dialog of this process is at: "running" (no 閉じる yet), "done" (閉じる
// offered), "hidden" (not shown), or "none".
std::string JobDialogState();

// Sends `list` a WM_DROPFILES of `paths`; the program releases the handle. Returns when the
// program has handled the drop (analysis included).
void DropFiles(HWND list, const std::vector<std::string>& paths);

// Real input through the system's input queue, to the window that has the focus.
void PressKey(WORD virtual_key);
void ClickAt(POINT screen_point);
void ClickControl(HWND control);

}  // namespace clipwright::testing
