// The multiplex page's run: the chosen streams of two files copied into one.
#include <algorithm>

#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"

namespace clipwright {
namespace {

bool AnyChosen(const InputFile& file) {
  return std::any_of(file.streams.begin(), file.streams.end(), [](const StreamChoice& s) { return s.chosen; });
}

}  // namespace

RunPlan PlanMultiplex(const MultiplexRequest& request, const RunSettings& settings) {
  RunPlan plan;
  // An input without a chosen stream takes no part; the last one taken names the output.
  std::vector<const InputFile*> taken;
  for (const InputFile* input : {&request.first, &request.second}) {
    if (AnyChosen(*input)) taken.push_back(input);
  }
  if (taken.empty()) {
    FilePlan file;
    file.display_name = request.second.path.empty() ? request.first.path : request.second.path;
    file.refused = StageEvent{Stage::kNoInput};
    plan.files.push_back(std::move(file));
    return plan;
  }
  std::vector<std::string> paths;
  for (const InputFile* input : taken) paths.push_back(input->path);
  FilePlan file = JobFile(paths.back(), paths, request.container, settings, false);
  for (const InputFile* input : taken) file.stamps.push_back(input->stamp);
  PlannedCommand command;
  for (std::size_t i = 0; i < taken.size(); ++i) command.Add("-i").Input(static_cast<int>(i));
  for (std::size_t i = 0; i < taken.size(); ++i) {
    AddStreamMaps(command, static_cast<int>(i), taken[i]->streams, &file.expected.streams);
  }
  AddCopySteps(file, std::move(command), settings, request.container);
  plan.files.push_back(std::move(file));
  return plan;
}

}  // namespace clipwright
