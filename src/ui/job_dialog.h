// The FFmpeg job of a page under the job variant of the progress dialog.
#pragma once

#include "ui/win32.h"

#include "jobs/job_context.h"

namespace clipwright::ui {

// Runs `job` for `page` and returns when the user has closed the dialog; the caller may free the
// job then.
void RunJobDialog(HWND page, JobContext& job);

}  // namespace clipwright::ui
