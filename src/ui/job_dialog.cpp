#include "ui/job_dialog.h"

#include "jobs/job_worker.h"
#include "jobs/keyframe_split_worker.h"
#include "ui/progress_dialog.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace clipwright::ui {

void RunJobDialog(HWND page, JobContext& job) {
  WindowDialog page_controls(page);
  WindowRequests requests(page);
  JobDialog(page, job.abort, [&](Dialog& progress) {
    if (job.operation == OP_SPLIT_AT_KEYFRAMES) {
      KeyframeSplitWorker(job, progress, page_controls, requests);
    } else {
      JobWorker(job, progress, page_controls, requests);
    }
  });
}

}  // namespace clipwright::ui
