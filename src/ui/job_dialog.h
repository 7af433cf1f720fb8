// A page's run under the progress dialog: the plan the page made of its request, carried out by
// the run driver on the dialog's worker.
#pragma once

#include "ui/win32.h"

#include "jobs/file_plan.h"
#include "settings/run_settings.h"
#include "ui/progress_texts.h"

namespace clipwright::ui {

// Runs `plan` for `page` and returns when the user has closed the dialog.
void RunPlanDialog(HWND page, RunKind kind, const RunPlan& plan, const RunSettings& settings);

}  // namespace clipwright::ui
