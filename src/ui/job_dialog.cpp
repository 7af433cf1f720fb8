#include "ui/job_dialog.h"

#include "jobs/job_worker.h"
#include "ui/progress_dialog.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace clipwright::ui {

void RunJobDialog(HWND page, JobContext& job) {
  WindowDialog page_controls(page);
  WindowRequests requests(page);
  JobDialog(page, job.abort, [&](Dialog& progress) { JobWorker(job, progress, page_controls, requests); });
}

}  // namespace clipwright::ui
