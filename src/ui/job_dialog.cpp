#include "ui/job_dialog.h"

#include <atomic>

#include "jobs/run_driver.h"
#include "ui/progress_dialog.h"

namespace clipwright::ui {

void RunPlanDialog(HWND page, RunKind kind, const RunPlan& plan, const RunSettings& settings) {
  std::atomic<int> abort{0};
  RunProgressDialog(page, kind, abort, [&](RunObserver& observer) {
    RunFiles(plan, settings, observer, abort);
    return 1;
  });
}

}  // namespace clipwright::ui
