// The modal progress dialog of every long task: it starts the worker on its own thread, counts the
// elapsed time in its title and turns the abort button into the abort flag. The worker writes
// every text of the body.
#pragma once

#include "ui/win32.h"

#include <atomic>
#include <functional>

#include "common/dialog.h"
#include "jobs/progress_title.h"

namespace clipwright::ui {

// The work of one run, called on the worker thread with the dialog.
using ProgressWorker = std::function<void(Dialog& progress)>;

// Runs dialog 400 modally over `owner` (a page) and returns its result once the worker has
// finished and the dialog has ended. The dialog never ends while the worker runs, so the
// caller may free what the worker uses as soon as this returns. Jobs and volume: the user closes
// the dialog with 閉じる (result 1), which appears when the worker has ended. Analysis: the
// dialog ends when the worker has ended, with the result the worker passed to End.
int RunProgressDialog(HWND owner, ProgressVariant variant, std::atomic<int>& abort, ProgressWorker worker);

inline int AnalysisDialog(HWND owner, std::atomic<int>& abort, ProgressWorker worker) {
  return RunProgressDialog(owner, ProgressVariant::kAnalysis, abort, std::move(worker));
}
inline int JobDialog(HWND owner, std::atomic<int>& abort, ProgressWorker worker) {
  return RunProgressDialog(owner, ProgressVariant::kJob, abort, std::move(worker));
}
inline int VolumeDialog(HWND owner, std::atomic<int>& abort, ProgressWorker worker) {
  return RunProgressDialog(owner, ProgressVariant::kVolume, abort, std::move(worker));
}

// Centres the dialog over its owner, when the owner is wider and taller than the dialog.
void CenterOverOwner(HWND dialog);

}  // namespace clipwright::ui
