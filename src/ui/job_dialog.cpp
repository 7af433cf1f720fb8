#include "ui/job_dialog.h"

#include <atomic>

#include "jobs/batch_checks.h"
#include "jobs/run_driver.h"
#include "ui/progress_dialog.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

void RunPlanDialog(HWND page, RunKind kind, const RunPlan& plan, const RunSettings& settings) {
  // A batch is looked over before its first file: what cannot be made is told now, while the
  // user is still there, and the user chooses whether the others are made.
  RunPlan checked = plan;
  const bool batch = kind == RunKind::kSplitAtKeyframes || kind == RunKind::kConcatenate || kind == RunKind::kSeparate ||
                     kind == RunKind::kConvert || kind == RunKind::kVolume;
  if (batch) {
    const std::vector<FileProblem> problems = CheckBatch(plan, settings);
    if (!problems.empty()) {
      if (WindowDialog(page).MessageBox(BatchQuestion(problems), kBatchQuestionCaption, kMessageYesNo) != kAnswerYes) return;
      SetAside(&checked, problems);
    }
  }
  std::atomic<int> abort{0};
  RunProgressDialog(page, kind, abort, [&](RunObserver& observer) {
    RunFiles(checked, settings, observer, abort);
    return 1;
  });
}

}  // namespace clipwright::ui
