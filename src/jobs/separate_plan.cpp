// The separate page's run: the chosen streams of every listed file copied out.
#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"

namespace clipwright {

RunPlan PlanSeparate(const SeparateRequest& request, const RunSettings& settings) {
  RunPlan plan;
  for (const InputFile& input : request.files) {
    FilePlan file = JobFile(input.path, {input.path}, request.container, settings, false);
    file.stamps = {input.stamp};
    std::vector<StreamChoice> streams = input.streams;
    // 音声のみ抽出 takes every stream that names Audio, whatever was chosen.
    if (request.audio_only) {
      for (StreamChoice& stream : streams) stream.chosen = stream.line.find("Audio") != std::string::npos;
    }
    PlannedCommand command;
    command.Add("-i").Input(0);
    AddStreamMaps(command, 0, streams, &file.expected.streams);
    AddCopySteps(file, std::move(command), settings, request.container);
    plan.files.push_back(std::move(file));
  }
  return plan;
}

}  // namespace clipwright
