// The modal progress dialog of every long task: it starts the worker on its own thread, counts the
// elapsed time in its title, turns the abort button into the abort flag, and shows what the
// worker reports to its observer in the texts of the run's kind.
#pragma once

#include "ui/win32.h"

#include <atomic>
#include <functional>

#include "tools/run_observer.h"
#include "ui/progress_texts.h"

namespace clipwright::ui {

// The work of one run, called on the worker thread with the dialog's observer. An analysis
// returns the result the dialog ends with; the others' result is not used.
using ProgressWorker = std::function<int(RunObserver& observer)>;

// Runs dialog 400 modally over `owner` (a page) and returns its result once the worker has
// finished and the dialog has ended. The dialog never ends while the worker runs, so the
// caller may free what the worker uses as soon as this returns. Page runs: the user closes the
// dialog with 閉じる (result 1), which appears when the worker has ended. Analysis: the dialog
// ends when the worker has ended, with the result the worker returned.
int RunProgressDialog(HWND owner, RunKind kind, std::atomic<int>& abort, ProgressWorker worker);

// The program is asked to close, or the session to end, while a run goes: the run is aborted as
// 中断 does, and once its worker has cleaned up, the dialog ends without waiting for 閉じる and
// `main_window` is posted WM_CLOSE again once the dialog is gone. False when no run goes.
bool EndRunForClose(HWND main_window);
// Handles messages until the worker of the run of `main_window` has ended (at once when none goes).
void WaitForRunEnd(HWND main_window);

// Centres the dialog over its owner, when the owner is wider and taller than the dialog.
void CenterOverOwner(HWND dialog);

}  // namespace clipwright::ui
