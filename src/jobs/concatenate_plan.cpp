// The concatenate page's run: the listed files joined into one with the concat demuxer, streams
// copied.
#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"

namespace clipwright {

RunPlan PlanConcatenate(const ConcatenateRequest& request, const RunSettings& settings) {
  // Joining needs two files.
  if (request.paths.size() < 2) return {};
  FilePlan file = JobFile(request.paths.back(), request.paths, request.container, settings, true);
  file.stamps = request.stamps;
  file.concat_list = true;
  PlannedCommand command;
  command.AddWords("-f concat -safe 0 -i").ConcatList();
  AddStreamMaps(command, 0, request.streams, &file.expected.streams);
  AddCopySteps(file, std::move(command), settings, request.container);
  RunPlan plan;
  plan.files.push_back(std::move(file));
  return plan;
}

}  // namespace clipwright
