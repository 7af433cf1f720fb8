// The split page's run of one range of its file.
#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"
#include "tools/number_text.h"

namespace clipwright {

RunPlan PlanSplit(const SplitRequest& request, const RunSettings& settings) {
  FilePlan file = JobFile(request.file.path, {request.file.path}, request.container, settings, true);
  file.stamps = {request.file.stamp};
  const SplitCut& cut = request.cut;
  // Named by the range the page shows; a second split of it counts on from 2.
  file.final_name.first_choice = file.final_name.stem + FixedText(cut.start_time, 3, 9) + "-" +
                                 FixedText(cut.end_time, 3, 9) + "_1" + file.final_name.extension;
  PlannedCommand command;
  AddCut(command, cut);
  AddStreamMaps(command, 0, request.file.streams, &file.expected.streams);
  ExpectCut(file.expected, cut, request.file.streams, false);
  AddCopySteps(file, std::move(command), settings, request.container);
  RunPlan plan;
  plan.files.push_back(std::move(file));
  return plan;
}

}  // namespace clipwright
